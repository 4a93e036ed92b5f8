// The date rules of the next-run calculation, without tables.
#include <QTest>

#include "platform/clock.h"
#include "scheduler/nextrunrules.h"

using namespace kv;

namespace {

QDateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

}  // namespace

class NextRunRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hourly_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("before the minute")
            << dt(2025, 12, 8, 10, 14, 59) << 15 << dt(2025, 12, 8, 10, 15, 0);
        QTest::newRow("at the minute")
            << dt(2025, 12, 8, 10, 15, 0) << 15 << dt(2025, 12, 8, 11, 15, 0);
        QTest::newRow("over midnight") << dt(2025, 12, 8, 23, 20) << 15 << dt(2025, 12, 9, 0, 15);
        QTest::newRow("over the year's end")
            << dt(2025, 12, 31, 23, 59, 30) << 0 << dt(2026, 1, 1, 0, 0);
        QTest::newRow("milliseconds of now kept")
            << dt(2025, 12, 8, 10, 0, 0, 250) << 30 << dt(2025, 12, 8, 10, 30, 0, 250);
        QTest::newRow("minute above 59 taken as 59")
            << dt(2025, 12, 8, 10, 0) << 75 << dt(2025, 12, 8, 10, 59);
        QTest::newRow("negative minute taken as 0")
            << dt(2025, 12, 8, 10, 5) << -3 << dt(2025, 12, 8, 11, 0);
    }
    void hourly() {
        QFETCH(QDateTime, now);
        QFETCH(int, minute);
        QFETCH(QDateTime, expected);
        QCOMPARE(nextrun::hourly(now, minute), expected);
    }

    void daily_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("dayTime");  // a stored time field: its date is ignored
        QTest::addColumn<QDateTime>("expected");
        const QDateTime nine = dt(1899, 12, 30, 9, 0);
        QTest::newRow("earlier today") << dt(2025, 12, 8, 8, 59) << nine << dt(2025, 12, 8, 9, 0);
        QTest::newRow("exactly at the time")
            << dt(2025, 12, 8, 9, 0) << nine << dt(2025, 12, 9, 9, 0);
        // The candidate takes now's milliseconds, so equal seconds count as not later.
        QTest::newRow("same second, later milliseconds")
            << dt(2025, 12, 8, 9, 0, 0, 700) << nine << dt(2025, 12, 9, 9, 0, 0, 700);
        QTest::newRow("date part and milliseconds of the field ignored")
            << dt(2025, 12, 8, 8, 0) << dt(2031, 5, 5, 9, 0, 0, 999) << dt(2025, 12, 8, 9, 0);
        QTest::newRow("never written: midnight")
            << dt(2025, 12, 8, 8, 0) << zeroDateTime() << dt(2025, 12, 9, 0, 0);
        QTest::newRow("end of February, leap year")
            << dt(2024, 2, 28, 23, 0) << nine << dt(2024, 2, 29, 9, 0);
        // Naive time: on the spring-forward day 02:30 is still 02:30 of that day.
        QTest::newRow("spring-forward day")
            << dt(2025, 3, 30, 1, 0) << dt(1899, 12, 30, 2, 30) << dt(2025, 3, 30, 2, 30);
    }
    void daily() {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, dayTime);
        QFETCH(QDateTime, expected);
        QCOMPARE(nextrun::daily(now, dayTime.time()), expected);
    }

    void weekly_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("weekDay");
        QTest::addColumn<QDateTime>("expected");
        // 8 December 2025 is a Monday, 14 December a Sunday.
        QTest::newRow("Monday before the time")
            << dt(2025, 12, 8, 9, 0) << 1 << dt(2025, 12, 8, 10, 0);
        QTest::newRow("Monday after the time")
            << dt(2025, 12, 8, 11, 0) << 1 << dt(2025, 12, 15, 10, 0);
        QTest::newRow("Sunday, for Monday")
            << dt(2025, 12, 14, 12, 0) << 1 << dt(2025, 12, 15, 10, 0);
        QTest::newRow("Wednesday, for Sunday")
            << dt(2025, 12, 10, 12, 0) << 7 << dt(2025, 12, 14, 10, 0);
        QTest::newRow("Monday exactly at the time")
            << dt(2025, 12, 8, 10, 0) << 1 << dt(2025, 12, 15, 10, 0);
        // Outside 1..7: modulo 7. On a Sunday after the time, 0 once gave today's passed time.
        QTest::newRow("0 is Sunday, Sunday after the time")
            << dt(2025, 12, 14, 11, 0) << 0 << dt(2025, 12, 21, 10, 0);
        QTest::newRow("0 is Sunday, Sunday before the time")
            << dt(2025, 12, 14, 9, 0) << 0 << dt(2025, 12, 14, 10, 0);
        QTest::newRow("8 is Monday") << dt(2025, 12, 10, 9, 0) << 8 << dt(2025, 12, 15, 10, 0);
        QTest::newRow("-1 is Saturday") << dt(2025, 12, 10, 9, 0) << -1 << dt(2025, 12, 13, 10, 0);
    }
    void weekly() {
        QFETCH(QDateTime, now);
        QFETCH(int, weekDay);
        QFETCH(QDateTime, expected);
        QCOMPARE(nextrun::weekly(now, weekDay, QTime(10, 0)), expected);
    }

    void monthly_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("monthDay");
        QTest::addColumn<bool>("lastDay");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("15 on 20 January")
            << dt(2025, 1, 20, 12) << 15 << false << dt(2025, 2, 15, 10);
        QTest::newRow("15 on 10 January")
            << dt(2025, 1, 10, 12) << 15 << false << dt(2025, 1, 15, 10);
        QTest::newRow("31, last day, 10 April")
            << dt(2025, 4, 10, 12) << 31 << true << dt(2025, 4, 30, 10);
        QTest::newRow("31, last day, 30 April after the time")
            << dt(2025, 4, 30, 11) << 31 << true << dt(2025, 5, 30, 10);
        QTest::newRow("31, last day, 30 May after the time")
            << dt(2025, 5, 30, 11) << 31 << true << dt(2025, 5, 31, 10);
        QTest::newRow("29, last day, February of a leap year")
            << dt(2024, 2, 3, 12) << 29 << true << dt(2024, 2, 29, 10);
        QTest::newRow("29, last day, February of a common year")
            << dt(2025, 2, 3, 12) << 29 << true << dt(2025, 2, 28, 10);
        QTest::newRow("31 on 31 January after the time")
            << dt(2025, 1, 31, 11) << 31 << false << dt(2025, 2, 28, 10);
        QTest::newRow("31 on 31 January after the time, leap year")
            << dt(2024, 1, 31, 11) << 31 << false << dt(2024, 2, 29, 10);
        // The day that the month lacks, without the last-day fallback: the next month with it.
        QTest::newRow("31 without last day, 10 April")
            << dt(2025, 4, 10, 12) << 31 << false << dt(2025, 5, 31, 10);
        QTest::newRow("30 without last day, February")
            << dt(2025, 2, 10, 12) << 30 << false << dt(2025, 3, 30, 10);
        QTest::newRow("31 without last day, 28 February after the run")
            << dt(2025, 2, 28, 11) << 31 << false << dt(2025, 3, 31, 10);
        QTest::newRow("31 without last day, over the year's end")
            << dt(2025, 12, 31, 11) << 31 << false << dt(2026, 1, 31, 10);
        QTest::newRow("day 0 taken as 1")
            << dt(2025, 4, 10, 12) << 0 << false << dt(2025, 5, 1, 10);
        QTest::newRow("day 45 taken as 31")
            << dt(2025, 4, 10, 12) << 45 << false << dt(2025, 5, 31, 10);
    }
    void monthly() {
        QFETCH(QDateTime, now);
        QFETCH(int, monthDay);
        QFETCH(bool, lastDay);
        QFETCH(QDateTime, expected);
        QCOMPARE(nextrun::monthly(now, monthDay, lastDay, QTime(10, 0)), expected);
    }

    // Whatever the stored values, every rule gives a moment later than now, so the tick never
    // sees a task it just computed as due again.
    void everyRuleIsLaterThanNow() {
        const QTime times[] = {QTime(0, 0), QTime(10, 0), QTime(23, 59, 59)};
        for (QDate d(2024, 1, 1); d < QDate(2025, 3, 1); d = d.addDays(1)) {
            for (QTime at : times) {
                for (int ms : {0, 999}) {
                    const QDateTime now =
                        naiveDateTime(d, QTime(at.hour(), at.minute(), at.second(), ms));
                    for (int m = -1; m <= 60; m += 7) {
                        QVERIFY(nextrun::hourly(now, m) > now);
                    }
                    for (QTime t : times) {
                        QVERIFY(nextrun::daily(now, t) > now);
                        for (int w = -8; w <= 15; ++w) {
                            QVERIFY2(nextrun::weekly(now, w, t) > now, qPrintable(now.toString()));
                        }
                        for (int day = -1; day <= 33; ++day) {
                            QVERIFY(nextrun::monthly(now, day, false, t) > now);
                            QVERIFY(nextrun::monthly(now, day, true, t) > now);
                        }
                    }
                }
            }
        }
    }

    void tenYears() {
        QCOMPARE(nextrun::tenYearsAfter(dt(2025, 12, 8, 9, 30, 15, 123)),
                 dt(2035, 12, 8, 9, 30, 15, 123));
        QCOMPARE(nextrun::tenYearsAfter(dt(2024, 2, 29, 12)), dt(2034, 2, 28, 12));
        QCOMPARE(nextrun::tenYearsAfter(dt(2020, 2, 29, 12)), dt(2030, 2, 28, 12));
    }

    void earlierThanNeedsAWholeMillisecond() {
        const QDateTime now = dt(2025, 12, 8, 9, 0, 0, 500);
        QVERIFY(!nextrun::earlierThan(now, now));
        QVERIFY(nextrun::earlierThan(now.addMSecs(-1), now));
        QVERIFY(!nextrun::earlierThan(now.addMSecs(1), now));
        QVERIFY(nextrun::earlierThan(zeroDateTime(), now));
    }
};

QTEST_GUILESS_MAIN(NextRunRulesTest)
#include "tst_nextrunrules.moc"
