#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "archiving/desktoprunobserver.h"
#include "archiving/poweroffcountdown.h"
#include "archiving/runfollower.h"
#include "archiving/runlog.h"
#include "archiving/runtask.h"
#include "archiving/runtexts.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/fakedbus.h"
#include "support/manualclock.h"
#include "support/recordingobserver.h"
#include "support/scriptedmessageboxes.h"
#include "support/sevenzip.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

using test::archiveEntries;
using test::k7zz;
using test::RecordingObserver;

struct Fixture {
    test::TableFolder folder;
    int ended = 0;

    // A backup run of task `name` into out/<name>.7z, where the archive of the run before lies,
    // and with `keepBackup` its .BAK copy too.
    RunFacts facts(const QString& name, bool keepBackup = false) {
        const ArchivePaths paths = archivePaths(name + ".7z", folder.path() + "out/", QString());
        folder.write("out/" + name + ".7z", "the archive before");
        if (keepBackup) {
            folder.write("out/" + name + ".BAK", "the older archive");
        }
        RunFacts f;
        f.taskName = name;
        f.archivePath = paths.archive;
        f.backupPath = paths.backup;
        f.unconfirmedPath = paths.unconfirmed;
        f.partialPath = paths.partial;
        f.keepBackup = keepBackup;
        return f;
    }

    // The list file of task `name`, naming `files` of the folder.
    QString listFile(const QString& name, const QStringList& files) {
        QByteArray list;
        for (const QString& file : files) {
            list += (folder.file(file) + "\r\n").toUtf8();
        }
        folder.write("Lists/" + name + ".txt", list);
        return folder.file("Lists/" + name + ".txt");
    }

    // The command line of 7-Zip for the run, writing its partial archive.
    QString commandLine(const RunFacts& f, const QStringList& files, const QString& switches) {
        return k7zz + " a " + switches + " \"" + f.partialPath + "\" @" +
               listFile(f.taskName, files);
    }

    void start7zip(const RunFacts& f, const QStringList& files, const QString& switches = {}) {
        const ProgramEndHandler follow = followRun(f);
        QCOMPARE(WinExec(commandLine(f, files, switches), kSwShow,
                         [this, follow](auto& end) {
                             follow(end);
                             ++ended;
                         }),
                 WinExecResult::Started);
    }

    // Runs 7-Zip for the run and waits for its end.
    void run7zip(const RunFacts& f, const QStringList& files) {
        const int before = ended;
        start7zip(f, files);
        QTRY_COMPARE_WITH_TIMEOUT(ended, before + 1, 60000);
    }

    // tasks.dbf with the one task `name` that archives `files` with 7-Zip into out/<name>.7z.
    void writeTask(const QString& name, bool keepBackup, const QStringList& files) {
        listFile(name, files);
        folder.addRow(kTasksFile, {{TaskField::Name, name},
                                   {TaskField::NameArh, name + ".7z"},
                                   {TaskField::Path2, "out/"},
                                   {TaskField::NameArhivator1, k7zz + " a -mx9 -mmt1"},
                                   {TaskField::List, "Lists/" + name + ".txt"},
                                   {TaskField::Bak, keepBackup}});
    }

    // Runs the task of tasks.dbf in this process and waits for its end.
    void runTask() {
        Table tasks(kTasksFile);
        tasks.open();
        const MainWindowTexts texts = mainWindowTexts();
        RunTask(tasks, {texts}, false);
        QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    }

    QString log() const { return QString::fromUtf8(folder.read("runs.log")); }

    // The fields of the task's line in runs.log.
    QStringList entry(const QString& task) const {
        for (const QString& line : log().split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            // The first seven fields; the result words after them are read back elsewhere.
            if (fields.size() >= 7 && fields[3] == task) {
                return fields.mid(0, 7);
            }
        }
        return {};
    }
};

// Incompressible data that keeps 7-Zip busy for a while.
QByteArray noise() {
    QByteArray bytes(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return bytes;
}

QString sizeOf(const QString& path) {
    return QString::number(QFileInfo(path).size());
}

// A process whose command line holds `text`, or 0.
pid_t processNaming(const QString& text) {
    const QByteArray wanted = text.toUtf8();
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = name.toInt(&number);
        QFile cmdline("/proc/" + name + "/cmdline");
        if (number && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(wanted)) {
            return pid;
        }
    }
    return 0;
}

