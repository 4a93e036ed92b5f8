#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kv {
namespace {
QString folder = QStringLiteral("./");
}

QString programFolder() {
    return folder;
}

void setProgramFolder(const QString& f) {
    folder = f.endsWith(u'/') ? f : f + u'/';
}

QString inProgramFolder(const QString& relative) {
    return folder + relative;
}

QString userProgramFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvotrin/");
}

QStringList copyMissingShippedFiles(const QString& shippedFolder, const QString& folder) {
    QStringList failed;
    const QFileInfoList shipped =
        QDir(shippedFolder)
            .entryInfoList({QStringLiteral("*.dic"), QStringLiteral("*.doc")}, QDir::Files,
                           QDir::Name);
    for (const QFileInfo& source : shipped) {
        const QFileInfo target(QDir(folder).filePath(source.fileName()));
        // A dangling link counts as present too: whatever the user put there stays.
        if (target.exists() || target.isSymLink()) {
            continue;
        }
        // QFile::copy writes a temporary file and renames it into place, so a start that is
        // cut short never leaves half a file that later starts would keep.
        QFile copy(target.filePath());
        if (!QFile::copy(source.filePath(), target.filePath())) {
            failed << source.fileName();
            continue;
        }
        // The copy takes the shipped file's mode; the program must be able to write to it.
        copy.setPermissions(copy.permissions() | QFileDevice::WriteOwner);
    }
    return failed;
}

void setUpProgramFolder(const QString& executableFolder, const QString& shippedData) {
    if (shippedData.isEmpty()) {
        setProgramFolder(executableFolder);
        return;
    }
    const QString user = userProgramFolder();
    if (!QDir().mkpath(user)) {
        qWarning("kelvotrin: cannot create %s", qPrintable(user));
    }
    setProgramFolder(user);
    const QString shipped = QDir(executableFolder).filePath(shippedData);
    for (const QString& name : copyMissingShippedFiles(shipped, user)) {
        qWarning("kelvotrin: cannot copy %s into %s", qPrintable(name), qPrintable(user));
    }
}

}  // namespace kv
