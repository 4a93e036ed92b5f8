#include "scheduler/scheduler.h"

#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/messagebox.h"
#include "scheduler/clockwatch.h"
#include "scheduler/nextrunrules.h"
#include "scheduler/tickrun.h"
#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"
#include "store/tasktable.h"

namespace kv {
namespace {

constexpr quint64 kNoTaskDistanceMs = 1'000'000'000;
constexpr int kShortestTickMs = 1000;
constexpr int kStartupDelayMs = 3000;

}  // namespace

Scheduler::Scheduler(Table& tasks, CheckMarks& marks, const MainWindowTexts& texts,
                     TaskRunner runTask, QObject* parent)
    : QObject(parent), tasks_(tasks), marks_(marks), texts_(texts), runTask_(std::move(runTask)) {
    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setInterval(0);
    startupTimer_.setInterval(kStartupDelayMs);
    startupTimer_.setSingleShot(true);
}

void Scheduler::setTickTimerInterval(int ms) {
    if (ms <= 0) {
        tickTimer_.stop();
        tickTimer_.setInterval(0);
    } else {
        tickTimer_.start(ms);
    }
}

int Scheduler::tickTimerInterval() const {
    return tickTimer_.isActive() ? tickTimer_.interval() : 0;
}

void Scheduler::setPaused(bool paused) {
    paused_ = paused;
    if (paused) {
        setTickTimerInterval(0);
    } else {
        // Armed first: when marking the missed runs fails (a full disk), the failure is
        // reported and the start-up pass still comes to restart the tick.
        startupTimer_.start();
        markMissedRunChecks();
    }
}

bool Scheduler::togglePaused() {
    setPaused(!paused_);
    return paused_;
}

void Scheduler::scheduleCurrentTask() {
    if (CalcNextRun(tasks_, nextRunContext())) {
        runTask_(false);
    }
}

namespace {

// Runs `step`; an Error ends only that step: a row left in edit state is given up, and the first
// message is kept in `failure`.
void endingOnlyTheStep(Table& t, QString& failure, const std::function<void()>& step) {
    try {
        step();
    } catch (const Error& e) {
        if (t.state() != Table::State::Browse) {
            t.cancel();
        }
        if (failure.isEmpty()) {
            failure = e.message();
        }
    }
}

}  // namespace

void Scheduler::startupPass() {
    Table& t = tasks_;
    // A failure of one task (a full disk, a file that cannot be written) ends only that task's
    // calculation: the pass goes on with the others and always ends with the tick started, so
    // that tasks due later still run once the cause is gone. The first failure is reported
    // once, after the pass. A tasks.dbf that could not be opened at start was reported then.
    QString failure;
    const QString name = currentTaskName(t);
    if (t.isOpen()) {
        ControlsDisabled suspended(t);
        t.first();
        while (!t.eof()) {
            endingOnlyTheStep(t, failure, [&] { scheduleCurrentTask(); });
            t.next();
        }
        endingOnlyTheStep(t, failure, [&] { rereadTasks(t, marks_, name); });
    }
    startingUp_ = false;
    setTickTimerInterval(paused_ ? 0 : kTickInterval);
    if (!failure.isEmpty()) {
        reportError(failure);
    }
}

void Scheduler::tick() {
    Table& t = tasks_;
    const QDateTime now = clock().now();
    quint64 nearest = kNoTaskDistanceMs;
    const QString name = currentTaskName(t);
    // As in the start-up pass, a failure (a full disk) ends only the run of its task; the tick
    // goes on and sets its interval as always. The task stays due and is tried again at the
    // next tick, a second later, so that it runs as soon as the cause is gone.
    QString failure;
    // Without tasks.dbf (it could not be opened, which was reported) there is nothing to walk.
    if (t.isOpen()) {
        ControlsDisabled suspended(t);
        const auto flag = t.fieldIndex(TaskField::Flag);
        const auto period = t.fieldIndex(TaskField::VidPeriod);
        const auto sledTime = t.fieldIndex(TaskField::SledTime);
        t.first();
        while (!t.eof()) {
            // A period outside the known ones (a damaged or foreign table) has no next run to
            // move on to: run, it would be due again at every tick.
            if (!paused_ && t.asBool(flag) && knownPeriod(t.asInt(period))) {
                const QDateTime next = t.asDateTime(sledTime);
                nearest = std::min(nearest, quint64(std::abs(now.msecsTo(next))));
                // Asked again: a run's error box may have let the user pause.
                if (!paused_ && nextrun::earlierThan(next, now)) {
                    // A task started now is measured again by the next tick, one second later.
                    // Its distance from the passed due moment says nothing about its next run,
                    // which may come sooner than that distance (an hourly task found hours
                    // late after a suspend).
                    nearest = 0;
                    TickRunScope running(t.asString(TaskField::Name));
                    endingOnlyTheStep(t, failure, [&] { runTask_(true); });
                }
            }
            t.next();
        }
        endingOnlyTheStep(t, failure, [&] { rereadTasks(t, marks_, name); });
    }
    if (!paused_) {
        setTickTimerInterval(int(nearest / 4 * 3));
    }
    // Never sooner than a second; but a tick that was stopped by a pause stays stopped.
    const int interval = tickTimerInterval();
    if (interval < kShortestTickMs && !(interval == 0 && paused_)) {
        setTickTimerInterval(kShortestTickMs);
    }

    // The failure is told once, not at every tick that meets it again; a tick that goes through
    // makes the next failure worth telling. The mark is set before the box opens, since ticks
    // go on inside it.
    if (failure.isEmpty()) {
        tickFailureTold_ = false;
    } else if (!tickFailureTold_) {
        tickFailureTold_ = true;
        reportError(failure);
    }
}

void Scheduler::markMissedRunChecks() {
    Table& t = tasks_;
    const QString name = currentTaskName(t);
    ControlsDisabled suspended(t);
    t.first();
    while (!t.eof()) {
        t.edit();
        t.setBool(TaskField::IsPropusk, true);
        try {
            t.post();
        } catch (const Error&) {
            t.cancel();
            throw;
        }
        t.next();
    }
    returnToTask(t, name);
}

void Scheduler::toggleTaskEnabled(int row) {
    Table& t = tasks_;
    if (t.isEmpty() || row < 0 || row >= t.recordCount()) {
        return;
    }
    t.moveTo(row);
    const bool checked = marks_.at(row);
    if (checked == t.asBool(TaskField::Flag)) {
        return;
    }
    t.edit();
    t.setBool(TaskField::Flag, checked);
    t.setBool(TaskField::IsPropusk, checked);
    t.post();
    restartTick();
}

bool Scheduler::catchUpAfterClockJump(ClockWatch& watch) {
    if (!watch.jumped() || tickTimerInterval() == 0) {
        return false;
    }
    tick();
    return true;
}

}  // namespace kv
