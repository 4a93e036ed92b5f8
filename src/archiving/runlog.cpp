#include "archiving/runlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <utility>

#include "archiving/runtexts.h"
#include "platform/error.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"

namespace kv {
namespace {

QString timeText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("-");
}

}  // namespace

QString runLogField(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return text;
}

QStringList runOutputLines(const ProgramEnd& end) {
    QString text = QString::fromUtf8(end.outputTail);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines;
    // Each line as a terminal leaves it: a backspace steps back, and what follows writes over
    // (7-Zip's progress updates erase themselves so).
    QString line;
    qsizetype column = 0;
    bool cutLine = end.outputCut;  // the first line began before the tail
    const auto endLine = [&] {
        while (!line.isEmpty() && line.back().isSpace()) {
            line.chop(1);
        }
        if (cutLine) {
            lines << QStringLiteral("…");
        } else if (!line.isEmpty()) {
            lines << line;
        }
        cutLine = false;
        line.clear();
        column = 0;
    };
    for (QChar c : text) {
        if (c == u'\n') {
            endLine();
        } else if (c == u'\b') {
            column = qMax<qsizetype>(0, column - 1);
        } else if (c == u'\t' || c.unicode() >= 0x20) {
            if (column < line.size()) {
                line[column] = c;
            } else {
                line += c;
            }
            ++column;
        }
    }
    endLine();
    return lines;
}

