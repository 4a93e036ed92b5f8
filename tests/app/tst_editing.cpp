#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/tform1.h"
#include "editor/tform2.h"
#include "mainwindowfixture.h"
#include "store/layouts.h"
#include "store/tasktable.h"
#include "support/fileurldrops.h"
#include "support/sevenzip.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"

using namespace kv;

namespace {

// Runs `script` in the task editor once the main window has opened it, as the user would with
// the editor in front; the editor is closed afterwards if the script left it open.
void whenEditorOpens(TForm1& form, std::function<void(TForm2&)> script) {
    QTimer::singleShot(0, &form, [&form, script] {
        auto* editor = form.findChild<TForm2*>();
        if (editor == nullptr) {
            return;
        }
        QApplication::setActiveWindow(editor);
        script(*editor);
        if (editor->isVisible()) {
            editor->done(QDialog::Rejected);
        }
    });
}

struct Fixture : test::MainWindowFixture {
    std::unique_ptr<TForm1> form;

    // The tasks, and a configuration that new tasks get.
    explicit Fixture(const QStringList& tasks) {
        folder.makeTables();
        for (const QString& name : tasks) {
            folder.addRow(
                kTasksFile,
                {{TaskField::Name, name}, {TaskField::Flag, true}, {TaskField::VidPeriod, 0}});
        }
        folder.addRow(kArchiversFile, {{ArchiverField::Name, "7-Zip"},
                                       {ArchiverField::Arhstr1, test::k7zz + " a -spf"},
                                       {ArchiverField::Flag, true}});
        form = makeForm();
        form->showAtStart();
        QApplication::setActiveWindow(form.get());
    }
};

}  // namespace

class TestEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A new task saved twice under two names is one task; renamed through the edit command it
    // keeps its objects and list file; the list follows it each time.
    void addSaveTwiceThenRename() {
        Fixture fx({"a", "b"});
        fx.folder.write("data/f.txt", "1");
        const QString file = fx.folder.file("data/f.txt");
        fx.tables.tasks.moveTo(0);
        whenEditorOpens(*fx.form, [&](TForm2& e) {
            QVERIFY(test::dropFileUrls(&e, {file}));
            e.ui.LEdit1->setText(QStringLiteral("n1"));
            e.ui.BitBtn3->click();
            e.ui.LEdit1->setText(QStringLiteral("n2"));
            e.ui.BitBtn3->click();
            e.ui.BitBtn2->click();
        });
        fx.form->ui.BitBtn1->click();
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("n2"));
        QCOMPARE(test::column(kTasksFile, TaskField::Name), (QStringList{"a", "b", "n2"}));
        QCOMPARE(test::column(kObjectsFile, ObjectField::Name), QStringList{"n2"});
        const QString list = fx.tables.tasks.asString(TaskField::List);
        QCOMPARE(fx.folder.read(list), (file + "\r\n").toUtf8());
        // The pause for the editor is over; the new hourly task has its next run.
        QVERIFY(!fx.form->ui.Editt5->isChecked() && !fx.form->scheduler().paused());
        QVERIFY(!fx.tables.tasks.asString(TaskField::SledTimeStr).isEmpty());
        QCOMPARE(fx.form->scheduler().tickTimerInterval(), Scheduler::kTickInterval);

        fx.boxes.answer(MbResult::Yes);
        whenEditorOpens(*fx.form, [&](TForm2& e) {
            e.ui.LEdit1->setText(QStringLiteral("z"));
            e.reject();  // Esc: Yes to the question saves
        });
        fx.form->DBGrid1DblClick();
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("z"));
        QCOMPARE(test::column(kObjectsFile, ObjectField::Name), QStringList{"z"});
        QCOMPARE(fx.tables.tasks.asString(TaskField::List), list);
    }

    // A double click on a task's mark opens the editor on the task as it is, and the mark and
    // Flag stay as they were.
    void doubleClickOnTheMarkKeepsIt() {
        Fixture fx({"a"});
        bool enabled = false;
        whenEditorOpens(*fx.form, [&](TForm2& e) { enabled = e.ui.CheckBox1->isChecked(); });
        DBGrid* grid = fx.form->ui.DBGrid1;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           grid->visualRect(grid->model()->index(0, 0)).center());
        QVERIFY(enabled);
        QVERIFY(fx.tables.marks.at(0));
        QVERIFY(fx.tables.tasks.asBool(TaskField::Flag));
    }

    // Closing a new task's editor without saving leaves the list where it was, and a pause
    // that was on stays on.
    void addClosedUnsaved() {
        Fixture fx({"a", "b", "c"});
        fx.form->ui.Editt5->setChecked(true);
        fx.tables.tasks.moveTo(1);
        fx.boxes.answer(MbResult::No);
        whenEditorOpens(*fx.form, [](TForm2& e) { e.reject(); });
        fx.form->ui.BitBtn1->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("b"));
        QCOMPARE(fx.tables.tasks.recordCount(), 3);
        QVERIFY(fx.form->ui.Editt5->isChecked() && fx.form->scheduler().paused());
        QVERIFY(fx.form->ui.Label4->isVisibleTo(fx.form.get()));
    }

    // A task made in the editor with a 7-Zip configuration, run by "выделенную", archives what
    // was dropped.
    void endToEndWithSevenZip() {
        QVERIFY2(QFileInfo(test::k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
        test::MainWindowFixture outer;  // the folder must hold archers.dbf before the window
        outer.folder.makeTables();
        outer.folder.addRow(kArchiversFile, {{ArchiverField::Name, "7-Zip"},
                                             {ArchiverField::Arhstr1, test::k7zz + " a -spf"},
                                             {ArchiverField::Flag, true}});
        outer.folder.write("data/one.txt", "one");
        outer.folder.write("data/folder/a.txt", "a");
        QDir().mkpath(outer.folder.file("out"));
        const QString data = outer.folder.file("data/");
        auto form = outer.makeForm();
        form->showAtStart();
        QApplication::setActiveWindow(form.get());

        whenEditorOpens(*form, [&](TForm2& e) {
            QVERIFY(test::dropFileUrls(&e, {data + "one.txt", data + "folder"}));
            e.ui.LEdit1->setText(QStringLiteral("docs"));
            e.ui.LEdit2->setText(outer.folder.file("out"));
            e.ui.LEdit3->setText(QStringLiteral("backup.7z"));
            e.ui.BitBtn3->click();
            QVERIFY(e.saveSucceeded());
        });
        form->ui.BitBtn1->click();
        QCOMPARE(currentTaskName(outer.tables.tasks), QStringLiteral("docs"));
        form->ui.BitBtn5->click();
        QVERIFY(outer.boxes.shown.isEmpty());

        QStringList expected = {data + "one.txt", data + "folder", data + "folder/a.txt"};
        expected.sort();
        QCOMPARE(test::waitForArchive(outer.folder.file("out/backup.7z"), expected), expected);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
