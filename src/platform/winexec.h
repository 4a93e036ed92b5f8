#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "platform/scopedvalue.h"

namespace kv {

// Starts a program from one command line, as the archivers are started. Never through a shell.
//
// Its results, with the numbers the command-line launch has always returned (any number above 31
// means started):
enum class WinExecResult : unsigned {
    OutOfResources = 0,  // no process could be made
    FileNotFound = 2,    // the program file does not exist
    PathNotFound = 3,    // its folder does not exist
    BadFormat = 11,      // the file is not a runnable program
    Started = 33,
};

// What a window that starts a program tells the user when the start fails, one text per
// failure.
struct LaunchFailureTexts {
    QString outOfResources;
    QString fileNotFound;
    QString pathNotFound;
    QString badFormat;
};
// The text of `result` among `texts`; none when the program started.
std::optional<QString> launchFailureText(WinExecResult result, const LaunchFailureTexts& texts);

inline constexpr int kSwShow = 5;  // the show value callers pass; a desktop program shows itself

// How a followed program ended.
struct ProgramEnd {
    bool signalled = false;  // ended by a signal; `code` is then the signal's number
    int code = 0;            // its exit status, or the signal
    QDateTime started;       // clock().now() at the launch
    QDateTime ended;         // clock().now() when its end was noticed
    QByteArray outputTail;   // the last kOutputTailBytes of what it wrote to stdout and stderr
    bool outputCut = false;  // it wrote more than that: the tail starts inside its output
    // Everything it wrote, when the launch asked for it (OutputKept::Whole) and it wrote at most
    // kWholeOutputLimit bytes; nothing otherwise.
    std::optional<QByteArray> output;
};
inline constexpr qsizetype kOutputTailBytes = 4096;
inline constexpr qsizetype kWholeOutputLimit = qsizetype(256) * 1024 * 1024;

// What of a followed program's output its end handler gets: the tail alone, or all of it as
// well (a program whose output is the result, such as an archive's listing).
enum class OutputKept { Tail, Whole };
using ProgramEndHandler = std::function<void(const ProgramEnd&)>;
// A piece of what a followed program has written to its standard output and error, as it
// arrives: pieces end anywhere, also inside a line or a character.
using ProgramOutputHandler = std::function<void(QByteArrayView piece)>;

// The program is found as splitCommandLine() describes: relative paths are taken from the
// program folder, a bare name is looked for in the program folder and then along PATH. It is
// started directly (never through a shell) as a child of this program, in the program folder,
// in a session of its own, with standard input from /dev/null and standard output and error
// into one pipe.
//
// WinExec returns as soon as the program has been exec'd, and the child is followed from then
// on without blocking and without polling: the event loop reads its output as it arrives (and
// runs `onOutput` with each piece), notices its end (through a pidfd, or a SIGCHLD pipe where
// the kernel has no pidfd), reaps it at once and runs `onEnd` with its exit status and the tail
// of its output (all of it with OutputKept::Whole). Nothing wakes up while children run and write
// nothing. When this program ends first, the child runs on undisturbed (a small keeper process
// takes over its output and discards it) and `onEnd` never runs. Needs a QCoreApplication.
WinExecResult WinExec(const QString& commandLine, int show, ProgramEndHandler onEnd,
                      OutputKept kept = OutputKept::Tail, ProgramOutputHandler onOutput = {});
// The same without an end handler: the child is still reaped when it ends.
WinExecResult WinExec(const QString& commandLine, int show);

// Started programs that have not ended yet, launches waiting in a hook included.
qsizetype programsRunning();

// Tests replace the launch: while a hook is in place, WinExec() only calls it. An empty
// function stands for the real launch.
using WinExecHook = std::function<WinExecResult(const QString& commandLine, int show)>;

// Puts a hook in place for the lifetime of the object and the previous one back afterwards.
// Launches with an end handler that the hook reports as started wait here,
// oldest first, until the test ends them; the object drops those still waiting.
class ScopedWinExecHook {
public:
    explicit ScopedWinExecHook(WinExecHook hook);

    qsizetype launchesWaiting() const;
    // Ends the waiting launch at `index` as if its program had ended as `end` says (the start
    // time is the launch's; an invalid end time becomes now): its end handler runs at once.
    void endLaunch(ProgramEnd end, qsizetype index = 0);
    // Hands `output` to the output handler of the waiting launch at `index`, as if its program
    // had written it.
    void writeOutput(QByteArrayView output, qsizetype index = 0);

private:
    friend WinExecResult WinExec(const QString&, int, ProgramEndHandler, OutputKept,
                                 ProgramOutputHandler);
    friend qsizetype programsRunning();
    struct Launch {
        QDateTime started;
        ProgramEndHandler onEnd;
        ProgramOutputHandler onOutput;
    };
    WinExecHook hook_;
    ScopedValue<ScopedWinExecHook*> inUse_;  // its previous() is the scope it hides
    std::vector<Launch> waiting_;
};

// How a command line falls apart into the program and its arguments.
struct CommandLineParts {
    QString program;        // as written in the line (quotes removed)
    QStringList arguments;  // without the program itself
    bool quoted = false;    // the program was written in double quotes
    bool found = false;     // `isFile` accepted the program
};

// Pure splitting, with the file system reduced to `isFile`, which tells whether a text names an
// existing program file (its argument may share the line's storage: copy it to keep it):
// - A line that starts with '"' names the program up to the closing quote (or the end of the
//   line when there is none).
// - Otherwise the part of the line before its first '"' is cut at every blank (space or tab),
//   and these prefixes, shortest first, are offered to `isFile`; the first one accepted is the
//   program, so a program path with blanks works unquoted. When none is accepted, the program
//   is the longest such prefix whose last path component (the text after its last '/') holds no
//   blank; it may be empty.
// - The rest of the line is split into arguments at blanks; double quotes group blanks into an
//   argument and are themselves dropped ("" gives an empty argument).
CommandLineParts splitCommandLine(const QString& line,
                                  const std::function<bool(const QString&)>& isFile);

// The same against the file system, as WinExec() takes a line apart: relative programs from the
// program folder, bare names there and then along PATH.
CommandLineParts splitCommandLine(const QString& line);

// The argument rule above on its own.
QStringList splitArguments(const QString& text);

}  // namespace kv
