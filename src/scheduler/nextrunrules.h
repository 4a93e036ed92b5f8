#pragma once

#include <QDateTime>
#include <QTime>

namespace kv {

// The date rules of the next-run calculation, free of any table. All moments are naive local
// date-times (platform/clock.h): adding a day adds 24 hours of wall time and no daylight-saving
// rule moves them.
//
// Each rule takes the moment `now` and returns the next moment of its period that is later than
// `now`. The candidate keeps the milliseconds of `now`; of the stored times of day only hours,
// minutes and seconds count.
namespace nextrun {

// Hourly at minute `minute` of the hour (0..59; a stored value outside is taken as the nearest
// of 0 and 59).
QDateTime hourly(const QDateTime& now, int minute);

// Daily at the time of day `at`.
QDateTime daily(const QDateTime& now, QTime at);

// Weekly on `weekDay` (1 Monday .. 7 Sunday) at `at`; the week runs Monday to Sunday. A weekday
// outside 1..7 counts modulo 7, so 0 is Sunday, 8 Monday, -1 Saturday: the day the weekday
// arithmetic lands on anyway, with the week added whenever that day has already passed.
QDateTime weekly(const QDateTime& now, int weekDay, QTime at);

// Monthly on day `monthDay` at `at`. With `lastDay`, a day that now's month lacks becomes the
// month's last day. Without it, the run goes to the first later month that has the day (31 on
// 10 April gives 31 May). A candidate that is not later than now moves one calendar month on,
// reduced to the last day of a shorter month (31 January gives 28 or 29 February). A stored day
// outside 1..31 is taken as the nearest of 1 and 31.
QDateTime monthly(const QDateTime& now, int monthDay, bool lastDay, QTime at);

// 120 calendar months after `now`: 29 February becomes 28 February in a year without it.
QDateTime tenYearsAfter(const QDateTime& now);

// 1 Monday .. 7 Sunday.
int weekdayNumber(const QDateTime& moment);

// `moment` lies before `now` by at least one millisecond.
bool earlierThan(const QDateTime& moment, const QDateTime& now);

}  // namespace nextrun
}  // namespace kv
