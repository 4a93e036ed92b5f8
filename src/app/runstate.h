#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

#include "archiving/runhistory.h"
#include "language/mainwindowtexts.h"

namespace kv {

class Table;

// What the main window knows of the runs of its tasks, without the window: each task's last and
// last good backup (read from runs.log.1 and runs.log once, then followed from each run's end),
// the tasks overdue, and when they are told.
class RunState {
public:
    // Reads runs.log.1 and runs.log of the program folder, in place of what was known.
    void load();
    // Follows one more run's end.
    void add(const RunRecord& run);

    const QHash<QString, TaskRuns>& byTask() const { return byTask_; }
    // When the last good backup of `task` ended.
    std::optional<QDateTime> lastGood(const QString& task) const;

    // The tasks of `tasks` (tasks.dbf) that are overdue at `now` (scheduler/overdue.h).
    QStringList overdue(const Table& tasks, const QDateTime& now) const;

    // The overdue tasks to name in the desktop notification now, or none: one notification a
    // day at most, none while all tasks are paused, and none for a task whose run is in progress
    // (its end may bring the good backup). Remembers the day it told.
    QStringList toTell(const QStringList& overdue, const QDateTime& now, bool paused);

    // The tray tooltip's lines after its first ones: each run in progress (cm74) and the
    // overdue tasks (cm69).
    static QStringList trayLines(const QStringList& overdue, const MainWindowTexts& texts,
                                 const QDateTime& now);

private:
    QHash<QString, TaskRuns> byTask_;
    QDate toldOn_;  // the day of the last notification
};

}  // namespace kv
