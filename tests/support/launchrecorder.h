#pragma once

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <functional>

#include "platform/winexec.h"

namespace kv::test {

// Stands in for the archivers while it lives: WinExec() records the command line and the
// clock's reading and answers `result` instead of starting anything. A launch that does not ask
// the program to show itself (kSwShow) fails as out of resources.
class LaunchRecorder {
public:
    LaunchRecorder();
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;

    QStringList lines;       // every command line, in order
    QList<QDateTime> times;  // clock().now() at each launch
    WinExecResult result = WinExecResult::Started;
    std::function<void()> onLaunch;  // runs while the program "starts"

    // Launches with an end handler wait here until the test ends them.
    ScopedWinExecHook& hook() { return hook_; }

private:
    ScopedWinExecHook hook_;
};

}  // namespace kv::test
