#pragma once

#include <functional>

#include "language/mainwindowtexts.h"

namespace kv {

class Table;

// What the next-run calculation reads besides the task's row.
struct NextRunContext {
    const MainWindowTexts& texts;  // cf3 and cf4: the next-run texts without a date
    bool startingUp = false;       // the start-up pass is running (StartingUp)
    bool paused = false;           // all tasks are paused: nothing is computed
    // Whether the current task cannot start now (a run of it, or of another task, is still
    // writing its archive). Empty: every task can.
    std::function<bool()> runBlocked = {};
};

// Computes SledTime and SledTimeStr of the task on which the cursor of `tasks` rests and ends
// its pending missed-run check, in one post. Returns true when the task is to run now: a task
// run at every start during the start-up pass, or a missed run to make up (at the start-up pass
// or with a check pending, when Propusk is 0 and SledTime has passed). The caller runs it; the
// row is then already complete, so a tick during the run finds the task no longer due. Never
// true for the task that the tick is starting (TickRunScope). A disabled task, an empty table
// or a pause changes nothing; nor does a run asked for while the task cannot start (runBlocked):
// that task is left, due and with its check pending, for the next check. Leaves the cursor on
// the task.
[[nodiscard]] bool CalcNextRun(Table& tasks, const NextRunContext& context);

}  // namespace kv
