#pragma once

#include <QDateTime>

#include "platform/clock.h"

namespace kv::test {

// A clock that shows what the test sets. It is the program's clock while it lives and puts the
// previous one back when it goes, however the test ends. The monotonic reading moves only with
// advance().
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = naiveDateTime(QDate(2025, 12, 8), QTime(9, 0)));
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return monotonic_; }

    // Moves wall time and monotonic time forward together.
    void advance(qint64 ms);
    // Sets wall time only, as a clock change or a resume from suspend would.
    void setNow(const QDateTime& now) { now_ = now; }

private:
    QDateTime now_;
    qint64 monotonic_ = 1'000'000;
    ScopedClock inUse_{*this};
};

}  // namespace kv::test
