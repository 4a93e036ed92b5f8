#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/tform1.h"
#include "archiving/runtask.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "editor/tform2.h"
#include "mainwindowfixture.h"
#include "platform/programsearch.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "support/scripteddialogs.h"
#include "support/sevenzip.h"
#include "widgets/labelededit.h"

using namespace kv;

namespace {

// Runs `body` on the modal window of type W that the next event loop shows, then closes the
// window if it is still open.
template <typename W>
void whenShown(std::function<void(W&)> body) {
    QTimer::singleShot(0, [body] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        QVERIFY(window != nullptr);
        body(*window);
        if (window->isVisible()) {
            window->reject();
        }
    });
}

}  // namespace

class TestFirstBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sevenZipBacksUpAndRestores();
    void nothingToConfigureNothingToDrag();
};

void TestFirstBackup::sevenZipBacksUpAndRestores() {
    QVERIFY2(QFileInfo(test::k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    test::MainWindowFixture fx;
    auto form = fx.makeForm();

    // The configuration, typed into the configuration list.
    whenShown<TForm3>([](TForm3& list) {
        list.BitBtn1Click();
        list.ui.LabeledEdit6->setText("7-Zip");
        list.ui.LabeledEdit1->setText(test::k7zz);
        list.ui.LabeledEdit2->setText("a");
        list.ui.LabeledEdit3->setText("-spf");
        list.ui.LabeledEdit5->setText("x");
        list.ui.LabeledEdit4->setText("-spf -aoa");
        list.BitBtn8Click();
    });
    form->BitBtn8Click();
    QVERIFY(!fx.tables.archivers.isOpen());
    Table& configurations = fx.tables.archivers;
    configurations.open();
    QCOMPARE(configurations.recordCount(), 1);
    const QString archiveCommand = configurations.asString(ArchiverField::Arhstr1);
    const QString extractCommand = configurations.asString(ArchiverField::Arhstr2);
    configurations.close();

    // A task with that configuration, as the editor stores it.
    const QByteArray bytes = "the only copy of a letter\n";
    fx.folder.write("data/letter.txt", bytes);
    const QString letter = fx.folder.file("data/letter.txt");
    fx.folder.write("Lists/1.txt", (letter + "\r\n").toUtf8());
    QDir().mkpath(fx.folder.file("out"));
    test::appendRow(fx.tables.tasks, {{TaskField::Flag, true},
                                      {TaskField::Name, "letters"},
                                      {TaskField::Path2, fx.folder.file("out/")},
                                      {TaskField::NameArh, "docs.7z"},
                                      {TaskField::VidArhivator, 1},
                                      {TaskField::NameArhSys, "7-Zip"},
                                      {TaskField::NameArhivator1, archiveCommand},
                                      {TaskField::NameArhivator2, extractCommand},
                                      {TaskField::List, "Lists/1.txt"}});

    RunTask(fx.tables.tasks, form->runContext(), false);
    QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    QVERIFY(QFileInfo(fx.folder.file("out/docs.7z")).isFile());

    // The letter is lost; the restore dialog brings it back from the archive.
    QVERIFY(QFile::remove(letter));
    whenShown<TForm5>([](TForm5& restore) {
        const QList<QListWidgetItem*> found =
            restore.ui.ListBox1->findItems("docs.7z", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        restore.ui.ListBox1->setCurrentItem(found.first());
        restore.BitBtn1Click();
    });
    form->BitBtn3Click();
    QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    QCOMPARE(fx.folder.read("data/letter.txt"), bytes);
    QVERIFY(fx.boxes.shown.isEmpty());
    // Followed like a run: its end is in the run log.
    QVERIFY(fx.folder.read("runs.log").contains("\trestore\tletters\t"));
}

// A new user on a machine with 7-Zip: a fresh program folder finds it, and a task made with the
// windows and their dialogs alone backs up into ~/Backups/ and restores without destroying
// newer work.
void TestFirstBackup::nothingToConfigureNothingToDrag() {
    QVERIFY2(QFileInfo(test::k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    test::MainWindowFixture fx;
    const QTemporaryDir home;
    const QByteArray userHome = qgetenv("HOME");
    const auto homeBack = qScopeGuard([&] { qputenv("HOME", userHome); });
    qputenv("HOME", QFile::encodeName(home.path()));
    const ScopedProgramSearchPath path({QFileInfo(test::k7zz).absolutePath()});
    test::ScriptedDialogs dialogs;
    const QByteArray letter = "the only copy of a letter\n";
    const QByteArray notes = "notes as they were\n";
    fx.folder.write("data/letter.txt", letter);
    fx.folder.write("notes.txt", notes);
    fx.folder.write("todo.txt", "todo");
    auto form = fx.makeForm();

    dialogs.answer(fx.folder.file("data"));
    dialogs.answerFiles({fx.folder.file("notes.txt"), fx.folder.file("todo.txt")});
    whenShown<TForm2>([](TForm2& editor) {
        editor.ui.LEdit1->setText("first");
        editor.ui.Button11->click();
        editor.ui.Button10->click();
        editor.ui.BitBtn3->click();
    });
    form->ui.BitBtn1->click();
    form->ui.BitBtn5->click();
    QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    const QString archive = QDir(home.path()).filePath("Backups/Archive");
    QProcess check;
    check.start(test::k7zz, {"t", archive});
    QVERIFY(check.waitForFinished(60000));
    QCOMPARE(check.exitCode(), 0);

    // The letter is lost and the notes have changed since: the restore brings the letter back
    // and keeps the changed notes beside the restored ones, under 7-Zip's new name.
    QVERIFY(QFile::remove(fx.folder.file("data/letter.txt")));
    fx.folder.write("notes.txt", "notes changed since\n");
    whenShown<TForm5>([](TForm5& restore) {
        const QList<QListWidgetItem*> found =
            restore.ui.ListBox1->findItems("Archive", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        restore.ui.ListBox1->setCurrentItem(found.first());
        restore.BitBtn1Click();
    });
    form->ui.BitBtn3->click();
    QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    QCOMPARE(fx.folder.read("data/letter.txt"), letter);
    QCOMPARE(fx.folder.read("notes.txt"), notes);
    QCOMPARE(fx.folder.read("notes_1.txt"), QByteArray("notes changed since\n"));
    QVERIFY(fx.boxes.shown.isEmpty());
}

QTEST_MAIN(TestFirstBackup)
#include "tst_firstbackup.moc"
