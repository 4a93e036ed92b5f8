#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

#include "archiving/runtask.h"
#include "language/mainwindowtexts.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/launchrecorder.h"
#include "support/manualclock.h"
#include "support/recordingobserver.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablerows.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi));
}

// A program folder with tasks.dbf open, the clock at 08 December 2025 14:05, scripted message
// boxes and a launcher that records the command lines and answers `result`.
struct Fixture {
    Fixture() {
        Table::create(kTasksFile, tasksLayout());
        tasks.open();
    }

    // A task that runs at once: the archiver "/opt/Archiver/pack a -ep3", destination in the
    // program folder, date in the name; `fields` overrides.
    void addTask(const QString& name, const QVariantMap& fields = {}) {
        QVariantMap row{
            {"Flag", true},
            {"Name", name},
            {"VidNameArh", 1},
            {"Bak", true},
            {"Path2", folder.path() + "out/"},
            {"NameArh", "docs.rar"},
            {"NameArhivator1", "/opt/Archiver/pack a -ep3"},
            {"VidPeriod", 0},
            {"List", "Lists/48213.txt"},
        };
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            row[it.key()] = it.value();
        }
        test::appendRow(tasks, row);
    }

    QString run(bool recompute = false, bool powerOff = false) {
        launches.lines.clear();
        RunTask(tasks, context(powerOff), recompute);
        return launches.lines.isEmpty() ? QString() : launches.lines.last();
    }

    test::TempProgramFolder folder;
    test::ManualClock clock{at(2025, 12, 8, 14, 5)};
    test::ScriptedMessageBoxes boxes;
    test::LaunchRecorder launches;
    Table tasks{kTasksFile};
    MainWindowTexts texts = mainWindowTexts();

    // A run as the commands start it: the start-up pass over, nothing paused.
    RunContext context(bool powerOff = false) const { return {texts, false, false, powerOff}; }
};

}  // namespace

class TestRunTask : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        setLocaleFormats(QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
        setDateSeparator(QStringLiteral("/"));
        setTimeSeparator(QStringLiteral("/"));
    }
    void cleanup() { resetLocaleFormats(); }

    void commandLineOfTheExample();
    void datePartsAndSeparators();
    void namesAndFolders_data();
    void namesAndFolders();
    void rotationKeepsOneBackup();
    void backupWithoutBakWaitsForAConfirmedRun();
    void powerOffOnlyAfterItsOwnRun();
    void failedLaunchPutsTheOnlyArchiveBack();
    void launchFailuresAreReported();
    void unrunnableArchiverIsReportedAndRecorded();
    void quoteInArchiverPathIsNamed();
    void quoteInArchivePathIsRefused();
    void refusedTickRunMovesTheNextRunOn();
    void programFolderWithBlanksAndQuotes();
    void cursorStaysOnTheTask();
};

void TestRunTask::commandLineOfTheExample() {
    Fixture f;
    f.addTask("docs", {{"Path2", "/backup/"}});
    setProgramFolder("/tools/backup/");
    const QString line = f.run();
    setProgramFolder(f.folder.path());
    QCOMPARE(line, QStringLiteral("/opt/Archiver/pack a -ep3 \"/backup/docs 08_12_2025.rar\" "
                                  "@/tools/backup/Lists/48213.txt"));
    QVERIFY(f.boxes.shown.isEmpty());
    QCOMPARE(f.tasks.asDateTime("WorkTime"), at(2025, 12, 8, 14, 5));
    // What the archiver receives.
    QCOMPARE(splitArguments(line.mid(QStringLiteral("/opt/Archiver/pack").size())),
             (QStringList{"a", "-ep3", "/backup/docs 08_12_2025.rar",
                          "@/tools/backup/Lists/48213.txt"}));
}

void TestRunTask::datePartsAndSeparators() {
    const QDateTime when = at(2025, 12, 8, 14, 5);
    QCOMPARE(archiveDatePart(0, when), QString());
    QCOMPARE(archiveDatePart(1, when), QStringLiteral(" 08_12_2025"));
    QCOMPARE(archiveDatePart(2, when), QStringLiteral(" 08_12_2025 14-05"));
    QCOMPARE(archiveDatePart(3, when), QString());
    QCOMPARE(archiveDatePart(-1, when), QString());
    QCOMPARE(archiveDatePart(2, at(987, 1, 2, 3, 4)), QStringLiteral(" 02_01_0987 03-04"));

    // Whatever was in force before, a run leaves "." and ":" for every date text.
    Fixture f;
    f.addTask("t", {{"VidNameArh", 2}});
    setDateSeparator(QStringLiteral("-"));
    setTimeSeparator(QStringLiteral("h"));
    QVERIFY(f.run().contains(QStringLiteral("docs 08_12_2025 14-05.rar")));
    QCOMPARE(dateSeparator(), QStringLiteral("."));
    QCOMPARE(timeSeparator(), QStringLiteral(":"));
    QCOMPARE(dateTimeText(at(2025, 12, 8, 14, 5)), QStringLiteral("08.12.2025 14:05:00"));
}

