#pragma once

namespace kv {

class AppState;

// Computes SledTime and SledTimeStr of the task on which the cursor of tasks.dbf rests, running
// it first where the period or the missed-run policy says so. Leaves the cursor on the task.
void CalcNextRun(AppState& state);

}  // namespace kv
