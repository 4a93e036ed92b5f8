#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

#include "archiving/restore.h"
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
#include "support/tablefolder.h"

using namespace kv;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi));
}

// A program folder with the tables, tasks.dbf open, the clock at 08 December 2025 14:05, scripted
// message boxes and a launcher that records the command lines and answers `result`.
struct Fixture {
    Fixture() { tasks.open(); }

    // A task that runs at once: the archiver "/opt/Archiver/pack a -ep3", destination in the
    // program folder, date in the name; `fields` overrides.
    void addTask(const QString& name, const test::Row& fields = {}) {
        test::appendRow(tasks, test::Row{
                                   {TaskField::Flag, true},
                                   {TaskField::Name, name},
                                   {TaskField::VidNameArh, 1},
                                   {TaskField::Bak, true},
                                   {TaskField::Path2, folder.path() + "out/"},
                                   {TaskField::NameArh, "docs.rar"},
                                   {TaskField::NameArhivator1, "/opt/Archiver/pack a -ep3"},
                                   {TaskField::VidPeriod, 0},
                                   {TaskField::List, "Lists/48213.txt"},
                               } + fields);
    }

    QString run(bool recompute = false, bool powerOff = false) {
        launches.lines.clear();
        RunTask(tasks, context(powerOff), recompute);
        return launches.lines.isEmpty() ? QString() : launches.lines.last();
    }

