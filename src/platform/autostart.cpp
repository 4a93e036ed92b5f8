#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/error.h"
#include "platform/platformtexts.h"

namespace kv {
namespace {

QString autostartFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

// A value for a desktop entry's Exec key: quoted, with the characters that the quoting rules
// reserve escaped.
QString quotedExecArgument(const QString& path) {
    QString out;
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            out += u'\\';
        }
        out += c;
    }
    // In the file, a backslash itself must be escaped once more (string value rules).
    out.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    out.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return u'"' + out + u'"';
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

void writeAutostartEntry(const QString& executablePath) {
    const auto failed = [&executablePath] {
        return Error(
            platformText(PlatformText::AutostartFailed).arg(applicationTitle(executablePath)));
    };
    const QString path = autostartEntryPath(executablePath);
    QDir().mkpath(autostartFolder());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw failed();
    }
    const QString text =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=%1\n"
            "Exec=%2 r\n"
            "Terminal=false\n")
            .arg(applicationTitle(executablePath), quotedExecArgument(executablePath));
    const QByteArray bytes = text.toUtf8();
    // commit() would not notice a write that it flushes itself failing, and put a cut entry in
    // place: the write is checked first.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        throw failed();
    }
}

void removeAutostartEntry(const QString& executablePath) {
    QFile::remove(autostartEntryPath(executablePath));
}

}  // namespace kv