// Waits for the end of each child of this process named `name`: the keepers of the archivers'
// output, orphans that came here as to their subreaper.
void reapOrphansNamed(const QByteArray& name) {
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (line.mid(open + 1, close - open - 1) == name && rest.size() > 1 &&
            rest[1].toInt() == ::getpid()) {
            ::waitpid(entry.toInt(), nullptr, 0);
        }
    }
}

}  // namespace

class TestRunFollower : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void twoRunsAtOnceDecideTheirOwnArchives();
    void successIsToldOnlyToTheUserWhoStartedTheRun();
    void onlyStatusZeroWithFilesConfirms();
    void signalOrMissingArchiveChangesNothing();
    void archiveNamedBakIsNotItsOwnBackup();
    void restoreIsLoggedAsRestore();
    void logMovesAsideBeforeItPassesOneMiB();
    void logTroubleIsToldOncePerSpell();
    void logIsOnlyARegularFileOfItsOwn();
    void programEndingFirstLeavesArchiverAndBackup();
    void killedWithItsArchiverTheBackupStaysGood();
    void noticeNobodyTakesIsShownInTheWindow();

    void powerOffRunNotifiesThenCountsDownToLogind();
    void cancelOrRefusalLeavesComputerOn();
    void powerOffWaitsForArchiversStillRunning();

private:
    std::unique_ptr<test::PrivateBus> bus_;
};

