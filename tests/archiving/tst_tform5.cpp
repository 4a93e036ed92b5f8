#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <memory>

#include "archiving/partialrestore.h"
#include "archiving/runsinprogress.h"
#include "archiving/tform5.h"
#include "archiving/tform7.h"
#include "store/programtables.h"
#include "support/launchrecorder.h"
#include "support/scriptedmessageboxes.h"
#include "support/sevenzip.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

// A program folder with one task whose archives go to `path2`.
struct Fixture {
    Fixture(const QString& nameArh, const QString& path2) {
        tasks.open();
        test::appendRow(tasks, {{TaskField::Name, "docs"},
                                {TaskField::NameArh, nameArh},
                                {TaskField::Path2, path2},
                                {TaskField::NameArhivator2, "/usr/bin/7zz x -spf -aoa"}});
    }

    QStringList lines(const TForm5& form) const {
        QStringList out;
        for (int i = 0; i < form.ui.ListBox1->count(); ++i) {
            out << form.ui.ListBox1->item(i)->text();
        }
        return out;
    }

    // Picks the line and presses "Восстановить"; returns whether the dialog closed.
    bool restore(const QString& line) {
        TForm5 form(tables);
        form.show();
        const QList<QListWidgetItem*> items = form.ui.ListBox1->findItems(line, Qt::MatchExactly);
        if (items.isEmpty()) {
            return false;
        }
        form.ui.ListBox1->setCurrentItem(items.first());
        form.BitBtn1Click();
        return !form.isVisible();
    }

    test::TableFolder folder;
    test::ScriptedMessageBoxes boxes;
    ProgramTables tables;
    Table& tasks = tables.tasks;
};

// The entries of a folder in the order the file system lists them, as ls tells it.
QStringList listedByLs(const QString& folder) {
    QProcess ls;
    ls.start("ls", {"-f", folder});
    ls.waitForFinished();
    return QString::fromUtf8(ls.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace

class TestTForm5 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listsEveryEntryBeginningWithTheBaseName();
    void noArchiveNoRestore();
    void startsTheExtractCommand();
    void browsesWithTheSevenZipFound();
};

void TestTForm5::listsEveryEntryBeginningWithTheBaseName() {
    // A relative folder; a base name that makes its archives hidden.
    Fixture f(".docs.7z", "Arch/");
    for (const char* name : {".docs 07_12_2025.7z", ".docs 08_12_2025.BAK", ".docs2.7z", "docs.7z",
                             "x.docs.7z", ".doc"}) {
        f.folder.write(QStringLiteral("Arch/") + name, "");
    }
    QDir().mkpath(f.folder.file("Arch/.docs old"));

    TForm5 form(f.tables);
    QStringList expected = listedByLs(f.folder.file("Arch"));
    expected = expected.filter(QRegularExpression("^\\.docs"));
    QCOMPARE(expected.size(), 4);
    QCOMPARE(f.lines(form), expected);
    QVERIFY(form.ui.BitBtn1->isEnabled());
}

void TestTForm5::noArchiveNoRestore() {
    Fixture f("docs.7z", "Arch/");
    test::LaunchRecorder launches;
    TForm5 form(f.tables);
    form.show();
    QCOMPARE(f.lines(form), QStringList{form.texts().text(Form5Text::cm4)});
    QVERIFY(!form.ui.BitBtn1->isEnabled());
    form.ui.ListBox1->setCurrentRow(0);
    form.ListBox1DblClick();
    QVERIFY(launches.lines.isEmpty());
    QVERIFY(form.isVisible());
}

void TestTForm5::startsTheExtractCommand() {
    // An archive name with a folder of its own and no extension: the runs write into that
    // folder, so its archives are looked for and restored there.
    Fixture f("sub/docs", QString());
    f.folder.write("sub/docs 08_12_2025", "");
    f.folder.write("sub/docs \"quoted\"", "");
    test::LaunchRecorder launches;

    QVERIFY(f.restore("docs 08_12_2025"));
    QCOMPARE(launches.lines, QStringList{"/usr/bin/7zz x -spf -aoa \"" + f.folder.path() +
                                         "sub/docs 08_12_2025\""});
    QVERIFY(f.boxes.shown.isEmpty());
    // The restore is a run in progress until its archiver ends; it claims no archive path.
    QCOMPARE(runsInProgress().size(), 1);
    QVERIFY(!archivePathInUse(f.folder.path() + "sub/docs 08_12_2025"));
    launches.hook().endLaunch({});
    QVERIFY(runsInProgress().isEmpty());

    // Failed starts are told, and the dialog closes all the same.
    for (const auto& [result, text] : {std::pair{WinExecResult::FileNotFound, Form5Text::cm2},
                                       std::pair{WinExecResult::BadFormat, Form5Text::cm5}}) {
        launches.result = result;
        QVERIFY(f.restore("docs 08_12_2025"));
        QCOMPARE(f.boxes.texts().last(), form5Texts().text(text));
    }

    // A path with a double quote is never put on a command line.
    launches.lines.clear();
    QVERIFY(f.restore("docs \"quoted\""));
    QVERIFY(launches.lines.isEmpty());
    QCOMPARE(f.boxes.shown.last().icon, MbIcon::Warning);
}

void TestTForm5::browsesWithTheSevenZipFound() {
    Fixture f("docs.7z", "Arch/");
    f.folder.write("Arch/docs.7z", "");
    const QString rar = "/usr/bin/rar x";

    // The dialog opens the chosen archive with the task's own 7-Zip; without one it says so and
    // opens nothing.
    test::LaunchRecorder launches;
    const auto browse = [&] {
        TForm5 form(f.tables);
        form.show();
        form.ui.ListBox1->setCurrentRow(0);
        QTimer::singleShot(0, [] {
            if (auto* browser = qobject_cast<TForm7*>(QApplication::activeModalWidget())) {
                browser->reject();
            }
        });
        form.BitBtn3Click();
    };
    browse();
    QCOMPARE(launches.lines,
             QStringList{*listingCommandLine(test::k7zz, f.folder.file("Arch/docs.7z"))});
    QVERIFY(f.boxes.shown.isEmpty());
    f.tasks.edit();
    f.tasks.setString(TaskField::NameArhivator2, rar);
    f.tasks.post();
    browse();
    QCOMPARE(launches.lines.size(), 1);
    QCOMPARE(f.boxes.texts(), QStringList{form5Texts().text(Form5Text::cm7)});

    const QString missing = "/opt/none/7z";
    const auto archiver = [&](const QString& program, bool sys) {
        f.folder.addRow(kArchiversFile,
                        {{ArchiverField::NameAr, program}, {ArchiverField::Sys, sys}});
    };
    // A configuration the user made is no discovery's.
    archiver(test::k7zz, false);
    QCOMPARE(browsingArchiver(f.tables.archivers, rar), QString());
    // The task's own 7-Zip, even one whose file is missing.
    QCOMPARE(browsingArchiver(f.tables.archivers, missing + " x -spf"), missing);
    // Discovery's comes first; one whose file exists before one that is missing.
    archiver(missing, true);
    QCOMPARE(browsingArchiver(f.tables.archivers, rar), missing);
    archiver(test::k7zz, true);
    QCOMPARE(browsingArchiver(f.tables.archivers, rar), test::k7zz);
    QVERIFY(!f.tables.archivers.isOpen());
}

QTEST_MAIN(TestTForm5)
#include "tst_tform5.moc"
