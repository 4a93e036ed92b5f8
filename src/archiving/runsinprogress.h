#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace kv {

// What a run in progress is doing. Further steps of a run take stages of their own.
enum class RunStage {
    Archiving,  // its archiver is at work
    Testing,    // the archiver has ended and its archive is being tested
};

// The one place that knows which backup runs this program has launched and not yet seen end,
// which archive path each of them writes and how far each has come. A run claims its archive
// path before its launch and holds the claim until its end has been judged; while it does, no
// other run starts on that path (the same task again, or another task naming the same archive).
// The task list and the tray read the runs' progress here.
struct RunInProgress {
    QString taskName;
    QString archivePath;
    QDateTime started;  // clock().now() when the path was claimed
    RunStage stage = RunStage::Archiving;
    int percent = -1;  // of the stage, as the archiver reports it; -1: not reported
};

// A claim lasts while a copy of the handle lives: dropping the last one (the run's end has been
// judged, or its launch failed, or its end handler was let go) frees the path. The run's stage
// and percent are changed through it.
using RunClaim = std::shared_ptr<RunInProgress>;

// Claims `archivePath` for a run of `taskName`; nullptr when a run holds it already. Paths are
// compared as the file system resolves them: "a//b", "a/./b" and a link to the folder are the
// same archive.
RunClaim claimArchivePath(const QString& archivePath, const QString& taskName);

// The run holding `claim` has come to the test of its archive.
void markTesting(const RunClaim& claim);

// Whether a run holds `archivePath`.
bool archivePathInUse(const QString& archivePath);

// The runs holding a claim, oldest first.
QList<RunInProgress> runsInProgress();

// The latest run of `taskName` in progress, if any.
std::optional<RunInProgress> runInProgressOf(const QString& taskName);

}  // namespace kv