void TestRunFollower::initTestCase() {
    QVERIFY2(QFileInfo(k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    bus_ = std::make_unique<test::PrivateBus>();
    QVERIFY2(!bus_->address().isEmpty(), "dbus-daemon (Debian package dbus-daemon) is needed");
    // Notifications and the power-off go to fakes on this bus, never to the machine's.
    bus_->standInForSessionAndSystemBus();
}

void TestRunFollower::twoRunsAtOnceDecideTheirOwnArchives() {
    Fixture f;
    RecordingObserver observer;
    f.folder.write("data/a.txt", "a");
    const RunFacts good = f.facts("good");
    const RunFacts bad = f.facts("bad");
    f.start7zip(good, {"data/a.txt"});
    f.start7zip(bad, {"data/a.txt"}, "-IOFF");  // 7-Zip knows no such switch
    QCOMPARE(programsRunning(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.ended, 2, 60000);

    QCOMPARE(archiveEntries(good.archivePath), QStringList{"a.txt"});
    QCOMPARE(f.entry("good").mid(4),
             (QStringList{good.archivePath, "exit 0", sizeOf(good.archivePath)}));

    QCOMPARE(f.folder.read("out/bad.7z"), QByteArray("the archive before"));
    QCOMPARE(f.entry("bad").mid(4), (QStringList{bad.archivePath, "exit 7", "-"}));
    QVERIFY(f.log().contains(QRegularExpression("\n    \\| Command Line Error")));
    const MainWindowTexts& t = observer.texts;
    QCOMPARE(observer.told,
             QStringList{t.text(Form1Text::cm10) + " | " +
                         t.text(Form1Text::cm12).arg("bad", t.text(Form1Text::cm15))});
    QCOMPARE(observer.powerOffs, 0);
    QCOMPARE(QDir(f.folder.file("out")).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"bad.7z", "good.7z"}));
}

// Every end reaches the observer as runs.log records it; a success is told when the user started
// the run, with the archive's size and the time taken, and kept quiet when the schedule did.
void TestRunFollower::successIsToldOnlyToTheUserWhoStartedTheRun() {
    Fixture f;
    RecordingObserver observer;
    test::ManualClock clock;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    RunFacts asked = f.facts("asked");
    asked.byUser = true;
    const RunFacts scheduled = f.facts("scheduled");
    for (const RunFacts& run : {asked, scheduled}) {
        f.folder.write("out/." + run.taskName + ".partial.7z", QByteArray(3000, 'x'));
        WinExec("a", kSwShow, followRun(run));
    }
    clock.advance(83'000);
    hook.endLaunch(ProgramEnd{});
    hook.endLaunch(ProgramEnd{});

    const MainWindowTexts& t = observer.texts;
    QCOMPARE(observer.announced,
             QStringList{t.text(Form1Text::cm65) + " | " +
                         t.text(Form1Text::cm66).arg("asked", scaledSizeText(3000, t), "1:23")});
    QVERIFY(observer.told.isEmpty());
    QCOMPARE(observer.ended.size(), 2);
    QCOMPARE(observer.ended[1].taskName, QString("scheduled"));
    QCOMPARE(observer.ended[1].outcome.result, RunResult::Confirmed);
    QCOMPARE(observer.ended[1].archiveSize, 3000);
}

// Status 1 is a warning, and an archive that holds no file (the source renamed away, or an
// empty folder mounted over it) a failure whatever the status: neither touches the archive or
// its .BAK copy, however often it happens.
void TestRunFollower::onlyStatusZeroWithFilesConfirms() {
    Fixture f;
    RecordingObserver observer;
    const MainWindowTexts& t = observer.texts;
    f.folder.write("data/src/a.txt", "a");
    const RunFacts run = f.facts("docs", true);
    const auto untouched = [&] {
        return f.folder.read("out/docs.7z") == "the archive before" &&
               f.folder.read("out/docs.BAK") == "the older archive";
    };

    f.run7zip(run, {"data/src/a.txt", "data/src/gone.txt"});
    QVERIFY(untouched());
    QCOMPARE(archiveEntries(run.unconfirmedPath), QStringList{"a.txt"});
    QCOMPARE(f.entry("docs").mid(5), (QStringList{"exit 1", sizeOf(run.unconfirmedPath)}));
    QVERIFY(f.log().contains(QRegularExpression("\n    \\| .*gone.txt")));
    QCOMPARE(observer.told.size(), 1);
    QVERIFY(observer.told[0].startsWith(t.text(Form1Text::cm31) + " | "));

    QVERIFY(QDir().rename(f.folder.file("data/src"), f.folder.file("data/moved")));
    for (int i = 0; i < 2; ++i) {
        f.run7zip(run, {"data/src"});
        QVERIFY(untouched());
    }
    const QString noFile = t.text(Form1Text::cm10) + " | " +
                           t.text(Form1Text::cm12).arg("docs", t.text(Form1Text::cm30));
    QCOMPARE(observer.told.mid(1), (QStringList{noFile, noFile}));
    QCOMPARE(archiveEntries(run.unconfirmedPath), QStringList{"a.txt"});
    QVERIFY(!QFile::exists(run.partialPath));

    QVERIFY(QDir().rename(f.folder.file("data/moved"), f.folder.file("data/src")));
    QDir().mkpath(f.folder.file("empty"));
    if (::mount(QFile::encodeName(f.folder.file("empty")).constData(),
                QFile::encodeName(f.folder.file("data/src")).constData(), nullptr, MS_BIND,
                nullptr) != 0) {
        QSKIP("an empty folder mounted over the source needs root (and mount rights)");
    }
    auto unmount = qScopeGuard(
        [&] { ::umount2(QFile::encodeName(f.folder.file("data/src")).constData(), MNT_DETACH); });
    f.run7zip(run, {"data/src"});
    QCOMPARE(f.log().split(u'\n').filter("\texit 0\t").size(), 1);
    QVERIFY(untouched());
    QCOMPARE(observer.told.last(), noFile);
}

void TestRunFollower::signalOrMissingArchiveChangesNothing() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    const RunFacts none = f.facts("none");
    const RunFacts killed = f.facts("killed");
    f.folder.write("out/.killed.partial.7z", "partial");
    WinExec("a", kSwShow, followRun(none));
    WinExec("b", kSwShow, followRun(killed));
    hook.endLaunch(ProgramEnd{});  // status 0, but no archive
    ProgramEnd signalled;
    signalled.signalled = true;
    signalled.code = SIGKILL;
    hook.endLaunch(signalled);

    QCOMPARE(f.folder.read("out/none.7z"), QByteArray("the archive before"));
    QCOMPARE(f.folder.read("out/killed.7z"), QByteArray("the archive before"));
    QCOMPARE(f.folder.read("out/killed.unconfirmed.7z"), QByteArray("partial"));
    QCOMPARE(f.entry("none").mid(5), (QStringList{"exit 0", "-"}));
    QCOMPARE(f.entry("killed").mid(5), (QStringList{"signal 9", "7"}));
    const MainWindowTexts& t = observer.texts;
    QCOMPARE(
        observer.told,
        (QStringList{
            t.text(Form1Text::cm10) + " | " +
                t.text(Form1Text::cm12).arg("none", t.text(Form1Text::cm20).arg(none.archivePath)),
            t.text(Form1Text::cm10) + " | " +
                t.text(Form1Text::cm12).arg("killed", t.text(Form1Text::cm19).arg(SIGKILL))}));
}

void TestRunFollower::archiveNamedBakIsNotItsOwnBackup() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    const ArchivePaths paths = archivePaths("docs.BAK", f.folder.path() + "out/", QString());
    RunFacts run;
    run.taskName = "bak";
    run.archivePath = paths.archive;
    run.backupPath = paths.backup;
    run.partialPath = paths.partial;
    f.folder.write("out/docs.BAK", "the archive before");
    f.folder.write("out/.docs.partial.BAK", "the new archive");
    WinExec("x", kSwShow, followRun(run));
    hook.endLaunch(ProgramEnd{});
    QCOMPARE(f.folder.read("out/docs.BAK"), QByteArray("the new archive"));
}

