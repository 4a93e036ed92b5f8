#include "scheduler/clockwatch.h"

#include <cstdlib>

#include "platform/clock.h"

namespace kv {

bool ClockWatch::jumped() {
    Clock& c = clock();
    const qint64 offset = c.now().toMSecsSinceEpoch() - c.monotonicMs();
    const bool wasPrimed = primed_;
    const qint64 drift = offset - offset_;
    primed_ = true;
    offset_ = offset;
    return wasPrimed && std::abs(drift) > kToleranceMs;
}

}  // namespace kv
