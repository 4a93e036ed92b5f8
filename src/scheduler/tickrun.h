#pragma once

#include <QString>

namespace kv {

// Which task the scheduler tick is starting at this moment. The tick runs a due task with
// RunTask(recompute), and RunTask computes the next run before it launches; that calculation
// must not start the same task once more for the same due moment (a pending missed-run check,
// or the start-up pass not finished yet, would otherwise make it do so). Nested ticks (inside a
// launch-error box) add their own task and take it off again.
class TickRunScope {
public:
    explicit TickRunScope(QString taskName);
    ~TickRunScope();
    TickRunScope(const TickRunScope&) = delete;
    TickRunScope& operator=(const TickRunScope&) = delete;

    // True while a tick is inside the run of the task named `taskName`.
    static bool isRunning(const QString& taskName);
};

}  // namespace kv
