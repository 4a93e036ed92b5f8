#pragma once

#include <sys/types.h>

#include "platform/winexec.h"

namespace kv {

// A child's output: the read end of the pipe that holds its standard output and error, and the
// process that keeps the pipe readable should this program end first.
struct ChildOutput {
    int fd = -1;        // non-blocking; -1 for none
    pid_t keeper = -1;  // a child of this program, or -1 for none
};

// Follows child processes until they end, from the event loop: a pidfd per child under a
// socket notifier, or, where the kernel has no pidfd_open, one SIGCHLD pipe for all of them.
// A socket notifier reads the child's output pipe as output arrives, hands each piece to
// `onOutput` and keeps the last kOutputTailBytes (and all of it when `kept` asks for it). No timer
// and no wake-up while nothing is written and nothing ends. A child is reaped as soon as its end is
// noticed; what its pipe still holds is read, its keeper is ended and reaped, then `onEnd` runs
// with its status and the tail. Children still running when the application object is destroyed are
// let go with their keepers: the descriptors are closed, nothing is sent to them, and they are
// reparented when this process ends.
void followChild(pid_t pid, ChildOutput output, QDateTime started, ProgramEndHandler onEnd,
                 OutputKept kept, ProgramOutputHandler onOutput);

// Children followed and not yet ended.
qsizetype childrenFollowed();

// Follow children started from now on through the SIGCHLD pipe even where pidfds work, so that
// this path is tested too.
void followThroughSignalPipe(bool on);

}  // namespace kv
