#include "app/appstate.h"

#include <algorithm>

namespace kv {

void CheckMarks::set(int row, bool checked) {
    if (row < 0) {
        return;
    }
    if (row >= marks_.size()) {
        marks_.resize(row + 1, false);
    }
    if (marks_[row] != checked) {
        marks_[row] = checked;
        Q_EMIT changed(row, row);
    }
}

void CheckMarks::resize(int rows) {
    const int before = marks_.size();
    if (rows != before) {
        marks_.resize(rows, false);
        Q_EMIT changed(std::min(rows, before), std::max(rows, before) - 1);
    }
}

void CheckMarks::assign(QList<bool> marks) {
    const int common = std::min(marks.size(), marks_.size());
    int first = 0;
    while (first < common && marks[first] == marks_[first]) {
        ++first;
    }
    int last = std::max(marks.size(), marks_.size()) - 1;
    if (marks.size() == marks_.size()) {
        while (last >= first && marks[last] == marks_[last]) {
            --last;
        }
    }
    marks_ = std::move(marks);
    if (first <= last) {
        Q_EMIT changed(first, last);
    }
}

AppState::AppState() {
    timer1.setTimerType(Qt::PreciseTimer);
    timer1.setInterval(0);
    timer2.setInterval(1000);
    timer3.setInterval(3000);
    timer3.setSingleShot(true);
}

AppState::~AppState() = default;

void AppState::setTimer1Interval(int ms) {
    if (ms <= 0) {
        timer1.stop();
        timer1.setInterval(0);
    } else {
        timer1.start(ms);
    }
}

int AppState::timer1Interval() const {
    return timer1.isActive() ? timer1.interval() : 0;
}

void TableToGrid(AppState& state) {
    Table& t = state.table1;
    ControlsDisabled suspended(t);
    const int flag = t.fieldIndex(TaskField::Flag);
    QList<bool> marks(t.recordCount());
    for (int row = 0; row < marks.size(); ++row) {
        marks[row] = t.peekBool(row, flag);
    }
    state.marks.assign(std::move(marks));
    t.first();
}

void GridToTable(AppState& state) {
    Table& t = state.table1;
    ControlsDisabled suspended(t);
    const int flag = t.fieldIndex(TaskField::Flag);
    t.first();
    for (int row = 0; !t.eof() && row < t.recordCount(); ++row) {
        t.edit();
        t.setBool(flag, state.marks.at(row));
        t.post();
        t.next();
    }
    t.first();
}

QString currentTaskName(const Table& tasks) {
    return tasks.isEmpty() ? QString() : tasks.asString(TaskField::Name);
}

void returnToTask(Table& tasks, const QString& name) {
    ControlsDisabled suspended(tasks);
    // Ends where a walk from the first row would: on the first match (the first row as first()
    // leaves it), else on the end of the table.
    if (tasks.locate({TaskField::Name}, {name})) {
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

void rereadTasks(AppState& state, const QString& name) {
    ControlsDisabled suspended(state.table1);
    state.table1.close();
    state.table1.open();
    TableToGrid(state);
    returnToTask(state.table1, name);
}

}  // namespace kv
