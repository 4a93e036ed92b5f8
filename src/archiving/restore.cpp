#include "archiving/restore.h"

#include <QDirIterator>

#include "archiving/runtask.h"

namespace kv {

ArchiveLocation archiveLocation(const QString& nameArh, const QString& path2) {
    // The archive path of a run without a date part; its extension, when it has one, is the
    // one of NameArh (a lone dot counts as none and is not in the path).
    QString start = archivePaths(nameArh, path2, QString()).archive;
    const QString extension = extensionOf(nameArh);
    if (extension.size() > 1) {
        start.chop(extension.size());
    }
    const qsizetype slash = start.lastIndexOf(u'/');
    return {start.left(slash + 1), start.mid(slash + 1)};
}

QStringList archiveEntries(const ArchiveLocation& location) {
    QStringList names;
    QDirIterator it(location.folder,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        // A partial archive is still being written, or was never confirmed: nothing to restore.
        if (name.startsWith(location.prefix) && !isPartialArchiveName(name)) {
            names << name;
        }
    }
    return names;
}

std::optional<QString> restoreCommandLine(const QString& extractCommand,
                                          const QString& archivePath) {
    if (archivePath.contains(u'"')) {
        return std::nullopt;
    }
    return extractCommand + QStringLiteral(" \"") + archivePath + u'"';
}

}  // namespace kv
