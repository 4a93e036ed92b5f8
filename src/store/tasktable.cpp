#include "store/tasktable.h"

#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

void TableToGrid(Table& tasks, CheckMarks& marks) {
    ControlsDisabled suspended(tasks);
    const auto flag = tasks.fieldIndex(TaskField::Flag);
    QList<bool> flags(tasks.recordCount());
    for (int row = 0; row < flags.size(); ++row) {
        flags[row] = tasks.peekBool(row, flag);
    }
    marks.assign(std::move(flags));
    tasks.first();
}

void GridToTable(Table& tasks, const CheckMarks& marks) {
    ControlsDisabled suspended(tasks);
    const auto flag = tasks.fieldIndex(TaskField::Flag);
    tasks.first();
    for (int row = 0; !tasks.eof() && row < tasks.recordCount(); ++row) {
        tasks.edit();
        tasks.setBool(flag, marks.at(row));
        tasks.post();
        tasks.next();
    }
    tasks.first();
}

QString currentTaskName(const Table& tasks) {
    return tasks.isEmpty() ? QString() : tasks.asString(TaskField::Name);
}

void returnToTask(Table& tasks, const QString& name) {
    ControlsDisabled suspended(tasks);
    // Ends where a walk from the first row would: on the first match (the first row as first()
    // leaves it), else on the end of the table.
    if (tasks.locate(TaskField::Name, name)) {
        if (tasks.recNo() == 0) {
            tasks.first();
        }
    } else if (tasks.isEmpty()) {
        tasks.first();
    } else {
        tasks.moveTo(tasks.recordCount() - 1);
        tasks.next();
    }
}

void rereadTasks(Table& tasks, CheckMarks& marks, const QString& name) {
    ControlsDisabled suspended(tasks);
    tasks.close();
    tasks.open();
    TableToGrid(tasks, marks);
    returnToTask(tasks, name);
}

}  // namespace kv
