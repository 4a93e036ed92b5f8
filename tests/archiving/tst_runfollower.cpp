#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
#include "platform/clock.h"
#include "platform/error.h"
#include "support/fakedbus.h"
#include "support/manualclock.h"
#include "support/recordingobserver.h"
#include "support/scriptedmessageboxes.h"
#include "support/sevenzip.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

using test::k7zz;
using test::RecordingObserver;

struct Fixture {
    test::TempProgramFolder folder;
    int ended = 0;

    // A backup run of task `name` that keeps no .BAK, into out/<name>.7z; the rotation has
    // left the archive before at out/<name>.BAK.
    RunFacts facts(const QString& name) {
        folder.write("out/" + name + ".BAK", "the archive before");
        RunFacts f;
        f.taskName = name;
        f.archivePath = folder.file("out/" + name + ".7z");
        f.backupPath = folder.file("out/" + name + ".BAK");
        f.keepBackup = false;
        return f;
    }

    // The command line of 7-Zip for the run, with a list file naming `files` of the folder.
    QString commandLine(const RunFacts& f, const QStringList& files, const QString& switches) {
        QByteArray list;
        for (const QString& file : files) {
            list += (folder.file(file) + "\r\n").toUtf8();
        }
        folder.write("Lists/" + f.taskName + ".txt", list);
        return k7zz + " a " + switches + " \"" + f.archivePath + "\" @" +
               folder.file("Lists/" + f.taskName + ".txt");
    }

    void start7zip(const RunFacts& f, const QStringList& files, const QString& switches = {}) {
        const ProgramEndHandler follow = followRun(f);
        QVERIFY(WinExec(commandLine(f, files, switches), kSwShow, [this, follow](auto& end) {
                    follow(end);
                    ++ended;
                }) > 31);
    }

    QString log() const { return QString::fromUtf8(folder.read("runs.log")); }

    // The fields of the task's line in runs.log.
    QStringList entry(const QString& task) const {
        for (const QString& line : log().split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() == 7 && fields[3] == task) {
                return fields;
            }
        }
        return {};
    }
};

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

}  // namespace

class TestRunFollower : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void twoRunsAtOnceDecideTheirOwnBackup();
    void skippedFileStillReplacesBackupAndNotifies();
    void signalOrMissingArchiveKeepsBackup();
    void archiveNamedBakIsNotItsOwnBackup();
    void restoreIsLoggedAsRestore();
    void logMovesAsideBeforeItPassesOneMiB();
    void logIsOnlyARegularFileOfItsOwn();
    void programEndingFirstLeavesArchiverAndBackup();

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

void TestRunFollower::twoRunsAtOnceDecideTheirOwnBackup() {
    Fixture f;
    RecordingObserver observer;
    f.folder.write("data/a.txt", "a");
    const RunFacts good = f.facts("good");
    const RunFacts bad = f.facts("bad");
    f.start7zip(good, {"data/a.txt"});
    f.start7zip(bad, {"data/a.txt"}, "-IOFF");  // 7-Zip knows no such switch
    QCOMPARE(programsRunning(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.ended, 2, 60000);

    QVERIFY(!QFile::exists(good.backupPath));
    QCOMPARE(f.entry("good").mid(4),
             (QStringList{good.archivePath, "exit 0", sizeOf(good.archivePath)}));

    QCOMPARE(f.folder.read("out/bad.BAK"), QByteArray("the archive before"));
    QCOMPARE(f.entry("bad").mid(4), (QStringList{bad.archivePath, "exit 7", "-"}));
    QVERIFY(f.log().contains(QRegularExpression("\n    \\| Command Line Error")));
    const MainWindowTexts& t = observer.texts;
    QCOMPARE(observer.failures,
             QStringList{t.text(Form1Text::cm10) + " | " +
                         t.text(Form1Text::cm12).arg("bad", t.text(Form1Text::cm15))});
    QCOMPARE(observer.powerOffs, 0);
}

void TestRunFollower::skippedFileStillReplacesBackupAndNotifies() {
    Fixture f;
    RecordingObserver observer;
    f.folder.write("data/a.txt", "a");
    const RunFacts run = f.facts("docs");
    f.start7zip(run, {"data/a.txt", "data/gone.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(f.ended, 1, 60000);

    QVERIFY(!QFile::exists(run.backupPath));
    QCOMPARE(f.entry("docs").mid(5), (QStringList{"exit 1", sizeOf(run.archivePath)}));
    QVERIFY(f.log().contains(QRegularExpression("\n    \\| .*gone.txt")));
    QCOMPARE(observer.failures.size(), 1);
    QVERIFY(observer.failures[0].contains(observer.texts.text(Form1Text::cm13)));
}

void TestRunFollower::signalOrMissingArchiveKeepsBackup() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return kWinExecStarted; });
    const RunFacts none = f.facts("none");
    const RunFacts killed = f.facts("killed");
    f.folder.write("out/killed.7z", "partial");
    WinExec("a", kSwShow, followRun(none));
    WinExec("b", kSwShow, followRun(killed));
    hook.endLaunch(ProgramEnd{});  // status 0, but no archive
    ProgramEnd signalled;
    signalled.signalled = true;
    signalled.code = SIGKILL;
    hook.endLaunch(signalled);

    QCOMPARE(f.folder.read("out/none.BAK"), QByteArray("the archive before"));
    QCOMPARE(f.folder.read("out/killed.BAK"), QByteArray("the archive before"));
    QCOMPARE(f.entry("none").mid(5), (QStringList{"exit 0", "-"}));
    QCOMPARE(f.entry("killed").mid(5), (QStringList{"signal 9", "7"}));
    const MainWindowTexts& t = observer.texts;
    QCOMPARE(
        observer.failures,
        (QStringList{
            t.text(Form1Text::cm10) + " | " +
                t.text(Form1Text::cm12).arg("none", t.text(Form1Text::cm20).arg(none.archivePath)),
            t.text(Form1Text::cm10) + " | " +
                t.text(Form1Text::cm12).arg("killed", t.text(Form1Text::cm19).arg(SIGKILL))}));
}

