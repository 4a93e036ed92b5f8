#include "archiving/runsinprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace kv {
namespace {

struct Runs {
    QHash<QString, RunInProgress> backups;  // by the resolved archive path
    QHash<quint64, RunInProgress> restores;
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

// A handle knows where its run is kept: a backup by the key it holds, which the file system
// may no longer give for its path, a restore by its number.
struct Claim final : RunInProgress {
    QString key;  // empty for a restore
    quint64 restore = 0;
};

RunClaim handleOn(Claim run) {
    Q_EMIT RunsInProgressNotifier::instance().changed();
    return RunClaim(new Claim(std::move(run)), [](const RunInProgress* handle) {
        const auto* claim = static_cast<const Claim*>(handle);
        if (claim->key.isEmpty()) {
            runs().restores.remove(claim->restore);
        } else {
            runs().backups.remove(claim->key);
        }
        delete claim;
        Q_EMIT RunsInProgressNotifier::instance().changed();
    });
}

}  // namespace

RunClaim claimArchivePath(const QString& archivePath, const QString& taskName) {
    const QString key = keyOf(archivePath);
    if (runs().backups.contains(key)) {
        return nullptr;
    }
    const RunInProgress run{taskName, archivePath};
    runs().backups.insert(key, run);
    return handleOn({run, key});
}

RunClaim countRestoreRun(const QString& archivePath, const QString& taskName) {
    const quint64 number = ++runs().lastRestore;
    const RunInProgress run{taskName, archivePath};
    runs().restores.insert(number, run);
    return handleOn({run, QString(), number});
}

void markTesting(const RunClaim& claim) {
    if (!claim) {
        return;
    }
    const auto backup = runs().backups.find(static_cast<const Claim&>(*claim).key);
    if (backup != runs().backups.end()) {
        backup->testing = true;
    }
}

bool archivePathInUse(const QString& archivePath) {
    return runs().backups.contains(keyOf(archivePath));
}

QList<RunInProgress> runsInProgress() {
    return runs().backups.values() + runs().restores.values();
}

RunsInProgressNotifier& RunsInProgressNotifier::instance() {
    // Never destroyed: the last runs may end while the program's statics go.
    static auto* notifier = new RunsInProgressNotifier;
    return *notifier;
}

}  // namespace kv
