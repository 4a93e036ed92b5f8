#include "platform/winexec.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QList>
#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/childwatch.h"
#include "platform/clock.h"
#include "platform/programfolder.h"

extern char** environ;

namespace kv {
namespace {

ScopedWinExecHook* currentScope = nullptr;  // the innermost scoped hook: its hook is in place

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

enum class Kind { Missing, File, Folder, Other };

Kind kindOf(const QString& path) {
    if (path.isEmpty()) {
        return Kind::Missing;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return Kind::Missing;
    }
    if (S_ISREG(st.st_mode)) {
        return Kind::File;
    }
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

// Where the program file of `program` (as written in a command line) is looked for: an
// absolute path as it stands, a relative one from the program folder, and a bare name in the
// program folder and then along PATH. When nothing is found, the program-folder form.
QString resolveProgram(const QString& program) {
    if (program.startsWith(u'/')) {
        return program;
    }
    const QString local = programFolder() + program;
    if (program.contains(u'/') || program.isEmpty() || kindOf(local) == Kind::File) {
        return local;
    }
    const QString path = QFile::decodeName(qgetenv("PATH"));
    for (const QString& dir : path.split(u':', Qt::SkipEmptyParts)) {
        const QString candidate = dir.endsWith(u'/') ? dir + program : dir + u'/' + program;
        if (candidate.startsWith(u'/') && kindOf(candidate) == Kind::File) {
            return candidate;
        }
    }
    return local;
}

QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

// What the child reports through the pipe when exec fails.
struct Report {
    int error;  // errno
};

void writeReport(int fd, int error) {
    const Report r{error};
    const char* p = reinterpret_cast<const char*>(&r);
    size_t left = sizeof r;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        p += n;
        left -= size_t(n);
    }
}

// Every descriptor from 3 up is closed when the child execs the program.
void closeOnExecFrom3(int limit) {
#if defined(SYS_close_range)
    constexpr unsigned kCloseRangeCloexec = 1U << 2;
    if (::syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < limit; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) {
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    }
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void becomeProgram(const char* path, char* const* argv, const char* folder,
                                int outputFd, int reportFd, int fdLimit) {
    ::setsid();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int s = 1; s < NSIG; ++s) {
        if (s != SIGKILL && s != SIGSTOP) {
            ::sigaction(s, &dfl, nullptr);
        }
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::chdir(folder) != 0) {
        // Started in the folder this program is in; the archiver gets absolute paths anyway.
    }
    // When this program runs without descriptors 0..2, the report pipe or the output file may
    // sit among them, where the dup2s below would replace them (a failed exec would then read
    // as started): both move above 2 first.
    const auto above2 = [](int fd) {
        const int moved = fd >= 0 && fd <= 2 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 3) : -1;
        return moved >= 0 ? moved : fd;
    };
    reportFd = above2(reportFd);
    outputFd = above2(outputFd);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0 && in != 0) {
        ::dup2(in, 0);
        ::close(in);
    }
    // Output goes to the file that we read its tail from; without one, nowhere.
    const int out = outputFd >= 0 ? outputFd : ::open("/dev/null", O_WRONLY);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    // dup2 onto itself keeps close-on-exec (a descriptor may have landed on 0..2 when this
    // program runs without them): these three stay open in any case.
    for (int fd = 0; fd < 3; ++fd) {
        ::fcntl(fd, F_SETFD, 0);
    }
    closeOnExecFrom3(fdLimit);
    ::execve(path, argv, environ);
    writeReport(reportFd, errno);
    ::_exit(127);
}

// An unlinked temporary file for the child's output: nothing is left behind whoever ends first,
// and unlike a pipe it never stops the child (a pipe would kill it with SIGPIPE once we are
// gone). -1 when none can be made.
int makeOutputFile() {
    const QByteArray dir = QFile::encodeName(QDir::tempPath());
#if defined(O_TMPFILE)
    const int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        return fd;
    }
