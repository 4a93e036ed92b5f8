#include "platform/savefile.h"

#include <QFile>
#include <QSaveFile>

#include "platform/error.h"
#include "platform/platformtexts.h"

namespace kv {

void saveWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions extra) {
    const auto failed = [&path](const QString& why) {
        return Error(platformText(PlatformText::CannotWrite).arg(path, why));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw failed(file.errorString());
    }
    // commit() would not notice a write that it flushes itself failing, and put a cut file in
    // place: the write is checked first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw failed(why);
    }
    if (!file.commit()) {
        throw failed(file.errorString());
    }
    if (extra != QFileDevice::Permissions()) {
        QFile saved(path);
        if (!saved.setPermissions(saved.permissions() | extra)) {
            throw failed(saved.errorString());
        }
    }
}

}  // namespace kv
