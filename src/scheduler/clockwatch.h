#pragma once

#include <QtGlobal>

namespace kv {

// Notices that the wall clock and the machine's monotonic clock moved apart: the machine was
// suspended (monotonic time stands still meanwhile, and so do the timers), or the wall clock
// was set or changed with daylight saving. The main window's one-second clock handler asks it
// on every call.
class ClockWatch {
public:
    // Drifts up to this much between two readings are ordinary jitter and clock slewing.
    static constexpr qint64 kToleranceMs = 1000;

    // Takes a reading of both clocks. True when wall time moved by more than kToleranceMs more
    // or less than monotonic time since the previous reading. The first reading only primes.
    bool jumped();

private:
    bool primed_ = false;
    qint64 offset_ = 0;  // wall milliseconds minus monotonic milliseconds
};

}  // namespace kv