void TestRunTask::namesAndFolders_data() {
    QTest::addColumn<QString>("nameArh");
    QTest::addColumn<QString>("path2");
    QTest::addColumn<int>("vid");
    QTest::addColumn<QString>("archive");  // "~/" stands for the program folder
    QTest::addColumn<QString>("backup");
    QTest::newRow("name only") << "Archive"
                               << "/B/" << 0 << "/B/Archive"
                               << "/B/Archive.BAK";
    QTest::newRow("date and time") << "docs.rar"
                                   << "/B/" << 2 << "/B/docs 08_12_2025 14-05.rar"
                                   << "/B/docs 08_12_2025 14-05.BAK";
    QTest::newRow("lone dot") << "docs."
                              << "/B/" << 1 << "/B/docs 08_12_2025"
                              << "/B/docs 08_12_2025.BAK";
    QTest::newRow("lone dot, no date") << "docs."
                                       << "/B/" << 0 << "/B/docs"
                                       << "/B/docs.BAK";
    QTest::newRow("sub folder with extension") << "sub/docs.rar"
                                               << "/B/" << 1 << "/B/docs 08_12_2025.rar"
                                               << "/B/docs 08_12_2025.BAK";
    QTest::newRow("sub folder without extension") << "sub/docs"
                                                  << "/B/" << 1 << "/B/sub/docs 08_12_2025"
                                                  << "/B/sub/docs 08_12_2025.BAK";
    QTest::newRow("dot in a folder") << "my.dir/docs"
                                     << "/B/" << 0 << "/B/my.dir/docs"
                                     << "/B/my.dir/docs.BAK";
    QTest::newRow("colon is an ordinary character") << "a:b.tar.gz"
                                                    << "/B/" << 0 << "/B/a:b.tar.gz"
                                                    << "/B/a:b.tar.BAK";
    QTest::newRow("relative folder") << "docs.rar"
                                     << "Arch/" << 0 << "~/Arch/docs.rar"
                                     << "~/Arch/docs.BAK";
    QTest::newRow("empty folder") << "docs.rar"
                                  << "" << 0 << "~/docs.rar"
                                  << "~/docs.BAK";
}

void TestRunTask::namesAndFolders() {
    QFETCH(QString, nameArh);
    QFETCH(QString, path2);
    QFETCH(int, vid);
    QFETCH(QString, archive);
    QFETCH(QString, backup);
    setProgramFolder("/prog/");
    const ArchivePaths p =
        archivePaths(nameArh, path2, archiveDatePart(vid, at(2025, 12, 8, 14, 5)));
    QCOMPARE(p.archive, archive.replace("~/", "/prog/"));
    QCOMPARE(p.backup, backup.replace("~/", "/prog/"));
}

void TestRunTask::rotationKeepsOneBackup() {
    Fixture f;
    f.addTask("t", {{"VidNameArh", 0}, {"NameArh", "Archive.7z"}, {"Bak", true}});
    f.folder.write("out/Archive.7z", "previous archive");
    f.folder.write("out/Archive.BAK", "older backup");
    f.run();
    QVERIFY(!QFile::exists(f.folder.file("out/Archive.7z")));
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("previous archive"));
    // The archiver wrote nothing: the next run keeps the copy, which may be the last archive.
    f.run();
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("previous archive"));
    // A run that failed leaves its output set aside: the rotation after it keeps the good copy,
    // and a confirmed run clears the failed output away.
    ScopedWinExecHook& launches = f.launches.hook();
    f.folder.write("out/Archive.7z", "broken");
    ProgramEnd fatal;
    fatal.code = 2;
    launches.endLaunch(fatal);
    f.run();
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("previous archive"));
    f.folder.write("out/Archive.7z", "new");
    launches.endLaunch(ProgramEnd{});
    QVERIFY(!QFile::exists(f.folder.file("out/Archive.unconfirmed.7z")));
    // An archive named like its own copy is never deleted to make room for itself.
    f.tasks.edit();
    f.tasks.setString("NameArh", "Archive.BAK");
    f.tasks.post();
    f.run();
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("previous archive"));
}

