#include "archiving/runspace.h"

#include <sys/statvfs.h>
#include <QFile>
#include <cerrno>

#include "archiving/runhistory.h"

namespace kv {

std::optional<qint64> freeSpaceAt(const QString& path) {
    QString at = path;
    while (!at.isEmpty()) {
        struct statvfs st {};
        if (::statvfs(QFile::encodeName(at).constData(), &st) == 0) {
            return qint64(st.f_bavail) * qint64(st.f_frsize);
        }
        if (errno != ENOENT && errno != ENOTDIR) {
            return std::nullopt;
        }
        const qsizetype slash = at.lastIndexOf(u'/', at.endsWith(u'/') ? -2 : -1);
        at = slash <= 0 ? (at.startsWith(u'/') && at != u"/" ? QStringLiteral("/") : QString())
                        : at.left(slash);
    }
    return std::nullopt;
}

RoomCheck checkRoom(const QString& taskName, const QString& archivePath) {
    RoomCheck check;
    const std::optional<qint64> last = lastGoodArchiveSize(taskName);
    if (!last) {
        return check;
    }
    check.neededBytes = *last + (*last + 9) / 10;
    check.freeBytes = freeSpaceAt(archivePath).value_or(-1);
    return check;
}

}  // namespace kv
