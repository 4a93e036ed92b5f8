#include "support/launchrecorder.h"

#include "platform/clock.h"

namespace kv::test {

LaunchRecorder::LaunchRecorder()
    : hook_([this](const QString& line, int show) {
          lines << line;
          times << clock().now();
          if (onLaunch) {
              onLaunch();
          }
          return show == kSwShow ? result : WinExecResult::OutOfResources;
      }) {}

}  // namespace kv::test
