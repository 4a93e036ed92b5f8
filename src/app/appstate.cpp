#include "app/appstate.h"

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
        Q_EMIT changed();
    }
}

void CheckMarks::resize(int rows) {
    if (rows != marks_.size()) {
        marks_.resize(rows, false);
        Q_EMIT changed();
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
    state.marks.resize(t.recordCount());
    const int flag = t.fieldIndex(QStringLiteral("Flag"));
    t.first();
    for (int row = 0; !t.eof() && row < t.recordCount(); ++row) {
        state.marks.set(row, t.asBool(flag));
        t.next();
    }
    t.first();
}

void GridToTable(AppState& state) {
    Table& t = state.table1;
    t.first();
    for (int row = 0; !t.eof() && row < t.recordCount(); ++row) {
        t.edit();
        t.setBool(QStringLiteral("Flag"), state.marks.at(row));
        t.post();
        t.next();
    }
    t.first();
}

QString currentTaskName(const Table& tasks) {
    return tasks.isEmpty() ? QString() : tasks.asString(QStringLiteral("Name"));
}

void returnToTask(Table& tasks, const QString& name) {
    tasks.first();
    while (!tasks.eof() && tasks.asString(QStringLiteral("Name")) != name) {
        tasks.next();
    }
}

void rereadTasks(AppState& state, const QString& name) {
    state.table1.close();
    state.table1.open();
    TableToGrid(state);
    returnToTask(state.table1, name);
}

}  // namespace kv