void TestRunFollower::restoreIsLoggedAsRestore() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    f.folder.write("out/docs.7z", "archive");
    RunFacts restore;
    restore.kind = RunKind::Restore;
    restore.taskName = "docs";
    restore.archivePath = f.folder.file("out/docs.7z");
    WinExec("x", kSwShow, followRun(restore));
    ProgramEnd fatal;
    fatal.code = 2;
    hook.endLaunch(fatal);

    QCOMPARE(f.entry("docs").mid(2),
             (QStringList{"restore", "docs", restore.archivePath, "exit 2", "7"}));
    QCOMPARE(observer.told.size(), 1);
    QVERIFY(observer.told[0].startsWith(observer.texts.text(Form1Text::cm11) + " | "));
    QVERIFY(QFile::exists(restore.archivePath));
}

void TestRunFollower::logMovesAsideBeforeItPassesOneMiB() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    const QByteArray nearlyFull(kRunLogLimit - 10, 'x');
    f.folder.write("runs.log", nearlyFull);
    f.folder.write("runs.log.1", "the oldest runs");
    const RunFacts run = f.facts("docs");
    f.folder.write("out/.docs.partial.7z", "archive");
    WinExec("x", kSwShow, followRun(run));
    hook.endLaunch(ProgramEnd{});

    QCOMPARE(f.folder.read("runs.log.1"), nearlyFull);
    QCOMPARE(f.log().count(u'\n'), 1);
    QCOMPARE(f.entry("docs").mid(5), (QStringList{"exit 0", "7"}));
}

// A run log that cannot be written (a folder in its place, or in the place of runs.log.1) is told
// once per spell, and stops neither the run's decisions nor the log itself where it can go on.
void TestRunFollower::logTroubleIsToldOncePerSpell() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    const MainWindowTexts& t = observer.texts;
    const auto runEnding = [&](const QString& name, int status) {
        const RunFacts run = f.facts(name);
        f.folder.write("out/." + name + ".partial.7z", "new");
        WinExec("x", kSwShow, followRun(run));
        ProgramEnd end;
        end.code = status;
        hook.endLaunch(end);
    };
    const QString logTrouble = t.text(Form1Text::cm33) + " | ";

    QVERIFY(QDir().mkpath(f.folder.file("runs.log/x")));
    runEnding("a", 0);
    runEnding("b", 2);
    QCOMPARE(f.folder.read("out/a.7z"), QByteArray("new"));
    QCOMPARE(observer.told.size(), 2);
    QVERIFY(observer.told[0].startsWith(logTrouble));
    QVERIFY(observer.told[0].contains(f.folder.file("runs.log")));
    QCOMPARE(observer.told[1], t.text(Form1Text::cm10) + " | " +
                                   t.text(Form1Text::cm34).arg("b", t.text(Form1Text::cm14)));

    QVERIFY(QDir(f.folder.file("runs.log")).removeRecursively());
    runEnding("c", 0);
    QCOMPARE(observer.told.size(), 2);

    f.folder.write("runs.log", QByteArray(kRunLogLimit - 10, 'x'));
    QVERIFY(QDir().mkpath(f.folder.file("runs.log.1/x")));
    runEnding("d", 0);
    runEnding("e", 0);
    QCOMPARE(observer.told.size(), 3);
    QVERIFY(observer.told[2].startsWith(logTrouble));
    QVERIFY(observer.told[2].contains(f.folder.file("runs.log.1")));
    QCOMPARE(f.entry("e").mid(5), (QStringList{"exit 0", "3"}));
}

