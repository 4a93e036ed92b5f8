#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace kv {

// What a run in progress is doing. Further steps of a run take stages of their own.
enum class RunStage {
    Archiving,  // its archiver is at work
    Testing,    // the archiver has ended and its archive is being tested
};

// The one place that knows which runs this program has launched and not yet seen end, and how
// far each has come. A backup run claims its archive path before its launch and holds the claim
// until its end has been judged; while it does, no other run starts on that path (the same task
// again, or another task naming the same archive). A restore run is counted the same way but
// claims nothing: it only reads its archive. The task list and the tray read the runs' progress
// here, and the lock that keeps the computer awake follows it.
struct RunInProgress {
    QString taskName;
    QString archivePath;  // the archive written (backup) or read (restore)
    QDateTime started;    // clock().now() when the run was counted
    RunStage stage = RunStage::Archiving;
    int percent = -1;  // of the stage, as the archiver reports it; -1: not reported
};

// A run is in progress while a copy of its handle lives: dropping the last one (the run's end
// has been judged, or its launch failed, or its end handler was let go) ends it and frees its
// path. The run's stage and percent are changed through it.
using RunClaim = std::shared_ptr<RunInProgress>;

// Claims `archivePath` for a backup run of `taskName`; nullptr when a run holds it already.
// Paths are compared as the file system resolves them: "a//b", "a/./b" and a link to the folder
// are the same archive.
RunClaim claimArchivePath(const QString& archivePath, const QString& taskName);

// Counts a restore run of `taskName` from `archivePath`, which stays free for other runs.
RunClaim countRestoreRun(const QString& archivePath, const QString& taskName);

// The run holding `claim` has come to the test of its archive.
void markTesting(const RunClaim& claim);

// Whether a backup run holds `archivePath`.
bool archivePathInUse(const QString& archivePath);

// The runs in progress, oldest first.
QList<RunInProgress> runsInProgress();

// The latest run of `taskName` in progress, if any.
std::optional<RunInProgress> runInProgressOf(const QString& taskName);

// Tells of every change of the runs in progress (a run counted, or ended), as it happens.
class RunsInProgressNotifier final : public QObject {
    Q_OBJECT
public:
    static RunsInProgressNotifier& instance();

Q_SIGNALS:
    void changed();

private:
    RunsInProgressNotifier() = default;
};

}  // namespace kv
