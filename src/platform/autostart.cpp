#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/desktopentry.h"
#include "platform/error.h"
#include "platform/platformtexts.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"

namespace kv {
namespace {

QString autostartFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

}  // namespace

QString applicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) {
        name.truncate(dot);
    }
    if (name.isEmpty()) {
        return name;
    }
    return name.left(1) + name.mid(1).toLower();
}

QString autostartEntryPath(const QString& executablePath) {
    return autostartFolder() + u'/' + applicationTitle(executablePath) + QStringLiteral(".desktop");
}

bool autostartEntryExists(const QString& executablePath) {
    return QFileInfo::exists(autostartEntryPath(executablePath));
}

namespace {

// The value of `key` in the [Desktop Entry] group of a desktop entry's text, without the blanks
// around it; null when the key is not there.
QString desktopEntryValue(const QString& text, const QString& key) {
    bool inGroup = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QStringView l = line.trimmed();
        if (l.startsWith(u'[')) {
            inGroup = l == u"[Desktop Entry]";
        } else if (inGroup && l.startsWith(key)) {
            const QStringView rest = l.mid(key.size()).trimmed();
            if (rest.startsWith(u'=')) {
                return rest.mid(1).trimmed().toString();
            }
        }
    }
    return {};
}

}  // namespace

bool autostartEntryIsOn(const QString& executablePath) {
    const FileRead read = readRegularFile(autostartEntryPath(executablePath), 1024 * 1024);
    if (read.status == FileRead::Status::Missing) {
        return false;
    }
    const QString text = QString::fromUtf8(read.bytes);
    return desktopEntryValue(text, QStringLiteral("Hidden")) != u"true" &&
           desktopEntryValue(text, QStringLiteral("X-GNOME-Autostart-enabled")) != u"false";
}

void writeAutostartEntry(const QString& executablePath) {
    const QString title = applicationTitle(executablePath);
    // What GNOME and KDE need to start it with the session: an application with a name and a
    // command, not hidden and not switched off.
    const QString text =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=%1\n"
            "Exec=%2 r\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n")
            .arg(desktopEntryString(title), desktopEntryExecArgument(executablePath));
    QDir().mkpath(autostartFolder());
    try {
        saveWholeFile(autostartEntryPath(executablePath), text.toUtf8());
    } catch (const Error&) {
        throw Error(platformText(PlatformText::AutostartFailed).arg(title));
    }
}

void removeAutostartEntry(const QString& executablePath) {
    QFile::remove(autostartEntryPath(executablePath));
}

}  // namespace kv