namespace {

[[noreturn]] void fail(const MainWindowTexts& texts, const QString& path, int error) {
    throw Error(
        texts.text(Form1Text::cm28).arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

constexpr std::pair<RunResult, const char*> kResultWords[] = {
    {RunResult::Confirmed, "ok"},
    {RunResult::Warning, "warning"},
    {RunResult::Failed, "failed"},
};
constexpr std::pair<RunFailure, const char*> kFailureWords[] = {
    {RunFailure::None, "-"},
    {RunFailure::Status, "status"},
    {RunFailure::Signal, "signal"},
    {RunFailure::NoArchive, "no-archive"},
    {RunFailure::EmptyArchive, "empty"},
    {RunFailure::NotInPlace, "not-in-place"},
    {RunFailure::TestFailed, "test-failed"},
    {RunFailure::NoSpace, "no-space"},
};

template <typename T, std::size_t N>
QString wordOf(const std::pair<T, const char*> (&words)[N], T value) {
    for (const auto& [v, word] : words) {
        if (v == value) {
            return QString::fromLatin1(word);
        }
    }
    Q_ASSERT(false);
    return {};
}

template <typename T, std::size_t N>
std::optional<T> valueOf(const std::pair<T, const char*> (&words)[N], const QString& word) {
    for (const auto& [v, w] : words) {
        if (word == QLatin1String(w)) {
            return v;
        }
    }
    return std::nullopt;
}

QString statusText(bool signalled, int code) {
    return (signalled ? QStringLiteral("signal %1") : QStringLiteral("exit %1")).arg(code);
}

// The entry as runs.log holds it.
QByteArray runLogText(const RunLogEntry& e) {
    const QString result =
        e.archiverStarted ? statusText(e.end.signalled, e.end.code) : QStringLiteral("-");
    const QString size = e.archiveSize < 0 ? QStringLiteral("-") : QString::number(e.archiveSize);
    const QString detail = e.outcome.detail.isEmpty() ? QStringLiteral("-") : e.outcome.detail;
    QString text =
        QStringList{
            timeText(e.end.started),
            timeText(e.end.ended),
            e.kind == RunKind::Backup ? QStringLiteral("backup") : QStringLiteral("restore"),
            runLogField(e.taskName),
            runLogField(e.archivePath),
            result,
            size,
            runResultWord(e.outcome.result),
            runFailureWord(e.outcome.failure),
            runLogField(detail),
            archiveTestWord(e.test),
            e.test.milliseconds < 0 ? QStringLiteral("-") : QString::number(e.test.milliseconds)}
            .join(u'\t') +
        u'\n';
    if (e.outcome.result != RunResult::Confirmed) {
        for (const QString& line : runOutputLines(e.end)) {
            text += QStringLiteral("    | ") + line + u'\n';
        }
    }
    return text.toUtf8();
}

// The reason of a status as the texts word it (7-Zip's codes, which other archivers share:
// 1 files skipped, 2 fatal error, 7 command line, 8 out of memory, 255 stopped by the user).
QString statusReason(int code, const MainWindowTexts& t) {
    switch (code) {
        case 1:
            return t.text(Form1Text::cm13);
        case 2:
            return t.text(Form1Text::cm14);
        case 7:
            return t.text(Form1Text::cm15);
        case 8:
            return t.text(Form1Text::cm16);
        case 255:
            return t.text(Form1Text::cm17);
        default:
            return t.text(Form1Text::cm18).arg(code);
    }
}

// Appends `text` to runs.log in one write, moving the log aside first when it would pass its
// limit.
void appendToRunLog(const QByteArray& text, const MainWindowTexts& texts) {
    const QString path = inProgramFolder(QString::fromLatin1(kRunLogFile));
    const QByteArray native = QFile::encodeName(path);
    const QString oldPath = inProgramFolder(QString::fromLatin1(kOldRunLogFile));
    int moveAsideError = 0;
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && st.st_size > 0 &&
        st.st_size + text.size() > kRunLogLimit) {
        const QByteArray old = QFile::encodeName(oldPath);
        if (::rename(native.constData(), old.constData()) != 0) {
            moveAsideError = errno;
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
    if (moveAsideError != 0) {
        fail(texts, oldPath, moveAsideError);
    }
}

}  // namespace

void appendRunLog(const RunLogEntry& entry, const MainWindowTexts& texts) {
    appendToRunLog(runLogText(entry), texts);
}

void appendPruneLog(const QList<PruneLogEntry>& entries, const MainWindowTexts& texts) {
    QString text;
    for (const PruneLogEntry& e : entries) {
        const QString when = timeText(e.when);
        text +=
            QStringList{when,
                        when,
                        QStringLiteral("prune"),
                        runLogField(e.taskName),
                        runLogField(e.path),
                        e.error.isEmpty() ? QStringLiteral("deleted") : QStringLiteral("failed"),
                        e.error.isEmpty() ? QStringLiteral("-") : runLogField(e.error)}
                .join(u'\t') +
            u'\n';
    }
    if (!text.isEmpty()) {
        appendToRunLog(text.toUtf8(), texts);
    }
}

std::optional<std::pair<bool, int>> statusFromText(QStringView text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0) {
        return std::nullopt;
    }
    const QStringView word = text.left(blank);
    if (word != u"exit" && word != u"signal") {
        return std::nullopt;
    }
    bool ok = false;
    const int code = text.mid(blank + 1).toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return std::pair{word == u"signal", code};
}

QString archiveTestWord(const ArchiveTest& test) {
    switch (test.state) {
        case ArchiveTest::State::None:
            break;
        case ArchiveTest::State::NotTested:
            return QStringLiteral("not tested");
        case ArchiveTest::State::NotStarted:
            return QStringLiteral("not started");
        case ArchiveTest::State::Ended:
            return statusText(test.signalled, test.code);
    }
    return QStringLiteral("-");
}

ArchiveTest archiveTestFromFields(QStringView word, QStringView milliseconds) {
    ArchiveTest test;
    if (word == u"not tested") {
        test.state = ArchiveTest::State::NotTested;
    } else if (word == u"not started") {
        test.state = ArchiveTest::State::NotStarted;
    } else {
        const std::optional<std::pair<bool, int>> status = statusFromText(word);
        if (!status) {
            return {};
        }
        test = {ArchiveTest::State::Ended, status->first, status->second, -1};
    }
    bool ok = false;
    const qint64 ms = milliseconds.toLongLong(&ok);
    test.milliseconds = ok && ms >= 0 ? ms : -1;
    return test;
}

QString noSpaceDetail(qint64 freeBytes, qint64 neededBytes) {
    return QStringLiteral("free %1 needed %2").arg(freeBytes).arg(neededBytes);
}

std::optional<std::pair<qint64, qint64>> noSpaceFromDetail(const QString& detail) {
    const QStringList words = detail.split(u' ');
    bool okFree = false;
    bool okNeeded = false;
    if (words.size() != 4 || words[0] != u"free" || words[2] != u"needed") {
        return std::nullopt;
    }
    const qint64 freeBytes = words[1].toLongLong(&okFree);
    const qint64 neededBytes = words[3].toLongLong(&okNeeded);
    if (!okFree || !okNeeded) {
        return std::nullopt;
    }
    return std::pair{freeBytes, neededBytes};
}

QString runReason(const RunOutcome& outcome, bool signalled, int status, const QString& archivePath,
                  const MainWindowTexts& t, const ArchiveTest& test) {
    if (outcome.result == RunResult::Confirmed) {
        return {};
    }
    if (outcome.result == RunResult::Warning) {
        return statusReason(1, t);
    }
    switch (outcome.failure) {
        case RunFailure::NoArchive:
            return t.text(Form1Text::cm20).arg(archivePath);
        case RunFailure::EmptyArchive:
            return t.text(Form1Text::cm30);
        case RunFailure::NotInPlace:
            return t.text(Form1Text::cm35).arg(outcome.detail);
        case RunFailure::TestFailed:
            if (test.state != ArchiveTest::State::Ended) {
                return t.text(Form1Text::cm92);
            }
            return t.text(test.signalled ? Form1Text::cm91 : Form1Text::cm90).arg(test.code);
        case RunFailure::NoSpace:
            if (const auto sizes = noSpaceFromDetail(outcome.detail)) {
                return t.text(Form1Text::cm93)
                    .arg(scaledSizeText(sizes->first, t), scaledSizeText(sizes->second, t));
            }
            break;
        case RunFailure::None:
        case RunFailure::Status:
        case RunFailure::Signal:
            break;
    }
    return signalled ? t.text(Form1Text::cm19).arg(status) : statusReason(status, t);
}

QString runResultWord(RunResult result) {
    return wordOf(kResultWords, result);
}

std::optional<RunResult> runResultFromWord(const QString& word) {
    return valueOf(kResultWords, word);
}

QString runFailureWord(RunFailure failure) {
    return wordOf(kFailureWords, failure);
}

std::optional<RunFailure> runFailureFromWord(const QString& word) {
    return valueOf(kFailureWords, word);
}

}  // namespace kv