// runs.log is never waited for nor reached through a link: a FIFO is refused at once, and the
// target of a link, present or missing, stays as it was.
void TestRunFollower::logIsOnlyARegularFileOfItsOwn() {
    test::TempProgramFolder folder;
    QTemporaryDir outside;
    const QString target = outside.filePath("target");
    const MainWindowTexts texts = mainWindowTexts();
    const auto append = [&] {
        try {
            appendRunLog(RunLogEntry{}, texts);
        } catch (const Error&) {
        }
    };
    QVERIFY(QFile::link(target, folder.file("runs.log")));
    append();
    QVERIFY(!QFileInfo::exists(target));
    QFile kept(target);
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
    kept.close();
    append();
    QCOMPARE(kept.size(), 4);

    QVERIFY(QFile::remove(folder.file("runs.log")));
    QCOMPARE(::mkfifo(QFile::encodeName(folder.file("runs.log")).constData(), 0600), 0);
    append();
}

void TestRunFollower::programEndingFirstLeavesArchiverAndBackup() {
    Fixture f;
    f.folder.write("data/noise.bin", noise());
    f.writeTask("probe", false, {"data/noise.bin"});
    const RunFacts run = f.facts("probe");

    // Orphans of the stand-in come to this process, which can then see how the archiver ends.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    auto unset = qScopeGuard([] { ::prctl(PR_SET_CHILD_SUBREAPER, 0); });
    QProcess program;
    program.start(QCoreApplication::applicationDirPath() + "/run_probe", {f.folder.path(), "exit"});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);

    const pid_t archiver = processNaming(run.partialPath);
    QVERIFY2(archiver > 0, "the archiver did not outlive the program");
    int status = 0;
    QCOMPARE(::waitpid(archiver, &status, 0), archiver);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    reapOrphansNamed("run_probe");
    QCOMPARE(archiveEntries(run.partialPath), QStringList{"noise.bin"});
    QCOMPARE(f.folder.read("out/probe.7z"), QByteArray("the archive before"));
    QVERIFY(!QFile::exists(f.folder.file("runs.log")));
}

// The program and its archiver killed together (a power loss): the next runs never take the
// cut-off archive for the previous one, and the .BAK copy stays the last good archive.
void TestRunFollower::killedWithItsArchiverTheBackupStaysGood() {
    Fixture f;
    f.folder.write("data/one.txt", "one");
    f.folder.write("data/noise.bin", noise());
    f.folder.write("data/two.txt", "two");
    f.writeTask("docs", true, {"data/one.txt"});
    const ArchivePaths paths = archivePaths("docs.7z", f.folder.path() + "out/", QString());
    QDir().mkpath(f.folder.file("out"));
    f.runTask();
    QCOMPARE(archiveEntries(paths.archive), QStringList{"one.txt"});

    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    auto unset = qScopeGuard([] { ::prctl(PR_SET_CHILD_SUBREAPER, 0); });
    f.listFile("docs", {"data/noise.bin"});
    QProcess program;
    program.start(QCoreApplication::applicationDirPath() + "/run_probe", {f.folder.path(), "stay"});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(paths.partial).size() > 0, 30000);
    const pid_t archiver = processNaming(paths.partial);
    QVERIFY(archiver > 0);
    ::kill(pid_t(program.processId()), SIGKILL);
    ::kill(archiver, SIGKILL);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(::waitpid(archiver, nullptr, 0), archiver);
    reapOrphansNamed("run_probe");

    QCOMPARE(archiveEntries(paths.archive), QStringList{"one.txt"});
    f.listFile("docs", {"data/two.txt"});
    f.runTask();
    QCOMPARE(archiveEntries(paths.archive), QStringList{"two.txt"});
    QCOMPARE(archiveEntries(paths.backup), QStringList{"one.txt"});
    QVERIFY(!QFile::exists(paths.unconfirmed) && !QFile::exists(paths.partial));
}

// With a session bus but no notification service and no tray, the window shows the notice in a
// box that blocks nothing; a later notice joins it.
void TestRunFollower::noticeNobodyTakesIsShownInTheWindow() {
    const MainWindowTexts texts = mainWindowTexts();
    QWidget window;
    DesktopRunObserver observer(
        &texts, [] { return nullptr; }, &window);
    observer.tell("first title", "first text");
    QTRY_VERIFY(observer.noticeBox());
    QMessageBox* box = observer.noticeBox();
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QCOMPARE(box->parentWidget(), &window);
    observer.tell("second title", "second text");
    QTRY_VERIFY(box->text().contains("second text"));
    QVERIFY(box->text().startsWith("first text"));
    QCOMPARE(observer.noticeBox(), box);
}

