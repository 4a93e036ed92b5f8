#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "platform/scopedvalue.h"

namespace kv {

// Date-time values inside the program are naive local wall-clock times with milliseconds, as the
// tables store them. They are carried in QDateTime marked Qt::UTC so that no time-zone or
// daylight-saving rule ever moves them: 02:30 on a spring-forward day stays 02:30, and adding a
// day always adds 24 hours of wall time. Never convert them to or from real UTC.
QDateTime naiveDateTime(QDate date, QTime time);

// 30 December 1899 00:00:00.000: the value of a date-time field that was never written.
QDateTime zeroDateTime();
bool isZeroDateTime(const QDateTime& value);

// The one source of "now". Tests put a clock of their own in place (ScopedClock).
class Clock {
public:
    virtual ~Clock() = default;
    // Local wall time, naive (see above).
    virtual QDateTime now() const = 0;
    // A clock that only moves forward and stops while the machine sleeps; used to notice that
    // the wall clock jumped or the machine was suspended.
    virtual qint64 monotonicMs() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 monotonicMs() const override;
};

// The clock in use: a SystemClock unless a ScopedClock has put another in its place.
Clock& clock();

// Puts `clock` in use while the object lives, and the clock that was in use back afterwards
// (tests, with a clock they set). Not owned.
class ScopedClock : ScopedValue<Clock*> {
public:
    explicit ScopedClock(Clock& clock);
};

}  // namespace kv
