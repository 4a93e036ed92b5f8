#include "scheduler/tickrun.h"

#include <QStringList>

namespace kv {
namespace {

QStringList& tasksRunByTick() {
    static QStringList names;
    return names;
}

}  // namespace

TickRunScope::TickRunScope(QString taskName) {
    tasksRunByTick().append(std::move(taskName));
}

TickRunScope::~TickRunScope() {
    tasksRunByTick().removeLast();
}

bool TickRunScope::isRunning(const QString& taskName) {
    return tasksRunByTick().contains(taskName);
}

}  // namespace kv
