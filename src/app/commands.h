#pragma once

#include <QString>

namespace kv {

class AppState;

// The main window's task commands, without the window: each works on the shared tables and
// leaves the task list's cursor where the window expects it. The window focuses its list
// afterwards.

// Asks whether to delete the current task; on Yes deletes its list file, its object rows (then
// packs tasksm.dbf) and its row, rereads both tables, refreshes the check marks and restarts the
// tick. Returns whether the task was deleted. Nothing happens on an empty table. When tasksm.dbf
// is not open, raises the table engine's error before it asks or removes anything.
bool deleteCurrentTask(AppState& state);

// The list file of a task as stored in List, as a path in the program folder, or the empty text
// when List does not name a file directly inside the Lists folder (a damaged or foreign value,
// which must never make the program delete or overwrite a file elsewhere).
QString listFilePath(const QString& list);

// Runs the current task (recompute false), then rereads tasks.dbf and returns to it. With
// `powerOff` the run carries the power-off request; later runs do not. Nothing happens when the
// current row has no name (an empty table included).
void runCurrentTask(AppState& state, bool powerOff);

// Runs every task in table order, enabled or not, paused or not; with `markedOnly` only the
// tasks whose Flag is true. Then rereads tasks.dbf and returns to the task that was current.
void runTasks(AppState& state, bool markedOnly);

}  // namespace kv
