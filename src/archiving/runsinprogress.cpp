#include "archiving/runsinprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "platform/clock.h"

namespace kv {
namespace {

// Each run is owned by its handle.
struct Runs {
    QHash<QString, const RunInProgress*> backups;  // by the resolved archive path
    QHash<quint64, const RunInProgress*> restores;
    quint64 lastRestore = 0;
};

Runs& runs() {
    static Runs all;
    return all;
}

// The path as the file system resolves it: its folder canonical when it exists, else cleaned.
QString keyOf(const QString& path) {
    const QFileInfo info(QDir::cleanPath(path));
    const QString folder = info.absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return (canonical.isEmpty() ? folder : canonical) + u'/' + info.fileName();
}

// A handle on `run`, kept under the key it holds (which the file system may no longer give for
// its path) or, with an empty key, under its restore number.
RunClaim handleOn(RunInProgress* run, const QString& key, quint64 restore) {
    if (key.isEmpty()) {
        runs().restores.insert(restore, run);
    } else {
        runs().backups.insert(key, run);
    }
    Q_EMIT RunsInProgressNotifier::instance().changed();
    return RunClaim(run, [key, restore](RunInProgress* handle) {
        if (key.isEmpty()) {
            runs().restores.remove(restore);
        } else {
            runs().backups.remove(key);
        }
        delete handle;
        Q_EMIT RunsInProgressNotifier::instance().changed();
    });
}

}  // namespace

RunClaim claimArchivePath(const QString& archivePath, const QString& taskName) {
    const QString key = keyOf(archivePath);
    if (runs().backups.contains(key)) {
        return nullptr;
    }
    return handleOn(new RunInProgress{taskName, archivePath, clock().now()}, key, 0);
}

RunClaim countRestoreRun(const QString& archivePath, const QString& taskName) {
    return handleOn(new RunInProgress{taskName, archivePath, clock().now()}, QString(),
                    ++runs().lastRestore);
}

void markTesting(const RunClaim& claim) {
    if (claim) {
        claim->stage = RunStage::Testing;
        claim->percent = -1;
    }
}

bool archivePathInUse(const QString& archivePath) {
    return runs().backups.contains(keyOf(archivePath));
}

QList<RunInProgress> runsInProgress() {
    QList<RunInProgress> all;
    for (const RunInProgress* run : std::as_const(runs().backups)) {
        all.append(*run);
    }
    for (const RunInProgress* run : std::as_const(runs().restores)) {
        all.append(*run);
    }
    std::stable_sort(all.begin(), all.end(), [](const RunInProgress& a, const RunInProgress& b) {
        return a.started < b.started;
    });
    return all;
}

std::optional<RunInProgress> runInProgressOf(const QString& taskName) {
    std::optional<RunInProgress> latest;
    for (const RunInProgress& run : runsInProgress()) {
        if (run.taskName == taskName) {
            latest = run;
        }
    }
    return latest;
}

RunsInProgressNotifier& RunsInProgressNotifier::instance() {
    // Never destroyed: the last runs may end while the program's statics go.
    static auto* notifier = new RunsInProgressNotifier;
    return *notifier;
}

}  // namespace kv
