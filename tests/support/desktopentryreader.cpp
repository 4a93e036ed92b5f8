#include "support/desktopentryreader.h"

#include <QFile>
#include <QProcess>

namespace kv::test {
namespace {

QString unescapeString(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u's') {
            out += u' ';
        } else if (next == u'n') {
            out += u'\n';
        } else if (next == u't') {
            out += u'\t';
        } else if (next == u'r') {
            out += u'\r';
        } else if (next == u'\\') {
            out += u'\\';
        } else {
            out += u'\\';
            out += next;
        }
    }
    return out;
}

std::optional<QString> expandPercent(const QString& argument) {
    QString out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] != u'%') {
            out += argument[i];
        } else if (i + 1 < argument.size() && argument[i + 1] == u'%') {
            out += u'%';
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace

QMap<QString, QString> readDesktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly)) {
        return keys;
    }
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) {
            inGroup = line == u"[Desktop Entry]";
        } else if (inGroup && !line.startsWith(u'#') && line.contains(u'=')) {
            const qsizetype eq = line.indexOf(u'=');
            keys.insert(line.left(eq).trimmed(), unescapeString(line.mid(eq + 1).trimmed()));
        }
    }
    return keys;
}

std::optional<QStringList> execArguments(const QString& exec) {
    static const QString reserved = QStringLiteral("\t\n\"'\\><~|&;$*?#()`");
    QStringList arguments;
    qsizetype i = 0;
    while (i < exec.size()) {
        if (exec[i] == u' ') {
            ++i;
            continue;
        }
        QString argument;
        if (exec[i] == u'"') {
            for (++i;; ++i) {
                if (i == exec.size()) {
                    return std::nullopt;  // no closing quote
                }
                if (exec[i] == u'"') {
                    ++i;
                    break;
                }
                if (exec[i] == u'\\') {
                    if (++i == exec.size() || !QStringLiteral("\"`$\\").contains(exec[i])) {
                        return std::nullopt;
                    }
                }
                argument += exec[i];
            }
            if (i < exec.size() && exec[i] != u' ') {
                return std::nullopt;  // quoted only in part
            }
        } else {
            for (; i < exec.size() && exec[i] != u' '; ++i) {
                if (reserved.contains(exec[i])) {
                    return std::nullopt;
                }
                argument += exec[i];
            }
        }
        const auto expanded = expandPercent(argument);
        if (!expanded) {
            return std::nullopt;
        }
        arguments << *expanded;
    }
    return arguments;
}

QString desktopFileValidateErrors(const QString& path) {
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {path});
    if (!validate.waitForFinished(30000)) {
        return QStringLiteral("desktop-file-validate did not run: ") + validate.errorString();
    }
    const QString output = QString::fromUtf8(validate.readAll());
    if (validate.exitStatus() != QProcess::NormalExit || validate.exitCode() != 0) {
        return output.isEmpty() ? QStringLiteral("desktop-file-validate failed") : output;
    }
    return output;
}

}  // namespace kv::test
