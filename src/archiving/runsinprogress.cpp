#include "archiving/runsinprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace kv {
namespace {

QHash<QString, RunInProgress>& claims() {
    static QHash<QString, RunInProgress> byPath;
    return byPath;
}

// The path as the file system resolves it: its folder canonical when it exists, else cleaned.
QString keyOf(const QString& path) {
    const QFileInfo info(QDir::cleanPath(path));
    const QString folder = info.absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return (canonical.isEmpty() ? folder : canonical) + u'/' + info.fileName();
}

// A claim knows the key it holds, which the file system may no longer give for its path.
struct Claim final : RunInProgress {
    QString key;
};

}  // namespace

RunClaim claimArchivePath(const QString& archivePath, const QString& taskName) {
    const QString key = keyOf(archivePath);
    if (claims().contains(key)) {
        return nullptr;
    }
    const RunInProgress run{taskName, archivePath};
    claims().insert(key, run);
    return RunClaim(new Claim{run, key}, [](const RunInProgress* run) {
        const auto* claim = static_cast<const Claim*>(run);
        claims().remove(claim->key);
        delete claim;
    });
}

void markTesting(const RunClaim& claim) {
    if (claim) {
        claims()[static_cast<const Claim&>(*claim).key].testing = true;
    }
}

bool archivePathInUse(const QString& archivePath) {
    return claims().contains(keyOf(archivePath));
}

QList<RunInProgress> runsInProgress() {
    return claims().values();
}

}  // namespace kv
