#pragma once

#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

// The program's four tables and the task list's check marks, one set for the whole program:
// made at the start and handed to every window, which all work on the same table objects (and
// so on one cursor per table). Opening and closing them is the windows' business.
struct ProgramTables {
    Table tasks{kTasksFile};             // tasks.dbf: the tasks
    Table objects{kObjectsFile};         // tasksm.dbf: the tasks' object lists
    Table working{kWorkingObjectsFile};  // tasksmt.dbf: the task editor's working object list
    Table archivers{kArchiversFile};     // archers.dbf: the archiver configurations
    CheckMarks marks;                    // the task list's check column, one mark per task
};

}  // namespace kv
