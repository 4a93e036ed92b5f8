#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

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
    TestFailed,    // the archiver's test of the new archive did not end with 0 (ArchiveTest)
    NoSpace,       // not started: the destination has less room than the last good archive
                   // needs; `detail` is "free <bytes> needed <bytes>"
};

// How a run ended: enough to tell the reason again.
struct RunOutcome {
    RunResult result = RunResult::Failed;
    RunFailure failure = RunFailure::None;
    QString detail;  // NotInPlace: the system's reason
};

// What became of the archiver's test of a backup's new archive.
struct ArchiveTest {
    enum class State {
        None,        // no test: the run failed before, or it is a restore
        NotTested,   // the archiver has no test that this program knows
        NotStarted,  // the test could not be started
        Ended,       // the test ran: `signalled` and `code` say how it ended
    };
    State state = State::None;
    bool signalled = false;
    int code = 0;
    qint64 milliseconds = -1;  // how long it took; -1 when it did not run

    bool passed() const { return state == State::Ended && !signalled && code == 0; }
    bool operator==(const ArchiveTest&) const = default;
};

// One finished run of an archiver, as runs.log records it.
struct RunLogEntry {
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;          // the archive written (backup) or read (restore)
    ProgramEnd end;               // times, status, output
    bool archiverStarted = true;  // false: none was started (NoSpace); `end` holds the time
    qint64 archiveSize = -1;      // after the run; -1: no archive file
    RunOutcome outcome;           // a run that is not confirmed has its output tail under the line
    ArchiveTest test;
};

inline constexpr char kRunLogFile[] = "runs.log";
inline constexpr char kOldRunLogFile[] = "runs.log.1";
// runs.log never grows past this: an entry that would make it longer first moves the log to
// runs.log.1, replacing the older one.
inline constexpr qint64 kRunLogLimit = 1024 * 1024;

// Appends the entry to runs.log in the program folder, in one write, as UTF-8: one line of
// tab-separated fields (start, end, kind, task, archive, "exit N", "signal N" or "-" for an
// archiver that was not started, size in bytes or "-", result, reason, detail, test, test time),
// and for a run that was not confirmed the tail of the archiver's output under it, each line
// indented and marked with "| ". The result is "ok", "warning" or "failed"; the reason one of
// "status", "signal", "no-archive", "empty", "not-in-place", "test-failed", "no-space", or "-";
// the detail "-" when there is none; the test "exit N" or "signal N" (how the archiver's test
// of the new archive ended), "not tested", "not started" or "-" (no test); its time in
// milliseconds or "-". Readers take lines without the last five or two fields (written by
// earlier versions) and ignore fields after them. Raises Error (cm28 of `texts`) when the log
// cannot be written. A log that cannot be moved aside (runs.log.1 a folder, say) grows on: the
// line is appended all the same, and then the Error names runs.log.1.
void appendRunLog(const RunLogEntry& entry, const MainWindowTexts& texts);

// A text as a field of runs.log holds it: its tabs and line ends, the log's separators, blanks.
QString runLogField(QString text);

// The archiver's output as runs.log keeps it under a run that was not confirmed: its lines as a
// terminal would leave them (a backspace steps back over what the next characters overwrite),
// carriage returns ending lines too, other control characters dropped, trailing blanks and blank
// lines left out, and a first line cut by the tail's start shown as "…".
QStringList runOutputLines(const ProgramEnd& end);

// One file that keeping the newest dated archives deleted, or could not delete (`error` says
// why; the next confirmed run of the task tries again).
struct PruneLogEntry {
    QDateTime when;
    QString taskName;
    QString path;
    QString error;  // empty: deleted
};

// Appends the entries to runs.log in one write, one line each: time, time again, "prune", task,
// the file, "deleted" or "failed", and why or "-". Readers of runs take these for no run. Raises
// as appendRunLog() does.
void appendPruneLog(const QList<PruneLogEntry>& entries, const MainWindowTexts& texts);

// The reason of a run that was not confirmed, in the words of the failure notices (`texts`);
// empty for a confirmed run. `status` is the archiver's exit status or signal; `test` what
// became of its test of the archive.
QString runReason(const RunOutcome& outcome, bool signalled, int status, const QString& archivePath,
                  const MainWindowTexts& texts, const ArchiveTest& test = {});

// The detail of a NoSpace failure, and back.
QString noSpaceDetail(qint64 freeBytes, qint64 neededBytes);
std::optional<std::pair<qint64, qint64>> noSpaceFromDetail(const QString& detail);

// How an archiver ended as runs.log writes it, "exit N" or "signal N", read back: whether it
// was a signal, and the status or signal; none for any other text.
std::optional<std::pair<bool, int>> statusFromText(QStringView text);

// The test field of runs.log, and back (an unknown word reads as no test).
QString archiveTestWord(const ArchiveTest& test);
ArchiveTest archiveTestFromFields(QStringView word, QStringView milliseconds);

// The words of runs.log for a result and a reason, and back; nullopt for a word it does not know.
QString runResultWord(RunResult result);
std::optional<RunResult> runResultFromWord(const QString& word);
QString runFailureWord(RunFailure failure);
std::optional<RunFailure> runFailureFromWord(const QString& word);

}  // namespace kv
