#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

namespace kv {

// The one place that knows which runs this program has launched and not yet seen end. A backup
// run claims its archive path before its launch and holds the claim until its end has been
// judged; while it does, no other run starts on that path (the same task again, or another task
// naming the same archive). A restore run is counted the same way but claims nothing: it only
// reads its archive. The task list's per-task state reads it, and the lock that keeps the
// computer awake follows it.
struct RunInProgress {
    QString taskName;
    QString archivePath;   // the archive written (backup) or read (restore)
    bool testing = false;  // the archiver has ended and its archive is being tested
};

// A run is in progress while a copy of its handle lives: dropping the last one (the run's end
// has been judged, or its launch failed, or its end handler was let go) ends it and frees its
// path.
using RunClaim = std::shared_ptr<const RunInProgress>;

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

// The runs in progress, in no particular order.
QList<RunInProgress> runsInProgress();

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
