#pragma once

#include <QList>
#include <QString>
#include <memory>

namespace kv {

// The one place that knows which backup runs this program has launched and not yet seen end,
// and which archive path each of them writes. A run claims its archive path before its launch
// and holds the claim until its end has been judged; while it does, no other run starts on
// that path (the same task again, or another task naming the same archive). The task list's
// per-task state will read it too.
struct RunInProgress {
    QString taskName;
    QString archivePath;
    bool testing = false;  // the archiver has ended and its archive is being tested
};

// A claim lasts while a copy of the handle lives: dropping the last one (the run's end has been
// judged, or its launch failed, or its end handler was let go) frees the path.
using RunClaim = std::shared_ptr<const RunInProgress>;

// Claims `archivePath` for a run of `taskName`; nullptr when a run holds it already. Paths are
// compared as the file system resolves them: "a//b", "a/./b" and a link to the folder are the
// same archive.
RunClaim claimArchivePath(const QString& archivePath, const QString& taskName);

// The run holding `claim` has come to the test of its archive.
void markTesting(const RunClaim& claim);

// Whether a run holds `archivePath`.
bool archivePathInUse(const QString& archivePath);

// The runs holding a claim, in no particular order.
QList<RunInProgress> runsInProgress();

}  // namespace kv