// Without a kept copy the .BAK is the last good archive until a run is confirmed: it goes only
// when the archiver has ended well, and what a failed run left is set aside by the next
// rotation, never rotated over the .BAK.
void TestRunTask::backupWithoutBakWaitsForAConfirmedRun() {
    Fixture f;
    f.addTask("t", {{"VidNameArh", 0}, {"NameArh", "Archive.7z"}, {"Bak", false}});
    ScopedWinExecHook& launches = f.launches.hook();
    ProgramEnd fatal;
    fatal.code = 2;
    f.folder.write("out/Archive.7z", "good");
    f.run();
    f.folder.write("out/Archive.7z", "broken");
    launches.endLaunch(fatal);
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("good"));

    f.run();
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("good"));
    QCOMPARE(f.folder.read("out/Archive.unconfirmed.7z"), QByteArray("broken"));
    QVERIFY(!QFile::exists(f.folder.file("out/Archive.7z")));
    f.folder.write("out/Archive.7z", "new");
    launches.endLaunch(ProgramEnd{});
    QCOMPARE(QDir(f.folder.file("out")).entryList(QDir::Files), QStringList{"Archive.7z"});

    // An archive set aside unconfirmed (here beside a .BAK from before) may be good: a failed
    // run's output never replaces it.
    f.folder.write("out/Archive.BAK", "good");
    f.run();
    f.folder.write("out/Archive.7z", "broken");
    launches.endLaunch(fatal);
    QCOMPARE(f.folder.read("out/Archive.unconfirmed.7z"), QByteArray("new"));
    QCOMPARE(QDir(f.folder.file("out")).entryList(QDir::Files),
             (QStringList{"Archive.BAK", "Archive.unconfirmed.7z"}));
}

void TestRunTask::powerOffOnlyAfterItsOwnRun() {
    Fixture f;
    test::RecordingObserver observer;
    f.addTask("t", {{"Path2", "/b/"}, {"VidNameArh", 0}});
    QCOMPARE(f.run(false, true),
             "/opt/Archiver/pack a -ep3 \"/b/docs.rar\" @" + f.folder.path() + "Lists/48213.txt");
    f.run(true);
    f.launches.hook().endLaunch(ProgramEnd{}, 1);
    QCOMPARE(observer.powerOffs, 0);
    f.launches.hook().endLaunch(ProgramEnd{});
    QCOMPARE(observer.powerOffs, 1);
}

// Nothing will write a new archive, so a task that keeps no copy gets its archive back.
void TestRunTask::failedLaunchPutsTheOnlyArchiveBack() {
    Fixture f;
    f.addTask("t", {{"VidNameArh", 0}, {"NameArh", "Archive.7z"}, {"Bak", false}});
    for (unsigned r :
         {kWinExecOutOfResources, kWinExecFileNotFound, kWinExecPathNotFound, kWinExecBadFormat}) {
        f.launches.result = r;
        f.folder.write("out/Archive.7z", "previous archive");
        f.run();
        QCOMPARE(f.folder.read("out/Archive.7z"), QByteArray("previous archive"));
        QVERIFY(!QFile::exists(f.folder.file("out/Archive.BAK")));
    }
    // Beside a .BAK left by an unconfirmed run, the archive set aside comes back as well.
    f.folder.write("out/Archive.BAK", "good");
    f.run();
    QCOMPARE(f.folder.read("out/Archive.7z"), QByteArray("previous archive"));
    QCOMPARE(f.folder.read("out/Archive.BAK"), QByteArray("good"));
    QVERIFY(!QFile::exists(f.folder.file("out/Archive.unconfirmed.7z")));
}

void TestRunTask::launchFailuresAreReported() {
    Fixture f;
    f.addTask("t");
    f.texts.set(Form1Text::cm8, "not a program");
    for (unsigned r : {0u, 2u, 3u, 11u, 33u, 5u, 32u}) {
        f.launches.result = r;
        f.run();
    }
    QCOMPARE(f.boxes.texts(),
             (QStringList{"Файл архиватора не найден!", "Файл архиватора не найден!",
                          "Путь к архиватору не найден!", "not a program"}));
    for (const auto& box : f.boxes.shown) {
        QCOMPARE(box.buttons, MbButtons::Ok);
    }
}

