#include "platform/shortcut.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "platform/desktopentry.h"
#include "platform/savefile.h"

namespace kv {
namespace {
const QString kLinkSuffix = QStringLiteral(".lnk");
const QString kDesktopSuffix = QStringLiteral(".desktop");
}  // namespace

QString launcherFileName(const QString& shortcutName) {
    QString name = shortcutName;
    name.replace(u'/', u'-');
    if (name.endsWith(kLinkSuffix, Qt::CaseInsensitive)) {
        name.chop(kLinkSuffix.size());
    }
    if (!name.endsWith(kDesktopSuffix)) {
        name += kDesktopSuffix;
    }
    return name;
}

QString launcherText(const QString& name, const Launcher& launcher) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=%1\n"
               "Exec=%2\n"
               "Path=%3\n"
               "Icon=%4\n"
               "Terminal=false\n")
        .arg(desktopEntryString(name), desktopEntryExecArgument(launcher.executablePath),
             desktopEntryString(launcher.workingFolder), desktopEntryString(launcher.icon));
}

QString writeLauncher(const QString& desktopFolder, const QString& shortcutName,
                      const Launcher& launcher) {
    QDir().mkpath(desktopFolder);
    const QString fileName = launcherFileName(shortcutName);
    const QString path = QDir(desktopFolder).filePath(fileName);
    const QString name = fileName.chopped(kDesktopSuffix.size());
    saveWholeFile(path, launcherText(name, launcher).toUtf8(), QFileDevice::ExeOwner);
    return path;
}

void markTrusted(const QString& file) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty()) {
        return;
    }
    QProcess process;
    process.setProgram(gio);
    process.setArguments(
        {QStringLiteral("set"), file, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

}  // namespace kv