void TestRunFollower::powerOffRunNotifiesThenCountsDownToLogind() {
    Fixture f;
    test::ManualClock clock;
    test::FakeLogind logind(bus_->address());
    test::FakeNotifications notifications(bus_->address());
    QVERIFY(logind.registered() && notifications.registered());
    QCOMPARE(
        QDBusConnection::systemBus().interface()->serviceOwner("org.freedesktop.login1").value(),
        logind.uniqueName());
    const MainWindowTexts texts = mainWindowTexts();
    DesktopRunObserver observer(&texts, [] { return nullptr; });

    // A run that fails powers off all the same, once the failure is logged and told.
    f.folder.write("data/a.txt", "a");
    RunFacts run = f.facts("night");
    run.powerOff = true;
    f.start7zip(run, {"data/a.txt"}, "-IOFF");
    QTRY_VERIFY_WITH_TIMEOUT(observer.countdown(), 60000);
    QCOMPARE(f.entry("night").at(5), QString("exit 7"));
    QTRY_COMPARE(notifications.received.size(), 1);
    QCOMPARE(notifications.received[0].title, texts.text(Form1Text::cm10));
    QVERIFY(notifications.received[0].text.contains("«night»"));

    PowerOffCountdown* countdown = observer.countdown();
    clock.advance(59'000);
    countdown->tick();
    QCOMPARE(countdown->secondsLeft(), 1);
    QCoreApplication::processEvents();
    QVERIFY(logind.powerOffCalls.isEmpty());
    clock.advance(1'000);
    countdown->tick();
    QTRY_COMPARE(logind.powerOffCalls, QList<bool>{true});  // interactive
    QTRY_VERIFY(!observer.countdown());
}

void TestRunFollower::cancelOrRefusalLeavesComputerOn() {
    test::ManualClock clock;
    test::ScriptedMessageBoxes boxes;
    test::FakeLogind logind(bus_->address());
    QVERIFY(logind.registered());
    const MainWindowTexts texts = mainWindowTexts();
    DesktopRunObserver observer(&texts, [] { return nullptr; });

    powerOffWhenRunsEnd();  // as the end of a power-off run asks
    QVERIFY(observer.countdown());
    QTest::mouseClick(observer.countdown()->ui.BitBtn1, Qt::LeftButton);
    QTRY_VERIFY(!observer.countdown());
    clock.advance(60'000);
    QTest::qWait(50);
    QVERIFY(logind.powerOffCalls.isEmpty());

    logind.refusal = QStringLiteral("Interactive authentication required.");
    powerOffWhenRunsEnd();
    clock.advance(60'000);
    observer.countdown()->tick();
    QTRY_COMPARE(boxes.texts(), QStringList{texts.text(Form1Text::cm24).arg(logind.refusal)});
    QCOMPARE(logind.powerOffCalls.size(), 1);
}

void TestRunFollower::powerOffWaitsForArchiversStillRunning() {
    test::ManualClock clock;
    test::FakeLogind logind(bus_->address());
    QVERIFY(logind.registered());
    const MainWindowTexts texts = mainWindowTexts();
    DesktopRunObserver observer(&texts, [] { return nullptr; });
    test::TempProgramFolder folder;
    ScopedWinExecHook hook([](const QString&, int) { return WinExecResult::Started; });
    RunFacts other;
    other.taskName = "other";
    other.archivePath = folder.file("other.7z");
    folder.write("other.7z", "archive");

    WinExec("a", kSwShow, followRun(other));
    powerOffWhenRunsEnd();
    QVERIFY(!observer.countdown());
    hook.endLaunch(ProgramEnd{});
    QVERIFY(observer.countdown());

    // Started during the count: the power-off waits for its end and counts down again.
    WinExec("b", kSwShow, followRun(other));
    clock.advance(60'000);
    observer.countdown()->tick();
    QTRY_VERIFY(!observer.countdown());
    QTest::qWait(50);
    QVERIFY(logind.powerOffCalls.isEmpty());
    hook.endLaunch(ProgramEnd{});
    QVERIFY(observer.countdown());
    observer.countdown()->reject();
}

QTEST_MAIN(TestRunFollower)
#include "tst_runfollower.moc"
