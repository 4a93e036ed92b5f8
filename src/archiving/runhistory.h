#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "archiving/runlog.h"

namespace kv {

// One run as runs.log remembers it.
struct RunRecord {
    QDateTime started;  // invalid when the log says "-"
    QDateTime ended;
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;
    bool signalled = false;
    int status = 0;           // the exit status, or the signal
    qint64 archiveSize = -1;  // -1: none
    RunOutcome outcome;
    bool archiverStarted = true;  // false: none was started (the status field is "-")
    ArchiveTest test;             // what became of the test of a backup's archive
    QStringList output;  // the archiver's last lines, kept under a run that was not confirmed
};

// The runs of a log's text, oldest first. A line that does not read as a run (cut off, damaged,
// or of a kind this version does not know) is passed over, with the output lines under it;
// output lines belong to the run above them. Lines written before runs.log kept a result have
// it worked out from their status and size.
QList<RunRecord> parseRunLog(const QByteArray& text);

// A run just logged (or not: runs.log may be unwritable), as reading it back would give it.
RunRecord runRecordOf(const RunLogEntry& entry);

// The runs of runs.log.1 and then runs.log in the program folder, oldest first. A file that is
// missing, unreadable or not a regular file counts as empty.
QList<RunRecord> readRunHistory();

// The runs that the run history shows of `runs` (oldest first, as read): newest first, only those
// of `taskName` unless it is empty, and with `failuresOnly` only those that were not confirmed.
QList<RunRecord> historyRuns(const QList<RunRecord>& runs, const QString& taskName,
                             bool failuresOnly);

// The size of the archive of the task's last confirmed backup run, as runs.log and then
// runs.log.1 in the program folder tell it; none when neither knows one. Reads the logs from
// their ends and only the lines that name the task.
std::optional<qint64> lastGoodArchiveSize(const QString& taskName);

// What the runs say about one task's backups.
struct TaskRuns {
    std::optional<RunRecord> last;      // its last backup run
    std::optional<RunRecord> lastGood;  // its last confirmed backup run
};

// The backup runs of `runs` (oldest first) by task name. Restores do not count.
QHash<QString, TaskRuns> runsByTask(const QList<RunRecord>& runs);

// Folds one more finished run into `byTask`.
void addRun(QHash<QString, TaskRuns>& byTask, const RunRecord& run);

}  // namespace kv
