#include "platform/readonlycopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/error.h"
#include "platform/platformtexts.h"

namespace kv {

QString readOnlyCopy(const QString& file) {
    // Made at the first copy; QTemporaryDir makes it with the mode rwx------.
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kelvotrin-XXXXXX"));
    const QString copy = folder.filePath(QFileInfo(file).fileName());
    const auto failed = [&copy](const QString& why) {
        return Error(platformText(PlatformText::CannotWrite).arg(copy, why));
    };
    if (!folder.isValid()) {
        throw failed(folder.errorString());
    }
    // The old copy is read-only, but the folder is this program's: it can be removed.
    QFile::remove(copy);
    QFile source(file);
    if (!source.copy(copy)) {
        throw failed(source.errorString());
    }
    if (!QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther)) {
        QFile::remove(copy);
        throw failed(QFile(copy).errorString());
    }
    return copy;
}

}  // namespace kv
