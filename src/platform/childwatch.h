#pragma once

#include <sys/types.h>

#include "platform/winexec.h"

namespace kv {

// Follows child processes until they end, from the event loop: a pidfd per child under a
// socket notifier, or, where the kernel has no pidfd_open, one SIGCHLD pipe for all of them.
// No timer and no wake-up while nothing ends. A child is reaped as soon as its end is noticed;
// then `onEnd` runs with its status and the tail of `outputFd` (an unlinked file holding its
// standard output and error, owned and closed here; -1 for none), and all of it when `kept` asks
// for it. Children still running when the application object is destroyed are let go: their
// descriptors are closed, nothing is sent to them, and they are reparented when this process
// ends.
void followChild(pid_t pid, int outputFd, QDateTime started, ProgramEndHandler onEnd,
                 OutputKept kept = OutputKept::Tail);

// Children followed and not yet ended.
qsizetype childrenFollowed();

// Follow children started from now on through the SIGCHLD pipe even where pidfds work, so that
// this path is tested too.
void followThroughSignalPipe(bool on);

// The last kOutputTailBytes of the file behind `fd`; `cut` tells whether anything came before.
QByteArray tailOf(int fd, bool* cut);
// All of the file behind `fd`; nothing when it holds more than kWholeOutputLimit bytes.
std::optional<QByteArray> wholeOf(int fd);

}  // namespace kv
