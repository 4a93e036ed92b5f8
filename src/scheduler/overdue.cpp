#include "scheduler/overdue.h"

#include "platform/clock.h"
#include "scheduler/nextrunrules.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {
namespace {

// `moment` plus twice the period; none for a period without a rhythm.
std::optional<QDateTime> twoPeriodsAfter(const QDateTime& moment, int vidPeriod) {
    switch (vidPeriod) {
        case 2:
            return moment.addSecs(2 * 3600);
        case 3:
            return moment.addDays(2);
        case 4:
            return moment.addDays(14);
        case 5:
            return moment.addMonths(2);
        default:
            return std::nullopt;
    }
}

}  // namespace

bool isOverdue(const OverdueFacts& task, const QDateTime& now) {
    if (!task.enabled) {
        return false;
    }
    if (task.lastGood) {
        const std::optional<QDateTime> due = twoPeriodsAfter(*task.lastGood, task.vidPeriod);
        return due && nextrun::earlierThan(*due, now);
    }
    if (!twoPeriodsAfter(now, task.vidPeriod) || task.running) {
        return false;
    }
    return !isZeroDateTime(task.workTime) || nextrun::earlierThan(task.sledTime, now);
}

QStringList overdueTasks(const Table& tasks,
                         const std::function<std::optional<QDateTime>(const QString&)>& lastGood,
                         const std::function<bool(const QString&)>& running, const QDateTime& now) {
    QStringList names;
    if (!tasks.isOpen()) {
        return names;
    }
    const auto flag = tasks.fieldIndex(TaskField::Flag);
    const auto name = tasks.fieldIndex(TaskField::Name);
    const auto period = tasks.fieldIndex(TaskField::VidPeriod);
    const auto workTime = tasks.fieldIndex(TaskField::WorkTime);
    const auto sledTime = tasks.fieldIndex(TaskField::SledTime);
    for (int row = 0; row < tasks.recordCount(); ++row) {
        if (!tasks.peekBool(row, flag)) {
            continue;
        }
        const QString task = tasks.peekString(row, name);
        const OverdueFacts facts{true,
                                 tasks.peekInt(row, period),
                                 lastGood(task),
                                 tasks.peekDateTime(row, workTime),
                                 tasks.peekDateTime(row, sledTime),
                                 running(task)};
        if (isOverdue(facts, now)) {
            names << task;
        }
    }
    return names;
}

}  // namespace kv