void TestRunFollower::archiveNamedBakIsNotItsOwnBackup() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return kWinExecStarted; });
    RunFacts run;
    run.taskName = "bak";
    run.archivePath = run.backupPath = f.folder.file("out/docs.BAK");
    run.keepBackup = false;
    f.folder.write("out/docs.BAK", "the new archive");
    WinExec("x", kSwShow, followRun(run));
    hook.endLaunch(ProgramEnd{});
    QCOMPARE(f.folder.read("out/docs.BAK"), QByteArray("the new archive"));
}

void TestRunFollower::restoreIsLoggedAsRestore() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return kWinExecStarted; });
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
    QCOMPARE(observer.failures.size(), 1);
    QVERIFY(observer.failures[0].startsWith(observer.texts.text(Form1Text::cm11) + " | "));
    QVERIFY(QFile::exists(restore.archivePath));
}

void TestRunFollower::logMovesAsideBeforeItPassesOneMiB() {
    Fixture f;
    RecordingObserver observer;
    ScopedWinExecHook hook([](const QString&, int) { return kWinExecStarted; });
    const QByteArray nearlyFull(kRunLogLimit - 10, 'x');
    f.folder.write("runs.log", nearlyFull);
    f.folder.write("runs.log.1", "the oldest runs");
    const RunFacts run = f.facts("docs");
    f.folder.write("out/docs.7z", "archive");
    WinExec("x", kSwShow, followRun(run));
    hook.endLaunch(ProgramEnd{});

    QCOMPARE(f.folder.read("runs.log.1"), nearlyFull);
    QCOMPARE(f.log().count(u'\n'), 1);
    QCOMPARE(f.entry("docs").mid(5), (QStringList{"exit 0", "7"}));
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
    // Enough incompressible data to keep 7-Zip busy for a while after the program has ended.
    QByteArray noise(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    f.folder.write("data/noise.bin", noise);
    const RunFacts run = f.facts("probe");
    const QString line = f.commandLine(run, {"data/noise.bin"}, "-mx9 -mmt1");

    // Orphans of the stand-in come to this process, which can then see how the archiver ends.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    auto unset = qScopeGuard([] { ::prctl(PR_SET_CHILD_SUBREAPER, 0); });
    QProcess program;
    program.start(QCoreApplication::applicationDirPath() + "/run_probe",
                  {f.folder.path(), line, run.archivePath, run.backupPath});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);

    const pid_t archiver = processNaming(run.archivePath);
    QVERIFY2(archiver > 0, "the archiver did not outlive the program");
    int status = 0;
    QCOMPARE(::waitpid(archiver, &status, 0), archiver);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(QFileInfo(run.archivePath).size() > 0);
    QCOMPARE(f.folder.read("out/probe.BAK"), QByteArray("the archive before"));
    QVERIFY(!QFile::exists(f.folder.file("runs.log")));
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
    QTest::mouseClick(observer.countdown()->BitBtn1, Qt::LeftButton);
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
    ScopedWinExecHook hook([](const QString&, int) { return kWinExecStarted; });
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
