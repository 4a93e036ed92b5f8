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

    NextRunContext nextRun() const { return {texts, startingUp, paused}; }
};

// One backup run of the task on which the cursor of `tasks` (tasks.dbf) rests: archive path
// with its date part, .BAK rotation, the archiver's command line, the run record in WorkTime,
// the launch and its error message. With `recompute` the task's next run is computed
// (CalcNextRun) before the launch. Leaves the cursor on the task.
//
// The previous archive of the same name becomes the .BAK copy; an older copy is deleted only
// when an archive is there to replace it (after a run whose archiver wrote nothing the copy may
// be the last archive of the task). The archiver is followed (followRun): a task that keeps no
// copy loses it only when its archiver has ended and the new archive is there. Until then the
// copy is the last archive known to be good: a later rotation that still finds it keeps it and
// sets the archive beside it aside as `unconfirmed`. When the launch fails, a task that keeps
// no copy gets its archive back under its own name.
//
// The power-off request applies to this run alone: its end starts the power-off.
//
// A task whose archive path or list-file path holds a double quote is not started (the quote
// would end the quoted path early and pass the rest to the archiver as arguments the task never
// meant): the user is told, no archive is moved or deleted, WorkTime keeps the last real run,
// and with `recompute` the next run is written as after a launch that failed.
void RunTask(Table& tasks, const RunContext& context, bool recompute);

// The steps of a run, on their own.

// The extension of a name or path: from its last '.' on, when no '/' follows that dot; else
// empty.
QString extensionOf(const QString& path);

// The date part of the archive name for `vidNameArh` (0 none, 1 date, 2 date and time) at
// `now`, with a leading blank when not empty: " 08_12_2025", " 08_12_2025 14-05". Sets the
// program-wide separators to "_" and "-" while it formats and leaves them at "." and ":".
QString archiveDatePart(int vidNameArh, const QDateTime& now);

struct ArchivePaths {
    QString archive;
    QString backup;  // the archive path with its extension replaced by (or else followed by) .BAK
    // Where the rotation sets aside an archive whose run was never confirmed: ".unconfirmed"
    // before the archive's extension ("docs.unconfirmed.7z"), or after a name without one.
    QString unconfirmed;
};
// `path2` absolute (starting with '/') or relative to the program folder; `datePart` as above.
ArchivePaths archivePaths(const QString& nameArh, const QString& path2, const QString& datePart);

// The archiver's command line: the archive command, the archive path in double quotes and "@"
// with the list file's path (in double quotes only when it holds a blank). No command line when
// either path holds a double quote; `refusal` then names that path.
std::optional<QString> archiveCommandLine(const QString& archiveCommand, const QString& archivePath,
                                          const QString& listPath, QString* refusal);

}  // namespace kv
