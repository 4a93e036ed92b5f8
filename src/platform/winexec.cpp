#include "platform/winexec.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QList>
#include <cerrno>
#include <csignal>
#include <utility>
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

// In a child of this program: a session of its own, every signal at its default, none blocked.
// Only async-signal-safe calls.
void startOwnSession() {
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
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void becomeProgram(const char* path, char* const* argv, const char* folder,
                                int outputFd, int reportFd, int fdLimit) {
    startOwnSession();
    if (::chdir(folder) != 0) {
        // Started in the folder this program is in; the archiver gets absolute paths anyway.
    }
    // When this program runs without descriptors 0..2, the report pipe or the output pipe may
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
    // Output goes to the pipe that we read; without one, nowhere.
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

// The read end of a pipe whose write end this process alone holds (close-on-exec) for as long
// as it lives: once it has ended, however it ended, the read end reports a hang-up. -1 when none
// could be made.
int lifeline() {
    static int fds[2] = {-1, -1};
    if (fds[0] < 0 && ::pipe2(fds, O_CLOEXEC) != 0) {
        fds[0] = fds[1] = -1;
    }
    return fds[0];
}

// Closes every descriptor but `a` and `b`.
void closeAllBut(int a, int b, int limit) {
    if (a > b) {
        std::swap(a, b);
    }
#if defined(SYS_close_range)
    if ((a == 0 || ::syscall(SYS_close_range, 0U, unsigned(a - 1), 0U) == 0) &&
        (b == a + 1 || ::syscall(SYS_close_range, unsigned(a + 1), unsigned(b - 1), 0U) == 0) &&
        ::syscall(SYS_close_range, unsigned(b + 1), ~0U, 0U) == 0) {
        return;
    }
#endif
    for (int fd = 0; fd < limit; ++fd) {
        if (fd != a && fd != b) {
            ::close(fd);
        }
    }
}

// The keeper of a child's output pipe, a grandchild of this program: it holds the pipe's read
// end and reads nothing while this program lives, so that the child never meets a pipe without
// a reader (which would end it with SIGPIPE) when this program ends first. It ends with the
// child's output (every writer gone); once this program has ended, it reads the output and
// discards it until then. Only async-signal-safe calls.
[[noreturn]] void keepOutput(int lifelineFd, int outputFd, int fdLimit) {
    startOwnSession();
    closeAllBut(lifelineFd, outputFd, fdLimit);
    for (;;) {
        // Nothing asked for: only a hang-up (or an error) wakes it.
        struct pollfd watched[2] = {{lifelineFd, 0, 0}, {outputFd, 0, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::_exit(1);
        }
        if (watched[1].revents != 0) {
            ::_exit(0);
        }
        if (watched[0].revents != 0) {
            break;
        }
    }
    const int flags = ::fcntl(outputFd, F_GETFL);
    ::fcntl(outputFd, F_SETFL, flags & ~O_NONBLOCK);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(outputFd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR)) {
            ::_exit(0);
        }
    }
}

// Starts the keeper of `outputFd` (see keepOutput); its process id, or -1 when none could be
// started.
pid_t startKeeper(int outputFd, int fdLimit) {
    const int lifelineFd = lifeline();
    if (lifelineFd < 0) {
        return -1;
    }
    const pid_t keeper = ::fork();
    if (keeper == 0) {
        keepOutput(lifelineFd, outputFd, fdLimit);
    }
    return keeper;
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
                     OutputKept kept, ProgramOutputHandler onOutput) {
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
    // Its output: read end here, write end for the child. Without it, the output goes nowhere.
    int output[2] = {-1, -1};
    if (::pipe2(output, O_CLOEXEC) != 0) {
        output[0] = output[1] = -1;
    }
    const auto closeOutput = [&output] {
        for (int& fd : output) {
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
        }
    };
    const QDateTime started = clock().now();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        closeOutput();
        return WinExecResult::OutOfResources;
    }
    if (child == 0) {
        ::close(fds[0]);
        becomeProgram(pathBytes.constData(), argv.data(), folderBytes.constData(), output[1],
                      fds[1], fdLimit);
    }
    ::close(fds[1]);
    if (output[1] >= 0) {
        ::close(output[1]);
        output[1] = -1;
    }
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
        pid_t keeper = -1;
        if (output[0] >= 0) {
            keeper = startKeeper(output[0], fdLimit);
            ::fcntl(output[0], F_SETFL, ::fcntl(output[0], F_GETFL) | O_NONBLOCK);
        }
        followChild(child, {output[0], keeper}, started, std::move(onEnd), kept,
                    std::move(onOutput));
        return WinExecResult::Started;
    }
    // Exec failed: the child ends at once; reap it here.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    closeOutput();
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
                      OutputKept kept, ProgramOutputHandler onOutput) {
    if (currentScope && currentScope->hook_) {
        const WinExecResult result = currentScope->hook_(commandLine, show);
        if (result == WinExecResult::Started && onEnd) {
            currentScope->waiting_.push_back(
                {clock().now(), std::move(onEnd), std::move(onOutput)});
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
            return launch(path, parts, std::move(onEnd), kept, std::move(onOutput));
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
    end.started = it->started;
    if (!end.ended.isValid()) {
        end.ended = clock().now();
    }
    const ProgramEndHandler onEnd = std::move(it->onEnd);
    waiting_.erase(it);
    onEnd(end);
}

void ScopedWinExecHook::writeOutput(QByteArrayView output, qsizetype index) {
    Q_ASSERT(index >= 0 && index < launchesWaiting());
    const ProgramOutputHandler& onOutput = waiting_[size_t(index)].onOutput;
    if (onOutput) {
        onOutput(output);
    }
}

}  // namespace kv
