#include "scheduler/nextrunrules.h"

#include <algorithm>

#include "platform/clock.h"

namespace kv::nextrun {
namespace {

// `date` at the hours, minutes and seconds of `at` and the milliseconds of `now`.
QDateTime at(QDate date, QTime at, const QDateTime& now) {
    return naiveDateTime(date, QTime(at.hour(), at.minute(), at.second(), now.time().msec()));
}

// A never-written time field reads as an invalid QTime on some paths; it means midnight.
QTime timeOfDay(QTime t) {
    return t.isValid() ? t : QTime(0, 0);
}

}  // namespace

QDateTime hourly(const QDateTime& now, int minute) {
    minute = std::clamp(minute, 0, 59);
    const QTime t = now.time();
    QDateTime c = naiveDateTime(now.date(), QTime(t.hour(), minute, 0, t.msec()));
    if (t.minute() >= minute) {
        c = c.addSecs(3600);
    }
    return c;
}

QDateTime daily(const QDateTime& now, QTime time) {
    QDateTime c = at(now.date(), timeOfDay(time), now);
    if (c <= now) {
        c = c.addDays(1);
    }
    return c;
}

QDateTime weekly(const QDateTime& now, int weekDay, QTime time) {
    const int day = ((weekDay - 1) % 7 + 7) % 7 + 1;
    QDateTime c = at(now.date().addDays(day - weekdayNumber(now)), timeOfDay(time), now);
    if (c <= now) {
        c = c.addDays(7);
    }
    return c;
}

QDateTime monthly(const QDateTime& now, int monthDay, bool lastDay, QTime time) {
    monthDay = std::clamp(monthDay, 1, 31);
    const QDate today = now.date();
    QDate first(today.year(), today.month(), 1);
    QDateTime c;
    if (monthDay <= first.daysInMonth()) {
        c = at(first.addDays(monthDay - 1), timeOfDay(time), now);
    } else if (lastDay) {
        c = at(first.addDays(first.daysInMonth() - 1), timeOfDay(time), now);
    } else {
        // The day does not exist this month: the first later month that has it. Every day up
        // to 31 recurs within two months, so this ends at once.
        do {
            first = first.addMonths(1);
        } while (monthDay > first.daysInMonth());
        return at(first.addDays(monthDay - 1), timeOfDay(time), now);
    }
    if (c <= now) {
        c = c.addMonths(1);
    }
    return c;
}

QDateTime tenYearsAfter(const QDateTime& now) {
    return now.addMonths(120);
}

int weekdayNumber(const QDateTime& moment) {
    return moment.date().dayOfWeek();  // Qt counts 1 Monday .. 7 Sunday as well
}

bool earlierThan(const QDateTime& moment, const QDateTime& now) {
    if (!moment.isValid()) {
        return true;  // no moment at all: long past
    }
    return moment.msecsTo(now) >= 1;
}

}  // namespace kv::nextrun
