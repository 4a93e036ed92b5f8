#include "platform/readonlycopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>

#include "platform/error.h"
#include "platform/platformtexts.h"
#include "platform/regularfile.h"

namespace kv {
namespace {

// Far above any help document.
constexpr qint64 kMaxDocumentSize = 256 * 1024 * 1024;

}  // namespace

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
    const FileRead source = readRegularFile(file, kMaxDocumentSize);
    if (source.status != FileRead::Status::Read) {
        throw failed(source.status == FileRead::Status::TooLarge ? fileErrorText(EFBIG)
                                                                 : source.error);
    }
    // The old copy is read-only, but the folder is this program's: it can be removed.
    QFile::remove(copy);
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        out.write(source.bytes) != source.bytes.size() || !out.flush()) {
        const QString why = out.errorString();
        out.remove();
        throw failed(why);
    }
    out.close();
    if (!QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther)) {
        QFile::remove(copy);
        throw failed(QFile(copy).errorString());
    }
    return copy;
}

}  // namespace kv
