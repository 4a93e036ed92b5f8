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

// A handle on `run`, which `forget` takes out of the runs when the last copy goes.
template <typename Forget>
RunClaim handleOn(const RunInProgress& run, Forget forget) {
    Q_EMIT RunsInProgressNotifier::instance().changed();
    return RunClaim(new RunInProgress(run), [forget](const RunInProgress* claim) {
        forget();
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
    return handleOn(run, [key] { runs().backups.remove(key); });
}

RunClaim countRestoreRun(const QString& archivePath, const QString& taskName) {
    const quint64 id = ++runs().lastRestore;
    const RunInProgress run{taskName, archivePath};
    runs().restores.insert(id, run);
    return handleOn(run, [id] { runs().restores.remove(id); });
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
