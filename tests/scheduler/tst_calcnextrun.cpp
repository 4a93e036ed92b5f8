// The next-run calculation on real task rows: periods, texts, the missed-run policy, the runs it
// starts and what a tick inside a run's error box may do meanwhile.
#include <QTest>

#include "platform/datetimetext.h"
#include "scheduler/clockwatch.h"
#include "schedulerfixture.h"
#include "store/layouts.h"

using namespace kv;
using namespace kv::test;

class CalcNextRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodsAndTexts() {
        SchedulerFixture f(dt(2025, 12, 8, 10, 14, 59, 250));
        f.scheduler.setStartingUp(false);
        f.addTask(QStringLiteral("demand"),
                  {{TaskField::VidPeriod, 0}, {TaskField::IsPropusk, true}});
        f.addTask(QStringLiteral("start"), {{TaskField::VidPeriod, 1}});
        f.addTask(QStringLiteral("hourly"), {{TaskField::VidPeriod, 2}, {TaskField::Minuta, 15}});
        f.addTask(QStringLiteral("daily"),
                  {{TaskField::VidPeriod, 3}, {TaskField::DayTime, timeOfDay(9)}});
        f.addTask(QStringLiteral("weekly"), {{TaskField::VidPeriod, 4},
                                             {TaskField::WeekDay, 1},
                                             {TaskField::WeekTime, timeOfDay(11)}});
        f.addTask(QStringLiteral("monthly"), {{TaskField::VidPeriod, 5},
                                              {TaskField::MonthDay, 31},
                                              {TaskField::LastDay, true},
                                              {TaskField::MonthTime, timeOfDay(0)}});
        f.addTask(QStringLiteral("odd"), {{TaskField::VidPeriod, 9}, {TaskField::IsPropusk, true}});
        const QDateTime oddBefore = f.field(QStringLiteral("odd"), kSled);

        f.tasks.first();
        while (!f.tasks.eof()) {
            f.scheduler.scheduleCurrentTask();
            f.tasks.next();
        }

