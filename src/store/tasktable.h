#pragma once

#include <QString>

namespace kv {

class CheckMarks;
class Table;

// Walks over tasks.dbf that every window shares. All windows work on the main window's table
// objects, so the current row is shared state: a walk remembers the current task's Name and
// returns to it. Each walk runs with the table's views suspended, so that the task list does
// not follow the cursor row by row.

// Copies every task's Flag into the check marks; leaves the first task current.
void TableToGrid(Table& tasks, CheckMarks& marks);
// Writes every check mark back into Flag; leaves the first task current.
void GridToTable(Table& tasks, const CheckMarks& marks);

// The Name of the current task, or the empty text when the table is empty.
QString currentTaskName(const Table& tasks);
// Goes to the first row and on until a row's Name equals `name` (exact). An empty table ends at
// once; when no row matches, the cursor ends at the end of the table.
void returnToTask(Table& tasks, const QString& name);
// Closes and reopens tasks.dbf so that the list shows what is stored, refreshes the check marks
// and returns to the task named `name`.
void rereadTasks(Table& tasks, CheckMarks& marks, const QString& name);

}  // namespace kv