void TestRunTask::unrunnableArchiverIsReportedAndRecorded() {
    Fixture f;
    f.folder.write("notaprogram", "text");
    f.addTask("t", {{"NameArhivator1", f.folder.file("notaprogram") + " a"}});
    f.clock.advance(60'000);
    {
        ScopedWinExecHook real({});  // the real launch
        RunTask(f.tasks, f.context(), false);
    }
    QCOMPARE(f.boxes.texts(), QStringList{f.texts.text(Form1Text::cm8)});
    QCOMPARE(f.tasks.asDateTime("WorkTime"), at(2025, 12, 8, 14, 6));

    // An empty archive command fails as "file not found".
    f.tasks.edit();
    f.tasks.setString("NameArhivator1", "");
    f.tasks.post();
    {
        ScopedWinExecHook real({});
        RunTask(f.tasks, f.context(), false);
    }
    QCOMPARE(f.boxes.texts().last(), f.texts.text(Form1Text::cm2));
}

// No command line can carry a program path with a double quote: the user is told so, not that
// the archiver file is missing.
void TestRunTask::quoteInArchiverPathIsNamed() {
    Fixture f;
    f.folder.write("odd\"dir/pack", "#!/bin/sh\n");
    QFile::setPermissions(f.folder.file("odd\"dir/pack"), QFile::ReadOwner | QFile::ExeOwner);
    f.addTask("t", {{"NameArhivator1", f.folder.file("odd\"dir/pack") + " a"}});
    ScopedWinExecHook real({});
    RunTask(f.tasks, f.context(), false);
    QCOMPARE(f.boxes.texts(), QStringList{f.texts.text(Form1Text::cm9)});
}

void TestRunTask::quoteInArchivePathIsRefused() {
    Fixture f;
    f.addTask("q", {{"VidNameArh", 0}, {"NameArh", "a\" -p\"secret.7z"}, {"Bak", false}});
    f.folder.write("out/a\" -p\"secret.7z", "existing");
    f.folder.write("out/a\" -p\"secret.BAK", "existing backup");
    const auto before = test::snapshot(f.folder.path() + "out");
    QCOMPARE(f.run(), QString());  // nothing started
    QCOMPARE(test::snapshot(f.folder.path() + "out"), before);
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(f.boxes.shown[0].text.contains("«q»"));
    QVERIFY(f.boxes.shown[0].text.contains("a\" -p\"secret.7z"));
    QVERIFY(isZeroDateTime(f.tasks.asDateTime("WorkTime")));  // no run happened

    // The same for a quote in the destination folder.
    f.tasks.edit();
    f.tasks.setString("NameArh", "ok.7z");
    f.tasks.setString("Path2", "/x\"y/");
    f.tasks.post();
    QCOMPARE(f.run(), QString());
    QCOMPARE(f.boxes.shown.size(), 2);
}

void TestRunTask::refusedTickRunMovesTheNextRunOn() {
    Fixture f;
    f.addTask("q", {{"NameArh", "bad\".7z"},
                    {"VidPeriod", 3},
                    {"DayTime", naiveDateTime(QDate(1899, 12, 30), QTime(14, 0))},
                    {"SledTime", at(2025, 12, 8, 14, 0)}});
    f.run(true);
    QVERIFY(f.launches.lines.isEmpty());
    QCOMPARE(f.tasks.asDateTime("SledTime"), at(2025, 12, 9, 14, 0));
}

void TestRunTask::programFolderWithBlanksAndQuotes() {
    Fixture f;
    f.addTask("t", {{"Path2", "/b/"}, {"VidNameArh", 0}});
    setProgramFolder("/home/me/My Backups/");
    const QString line = f.run();
    QCOMPARE(line, QStringLiteral("/opt/Archiver/pack a -ep3 \"/b/docs.rar\" "
                                  "\"@/home/me/My Backups/Lists/48213.txt\""));
    QCOMPARE(splitArguments(line).mid(3),
             (QStringList{"/b/docs.rar", "@/home/me/My Backups/Lists/48213.txt"}));

    setProgramFolder("/home/me/say \"hi\"/");
    QCOMPARE(f.run(), QString());
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(f.boxes.shown[0].text.contains("/home/me/say \"hi\"/Lists/48213.txt"));
    QVERIFY(f.boxes.shown[0].text.contains("Перенесите программу"));
    setProgramFolder(f.folder.path());
}

void TestRunTask::cursorStaysOnTheTask() {
    Fixture f;
    f.addTask("first");
    f.addTask("second", {{"NameArhivator1", "/second a"}});
    f.addTask("third");
    f.tasks.first();
    f.tasks.next();
    QVERIFY(f.run().startsWith("/second a"));
    QCOMPARE(f.tasks.asString("Name"), QStringLiteral("second"));
}

QTEST_GUILESS_MAIN(TestRunTask)
#include "tst_runtask.moc"
