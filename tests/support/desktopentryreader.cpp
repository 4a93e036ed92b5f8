#include "support/desktopentryreader.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace kv::test {

QMap<QString, QString> readDesktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly)) {
        return keys;
    }
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'[')) {
            inGroup = line == u"[Desktop Entry]";
        } else if (inGroup && !line.startsWith(u'#') && eq > 0) {
            // The string escapes, undone in one pass from the left.
            static const QRegularExpression escape(QStringLiteral(R"(\\([sntr\\]))"));
            QString value;
            qsizetype at = eq + 1;
            for (const auto& m : escape.globalMatch(line, at)) {
                const QChar c = m.captured(1)[0];
                value += line.mid(at, m.capturedStart() - at) + (c == u's'   ? u' '
                                                                 : c == u'n' ? u'\n'
                                                                 : c == u't' ? u'\t'
                                                                 : c == u'r' ? u'\r'
                                                                             : u'\\');
                at = m.capturedEnd();
            }
            keys.insert(line.left(eq).trimmed(), value + line.mid(at));
        }
    }
    return keys;
}

std::optional<QStringList> execArguments(const QString& exec) {
    // Blanks, then an argument quoted as a whole or one without reserved characters.
    static const QRegularExpression argument(QStringLiteral(
        R"re( *(?:"((?:[^"\\]|\\["`$\\])*)"|([^ \t\n"'\\><~|&;$*?#()`]+))(?= |$))re"));
    static const QRegularExpression quotedEscape(QStringLiteral(R"(\\(.))"));
    QStringList arguments;
    qsizetype at = 0;
    while (!exec.mid(at).trimmed().isEmpty()) {
        const auto m = argument.match(exec, at, QRegularExpression::NormalMatch,
                                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) {
            return std::nullopt;
        }
        at = m.capturedEnd();
        QString value = m.capturedStart(1) >= 0
                            ? m.captured(1).replace(quotedEscape, QStringLiteral("\\1"))
                            : m.captured(2);
        if (QString(value).remove(QStringLiteral("%%")).contains(u'%')) {
            return std::nullopt;  // a field code
        }
        arguments << value.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return arguments;
}

QString desktopFileValidateErrors(const QString& path) {
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {path});
    if (!validate.waitForFinished(30000) || validate.exitStatus() != QProcess::NormalExit) {
        return QStringLiteral("desktop-file-validate did not run: ") + validate.errorString();
    }
    const QString output = QString::fromUtf8(validate.readAll());
    return validate.exitCode() == 0 || !output.isEmpty() ? output
                                                         : QStringLiteral("invalid, says nothing");
}

}  // namespace kv::test
