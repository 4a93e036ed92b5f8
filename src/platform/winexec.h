#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kv {

// Starts a program from one command line, as the archivers are started. Never through a shell.
//
// Results, as the callers tell them apart:
inline constexpr unsigned kWinExecOutOfResources = 0;  // no process could be made
inline constexpr unsigned kWinExecFileNotFound = 2;    // the program file does not exist
inline constexpr unsigned kWinExecPathNotFound = 3;    // its folder does not exist
inline constexpr unsigned kWinExecBadFormat = 11;      // the file is not a runnable program
inline constexpr unsigned kWinExecStarted = 33;        // any value above 31: started

inline constexpr int kSwShow = 5;  // the show value callers pass; a desktop program shows itself

// The program is found as splitCommandLine() describes: relative paths are taken from the
// program folder, a bare name is looked for in the program folder and then along PATH. The
// child starts in the program folder with standard input from /dev/null, in a session of its
// own; it is not waited for, outlives this program and is never left as a zombie (it is started
// through a short-lived intermediate process that is reaped at once).
unsigned WinExec(const QString& commandLine, int show);

// Tests replace the launch: while a hook is installed, WinExec() only calls it. An empty
// function restores the real launch.
using WinExecHook = std::function<unsigned(const QString& commandLine, int show)>;
void setWinExecHook(WinExecHook hook);

// Installs a hook for the lifetime of the object and puts the previous one back afterwards.
class ScopedWinExecHook {
public:
    explicit ScopedWinExecHook(WinExecHook hook);
    ~ScopedWinExecHook();
    ScopedWinExecHook(const ScopedWinExecHook&) = delete;
    ScopedWinExecHook& operator=(const ScopedWinExecHook&) = delete;

private:
    WinExecHook previous_;
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

// The argument rule above on its own.
QStringList splitArguments(const QString& text);

}  // namespace kv