#endif
    QByteArray name = dir + "/kelvotrin-output-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0) {
        ::unlink(name.constData());
    }
    return named;
}

WinExecResult resultOfExecError(int error, const QString& path) {
    switch (error) {
        case ENOENT:
            // The file was there a moment ago: gone now, or its interpreter is missing.
            return kindOf(path) == Kind::File ? WinExecResult::BadFormat
                                              : WinExecResult::FileNotFound;
        case ENOTDIR:
            return WinExecResult::PathNotFound;
        case ENOMEM:
        case E2BIG:
        case EAGAIN:
        case EMFILE:
        case ENFILE:
            return WinExecResult::OutOfResources;
        default:
            return WinExecResult::BadFormat;
    }
}

WinExecResult launch(const QString& path, const CommandLineParts& parts, ProgramEndHandler onEnd,
                     OutputKept kept) {
    // Everything the child needs is prepared here: after fork only async-signal-safe calls.
    const QByteArray pathBytes = QFile::encodeName(path);
    const QByteArray folderBytes = QFile::encodeName(programFolder());
    QList<QByteArray> argBytes;
    argBytes.append(QFile::encodeName(parts.program));
    for (const QString& a : parts.arguments) {
        argBytes.append(QFile::encodeName(a));
    }
    std::vector<char*> argv;
    argv.reserve(size_t(argBytes.size()) + 1);
    for (QByteArray& a : argBytes) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    struct rlimit rl {};
    int fdLimit = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) {
        fdLimit = int(qMin<rlim_t>(rl.rlim_cur, 65536));
    }

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return WinExecResult::OutOfResources;
    }
    const int outputFd = makeOutputFile();
    const QDateTime started = clock().now();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        if (outputFd >= 0) {
            ::close(outputFd);
        }
        return WinExecResult::OutOfResources;
    }
    if (child == 0) {
        ::close(fds[0]);
        becomeProgram(pathBytes.constData(), argv.data(), folderBytes.constData(), outputFd, fds[1],
                      fdLimit);
    }
    ::close(fds[1]);
    // The write end closes when the child has exec'd (close-on-exec) or ended: end of file
    // means started.
    Report report{0};
    char* p = reinterpret_cast<char*>(&report);
    size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n = ::read(fds[0], p + got, sizeof report - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += size_t(n);
    }
    ::close(fds[0]);
    if (got == 0) {
        followChild(child, outputFd, started, std::move(onEnd), kept);
        return WinExecResult::Started;
    }
    // Exec failed: the child ends at once; reap it here.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (outputFd >= 0) {
        ::close(outputFd);
    }
    if (got < sizeof report) {
        return WinExecResult::OutOfResources;
    }
    return resultOfExecError(report.error, path);
}

}  // namespace

QStringList splitArguments(const QString& text) {
    QStringList out;
    QString current;
    bool inToken = false;
    bool inQuotes = false;
    for (QChar c : text) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            inToken = true;
        } else if (!inQuotes && isBlank(c)) {
            if (inToken) {
                out.append(current);
                current.clear();
                inToken = false;
            }
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken) {
        out.append(current);
    }
    return out;
}

