#pragma once

#include <QString>

#include "language/mainwindowtexts.h"

namespace kv {

struct ProgramTables;
struct RunContext;

// The main window's task commands, without the window: each works on the program's tables and
// leaves the task list's cursor where the window expects it. The window focuses its list
// afterwards.

// Asks whether to delete the current task of tasks.dbf (texts cm4 to cm6); on Yes deletes its
// list file, its object rows in tasksm.dbf (then packs it), its row and its row in tasksx.dbf,
// rereads both tables and refreshes the check marks. Returns whether the task was deleted; the
// window then starts the tick again. Nothing happens on an empty table. When tasksm.dbf is not
// open, raises the table engine's error before it asks or removes anything.
bool deleteCurrentTask(ProgramTables& tables, const MainWindowTexts& texts);

// The help document for the language `languageName`, in the program folder: helprus.doc for
// exactly "Russian", helpeng.doc for any other.
QString helpDocumentPath(const QString& languageName);

// The list file of a task as stored in List, as a path in the program folder, or the empty text
// when List does not name a file directly inside the Lists folder (a damaged or foreign value,
// which must never make the program delete or overwrite a file elsewhere).
QString listFilePath(const QString& list);

// After the task editor has closed: rereads tasksm.dbf, then tasks.dbf, refreshes the check
// marks and goes to the first task named `name` (exact); the first task stays current when none
// is.
void rereadAfterEditing(ProgramTables& tables, const QString& name);

// Runs the current task (recompute false), then rereads tasks.dbf and returns to it. With
// `run.powerOff` the run carries the power-off request. Nothing happens when the current row has
// no name (an empty table included).
void runCurrentTask(ProgramTables& tables, const RunContext& run);

// Runs every task in table order, enabled or not, paused or not; with `markedOnly` only the
// tasks whose Flag is true. Then rereads tasks.dbf and returns to the task that was current.
void runTasks(ProgramTables& tables, const RunContext& run, bool markedOnly);

}  // namespace kv
