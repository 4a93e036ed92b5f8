#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/commands.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/tasktable.h"
#include "support/launchrecorder.h"

using namespace kv;

namespace {

struct Task {
    QString name;
    bool flag = true;
    QString list = {};
};

// The main window on the given tasks, shown, its archivers recorded instead of started.
struct Fixture : test::MainWindowFixture {
    test::LaunchRecorder launches;
    std::unique_ptr<TForm1> form;

    explicit Fixture(const QList<Task>& tasks)
        : MainWindowFixture(naiveDateTime(QDate(2025, 12, 8), QTime(14, 5))) {
        folder.makeTables();
        for (const Task& task : tasks) {
            folder.addRow(kTasksFile,
                          {{TaskField::Flag, task.flag},
                           {TaskField::Name, task.name},
                           {TaskField::NameArh, task.name + QStringLiteral(".7z")},
                           {TaskField::Path2, "Arch/"},
                           {TaskField::NameArhivator1, "/usr/bin/pack a"},
                           {TaskField::List, task.list},
                           {TaskField::VidPeriod, 3},
                           {TaskField::SledTime, naiveDateTime(QDate(2030, 1, 1), QTime(9, 0))}});
        }
        form = makeForm();
        form->showAtStart();
    }
    ~Fixture() { form.reset(); }
    void select(const QString& name) { returnToTask(tables.tasks, name); }
    void addObjects(const QList<QPair<QString, QString>>& rows) {
        for (const auto& [name, path] : rows) {
            folder.addRow(kObjectsFile, {{ObjectField::Name, name}, {ObjectField::Path, path}});
        }
    }
};

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deleteAsksAndRemovesRowObjectsAndListFile() {
        Fixture fx({{QStringLiteral("docs")},
                    {QStringLiteral("mail"), true, QStringLiteral("Lists/7.txt")},
                    {QStringLiteral("photo")}});
        fx.addObjects({{QStringLiteral("mail"), QStringLiteral("/home/a")},
                       {QStringLiteral("docs"), QStringLiteral("/home/d")},
                       {QStringLiteral("mail"), QStringLiteral("/home/b")},
                       {QStringLiteral("Mail"), QStringLiteral("/home/c")}});
        fx.tables.objects.close();
        fx.tables.objects.open();
        fx.folder.write(QStringLiteral("Lists/7.txt"), "/home/a\r\n/home/b\r\n");
        fx.folder.write(QStringLiteral("Arch/mail.7z"), "archive");
        for (const char* name : {"mail", "docs"}) {
            test::appendRow(fx.tables.extras, {{TaskExtraField::Name, name}});
        }
        fx.select(QStringLiteral("mail"));

        // No: nothing happens.
        fx.boxes.answer(MbResult::No);
        fx.form->ui.BitBtn2->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("Удалить \"mail\" из списка задач?"));
        QCOMPARE(fx.boxes.shown[0].caption, QStringLiteral("Удаление"));
        QCOMPARE(fx.boxes.shown[0].buttons, MbButtons::YesNo);
        QCOMPARE(fx.boxes.shown[0].icon, MbIcon::Question);
        QCOMPARE(fx.tables.tasks.recordCount(), 3);
        QVERIFY(QFileInfo::exists(fx.folder.file(QStringLiteral("Lists/7.txt"))));

