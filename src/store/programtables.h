#pragma once

#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

// The program's tables and the task list's check marks, one set for the whole program: made at
// the start and handed to every window, which all work on the same table objects (and so on one
// cursor per table). Opening and closing them is the windows' business. tasksx.dbf stays closed
// when it cannot be opened: the tasks then keep all their archives.
struct ProgramTables {
    Table tasks{kTasksFile};             // tasks.dbf: the tasks
    Table objects{kObjectsFile};         // tasksm.dbf: the tasks' object lists
    Table working{kWorkingObjectsFile};  // tasksmt.dbf: the task editor's working object list
    Table archivers{kArchiversFile};     // archers.dbf: the archiver configurations
    Table extras{kTaskExtrasFile};       // tasksx.dbf: the tasks' retention
    CheckMarks marks;                    // the task list's check column, one mark per task
};

}  // namespace kv
