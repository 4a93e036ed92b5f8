// The tick, the start-up pass, pause and resume, enabling single tasks, and catching up after
// a suspend or a jump of the wall clock.
#include <QDir>
#include <QTest>

#include "platform/datetimetext.h"
#include "scheduler/clockwatch.h"
#include "schedulerfixture.h"
#include "store/layouts.h"
#include "support/memoryfileio.h"

using namespace kv;
using namespace kv::test;

namespace {

// Drives the program's timers second by second on the settable clock: the one-second clock
// handler with its clock watch, and Timer1 when its interval has run out (timers count
// monotonic time, which a suspend or a clock change does not move).
class TimerDriver {
public:
    explicit TimerDriver(SchedulerFixture& f) : f_(f), lastTick_(f.clock.monotonicMs()) {
        watch_.jumped();  // primed, as the window's clock has been running
    }
    // Wall time jumps by `ms` (a suspend when positive, or a clock change); monotonic stays.
    void jump(qint64 ms) { f_.clock.setNow(f_.clock.now().addMSecs(ms)); }
    // One second passes; returns true when the tick ran.
    bool second() {
        f_.clock.advance(1000);
        if (f_.scheduler.catchUpAfterClockJump(watch_)) {
            lastTick_ = f_.clock.monotonicMs();
            return true;
        }
        const int interval = f_.scheduler.tickTimerInterval();
        if (interval != 0 && f_.clock.monotonicMs() - lastTick_ >= interval) {
            f_.scheduler.tick();
            lastTick_ = f_.clock.monotonicMs();
            return true;
        }
        return false;
    }
    void tickNow() {
        f_.scheduler.tick();
        lastTick_ = f_.clock.monotonicMs();
    }
    // Runs seconds until the wall clock reaches `until` or `maxSeconds` pass.
    void runUntil(const QDateTime& until, int maxSeconds = 4 * 3600) {
        for (int i = 0; i < maxSeconds && f_.clock.now() < until; ++i) {
            second();
        }
    }

private:
    SchedulerFixture& f_;
    ClockWatch watch_;
    qint64 lastTick_;
};

}  // namespace

class TickTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void intervalFollowsTheNearestEnabledTask_data() {
        QTest::addColumn<qint64>("enabledOffsetMs");  // SledTime - now of the enabled task
        QTest::addColumn<int>("interval");
        QTest::newRow("due in two hours") << 7200000LL << 5400000;
        // Started now: the next tick, a second later, measures its new next run.
        QTest::newRow("passed two hours ago") << -7200000LL << 1000;
        QTest::newRow("due in 1200 ms") << 1200LL << 1000;
        QTest::newRow("due this very millisecond") << 0LL << 1000;
        QTest::newRow("far away") << 30LL * 24 * 3600 * 1000 << 750000000;
    }
    void intervalFollowsTheNearestEnabledTask() {
        QFETCH(qint64, enabledOffsetMs);
        QFETCH(int, interval);
        SchedulerFixture f;
        // A disabled task due in a minute neither runs nor counts for the distance.
        f.addTask(QStringLiteral("off"),
                  {{TaskField::Flag, false}, {TaskField::SledTime, f.clock.now().addSecs(60)}});
        f.addTask(QStringLiteral("on"),
                  {{TaskField::SledTime, f.clock.now().addMSecs(enabledOffsetMs)}});
        f.scheduler.tick();
        QCOMPARE(f.scheduler.tickTimerInterval(), interval);
        QCOMPARE(f.runsOf("on"), enabledOffsetMs < 0 ? 1 : 0);
        QCOMPARE(f.runsOf("off"), 0);
    }

    void noRunnableTaskGivesTheLongestInterval() {
        SchedulerFixture f;
        f.scheduler.tick();
        QCOMPARE(f.scheduler.tickTimerInterval(), 750000000);
        f.addTask(QStringLiteral("off"),
                  {{TaskField::Flag, false}, {TaskField::SledTime, f.clock.now()}});
        // A period no calculation knows would never move on: such a task is never started.
        f.addTask(QStringLiteral("odd"),
                  {{TaskField::VidPeriod, 9}, {TaskField::SledTime, f.clock.now()}});
        f.clock.advance(1000);
        f.scheduler.tick();
        QCOMPARE(f.scheduler.tickTimerInterval(), 750000000);
        QVERIFY(f.launched().isEmpty());
    }

    // Due tasks all start in one tick, in table order, and get their next run; the next tick
    // comes a second later; the task that was current is current again.
    void dueTasksRunInTableOrder() {
        SchedulerFixture f(dt(2025, 12, 8, 9, 0, 0, 400));
        const QDateTime due = f.clock.now().addMSecs(-400);
        f.addTask(QStringLiteral("first"), {{TaskField::SledTime, due}});
        f.addTask(QStringLiteral("current"), {{TaskField::SledTime, f.clock.now().addSecs(3600)}});
        f.addTask(QStringLiteral("second"),
                  {{TaskField::SledTime, due}, {TaskField::VidPeriod, 2}, {TaskField::Minuta, 30}});
        f.select(QStringLiteral("current"));
        f.scheduler.tick();
        QCOMPARE(f.launched(), (QStringList{"first", "second"}));
        QCOMPARE(f.field("first", kSled), dt(2025, 12, 9, 9, 0, 0, 400));
        QCOMPARE(f.field("second", kSled), dt(2025, 12, 8, 9, 30, 0, 400));
        QVERIFY(!isZeroDateTime(f.field("first", TaskField::WorkTime)));
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
        QCOMPARE(currentTaskName(f.tasks), QStringLiteral("current"));
        QCOMPARE(f.tasks.state(), Table::State::Browse);
        f.clock.advance(1000);
        f.scheduler.tick();
        QCOMPARE(f.launched().size(), 2);
        QCOMPARE(f.scheduler.tickTimerInterval(), (30 * 60 * 1000 - 1000) / 4 * 3);
    }

    void tickRereadsTheTableAndTheMarks() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("a"));
        f.addTask(QStringLiteral("b"), {{TaskField::Flag, false}});
        f.marks.set(0, false);  // stale marks: the tick shows what is stored
        f.marks.set(1, true);
        f.scheduler.tick();
        QCOMPARE(f.marks.at(0), true);
        QCOMPARE(f.marks.at(1), false);
    }

    void pausedTickStartsNothingAndChangesNothing() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("t"), {{TaskField::SledTime, f.clock.now().addDays(-1)},
                                        {TaskField::SledTimeStr, QStringLiteral("old")},
                                        {TaskField::IsPropusk, true}});
        f.scheduler.setPaused(true);
        f.scheduler.setTickTimerInterval(1000);  // paused, ticking (a check mark was changed)
        const QByteArray before = f.folder.read(QStringLiteral("tasks.dbf"));
        f.scheduler.tick();
        QVERIFY(f.launched().isEmpty());
        QCOMPARE(f.folder.read(QStringLiteral("tasks.dbf")), before);
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
        // A tick that finds the tick stopped by the pause leaves it stopped.
        f.scheduler.setTickTimerInterval(0);
        f.scheduler.tick();
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
    }

    // A task enabled through its check mark (missed-run check pending) that the tick finds due
    // starts once for that due moment, not a second time from the calculation inside the run.
    void pendingCheckGivesOneRunPerDueMoment() {
        for (const bool startingUp : {false, true}) {
            SchedulerFixture f(dt(2025, 12, 8, 9, 0, 5));
            f.scheduler.setStartingUp(startingUp);
            f.addTask(QStringLiteral("t"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)},
                                            {TaskField::IsPropusk, true},
                                            {TaskField::Propusk, 0}});
            f.scheduler.tick();
            QCOMPARE(f.runsOf("t"), 1);
            QCOMPARE(f.field("t", kPending), false);
            QCOMPARE(f.field("t", kSled), dt(2025, 12, 9, 9, 0, 0));
        }
    }

    // While a run's launch-error box is open the tick fires again inside it. The nested tick
    // finds the running task already moved on, starts another due task once, and returns to the
    // running task; the outer tick then goes on without starting either again.
    void nestedTickInsideALaunchErrorBox() {
        SchedulerFixture f(dt(2025, 12, 8, 9, 0, 1));
        f.launches.result = WinExecResult::PathNotFound;
        f.addTask(QStringLiteral("A"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}});
        f.addTask(QStringLiteral("B"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0, 2)}});
        f.addTask(QStringLiteral("C"),
                  {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}, {TaskField::Flag, false}});
        QStringList currentInsideBox;
        f.boxes.answer([&](const MessageBoxRequest&) {
            f.clock.advance(2000);  // the user reads the box; B comes due
            f.scheduler.tick();
            currentInsideBox << currentTaskName(f.tasks);
            return MbResult::Ok;
        });
        f.scheduler.tick();
        QCOMPARE(f.launched(), (QStringList{"A", "B"}));
        QCOMPARE(currentInsideBox, QStringList{"A"});
        QCOMPARE(f.boxes.shown.size(), 2);  // one error box per failed launch
        QCOMPARE(f.field("A", kSled), dt(2025, 12, 9, 9, 0, 0));
        QCOMPARE(f.field("B", kSled), dt(2025, 12, 9, 9, 0, 0));
    }

    void startSchedulerWalksEveryTaskThenStartsTheTick() {
        for (const bool paused : {false, true}) {
            SchedulerFixture f(dt(2025, 12, 8, 12, 0));
            f.addTask(QStringLiteral("start1"), {{TaskField::VidPeriod, 1}});
            f.addTask(QStringLiteral("missed"), {{TaskField::SledTime, dt(2025, 12, 7, 9, 0)}});
            f.addTask(QStringLiteral("start2"), {{TaskField::VidPeriod, 1}});
            f.select(QStringLiteral("missed"));
            if (paused) {
                f.scheduler.setPaused(true);
            }
            f.scheduler.startupPass();
            QCOMPARE(f.launched(),
                     paused ? QStringList{} : (QStringList{"start1", "missed", "start2"}));
            QCOMPARE(f.scheduler.startingUp(), false);
            QCOMPARE(f.scheduler.tickTimerInterval(), paused ? 0 : 1000);
            QCOMPARE(currentTaskName(f.tasks), QStringLiteral("missed"));
            if (!paused) {
                QCOMPARE(f.field("start1", kSledStr), QStringLiteral("При следующем запуске"));
                QCOMPARE(f.field("missed", kSled), dt(2025, 12, 9, 9, 0));
            }
        }
    }

    // A failed table write ends only its task's calculation; the error is told once and the
    // pass always ends with the tick started, so that runs resume once the cause is gone.
    void startUpPassGoesOnAfterAFailedWrite() {
        SchedulerFixture f(dt(2025, 12, 8, 12, 0));
        const QDateTime missed = dt(2025, 12, 7, 9, 0);
        for (const char* name : {"a", "b"}) {
            f.addTask(QString::fromLatin1(name),
                      {{TaskField::SledTime, missed}, {TaskField::Propusk, 1}});
        }
        Table& t = f.tasks;
        t.close();
        auto io = std::make_shared<MemoryFileIo>();
        io->setFile(kTasksFile, f.folder.read(kTasksFile));
        t.setFileIo(io);
        t.open();
        io->failWrite(1);
        f.scheduler.startupPass();
        QCOMPARE(f.field("a", kSled), missed);
        QCOMPARE(f.field("b", kSled), dt(2025, 12, 8, 9, 0).addDays(1));
        QCOMPARE(f.boxes.shown.size(), 1);
        QVERIFY(!f.scheduler.startingUp());
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);

        // Every write fails (a journal that is a folder): still one box, the tick started.
        SchedulerFixture g(dt(2025, 12, 8, 12, 0));
        g.addTask(QStringLiteral("a"), {{TaskField::SledTime, missed}});
        g.addTask(QStringLiteral("b"), {{TaskField::SledTime, missed}});
        QVERIFY(QDir(g.folder.path()).mkdir(kTasksFile + QStringLiteral(".jnl")));
        // A resume whose marking fails still arms the pass that restarts the tick.
        g.scheduler.setPaused(true);
        QVERIFY_THROWS_EXCEPTION(Error, g.scheduler.setPaused(false));
        QVERIFY(g.scheduler.startupTimer().isActive());
        g.scheduler.startupPass();
        QCOMPARE(g.boxes.shown.size(), 1);
        QVERIFY(g.launched().isEmpty());  // no run without its record
        QCOMPARE(g.scheduler.tickTimerInterval(), 1000);
        QVERIFY(QDir(g.folder.path()).rmdir(kTasksFile + QStringLiteral(".jnl")));
        g.scheduler.tick();
        QCOMPARE(g.launched(), (QStringList{"a", "b"}));
    }

    // A run that cannot be recorded (a full disk) is told once, not at every tick that meets it
    // again; the tick goes on every second and runs the task as soon as the cause is gone.
    void failedWriteInATickIsToldOnce() {
        SchedulerFixture f(dt(2025, 12, 8, 9, 0, 1));
        f.addTask(QStringLiteral("a"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}});
        const QString journal = f.folder.file(kTasksFile + QStringLiteral(".jnl"));
        for (int day = 0; day < 2; ++day) {
            QVERIFY(QDir().mkdir(journal));
            for (int i = 0; i < 3; ++i) {
                f.scheduler.tick();
            }
            QCOMPARE(f.boxes.shown.size(), day + 1);
            QCOMPARE(f.runsOf(QStringLiteral("a")), day);
            QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
            QVERIFY(QDir().rmdir(journal));
            f.scheduler.tick();
            QCOMPARE(f.runsOf(QStringLiteral("a")), day + 1);
            f.launches.hook().endLaunch(ProgramEnd{});
            f.clock.setNow(f.clock.now().addDays(1));
        }
    }

    // A launch-error box lets the user pause; the tick asks the box again before each task.
    void pauseDuringATickStopsItsFurtherRuns() {
        SchedulerFixture f(dt(2025, 12, 8, 9, 0, 1));
        f.launches.result = WinExecResult::FileNotFound;
        f.addTask(QStringLiteral("A"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}});
        f.addTask(QStringLiteral("B"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}});
        f.boxes.answer([&](const MessageBoxRequest&) {
            f.scheduler.setPaused(true);
            return MbResult::Ok;
        });
        f.scheduler.tick();
        QCOMPARE(f.launched(), QStringList{"A"});
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
    }

    // Pausing stops the tick; resuming marks every task and starts Timer3, whose start-up pass
    // then makes up or skips what was missed and starts the tick again.
    void pauseAndResume() {
        SchedulerFixture f(dt(2025, 12, 8, 8, 0));
        f.scheduler.setStartingUp(false);
        f.addTask(QStringLiteral("makeUp"), {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}});
        f.addTask(QStringLiteral("skip"),
                  {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}, {TaskField::Propusk, 1}});
        f.addTask(QStringLiteral("off"),
                  {{TaskField::SledTime, dt(2025, 12, 8, 9, 0)}, {TaskField::Flag, false}});
        f.select(QStringLiteral("skip"));
        f.scheduler.setTickTimerInterval(1000);

        f.scheduler.setPaused(true);
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
        QVERIFY(f.scheduler.paused());

        f.clock.advance(2 * 3600 * 1000);  // 10:00: both enabled tasks passed during the pause
        f.scheduler.setPaused(false);
        QVERIFY(!f.scheduler.paused());
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);  // not restarted here
        QVERIFY(f.scheduler.startupTimer().isActive());
        QCOMPARE(f.scheduler.startupTimer().interval(), 3000);
        for (const char* t : {"makeUp", "skip", "off"}) {
            QVERIFY2(f.field(t, kPending), t);
        }
        QCOMPARE(currentTaskName(f.tasks), QStringLiteral("skip"));

        f.clock.advance(3000);
        f.scheduler.startupPass();  // what Timer3 does
        QCOMPARE(f.launched(), QStringList{"makeUp"});
        QCOMPARE(f.field("skip", kSled), dt(2025, 12, 9, 9, 0));
        QCOMPARE(f.field("skip", kPending), false);
        QCOMPARE(f.field("off", kPending), true);  // kept until its next calculation
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
        f.scheduler.tick();
        QCOMPARE(f.launched().size(), 1);
    }

    void trayItemTogglesThePause() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("t"));
        f.scheduler.setTickTimerInterval(5000);
        QCOMPARE(f.scheduler.togglePaused(), true);
        QVERIFY(f.scheduler.paused());
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
        QCOMPARE(f.scheduler.togglePaused(), false);
        QVERIFY(!f.scheduler.paused());
        QVERIFY(f.scheduler.startupTimer().isActive());
        QCOMPARE(f.field("t", kPending), true);
    }

    void checkMarkEnablesAndDisables() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("a"), {{TaskField::SledTime, f.clock.now().addDays(-1)},
                                        {TaskField::SledTimeStr, QStringLiteral("text")},
                                        {TaskField::IsPropusk, true}});
        f.addTask(QStringLiteral("b"), {{TaskField::Flag, false}});
        f.scheduler.setPaused(true);  // the tick starts even while paused

        f.marks.toggle(0);
        f.scheduler.toggleTaskEnabled(0);
        QCOMPARE(f.field("a", TaskField::Flag), false);
        QCOMPARE(f.field("a", kPending), false);
        QCOMPARE(f.field("a", kSledStr), QStringLiteral("text"));
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
        f.scheduler.setPaused(false);
        f.scheduler.tick();
        QVERIFY(f.launched().isEmpty());

        f.scheduler.setTickTimerInterval(0);
        f.marks.toggle(1);
        f.scheduler.toggleTaskEnabled(1);
        QCOMPARE(f.field("b", TaskField::Flag), true);
        QCOMPARE(f.field("b", kPending), true);
        QCOMPARE(currentTaskName(f.tasks), QStringLiteral("b"));
        QCOMPARE(f.scheduler.tickTimerInterval(), 1000);
    }

    void clicksThatChangeNothing() {
        SchedulerFixture f;
        f.scheduler.toggleTaskEnabled(0);  // empty list
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
        f.addTask(QStringLiteral("a"));
        const QByteArray before = f.folder.read(QStringLiteral("tasks.dbf"));
        f.scheduler.toggleTaskEnabled(0);  // mark equals Flag
        f.marks.toggle(0);
        f.scheduler.toggleTaskEnabled(5);  // no such row
        QCOMPARE(f.scheduler.tickTimerInterval(), 0);
        QCOMPARE(f.folder.read(QStringLiteral("tasks.dbf")), before);
    }

    void clockWatchSeesJumpsOnly() {
        ManualClock clock;
        ClockWatch watch;
        QVERIFY(!watch.jumped());  // priming
        clock.advance(1000);
        QVERIFY(!watch.jumped());
        clock.advance(60000);  // a late reading is no jump
        QVERIFY(!watch.jumped());
        clock.setNow(clock.now().addMSecs(900));  // slewing, jitter
        QVERIFY(!watch.jumped());
        clock.setNow(clock.now().addMSecs(1100));
        QVERIFY(watch.jumped());
        clock.setNow(clock.now().addSecs(-3600));
        QVERIFY(watch.jumped());
        QVERIFY(!watch.jumped());
    }

    // A task that came due while the machine slept starts right after the resume, not when the
    // interval set before the suspend runs out.
    void dueDuringSuspendStartsAtResume() {
        SchedulerFixture f(dt(2025, 12, 8, 10, 0));
        f.addTask(QStringLiteral("t"), {{TaskField::SledTime, dt(2025, 12, 8, 11, 0)}});
        TimerDriver d(f);
        d.tickNow();
        QCOMPARE(f.scheduler.tickTimerInterval(), 45 * 60 * 1000);
        d.runUntil(dt(2025, 12, 8, 10, 10));
        d.jump(2 * 3600 * 1000);  // asleep until 12:10
        QVERIFY(d.second());
        QCOMPARE(f.launches.times, QList<QDateTime>{dt(2025, 12, 8, 12, 10, 1)});
    }

    void noCatchUpWhileTheTickIsStopped() {
        SchedulerFixture f(dt(2025, 12, 8, 10, 0));
        f.addTask(QStringLiteral("t"), {{TaskField::SledTime, dt(2025, 12, 8, 11, 0)}});
        TimerDriver d(f);
        d.jump(2 * 3600 * 1000);
        QVERIFY(!d.second());
        QVERIFY(f.launched().isEmpty());
    }

    // 30 March 2025, 02:00 -> 03:00. A daily task at 02:30 runs once, as soon as the clock shows
    // a later time.
    void springForward() {
        SchedulerFixture f(dt(2025, 3, 30, 1, 50));
        f.scheduler.setStartingUp(false);
        f.addTask(QStringLiteral("t"), {{TaskField::DayTime, timeOfDay(2, 30)}});
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(f.field("t", kSled), dt(2025, 3, 30, 2, 30));
        TimerDriver d(f);
        d.tickNow();
        d.runUntil(dt(2025, 3, 30, 2, 0));
        d.jump(3600 * 1000);
        d.second();
        QCOMPARE(f.launches.times, QList<QDateTime>{dt(2025, 3, 30, 3, 0, 1)});
        d.runUntil(dt(2025, 3, 30, 6, 0));
        QCOMPARE(f.runsOf("t"), 1);
        QCOMPARE(f.field("t", kSled), dt(2025, 3, 31, 2, 30));
    }

    // 26 October 2025, 03:00 -> 02:00. The daily task at 02:30 runs once, not again when 02:30
    // comes round the second time.
    void fallBack() {
        SchedulerFixture f(dt(2025, 10, 26, 2, 10));
        f.scheduler.setStartingUp(false);
        f.addTask(QStringLiteral("t"), {{TaskField::DayTime, timeOfDay(2, 30)}});
        f.scheduler.scheduleCurrentTask();
        TimerDriver d(f);
        d.tickNow();
        d.runUntil(dt(2025, 10, 26, 3, 0));
        QCOMPARE(f.runsOf("t"), 1);
        QVERIFY(f.launches.times.first() <= dt(2025, 10, 26, 2, 30, 1));
        d.jump(-3600 * 1000);
        QVERIFY(d.second());  // the jump is noticed and the interval measured anew
        d.runUntil(dt(2025, 10, 26, 5, 0));
        QCOMPARE(f.runsOf("t"), 1);
        QCOMPARE(f.field("t", kSled), dt(2025, 10, 27, 2, 30));
    }
};

QTEST_GUILESS_MAIN(TickTest)
#include "tst_tick.moc"