        // Yes: the row, its object rows (exact name), its retention and its list file go;
        // archives stay.
        fx.boxes.answer(MbResult::Yes);
        fx.form->ui.BitBtn2->click();
        QCOMPARE(test::column(kTasksFile, TaskField::Name),
                 (QStringList{QStringLiteral("docs"), QStringLiteral("photo")}));
        QCOMPARE(test::column(kObjectsFile, ObjectField::Path),
                 (QStringList{QStringLiteral("/home/d"), QStringLiteral("/home/c")}));
        QCOMPARE(test::column(kTaskExtrasFile, TaskExtraField::Name), QStringList{"docs"});
        QVERIFY(!QFileInfo::exists(fx.folder.file(QStringLiteral("Lists/7.txt"))));
        QVERIFY(QFileInfo::exists(fx.folder.file(QStringLiteral("Arch/mail.7z"))));
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("docs"));
        QCOMPARE(fx.tables.marks.size(), 2);
        QCOMPARE(fx.form->scheduler().tickTimerInterval(), 1000);
        // tasksm.dbf was packed: it holds exactly its two live rows.
        const qint64 packedSize = QFileInfo(fx.folder.file(kObjectsFile)).size();
        Table::create(QStringLiteral("probe.dbf"), objectsLayout());
        QCOMPARE(packedSize, QFileInfo(fx.folder.file(QStringLiteral("probe.dbf"))).size() +
                                 2 * (1 + 1 + 30 + 255 + 255 + 4 + 255 + 20));
    }

    void deleteNeverTouchesFilesOutsideTheListsFolder() {
        QCOMPARE(listFilePath(QStringLiteral("Lists/48213.txt")),
                 inProgramFolder(QStringLiteral("Lists/48213.txt")));
        QCOMPARE(listFilePath(QStringLiteral("Lists\\48213.txt")),
                 inProgramFolder(QStringLiteral("Lists/48213.txt")));
        for (const char* bad : {"../victim.txt", "/etc/passwd", "Lists/../tasks.dbf", "Lists/",
                                "Lists/a/b.txt", "Lists/..", "", "tasks.dbf"}) {
            QVERIFY2(listFilePath(QString::fromLatin1(bad)).isEmpty(), bad);
        }

        Fixture fx({{QStringLiteral("evil"), true, QStringLiteral("../victim.txt")}});
        QTemporaryDir outside;
        const QString victim = fx.folder.path() + QStringLiteral("../victim.txt");
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        fx.boxes.answer(MbResult::Yes);
        fx.form->ui.BitBtn2->click();
        QVERIFY(fx.tables.tasks.isEmpty());
        QVERIFY(QFileInfo::exists(victim));
        QFile::remove(victim);
    }

    // Without tasksm.dbf open, nothing is asked and nothing removed: the error is told.
    void deleteNeedsTheObjectTableOpen() {
        Fixture fx({{QStringLiteral("mail"), true, QStringLiteral("Lists/7.txt")}});
        fx.folder.write(QStringLiteral("Lists/7.txt"), "/home/a\r\n");
        fx.tables.objects.close();
        fx.boxes.answer(MbResult::Yes);
        fx.form->ui.BitBtn2->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(kObjectsFile));
        QVERIFY(QFileInfo::exists(fx.folder.file(QStringLiteral("Lists/7.txt"))));
        QCOMPARE(fx.tables.tasks.recordCount(), 1);
    }

    void commandsOnAnEmptyListDoNothing() {
        Fixture fx({});
        fx.form->ui.BitBtn2->click();
        fx.form->ui.BitBtn5->click();
        fx.form->ui.BitBtn11->click();
        fx.form->ui.BitBtn4->click();
        fx.form->ui.BitBtn7->click();
        QVERIFY(fx.boxes.shown.isEmpty());
        QVERIFY(fx.launches.lines.isEmpty());
    }

    void runSelectedRecordsTheRunButKeepsTheNextRun() {
        Fixture fx({{QStringLiteral("docs")}, {QStringLiteral("mail")}});
        fx.select(QStringLiteral("mail"));
        fx.form->ui.BitBtn5->click();
        QCOMPARE(fx.launches.lines.size(), 1);
        QCOMPARE(fx.launches.lines[0], QStringLiteral("/usr/bin/pack a \"") + fx.folder.path() +
                                           QStringLiteral("Arch/.mail.partial.7z\" @") +
                                           fx.folder.path());
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("mail"));
        Table& t = fx.tables.tasks;
        QCOMPARE(t.asDateTime(TaskField::WorkTime), fx.clock.now());
        QCOMPARE(t.asDateTime(TaskField::SledTime), naiveDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    }

    // The countdown comes when the run of the power-off button has ended, and not before the
    // runs started after it have ended too.
    void powerOffOnlyForTheRunItStarts() {
        Fixture fx({{QStringLiteral("docs")}, {QStringLiteral("mail"), false}});
        ScopedWinExecHook& launches = fx.launches.hook();
        fx.form->ui.BitBtn11->click();
        fx.select(QStringLiteral("mail"));
        fx.form->ui.BitBtn5->click();
        QCOMPARE(launches.launchesWaiting(), 2);
        // Runs that wrote their archives: nothing to tell besides the power-off.
        fx.folder.write("Arch/.docs.partial.7z", "archive");
        fx.folder.write("Arch/.mail.partial.7z", "archive");
        launches.endLaunch(ProgramEnd{});
        QVERIFY(!fx.form->runEnds().countdown());
        launches.endLaunch(ProgramEnd{});
        QVERIFY(fx.form->runEnds().countdown());
        fx.form->runEnds().countdown()->reject();
    }

    // While an archive is being written, the user's start is refused with a box, and the
    // start-up pass and the tick leave the task due until the archiver has ended.
    void aBusyArchiveWaitsForTheNextCheck() {
        Fixture fx({{QStringLiteral("docs")}});
        Table& t = fx.tables.tasks;
        const QDateTime due = fx.clock.now().addSecs(-3600);
        t.edit();
        t.setDateTime(TaskField::SledTime, due);
        t.post();
        ScopedWinExecHook& launches = fx.launches.hook();
        fx.form->ui.BitBtn5->click();
        fx.form->ui.BitBtn5->click();
        QCOMPARE(fx.boxes.texts(),
                 QStringList{fx.form->texts()
                                 .text(Form1Text::cm29)
                                 .arg(QStringLiteral("docs"), fx.folder.file("Arch/docs.7z"))});
        fx.form->Timer3Timer();
        fx.form->Timer1Timer();
        QCOMPARE(launches.launchesWaiting(), 1);
        QCOMPARE(fx.form->scheduler().tickTimerInterval(), 1000);
        QCOMPARE(t.asDateTime(TaskField::SledTime), due);

        launches.endLaunch(ProgramEnd{});
        fx.form->Timer1Timer();
        QCOMPARE(launches.launchesWaiting(), 1);
        QVERIFY(t.asDateTime(TaskField::SledTime) > fx.clock.now());
    }

    void runAllAndRunMarkedIgnoreThePause() {
        Fixture fx({{QStringLiteral("a"), true},
                    {QStringLiteral("b"), false},
                    {QStringLiteral("c"), true}});
        fx.form->ui.Editt5->setChecked(true);
        fx.select(QStringLiteral("b"));

        fx.form->ui.BitBtn4->click();
        QCOMPARE(fx.launches.lines.size(), 3);
        QVERIFY(fx.launches.lines[0].contains(QStringLiteral("/.a.partial.7z")));
        QVERIFY(fx.launches.lines[1].contains(QStringLiteral("/.b.partial.7z")));
        QVERIFY(fx.launches.lines[2].contains(QStringLiteral("/.c.partial.7z")));
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("b"));

        fx.launches.lines.clear();
        for (int i = 0; i < 3; ++i) {
            fx.folder.write("Arch/." + QString(QChar(u'a' + i)) + ".partial.7z", "archive");
            fx.launches.hook().endLaunch(ProgramEnd{});
        }
        fx.form->ui.BitBtn7->click();
        QCOMPARE(fx.launches.lines.size(), 2);
        QVERIFY(fx.launches.lines[0].contains(QStringLiteral("/.a.partial.7z")));
        QVERIFY(fx.launches.lines[1].contains(QStringLiteral("/.c.partial.7z")));
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("b"));
        QVERIFY(fx.boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
