#include "platform/programfolder.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include "platform/error.h"
#include "platform/platformtexts.h"
#include "platform/regularfile.h"

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

namespace {

Error unusableFolder(const QString& folder, const QString& why) {
    return Error(platformText(PlatformText::UnusableFolder).arg(folder, why));
}

}  // namespace

std::optional<QString> folderOfExecutable(const QByteArray& linkTarget) {
    const QString path = QFile::decodeName(linkTarget);
    if (!linkTarget.startsWith('/') || QFile::encodeName(path) != linkTarget) {
        return std::nullopt;
    }
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString executableFolder() {
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), size_t(target.size()));
    if (n < 0 || n == target.size()) {
        const QString why = n < 0 ? fileErrorText(errno) : fileErrorText(ENAMETOOLONG);
        throw unusableFolder(QStringLiteral("/proc/self/exe"), why);
    }
    target.truncate(n);
    std::optional<QString> folder = folderOfExecutable(target);
    if (!folder) {
        throw unusableFolder(QFile::decodeName(target.left(target.lastIndexOf('/') + 1)),
                             platformText(PlatformText::NotUtf8));
    }
    return *folder;
}

void setUpProgramFolder(const QString& executableFolder, const QString& shippedData) {
    QString folder = executableFolder;
    if (!shippedData.isEmpty()) {
        folder = userProgramFolder();
        errno = 0;
        // Without a home the data location is no absolute folder: never "/kelvotrin/".
        if (!QDir::isAbsolutePath(
                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) ||
            !QDir().mkpath(folder)) {
            throw unusableFolder(folder, fileErrorText(errno != 0 ? errno : ENOENT));
        }
    }
    errno = 0;
    if (!QDir::setCurrent(folder)) {
        throw unusableFolder(folder, fileErrorText(errno != 0 ? errno : ENOENT));
    }
    setProgramFolder(folder);
    if (shippedData.isEmpty()) {
        return;
    }
    const QString shipped = QDir(executableFolder).filePath(shippedData);
    for (const QString& name : copyMissingShippedFiles(shipped, folder)) {
        qWarning("kelvotrin: cannot copy %s into %s", qPrintable(name), qPrintable(folder));
    }
}

}  // namespace kv
