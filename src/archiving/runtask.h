#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "language/mainwindowtexts.h"
#include "scheduler/calcnextrun.h"

namespace kv {

class Table;

// What a run needs besides the task's row.
struct RunContext {
    const MainWindowTexts& texts;  // launch failures and refusals; cf3 and cf4 for the next run
    bool startingUp = false;       // the scheduler's state, for the next-run calculation
    bool paused = false;           //
    bool powerOff = false;         // started by the command that powers off afterwards
    bool byUser = false;           // started by a command of the user, not by the schedule

    NextRunContext nextRun() const { return {texts, startingUp, paused}; }
};

// One backup run of the task on which the cursor of `tasks` (tasks.dbf) rests: archive path
// with its date part, the archiver's command line, the run record in WorkTime, the launch and
// its error message. With `recompute` the task's next run is computed (CalcNextRun) before the
// launch. Leaves the cursor on the task.
//
// The archiver writes a partial file beside the archive (ArchivePaths::partial), and nothing at
// the archive path, its .BAK copy or its unconfirmed copy changes before the run's end has been
// judged (followRun): only a confirmed run puts its archive in place and rotates the previous
// one to the .BAK copy. A partial file left by a run whose end this program never saw (it was
// killed with its archiver, say) is set aside as `unconfirmed` before the launch.
//
// While a run of this program writes the same archive path (runsinprogress.h), the task is not
// started: a run that the user started is refused with a message box, one that the schedule
// started is left as if it had not come due (no WorkTime, no next run), for the next check.
//
// A run whose destination has less free room than the task's last good archive took, and a
// tenth more (runs.log), is not started either: nothing is moved, WorkTime keeps the last real
// run, with `recompute` the next run is written, and the refusal is logged and told with both
// sizes (reportNoRoom). A task with no good archive yet always starts.
//
// The run carries what its end needs: the archiver's test of the new archive (archivetest.h)
// and, for a name with a date, the task's retention from tasksx.dbf (keep all when the file is
// missing or cannot be read).
//
// The power-off request applies to this run alone: its end starts the power-off.
//
// A task whose archive path or list-file path holds a double quote is not started (the quote
// would end the quoted path early and pass the rest to the archiver as arguments the task never
// meant): the user is told, no archive is touched, WorkTime keeps the last real run, and with
// `recompute` the next run is written as after a launch that failed.
void RunTask(Table& tasks, const RunContext& context, bool recompute);

// Whether a run of this program is writing the archive that the current task of `tasks` would
// write if it started now.
bool currentTaskArchiveInUse(const Table& tasks);

// The steps of a run, on their own.

// The extension of a name or path: from its last '.' on, when no '/' follows that dot; else
// empty.
QString extensionOf(const QString& path);

// Whether archive names of kind `vidNameArh` carry a date (1 date, 2 date and time).
inline bool archiveNameIsDated(int vidNameArh) {
    return vidNameArh == 1 || vidNameArh == 2;
}

// The date part of the archive name for `vidNameArh` (0 none, 1 date, 2 date and time) at
// `now`, with a leading blank when not empty: " 08_12_2025", " 08_12_2025 14-05". Sets the
// program-wide separators to "_" and "-" while it formats and leaves them at "." and ":".
QString archiveDatePart(int vidNameArh, const QDateTime& now);

struct ArchivePaths {
    QString archive;
    QString backup;  // the archive path with its extension replaced by (or else followed by) .BAK
    // Where an archive whose run was never confirmed is set aside: ".unconfirmed" before the
    // archive's extension ("docs.unconfirmed.7z"), or after a name without one.
    QString unconfirmed;
    // What the archiver writes until the run is confirmed: hidden, beside the archive, with the
    // archive's extension last (archivers choose the archive type by it), ".docs.partial.7z".
    QString partial;
};
// `path2` absolute (starting with '/') or relative to the program folder; `datePart` as above.
ArchivePaths archivePaths(const QString& nameArh, const QString& path2, const QString& datePart);

// The archive path without its date part: every archive of the task is `stem` + date part +
// `extension`.
struct ArchiveName {
    QString stem;       // the folder and the base name
    QString extension;  // with its dot; empty when the name has none
};
ArchiveName archiveName(const QString& nameArh, const QString& path2);

// Whether a file name is that of a partial archive (ArchivePaths::partial): never an archive to
// restore.
bool isPartialArchiveName(const QString& fileName);

// The archiver's command line: the archive command, the archive path in double quotes and "@"
// with the list file's path (in double quotes only when it holds a blank). No command line when
// either path holds a double quote; `refusal` then names that path.
std::optional<QString> archiveCommandLine(const QString& archiveCommand, const QString& archivePath,
                                          const QString& listPath, QString* refusal);

}  // namespace kv
