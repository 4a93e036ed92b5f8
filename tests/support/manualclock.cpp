#include "support/manualclock.h"

namespace kv::test {

ManualClock::ManualClock(QDateTime start) : now_(std::move(start)) {}

void ManualClock::advance(qint64 ms) {
    now_ = now_.addMSecs(ms);
    monotonic_ += ms;
}

}  // namespace kv::test
