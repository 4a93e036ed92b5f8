#pragma once

#include <QDateTime>
#include <QStringList>
#include <memory>

#include "language/mainwindowtexts.h"
#include "platform/clock.h"
#include "platform/winexec.h"
#include "scheduler/scheduler.h"
#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"
#include "store/tasktable.h"
#include "support/launchrecorder.h"
#include "support/manualclock.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"

namespace kv::test {

inline constexpr const Field<QDateTime>& kSled = TaskField::SledTime;
inline constexpr const Field<QString>& kSledStr = TaskField::SledTimeStr;
inline constexpr const Field<bool>& kPending = TaskField::IsPropusk;

inline QDateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}
inline QDateTime timeOfDay(int h, int mi = 0, int s = 0) {
    return naiveDateTime(QDate(1899, 12, 30), QTime(h, mi, s));
}

// A program folder with empty tables, tasks.dbf open with its check marks and the
// scheduler on them (running tasks with RunTask), a settable clock, scripted message boxes and
// a launcher that records instead of starting.
// Date texts use "." and ":", as after the program's first run. Every task's archive command is
// "run-<name> a", so each recorded launch tells whose it was.
class SchedulerFixture {
public:
    explicit SchedulerFixture(QDateTime start = dt(2025, 12, 8, 9, 0));
    ~SchedulerFixture();

    // Appends a task: enabled, daily at 09:00, missed runs made up, next run in ten years;
    // `fields` overrides any field.
    void addTask(const QString& name, const Row& fields = {});
    // Makes the task `name` current.
    void select(const QString& name);

    // A field of the task, read without moving.
    template <typename T>
    T field(const QString& task, const Field<T>& field) const {
        const int row = rowOf(task);
        return peekValue(tasks, row, tasks.fieldIndex(field));
    }
    // "<name>" per launch, in order.
    QStringList launched() const;
    int runsOf(const QString& task) const { return int(launched().count(task)); }

    TableFolder folder;
    ManualClock clock;
    ScriptedMessageBoxes boxes;
    LaunchRecorder launches;
    Table tasks{kTasksFile};
    CheckMarks marks;
    MainWindowTexts texts = mainWindowTexts();
    Scheduler scheduler;

private:
    int rowOf(const QString& task) const;
};

}  // namespace kv::test
