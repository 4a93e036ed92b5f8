#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include "archiving/runhistory.h"
#include "archiving/runsinprogress.h"
#include "language/mainwindowtexts.h"

namespace kv {

// How runs are put into words for the user.

// A time taken: "0:42", "12:05", "1:02:03" (minutes and seconds, hours only when there are
// any).
QString durationText(qint64 seconds);

// A size in bytes, KiB, MiB or GiB, whichever suits it (one decimal above bytes), with the texts
// cm70 to cm73.
QString scaledSizeText(qint64 bytes, const MainWindowTexts& texts);

// The result of a finished run: cm60 for a good one, else its reason in the words of the
// failure notices.
QString resultText(const RunRecord& run, const MainWindowTexts& texts);

// How a task's state looks in the task list: a run in progress, else the result of its last
// backup run, with the moment its last good one ended in the tool tip. A task that never ran
// shows nothing.
enum class TaskTone { None, Running, Good, Warning, Failed };
struct TaskStateView {
    QString text;
    QString toolTip;
    TaskTone tone = TaskTone::None;
};

// The state of a run in progress at `now`: cm61 with its percent when its archiver reports one,
// else cm62 with the time elapsed; cm75 while its archive is tested.
QString runningText(const RunInProgress& run, const MainWindowTexts& texts, const QDateTime& now);

// The state of `taskName`: its run in progress (runsinprogress.h), else what `byTask` knows of
// its backups.
TaskStateView taskStateView(const QString& taskName, const QHash<QString, TaskRuns>& byTask,
                            const MainWindowTexts& texts, const QDateTime& now);

}  // namespace kv