    test::TableFolder folder;
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
    void archiveChangesOnlyWhenARunIsConfirmed();
    void oneRunAtATimeWritesAnArchive();
    void powerOffOnlyAfterItsOwnRun();
    void failedLaunchTouchesNoArchive();
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
    f.addTask("docs", {{TaskField::Path2, "/backup/"}});
    setProgramFolder("/tools/backup/");
    const QString line = f.run();
    setProgramFolder(f.folder.path());
    QCOMPARE(line,
             QStringLiteral("/opt/Archiver/pack a -ep3 \"/backup/.docs 08_12_2025.partial.rar\" "
                            "@/tools/backup/Lists/48213.txt"));
    QVERIFY(f.boxes.shown.isEmpty());
    QCOMPARE(f.tasks.asDateTime(TaskField::WorkTime), at(2025, 12, 8, 14, 5));
    // What the archiver receives.
    QCOMPARE(splitArguments(line.mid(QStringLiteral("/opt/Archiver/pack").size())),
             (QStringList{"a", "-ep3", "/backup/.docs 08_12_2025.partial.rar",
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
    f.addTask("t", {{TaskField::VidNameArh, 2}});
    setDateSeparator(QStringLiteral("-"));
    setTimeSeparator(QStringLiteral("h"));
    QVERIFY(f.run().contains(QStringLiteral("docs 08_12_2025 14-05.partial.rar")));
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
    QTest::addColumn<QString>("partial");  // empty: not checked
    QTest::newRow("name only") << "Archive"
                               << "/B/" << 0 << "/B/Archive"
                               << "/B/Archive.BAK"
                               << "/B/.Archive.partial";
    QTest::newRow("date and time") << "docs.rar"
                                   << "/B/" << 2 << "/B/docs 08_12_2025 14-05.rar"
                                   << "/B/docs 08_12_2025 14-05.BAK"
                                   << "/B/.docs 08_12_2025 14-05.partial.rar";
    QTest::newRow("lone dot") << "docs."
                              << "/B/" << 1 << "/B/docs 08_12_2025"
                              << "/B/docs 08_12_2025.BAK" << QString();
    QTest::newRow("lone dot, no date") << "docs."
                                       << "/B/" << 0 << "/B/docs"
                                       << "/B/docs.BAK" << QString();
    QTest::newRow("sub folder with extension") << "sub/docs.rar"
                                               << "/B/" << 1 << "/B/docs 08_12_2025.rar"
                                               << "/B/docs 08_12_2025.BAK" << QString();
    QTest::newRow("sub folder without extension") << "sub/docs"
                                                  << "/B/" << 1 << "/B/sub/docs 08_12_2025"
                                                  << "/B/sub/docs 08_12_2025.BAK" << QString();
    QTest::newRow("dot in a folder") << "my.dir/docs"
                                     << "/B/" << 0 << "/B/my.dir/docs"
                                     << "/B/my.dir/docs.BAK" << QString();
    QTest::newRow("colon is an ordinary character") << "a:b.tar.gz"
                                                    << "/B/" << 0 << "/B/a:b.tar.gz"
                                                    << "/B/a:b.tar.BAK" << QString();
    QTest::newRow("relative folder") << "docs.rar"
                                     << "Arch/" << 0 << "~/Arch/docs.rar"
                                     << "~/Arch/docs.BAK" << QString();
    QTest::newRow("empty folder") << "docs.rar"
                                  << "" << 0 << "~/docs.rar"
                                  << "~/docs.BAK" << QString();
}

void TestRunTask::namesAndFolders() {
    QFETCH(QString, nameArh);
    QFETCH(QString, path2);
    QFETCH(int, vid);
    QFETCH(QString, archive);
    QFETCH(QString, backup);
    QFETCH(QString, partial);
    setProgramFolder("/prog/");
    const ArchivePaths p =
        archivePaths(nameArh, path2, archiveDatePart(vid, at(2025, 12, 8, 14, 5)));
    QCOMPARE(p.archive, archive.replace("~/", "/prog/"));
    QCOMPARE(p.backup, backup.replace("~/", "/prog/"));
    if (!partial.isEmpty()) {
        QCOMPARE(p.partial, partial);
        QVERIFY(isPartialArchiveName(QFileInfo(p.partial).fileName()));
        QVERIFY(!isPartialArchiveName(QFileInfo(p.archive).fileName()));
    }
}

// The archiver writes beside the archive. Only a confirmed end puts the new archive in place
// and settles the .BAK copy: a failure, or a run killed with this program, changes neither.
void TestRunTask::archiveChangesOnlyWhenARunIsConfirmed() {
    Fixture f;
    test::RecordingObserver observer;
    f.addTask(
        "t",
        {{TaskField::VidNameArh, 0}, {TaskField::NameArh, "Archive.7z"}, {TaskField::Bak, true}});
    ScopedWinExecHook& launches = f.launches.hook();
    const auto out = [&] { return test::snapshot(f.folder.path() + "out"); };
    using Files = QMap<QString, QByteArray>;
    f.folder.write("out/Archive.7z", "previous");
    f.folder.write("out/Archive.BAK", "older");

    ProgramEnd fatal;
    fatal.code = 2;
    f.run();
    f.folder.write("out/.Archive.partial.7z", "broken");
    launches.endLaunch(fatal);
    QCOMPARE(out(), (Files{{"Archive.7z", "previous"},
                           {"Archive.BAK", "older"},
                           {"Archive.unconfirmed.7z", "broken"}}));

    // What a killed run left is set aside before the next launch, never rotated.
    f.folder.write("out/.Archive.partial.7z", "cut off");
    f.run();
    QCOMPARE(out(), (Files{{"Archive.7z", "previous"},
                           {"Archive.BAK", "older"},
                           {"Archive.unconfirmed.7z", "cut off"}}));
    f.folder.write("out/.Archive.partial.7z", "new");
    launches.endLaunch(ProgramEnd{});
    QCOMPARE(out(), (Files{{"Archive.7z", "new"}, {"Archive.BAK", "previous"}}));

    f.tasks.edit();
    f.tasks.setBool(TaskField::Bak, false);
    f.tasks.post();
    f.run();
    f.folder.write("out/.Archive.partial.7z", "newer");
    launches.endLaunch(ProgramEnd{});
    QCOMPARE(out(), (Files{{"Archive.7z", "newer"}}));

    QCOMPARE(observer.told.size(), 1);  // the failure alone
}

// While an archiver writes an archive path, no other run starts on it: the user is told, the
// schedule's run waits for the next check. A partial archive is nothing to restore.
void TestRunTask::oneRunAtATimeWritesAnArchive() {
    Fixture f;
    f.addTask("first", {{TaskField::VidNameArh, 0}, {TaskField::NameArh, "docs.7z"}});
    f.addTask("same archive", {{TaskField::VidNameArh, 0},
                               {TaskField::NameArh, "docs.7z"},
                               {TaskField::Path2, "out/./"}});
    QDir().mkpath(f.folder.file("out"));
    ScopedWinExecHook& launches = f.launches.hook();
    f.tasks.first();
    RunContext byUser = f.context();
    byUser.byUser = true;
    RunTask(f.tasks, byUser, false);
    f.folder.write("out/.docs.partial.7z", "being written");

    const auto run = [&](const QString& task, const RunContext& context, bool recompute) {
        QVERIFY(f.tasks.locate(TaskField::Name, task));
        RunTask(f.tasks, context, recompute);
    };
    f.clock.advance(60'000);
    run("first", byUser, false);
    run("same archive", byUser, false);
    run("same archive", f.context(), true);
    QCOMPARE(launches.launchesWaiting(), 1);
    QCOMPARE(f.boxes.shown.size(), 2);
    QVERIFY(f.boxes.shown[1].text.contains("«same archive»"));
    QCOMPARE(f.boxes.shown[1].icon, MbIcon::Warning);
    QVERIFY(isZeroDateTime(f.tasks.asDateTime(TaskField::WorkTime)));
    QVERIFY(
        isZeroDateTime(f.tasks.asDateTime(TaskField::SledTime)));  // left due for the next check
    QVERIFY(currentTaskArchiveInUse(f.tasks));
    f.folder.write("out/docs.BAK", "copy");
    QCOMPARE(archiveEntries({f.folder.file("out/"), QString()}), QStringList{"docs.BAK"});
    QCOMPARE(f.folder.read("out/.docs.partial.7z"), QByteArray("being written"));

    launches.endLaunch(ProgramEnd{});
    QVERIFY(!currentTaskArchiveInUse(f.tasks));
    run("same archive", f.context(), true);
    QCOMPARE(launches.launchesWaiting(), 1);
    QCOMPARE(f.tasks.asDateTime(TaskField::WorkTime), f.clock.now());
}

void TestRunTask::powerOffOnlyAfterItsOwnRun() {
    Fixture f;
    test::RecordingObserver observer;
    f.addTask("t", {{TaskField::Path2, "/b/"}, {TaskField::VidNameArh, 0}});
    f.addTask(
        "u",
        {{TaskField::Path2, "/b/"}, {TaskField::VidNameArh, 0}, {TaskField::NameArh, "mail.rar"}});
    f.tasks.first();
    QCOMPARE(f.run(false, true), "/opt/Archiver/pack a -ep3 \"/b/.docs.partial.rar\" @" +
                                     f.folder.path() + "Lists/48213.txt");
    f.tasks.next();
    f.run(true);
    f.launches.hook().endLaunch(ProgramEnd{}, 1);
    QCOMPARE(observer.powerOffs, 0);
    f.launches.hook().endLaunch(ProgramEnd{});
    QCOMPARE(observer.powerOffs, 1);
}

// Nothing will write a new archive: the archives stay as they are and the path is free again.
void TestRunTask::failedLaunchTouchesNoArchive() {
    Fixture f;
    f.addTask(
        "t",
        {{TaskField::VidNameArh, 0}, {TaskField::NameArh, "Archive.7z"}, {TaskField::Bak, false}});
    f.folder.write("out/Archive.7z", "previous archive");
    f.folder.write("out/Archive.BAK", "good");
    const auto before = test::snapshot(f.folder.path() + "out");
    for (WinExecResult r : {WinExecResult::OutOfResources, WinExecResult::FileNotFound,
                            WinExecResult::PathNotFound, WinExecResult::BadFormat}) {
        f.launches.result = r;
        f.run();
        QCOMPARE(test::snapshot(f.folder.path() + "out"), before);
        QVERIFY(!currentTaskArchiveInUse(f.tasks));
    }
}

void TestRunTask::launchFailuresAreReported() {
    Fixture f;
    f.addTask("t");
    f.texts.set(Form1Text::cm8, "not a program");
    for (WinExecResult r :
         {WinExecResult::OutOfResources, WinExecResult::FileNotFound, WinExecResult::PathNotFound,
          WinExecResult::BadFormat, WinExecResult::Started}) {
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
    f.addTask("t", {{TaskField::NameArhivator1, f.folder.file("notaprogram") + " a"}});
    f.clock.advance(60'000);
    {
        ScopedWinExecHook real({});  // the real launch
        RunTask(f.tasks, f.context(), false);
    }
    QCOMPARE(f.boxes.texts(), QStringList{f.texts.text(Form1Text::cm8)});
    QCOMPARE(f.tasks.asDateTime(TaskField::WorkTime), at(2025, 12, 8, 14, 6));

    // An empty archive command fails as "file not found".
    f.tasks.edit();
    f.tasks.setString(TaskField::NameArhivator1, "");
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
    f.addTask("t", {{TaskField::NameArhivator1, f.folder.file("odd\"dir/pack") + " a"}});
    ScopedWinExecHook real({});
    RunTask(f.tasks, f.context(), false);
    QCOMPARE(f.boxes.texts(), QStringList{f.texts.text(Form1Text::cm9)});
}

void TestRunTask::quoteInArchivePathIsRefused() {
    Fixture f;
    f.addTask("q", {{TaskField::VidNameArh, 0},
                    {TaskField::NameArh, "a\" -p\"secret.7z"},
                    {TaskField::Bak, false}});
    f.folder.write("out/a\" -p\"secret.7z", "existing");
    f.folder.write("out/a\" -p\"secret.BAK", "existing backup");
    const auto before = test::snapshot(f.folder.path() + "out");
    QCOMPARE(f.run(), QString());  // nothing started
    QCOMPARE(test::snapshot(f.folder.path() + "out"), before);
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(f.boxes.shown[0].text.contains("«q»"));
    QVERIFY(f.boxes.shown[0].text.contains("a\" -p\"secret.7z"));
    QVERIFY(isZeroDateTime(f.tasks.asDateTime(TaskField::WorkTime)));  // no run happened

    // The same for a quote in the destination folder.
    f.tasks.edit();
    f.tasks.setString(TaskField::NameArh, "ok.7z");
    f.tasks.setString(TaskField::Path2, "/x\"y/");
    f.tasks.post();
    QCOMPARE(f.run(), QString());
    QCOMPARE(f.boxes.shown.size(), 2);
}

void TestRunTask::refusedTickRunMovesTheNextRunOn() {
    Fixture f;
    f.addTask("q", {{TaskField::NameArh, "bad\".7z"},
                    {TaskField::VidPeriod, 3},
                    {TaskField::DayTime, naiveDateTime(QDate(1899, 12, 30), QTime(14, 0))},
                    {TaskField::SledTime, at(2025, 12, 8, 14, 0)}});
    f.run(true);
    QVERIFY(f.launches.lines.isEmpty());
    QCOMPARE(f.tasks.asDateTime(TaskField::SledTime), at(2025, 12, 9, 14, 0));
}

void TestRunTask::programFolderWithBlanksAndQuotes() {
    Fixture f;
    f.addTask("t", {{TaskField::Path2, "/b/"}, {TaskField::VidNameArh, 0}});
    setProgramFolder("/home/me/My Backups/");
    const QString line = f.run();
    QCOMPARE(line, QStringLiteral("/opt/Archiver/pack a -ep3 \"/b/.docs.partial.rar\" "
                                  "\"@/home/me/My Backups/Lists/48213.txt\""));
    QCOMPARE(splitArguments(line).mid(3),
             (QStringList{"/b/.docs.partial.rar", "@/home/me/My Backups/Lists/48213.txt"}));

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
    f.addTask("second", {{TaskField::NameArhivator1, "/second a"}});
    f.addTask("third");
    f.tasks.first();
    f.tasks.next();
    QVERIFY(f.run().startsWith("/second a"));
    QCOMPARE(f.tasks.asString(TaskField::Name), QStringLiteral("second"));
}

QTEST_GUILESS_MAIN(TestRunTask)
#include "tst_runtask.moc"
