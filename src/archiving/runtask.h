#pragma once

namespace kv {

class AppState;

// One backup run of the task on which the cursor of tasks.dbf rests: archive path with its date
// part, .BAK rotation, the archiver's command line, the run record in WorkTime, the launch and
// its error message. With `recompute` the task's next run is computed (CalcNextRun) before the
// launch. Leaves the cursor on the task.
void RunTask(AppState& state, bool recompute);

}  // namespace kv
