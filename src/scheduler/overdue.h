#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace kv {

class Table;

// What the overdue rule knows of one task.
struct OverdueFacts {
    bool enabled = false;               // Flag
    int vidPeriod = 0;                  // VidPeriod
    std::optional<QDateTime> lastGood;  // when its last good backup ended, if it had one
    QDateTime workTime;                 // WorkTime: its last start; zero when it never started
    QDateTime sledTime;                 // SledTime: its next run
    bool running = false;               // a run of it is in progress
};

// Whether a task's backups are overdue at `now`: it is enabled, runs hourly, daily, weekly or
// monthly, and its last good backup is older than twice its period (two hours, two days, two
// weeks, two calendar months). A task that never had a good backup is overdue once it has come
// due (it has been started, WorkTime, or its next run has passed), unless its first good backup
// may be under way: a run of it is in progress. Only tells: when a task runs is the missed-run
// rules' business.
bool isOverdue(const OverdueFacts& task, const QDateTime& now);

// The names of the tasks of `tasks` (tasks.dbf, open) that are overdue at `now`, in table order.
// `lastGood` gives when a task's last good backup ended, `running` whether a run of it is in
// progress. The cursor does not move.
QStringList overdueTasks(const Table& tasks,
                         const std::function<std::optional<QDateTime>(const QString&)>& lastGood,
                         const std::function<bool(const QString&)>& running, const QDateTime& now);

}  // namespace kv