CommandLineParts splitCommandLine(const QString& line,
                                  const std::function<bool(const QString&)>& isFile) {
    CommandLineParts out;
    qsizetype restFrom = 0;
    if (line.startsWith(u'"')) {
        out.quoted = true;
        const qsizetype close = line.indexOf(u'"', 1);
        out.program = close < 0 ? line.mid(1) : line.mid(1, close - 1);
        restFrom = close < 0 ? line.size() : close + 1;
        out.found = !out.program.isEmpty() && isFile(out.program);
    } else {
        const qsizetype quote = line.indexOf(u'"');
        const qsizetype headSize = quote < 0 ? line.size() : quote;
        // Cut points: every blank of the head, and its end.
        QList<qsizetype> cuts;
        for (qsizetype i = 0; i < headSize; ++i) {
            if (isBlank(line[i])) {
                cuts.append(i);
            }
        }
        cuts.append(headSize);
        qsizetype chosen = -1;
        for (qsizetype cut : cuts) {
            // A view of the prefix, no copy: the line outlives the call.
            if (cut > 0 && isFile(QString::fromRawData(line.constData(), cut))) {
                chosen = cut;
                out.found = true;
                break;
            }
        }
        if (chosen < 0) {
            // The longest prefix whose last path component holds no blank.
            qsizetype lastSlash = -1;
            qsizetype lastBlank = -1;
            qsizetype next = 0;
            chosen = 0;
            for (qsizetype cut : cuts) {
                for (; next < cut; ++next) {
                    if (line[next] == u'/') {
                        lastSlash = next;
                    } else if (isBlank(line[next])) {
                        lastBlank = next;
                    }
                }
                if (lastBlank < lastSlash || lastBlank < 0) {
                    chosen = cut;
                }
            }
        }
        out.program = line.left(chosen);
        restFrom = chosen;
    }
    out.arguments = splitArguments(line.mid(restFrom));
    return out;
}

CommandLineParts splitCommandLine(const QString& line) {
    return splitCommandLine(
        line, [](const QString& program) { return kindOf(resolveProgram(program)) == Kind::File; });
}

std::optional<QString> launchFailureText(WinExecResult result, const LaunchFailureTexts& texts) {
    switch (result) {
        case WinExecResult::OutOfResources:
            return texts.outOfResources;
        case WinExecResult::FileNotFound:
            return texts.fileNotFound;
        case WinExecResult::PathNotFound:
            return texts.pathNotFound;
        case WinExecResult::BadFormat:
            return texts.badFormat;
        case WinExecResult::Started:
            break;
    }
    return std::nullopt;
}

WinExecResult WinExec(const QString& commandLine, int show) {
    return WinExec(commandLine, show, {});
}

WinExecResult WinExec(const QString& commandLine, int show, ProgramEndHandler onEnd,
                      OutputKept kept) {
    if (currentScope && currentScope->hook_) {
        const WinExecResult result = currentScope->hook_(commandLine, show);
        if (result == WinExecResult::Started && onEnd) {
            currentScope->waiting_.emplace_back(clock().now(), std::move(onEnd));
        }
        return result;
    }
    const CommandLineParts parts = splitCommandLine(commandLine);
    if (parts.program.isEmpty()) {
        return WinExecResult::FileNotFound;
    }
    const QString path = resolveProgram(parts.program);
    switch (kindOf(path)) {
        case Kind::File:
            if (::access(QFile::encodeName(path).constData(), X_OK) != 0) {
                return WinExecResult::BadFormat;
            }
            return launch(path, parts, std::move(onEnd), kept);
        case Kind::Folder:
        case Kind::Other:
            return WinExecResult::BadFormat;
        case Kind::Missing:
            break;
    }
    return kindOf(folderOf(path)) == Kind::Folder ? WinExecResult::FileNotFound
                                                  : WinExecResult::PathNotFound;
}

qsizetype programsRunning() {
    qsizetype waiting = 0;
    for (const ScopedWinExecHook* s = currentScope; s; s = s->inUse_.previous()) {
        waiting += s->launchesWaiting();
    }
    return childrenFollowed() + waiting;
}

ScopedWinExecHook::ScopedWinExecHook(WinExecHook h)
    : hook_(std::move(h)), inUse_(currentScope, this) {}

qsizetype ScopedWinExecHook::launchesWaiting() const {
    return qsizetype(waiting_.size());
}

void ScopedWinExecHook::endLaunch(ProgramEnd end, qsizetype index) {
    Q_ASSERT(index >= 0 && index < launchesWaiting());
    auto it = waiting_.begin() + index;
    end.started = it->first;
    if (!end.ended.isValid()) {
        end.ended = clock().now();
    }
    const ProgramEndHandler onEnd = std::move(it->second);
    waiting_.erase(it);
    onEnd(end);
}

}  // namespace kv