        const QDateTime now = f.clock.now();
        QCOMPARE(f.field("demand", kSled), dt(2035, 12, 8, 10, 14, 59, 250));
        QCOMPARE(f.field("demand", kSledStr), QStringLiteral("Только ручной запуск"));
        QCOMPARE(f.field("demand", kPending), false);
        QCOMPARE(f.field("start", kSled), now.addMonths(120));
        QCOMPARE(f.field("start", kSledStr), QStringLiteral("При следующем запуске"));
        QCOMPARE(f.field("hourly", kSled), dt(2025, 12, 8, 10, 15, 0, 250));
        QCOMPARE(f.field("hourly", kSledStr), QStringLiteral("08.12.2025 10:15:00"));
        QCOMPARE(f.field("daily", kSled), dt(2025, 12, 9, 9, 0, 0, 250));
        QCOMPARE(f.field("weekly", kSled), dt(2025, 12, 8, 11, 0, 0, 250));
        // Midnight, whatever its milliseconds, shows as the date alone.
        QCOMPARE(f.field("monthly", kSled), dt(2025, 12, 31, 0, 0, 0, 250));
        QCOMPARE(f.field("monthly", kSledStr), QStringLiteral("31.12.2025"));
        // A period outside 0..5 only ends the pending check.
        QCOMPARE(f.field("odd", kSled), oddBefore);
        QCOMPARE(f.field("odd", kPending), false);
        QVERIFY(f.launched().isEmpty());  // nothing was due and the start-up pass is over
    }

    // The two fixed texts come from the main window's message texts, in the current language.
    void fixedTextsFollowTheLanguage() {
        SchedulerFixture f;
        f.texts.set(Form1Text::cf3, QStringLiteral("Manual start only"));
        f.addTask(QStringLiteral("demand"), {{TaskField::VidPeriod, 0}});
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(f.field("demand", kSledStr), QStringLiteral("Manual start only"));
    }

    void disabledOrPausedTaskIsLeftAlone() {
        for (const bool paused : {false, true}) {
            SchedulerFixture f;
            f.scheduler.setPaused(paused);
            const QDateTime past = f.clock.now().addDays(-3);
            f.addTask(QStringLiteral("t"), {{TaskField::Flag, paused},
                                            {TaskField::SledTime, past},
                                            {TaskField::SledTimeStr, QStringLiteral("old")},
                                            {TaskField::IsPropusk, true}});
            const QByteArray before = f.folder.read(QStringLiteral("tasks.dbf"));
            f.scheduler.scheduleCurrentTask();
            QCOMPARE(f.folder.read(QStringLiteral("tasks.dbf")), before);
            QVERIFY(f.launched().isEmpty());
            QCOMPARE(f.tasks.state(), Table::State::Browse);
        }
    }

    void emptyTableIsNoError() {
        SchedulerFixture f;
        f.scheduler.scheduleCurrentTask();
        QVERIFY(f.tasks.isEmpty());
    }

    // At the start-up pass, or with a check pending, a passed next run is made up (Propusk 0)
    // or skipped (Propusk 1); in both cases the task is scheduled from now.
    void missedRunPolicy_data() {
        QTest::addColumn<bool>("startingUp");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<int>("propusk");
        QTest::addColumn<qint64>("sledOffsetMs");  // SledTime - now
        QTest::addColumn<int>("runs");
        QTest::newRow("start-up, run at once") << true << false << 0 << -3600000LL << 1;
        QTest::newRow("start-up, wait") << true << false << 1 << -3600000LL << 0;
        QTest::newRow("pending, run at once") << false << true << 0 << -3600000LL << 1;
        QTest::newRow("pending, wait") << false << true << 1 << -3600000LL << 0;
        QTest::newRow("no check applies") << false << false << 0 << -3600000LL << 0;
        QTest::newRow("one millisecond late") << true << false << 0 << -1LL << 1;
        QTest::newRow("due this very millisecond") << true << false << 0 << 0LL << 0;
        QTest::newRow("not yet due") << true << false << 0 << 60000LL << 0;
    }
    void missedRunPolicy() {
        QFETCH(bool, startingUp);
        QFETCH(bool, pending);
        QFETCH(int, propusk);
        QFETCH(qint64, sledOffsetMs);
        QFETCH(int, runs);
        SchedulerFixture f(dt(2025, 12, 8, 12, 0));
        f.scheduler.setStartingUp(startingUp);
        f.addTask(QStringLiteral("t"), {{TaskField::SledTime, f.clock.now().addMSecs(sledOffsetMs)},
                                        {TaskField::Propusk, propusk},
                                        {TaskField::IsPropusk, pending}});
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(f.runsOf("t"), runs);
        QCOMPARE(f.field("t", kSled), dt(2025, 12, 9, 9, 0));
        QCOMPARE(f.field("t", kPending), false);
        QCOMPARE(!isZeroDateTime(f.field("t", TaskField::WorkTime)), runs == 1);
    }

    void neverWrittenNextRunCountsAsMissed() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("t"), {{TaskField::SledTime, zeroDateTime()}});
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(f.runsOf("t"), 1);
    }

    void atEveryStartRunsOnlyInTheStartUpPass() {
        SchedulerFixture f;
        f.addTask(QStringLiteral("t"), {{TaskField::VidPeriod, 1}});
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(f.runsOf("t"), 1);
        f.scheduler.setStartingUp(false);
        f.scheduler.scheduleCurrentTask();  // as after an edit
        QCOMPARE(f.runsOf("t"), 1);
    }

    // A made-up run finds its row complete on disk when its archiver starts: the next run's
    // text (in the separators that the run fixes, "." and ":") and the pending check ended.
    void madeUpRunIsStoredBeforeItsLaunch() {
        SchedulerFixture f(dt(2025, 12, 8, 12, 0));
        setDateSeparator(QStringLiteral("/"));
        setTimeSeparator(QStringLiteral("-"));
        f.scheduler.setStartingUp(false);
        f.addTask(QStringLiteral("t"),
                  {{TaskField::SledTime, f.clock.now().addDays(-1)}, {TaskField::IsPropusk, true}});
        QVariantList storedAtLaunch;
        ScopedWinExecHook launch([&](const QString&, int) {
            Table stored(kTasksFile);
            stored.open();
            storedAtLaunch << stored.asString(kSledStr) << stored.asBool(kPending);
            return WinExecResult::Started;
        });
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(storedAtLaunch, (QVariantList{QStringLiteral("09.12.2025 09:00:00"), false}));
    }

    // A missed run whose launch fails opens an error box; a tick that fires while the box is
    // open must not start the same task again, but starts other due tasks once.
    void tickInsideTheErrorBoxOfAMissedRun() {
        SchedulerFixture f(dt(2025, 12, 8, 12, 0));
        f.launches.result = WinExecResult::FileNotFound;
        f.addTask(QStringLiteral("A"), {{TaskField::SledTime, f.clock.now().addDays(-1)}});
        f.addTask(QStringLiteral("B"), {{TaskField::SledTime, f.clock.now().addSecs(-5)}});
        f.scheduler.setTickTimerInterval(1000);  // a command restarted the tick before the pass
        int nested = 0;
        f.boxes.answer([&](const MessageBoxRequest&) {
            ++nested;
            f.clock.advance(1500);
            f.scheduler.tick();
            return MbResult::Ok;
        });
        f.select(QStringLiteral("A"));
        f.scheduler.scheduleCurrentTask();
        QCOMPARE(nested, 1);
        QCOMPARE(f.launched(), (QStringList{"A", "B"}));
        QCOMPARE(currentTaskName(f.tasks), QStringLiteral("A"));
        QCOMPARE(f.field("A", kSled), dt(2025, 12, 9, 9, 0));
        QCOMPARE(f.field("A", kSledStr), QStringLiteral("09.12.2025 09:00:00"));
        QCOMPARE(f.field("A", kPending), false);
        QCOMPARE(f.tasks.state(), Table::State::Browse);
    }
};

QTEST_GUILESS_MAIN(CalcNextRunTest)
#include "tst_calcnextrun.moc"
