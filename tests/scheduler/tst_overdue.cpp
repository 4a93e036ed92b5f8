#include <QTest>

#include "platform/clock.h"
#include "scheduler/overdue.h"

using namespace kv;

namespace {

QDateTime at(int month, int day, int hour, int msBefore = 0) {
    return naiveDateTime(QDate(2026, month, day), QTime(hour, 0)).addMSecs(-msBefore);
}

}  // namespace

class TestOverdue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoPeriodsWithoutAGoodBackup_data() {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("lastGood");  // invalid: none
        QTest::addColumn<QDateTime>("workTime");
        QTest::addColumn<QDateTime>("sledTime");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("overdue");
        const QDateTime zero = zeroDateTime();
        const QDateTime started = at(3, 10, 9);
        const QDateTime later = at(3, 11, 9);
        QTest::newRow("hourly, two hours")
            << 2 << at(3, 10, 10) << started << later << false << false;
        QTest::newRow("hourly, longer")
            << 2 << at(3, 10, 10, 1) << started << later << false << true;
        QTest::newRow("daily, two days") << 3 << at(3, 8, 12) << started << later << false << false;
        QTest::newRow("daily, longer") << 3 << at(3, 8, 12, 1) << started << later << false << true;
        QTest::newRow("weekly, two weeks")
            << 4 << at(2, 24, 12) << started << later << false << false;
        QTest::newRow("weekly, longer")
            << 4 << at(2, 24, 12, 1) << started << later << false << true;
        // Two calendar months, here 59 days.
        QTest::newRow("monthly, two months")
            << 5 << at(1, 10, 12) << started << later << false << false;
        QTest::newRow("monthly, longer")
            << 5 << at(1, 10, 12, 1) << started << later << false << true;
        QTest::newRow("on demand") << 0 << at(1, 1, 0) << started << later << false << false;
        QTest::newRow("at every start") << 1 << at(1, 1, 0) << started << later << false << false;
        QTest::newRow("never good, started")
            << 3 << QDateTime() << started << later << false << true;
        QTest::newRow("never good, not yet due")
            << 3 << QDateTime() << zero << later << false << false;
        QTest::newRow("never good, due") << 3 << QDateTime() << zero << started << false << true;
        QTest::newRow("never good, running")
            << 3 << QDateTime() << started << later << true << false;
        QTest::newRow("old, running") << 3 << at(3, 8, 12, 1) << started << later << true << true;
    }

    // The rule at 12:00 on 10 March, for an enabled task; a disabled one is never overdue.
    void twoPeriodsWithoutAGoodBackup() {
        QFETCH(int, period);
        QFETCH(QDateTime, lastGood);
        QFETCH(QDateTime, workTime);
        QFETCH(QDateTime, sledTime);
        QFETCH(bool, running);
        QFETCH(bool, overdue);
        OverdueFacts task{true, period, std::nullopt, workTime, sledTime, running};
        if (lastGood.isValid()) {
            task.lastGood = lastGood;
        }
        const QDateTime now = at(3, 10, 12);
        QCOMPARE(isOverdue(task, now), overdue);
        task.enabled = false;
        QVERIFY(!isOverdue(task, now));
    }
};

QTEST_GUILESS_MAIN(TestOverdue)
#include "tst_overdue.moc"
