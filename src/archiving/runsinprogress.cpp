#include "archiving/runsinprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "platform/clock.h"

namespace kv {
namespace {

// By archive path; each run is owned by its claim.
QHash<QString, const RunInProgress*>& claims() {
    static QHash<QString, const RunInProgress*> byPath;
    return byPath;
}

// The path as the file system resolves it: its folder canonical when it exists, else cleaned.
QString keyOf(const QString& path) {
    const QFileInfo info(QDir::cleanPath(path));
    const QString folder = info.absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return (canonical.isEmpty() ? folder : canonical) + u'/' + info.fileName();
}

}  // namespace

RunClaim claimArchivePath(const QString& archivePath, const QString& taskName) {
    const QString key = keyOf(archivePath);
    if (claims().contains(key)) {
        return nullptr;
    }
    auto* run = new RunInProgress{taskName, archivePath, clock().now()};
    claims().insert(key, run);
    return RunClaim(run, [key](RunInProgress* claim) {
        claims().remove(key);
        delete claim;
    });
}

void markTesting(const RunClaim& claim) {
    if (claim) {
        claim->stage = RunStage::Testing;
        claim->percent = -1;
    }
}

bool archivePathInUse(const QString& archivePath) {
    return claims().contains(keyOf(archivePath));
}

QList<RunInProgress> runsInProgress() {
    QList<RunInProgress> runs;
    for (const RunInProgress* run : std::as_const(claims())) {
        runs.append(*run);
    }
    std::stable_sort(runs.begin(), runs.end(), [](const RunInProgress& a, const RunInProgress& b) {
        return a.started < b.started;
    });
    return runs;
}

std::optional<RunInProgress> runInProgressOf(const QString& taskName) {
    const RunInProgress* latest = nullptr;
    for (const RunInProgress* run : std::as_const(claims())) {
        if (run->taskName == taskName && (!latest || latest->started < run->started)) {
            latest = run;
        }
    }
    return latest ? std::optional(*latest) : std::nullopt;
}

}  // namespace kv
