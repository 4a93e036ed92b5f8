#include "archiving/runlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/error.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"

namespace kv {
namespace {

// A field never holds the separators of the log.
QString field(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return text;
}

QString timeText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("-");
}

// The output as lines: carriage returns end lines too (progress counters), other control
// characters are dropped, and a tail that starts inside a line loses that part-line.
QStringList outputLines(const ProgramEnd& end) {
    QString text = QString::fromUtf8(end.outputTail);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\n' || c == u'\t' || c.unicode() >= 0x20) {
            clean += c;
        }
    }
    QStringList lines = clean.split(u'\n');
    if (end.outputCut && !lines.isEmpty()) {
        lines.first() = QStringLiteral("…");
    }
    lines.removeAll(QString());
    return lines;
}

[[noreturn]] void fail(const MainWindowTexts& texts, const QString& path, int error) {
    throw Error(
        texts.text(Form1Text::cm28).arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

// The entry as runs.log holds it.
QByteArray runLogText(const RunLogEntry& e) {
    const QString result =
        (e.end.signalled ? QStringLiteral("signal %1") : QStringLiteral("exit %1")).arg(e.end.code);
    const QString size = e.archiveSize < 0 ? QStringLiteral("-") : QString::number(e.archiveSize);
    QString text = QStringList{timeText(e.end.started),
                               timeText(e.end.ended),
                               e.kind == RunKind::Backup ? QStringLiteral("backup")
                                                         : QStringLiteral("restore"),
                               field(e.taskName),
                               field(e.archivePath),
                               result,
                               size}
                       .join(u'\t') +
                   u'\n';
    if (e.failed) {
        for (const QString& line : outputLines(e.end)) {
            text += QStringLiteral("    | ") + line + u'\n';
        }
    }
    return text.toUtf8();
}

}  // namespace

void appendRunLog(const RunLogEntry& entry, const MainWindowTexts& texts) {
    const QByteArray text = runLogText(entry);
    const QString path = inProgramFolder(QString::fromLatin1(kRunLogFile));
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && st.st_size > 0 &&
        st.st_size + text.size() > kRunLogLimit) {
        const QByteArray old =
            QFile::encodeName(inProgramFolder(QString::fromLatin1(kOldRunLogFile)));
        if (::rename(native.constData(), old.constData()) != 0) {
            fail(texts, path, errno);
        }
    }
    // As the tables' journal: never through a link, never anything but a regular file.
    const int fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, 0644);
    if (fd < 0) {
        fail(texts, path, errno);
    }
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            fail(texts, path, error);
        }
        done += n;
    }
    if (::close(fd) != 0) {
        fail(texts, path, errno);
    }
}

}  // namespace kv
