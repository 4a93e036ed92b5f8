#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "language/mainwindowtexts.h"
#include "platform/winexec.h"

namespace kv {

enum class RunKind { Backup, Restore };

// What a run's end was judged to be.
enum class RunResult {
    Confirmed,  // a backup's archive is in place, or a restore ended well
    Warning,    // the archiver skipped files (status 1): the archive was set aside
    Failed,
};

// Why a run was not confirmed. runs.log keeps it as a word, never translated, so that the
// reason can be told again in whatever language is in use when the log is read.
enum class RunFailure {
    None,
    Status,        // a status other than 0 (for a backup, other than 0 and 1)
    Signal,        // ended by a signal
    NoArchive,     // status 0 (or 1), but no archive was written
    EmptyArchive,  // the archive holds no file: the source was empty or could not be read
    NotInPlace,    // the archive was written but could not be given its name; `detail` says why
};

// How a run ended: enough to tell the reason again.
struct RunOutcome {
    RunResult result = RunResult::Failed;
    RunFailure failure = RunFailure::None;
    QString detail;  // NotInPlace: the system's reason
};

// One finished run of an archiver, as runs.log records it.
struct RunLogEntry {
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;      // the archive written (backup) or read (restore)
    ProgramEnd end;           // times, status, output
    qint64 archiveSize = -1;  // after the run; -1: no archive file
    RunOutcome outcome;       // a run that is not confirmed has its output tail under the line
};

inline constexpr char kRunLogFile[] = "runs.log";
inline constexpr char kOldRunLogFile[] = "runs.log.1";
// runs.log never grows past this: an entry that would make it longer first moves the log to
// runs.log.1, replacing the older one.
inline constexpr qint64 kRunLogLimit = 1024 * 1024;

// Appends the entry to runs.log in the program folder, in one write, as UTF-8: one line of
// tab-separated fields (start, end, kind, task, archive, "exit N" or "signal N", size in bytes or
// "-", result, reason, detail), and for a run that was not confirmed the tail of the archiver's
// output under it, each line indented and marked with "| ". The result is "ok", "warning" or
// "failed"; the reason one of "status", "signal", "no-archive", "empty", "not-in-place", or "-";
// the detail "-" when there is none. Readers take lines without the last three fields (written
// by earlier versions) and ignore fields after them. Raises Error (cm28 of `texts`) when the log
// cannot be written. A log that cannot be moved aside (runs.log.1 a folder, say) grows on: the line
// is appended all the same, and then the Error names runs.log.1.
void appendRunLog(const RunLogEntry& entry, const MainWindowTexts& texts);

// The reason of a run that was not confirmed, in the words of the failure notices (`texts`);
// empty for a confirmed run. `status` is the archiver's exit status or signal.
QString runReason(const RunOutcome& outcome, bool signalled, int status, const QString& archivePath,
                  const MainWindowTexts& texts);

// The words of runs.log for a result and a reason, and back; nullopt for a word it does not know.
QString runResultWord(RunResult result);
std::optional<RunResult> runResultFromWord(const QString& word);
QString runFailureWord(RunFailure failure);
std::optional<RunFailure> runFailureFromWord(const QString& word);

}  // namespace kv
