#include "platform/childwatch.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QtDebug>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <exception>
#include <memory>
#include <vector>

#include "platform/clock.h"

namespace kv {
namespace {

// The SIGCHLD pipe: made once, the first time a child is followed through it, and never closed,
// since the handler may run at any time afterwards. The handler chains to the one it replaced
// (Qt's process code may have installed one).
int sigchldPipe[2] = {-1, -1};
struct sigaction previousSigchld {};

void onSigchld(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const char byte = 0;
    // Non-blocking: a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(sigchldPipe[1], &byte, 1);
    errno = savedErrno;
    if (previousSigchld.sa_flags & SA_SIGINFO) {
        if (previousSigchld.sa_sigaction) {
            previousSigchld.sa_sigaction(signal, info, context);
        }
    } else if (previousSigchld.sa_handler != SIG_DFL && previousSigchld.sa_handler != SIG_IGN) {
        previousSigchld.sa_handler(signal);
    }
}

bool installSigchldPipe() {
    if (sigchldPipe[0] >= 0) {
        return true;
    }
    if (::pipe2(sigchldPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        sigchldPipe[0] = sigchldPipe[1] = -1;
        return false;
    }
    struct sigaction sa {};
    sa.sa_sigaction = onSigchld;
    sa.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGCHLD, &sa, &previousSigchld);
    return true;
}

int openPidfd(pid_t pid) {
#if defined(SYS_pidfd_open)
    return int(::syscall(SYS_pidfd_open, pid, 0));  // always close-on-exec
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool forceSignalPipe = false;

// The last kOutputTailBytes of everything appended.
class OutputTail {
public:
    void append(QByteArrayView piece) {
        bytes_.append(piece);
        // Trimmed now and then, not at every piece.
        if (bytes_.size() > 4 * kOutputTailBytes) {
            bytes_.remove(0, bytes_.size() - kOutputTailBytes);
            cut_ = true;
        }
    }
    QByteArray bytes(bool* cut) const {
        *cut = cut_ || bytes_.size() > kOutputTailBytes;
        return bytes_.right(kOutputTailBytes);
    }

private:
    QByteArray bytes_;
    bool cut_ = false;
};

struct Child {
    pid_t pid = 0;
    int pidfd = -1;  // -1: followed through the SIGCHLD pipe
    int outputFd = -1;
    pid_t keeper = -1;
    QDateTime started;
    ProgramEndHandler onEnd;
    ProgramOutputHandler onOutput;
    OutputKept kept = OutputKept::Tail;
    QSocketNotifier* notifier = nullptr;
    QSocketNotifier* outputNotifier = nullptr;
    OutputTail tail;
    std::optional<QByteArray> whole;  // all of the output, while kept and within its limit
};

// Lets a notifier go, also from inside its own activation.
void dropNotifier(QSocketNotifier*& notifier) {
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
}

class ChildWatch final : public QObject {
public:
    static ChildWatch* instance();

    void add(std::unique_ptr<Child> child);
    qsizetype size() const { return qsizetype(children_.size()); }

    ~ChildWatch() override {
        // The application ends first: the children run on; only our ends of them are closed.
        for (const auto& c : children_) {
            delete c->notifier;
            delete c->outputNotifier;
            closeFds(*c);
        }
    }

private:
    static void closeFds(Child& c) {
        if (c.pidfd >= 0) {
            ::close(c.pidfd);
            c.pidfd = -1;
        }
        if (c.outputFd >= 0) {
            ::close(c.outputFd);
            c.outputFd = -1;
        }
    }

    // Reads what the output pipe of `child` holds now; at its end of file, closes it.
    static void readOutput(Child& child);
    // Reaps `pid` if it has ended; then ends its follow-up.
    void check(pid_t pid);
    void drainSignalPipe();

    // Takes `child` into the children followed and starts reading its output.
    void keep(std::unique_ptr<Child> child);

    std::vector<std::unique_ptr<Child>> children_;
    QSocketNotifier* pipeNotifier_ = nullptr;
};

ChildWatch* watch = nullptr;

ChildWatch* ChildWatch::instance() {
    if (!watch) {
        watch = new ChildWatch;
        // Destroyed while the event dispatcher still exists, before the application object.
        qAddPostRoutine([] {
            delete watch;
            watch = nullptr;
        });
    }
    return watch;
}

void ChildWatch::add(std::unique_ptr<Child> child) {
    const pid_t pid = child->pid;
    if (!forceSignalPipe) {
        child->pidfd = openPidfd(pid);
    }
    if (child->pidfd >= 0) {
        child->notifier = new QSocketNotifier(child->pidfd, QSocketNotifier::Read, this);
        connect(child->notifier, &QSocketNotifier::activated, this, [this, pid] { check(pid); });
        keep(std::move(child));
        return;
    }
    if (!installSigchldPipe()) {
        qWarning("kelvotrin: cannot follow process %d", int(pid));
        closeFds(*child);
        return;
    }
    if (!pipeNotifier_) {
        pipeNotifier_ = new QSocketNotifier(sigchldPipe[0], QSocketNotifier::Read, this);
        connect(pipeNotifier_, &QSocketNotifier::activated, this, [this] { drainSignalPipe(); });
    }
    keep(std::move(child));
    // It may have ended before the handler was there to tell: look once in any case.
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(sigchldPipe[1], &byte, 1);
}

void ChildWatch::keep(std::unique_ptr<Child> child) {
    if (child->outputFd >= 0) {
        Child* c = child.get();
        c->outputNotifier = new QSocketNotifier(c->outputFd, QSocketNotifier::Read, this);
        connect(c->outputNotifier, &QSocketNotifier::activated, this, [c] { readOutput(*c); });
    }
    children_.push_back(std::move(child));
}

void ChildWatch::drainSignalPipe() {
    char buffer[64];
    while (::read(sigchldPipe[0], buffer, sizeof buffer) > 0) {
    }
    std::vector<pid_t> piped;
    for (const auto& c : children_) {
        if (c->pidfd < 0) {
            piped.push_back(c->pid);
        }
    }
    for (pid_t pid : piped) {
        check(pid);
    }
}

void ChildWatch::readOutput(Child& c) {
    char buffer[16384];
    while (c.outputFd >= 0) {
        const ssize_t n = ::read(c.outputFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (n <= 0) {
            // Its end: every writer has closed the pipe (or it cannot be read any more).
            dropNotifier(c.outputNotifier);
            ::close(c.outputFd);
            c.outputFd = -1;
            return;
        }
        const QByteArrayView piece(buffer, n);
        c.tail.append(piece);
        if (c.whole) {
            if (c.whole->size() + piece.size() > kWholeOutputLimit) {
                c.whole.reset();  // too much: none of it
            } else {
                c.whole->append(piece);
            }
        }
        if (c.onOutput) {
            // Runs from the event loop: nothing may escape into it.
            try {
                c.onOutput(piece);
            } catch (const std::exception& e) {
                qWarning("kelvotrin: reading the output of process %d: %s", int(c.pid), e.what());
            }
        }
        if (size_t(n) < sizeof buffer) {
            return;  // all there was; the notifier tells of more
        }
    }
}

void ChildWatch::check(pid_t pid) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [pid](const auto& c) { return c->pid == pid; });
    if (it == children_.end()) {
        return;
    }
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(pid, &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) {
        return;  // still running (a SIGCHLD of another child)
    }
    std::unique_ptr<Child> child = std::move(*it);
    children_.erase(it);
    // We may be inside its activation: let it go once the event is done.
    dropNotifier(child->notifier);
    ProgramEnd end;
    end.started = child->started;
    end.ended = clock().now();
    if (got < 0) {
        // Reaped elsewhere; its status is lost.
        end.signalled = false;
        end.code = -1;
    } else if (WIFSIGNALED(status)) {
        end.signalled = true;
        end.code = WTERMSIG(status);
    } else {
        end.code = WEXITSTATUS(status);
    }
    // What it wrote last may still be in the pipe: read up to what is there now (a process it
    // left behind may hold the pipe open, so the pipe's end is not waited for).
    readOutput(*child);
    dropNotifier(child->outputNotifier);
    end.outputTail = child->tail.bytes(&end.outputCut);
    if (child->kept == OutputKept::Whole) {
        end.output = std::move(child->whole);
    }
    closeFds(*child);
    if (child->keeper > 0) {
        // Its work is done once the child has ended; it ends at once.
        ::kill(child->keeper, SIGKILL);
        while (::waitpid(child->keeper, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (child->onEnd) {
        // The handler runs from the event loop: nothing may escape into it.
        try {
            child->onEnd(end);
        } catch (const std::exception& e) {
            qWarning("kelvotrin: following process %d: %s", int(pid), e.what());
        }
    }
}

}  // namespace

void followChild(pid_t pid, ChildOutput output, QDateTime started, ProgramEndHandler onEnd,
                 OutputKept kept, ProgramOutputHandler onOutput) {
    auto child = std::make_unique<Child>();
    child->pid = pid;
    child->outputFd = output.fd;
    child->keeper = output.keeper;
    child->started = std::move(started);
    child->onEnd = std::move(onEnd);
    child->onOutput = std::move(onOutput);
    child->kept = kept;
    if (kept == OutputKept::Whole) {
        child->whole = QByteArray();
    }
    if (!QCoreApplication::instance()) {
        qWarning("kelvotrin: no application object; process %d is not followed", int(pid));
        if (output.fd >= 0) {
            ::close(output.fd);
        }
        return;
    }
    ChildWatch::instance()->add(std::move(child));
}

qsizetype childrenFollowed() {
    return watch ? watch->size() : 0;
}

void followThroughSignalPipe(bool on) {
    forceSignalPipe = on;
}

}  // namespace kv
