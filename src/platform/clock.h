#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace kv {

// Date-time values inside the program are naive local wall-clock times with milliseconds, as the
// tables store them. They are carried in QDateTime marked Qt::UTC so that no time-zone or
// daylight-saving rule ever moves them: 02:30 on a spring-forward day stays 02:30, and adding a
// day always adds 24 hours of wall time. Never convert them to or from real UTC.
QDateTime naiveDateTime(QDate date, QTime time);

// 30 December 1899 00:00:00.000: the value of a date-time field that was never written.
QDateTime zeroDateTime();
bool isZeroDateTime(const QDateTime& value);

// The one source of "now". Tests install a ManualClock.
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

// A clock that shows what the test sets. The monotonic reading moves only with advance().
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = naiveDateTime(QDate(2025, 12, 8), QTime(9, 0)));
    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return monotonic_; }

    // Moves wall time and monotonic time forward together.
    void advance(qint64 ms);
    // Sets wall time only, as a clock change or a resume from suspend would.
    void setNow(const QDateTime& now) { now_ = now; }

private:
    QDateTime now_;
    qint64 monotonic_ = 1'000'000;
};

// The clock in use; a SystemClock unless a test installed another. Not owned.
Clock& clock();
void setClock(Clock* clock);  // nullptr restores the system clock

}  // namespace kv
