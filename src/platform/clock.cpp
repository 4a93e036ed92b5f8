#include "platform/clock.h"

#include <time.h>

namespace kv {

QDateTime naiveDateTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

QDateTime zeroDateTime() {
    return naiveDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

bool isZeroDateTime(const QDateTime& value) {
    return !value.isValid() || value == zeroDateTime();
}

QDateTime SystemClock::now() const {
    const QDateTime local = QDateTime::currentDateTime();
    return naiveDateTime(local.date(), local.time());
}

qint64 SystemClock::monotonicMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
}  // namespace

Clock& clock() {
    return *current;
}

ScopedClock::ScopedClock(Clock& clock) : ScopedValue(current, &clock) {}

}  // namespace kv
