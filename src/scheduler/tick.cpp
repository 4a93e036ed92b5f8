#include "scheduler/tick.h"

#include <algorithm>
#include <functional>

#include "app/appstate.h"
#include "archiving/runtask.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "scheduler/calcnextrun.h"
#include "scheduler/nextrunrules.h"
#include "scheduler/tickrun.h"

namespace kv {
namespace {

constexpr quint64 kNoTaskDistanceMs = 1'000'000'000;
constexpr int kShortestTickMs = 1000;

}  // namespace

void StartScheduler(AppState& state) {
    Table& t = state.table1;
    // A failure of one task (a full disk, a file that cannot be written) ends only that task's
    // calculation: the pass goes on with the others and always ends with the tick started, so
    // that tasks due later still run once the cause is gone. The first failure is reported
    // once, after the pass. A tasks.dbf that could not be opened at start was reported then.
    QString failure;
    auto noteFailure = [&](const std::function<void()>& step) {
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
    };
    const QString name = currentTaskName(t);
    if (t.isOpen()) {
        ControlsDisabled suspended(t);
        t.first();
        while (!t.eof()) {
            noteFailure([&] { CalcNextRun(state); });
            t.next();
        }
        noteFailure([&] { rereadTasks(state, name); });
    }
    state.startingUp = false;
    state.setTimer1Interval(state.pauseBoxChecked ? 0 : state.tickInterval);
    if (!failure.isEmpty()) {
        reportError(failure);
    }
}

void Timer1Timer(AppState& state) {
    Table& t = state.table1;
    const QDateTime now = clock().now();
    quint64 nearest = kNoTaskDistanceMs;
    const QString name = currentTaskName(t);
    // Without tasks.dbf (it could not be opened, which was reported) there is nothing to walk.
    if (t.isOpen()) {
        ControlsDisabled suspended(t);
        const int flag = t.fieldIndex(TaskField::Flag);
        const int period = t.fieldIndex(TaskField::VidPeriod);
        const int sledTime = t.fieldIndex(TaskField::SledTime);
        t.first();
        while (!t.eof()) {
            // A period outside the known ones (a damaged or foreign table) has no next run to
            // move on to: run, it would be due again at every tick.
            if (!state.pauseBoxChecked && t.asBool(flag) && knownPeriod(t.asInt(period))) {
                const QDateTime next = t.asDateTime(sledTime);
                nearest = std::min(nearest, quint64(std::abs(now.msecsTo(next))));
                // The box is asked again: a run's error box may have let the user pause.
                if (!state.pauseBoxChecked && nextrun::earlierThan(next, now)) {
                    // A task started now is measured again by the next tick, one second later.
                    // Its distance from the passed due moment says nothing about its next run,
                    // which may come sooner than that distance (an hourly task found hours
                    // late after a suspend).
                    nearest = 0;
                    TickRunScope running(t.asString(TaskField::Name));
                    RunTask(state, true);
                }
            }
            t.next();
        }
        rereadTasks(state, name);
    }
    if (!state.pauseBoxChecked) {
        state.setTimer1Interval(int(nearest / 4 * 3));
    }
    // Never sooner than a second; but a tick that was stopped by a pause stays stopped.
    const int interval = state.timer1Interval();
    if (interval < kShortestTickMs && !(interval == 0 && state.pauseBoxChecked)) {
        state.setTimer1Interval(kShortestTickMs);
    }
}

void MarkMissedRunChecks(AppState& state) {
    Table& t = state.table1;
    const QString name = currentTaskName(t);
    ControlsDisabled suspended(t);
    t.first();
    while (!t.eof()) {
        t.edit();
        t.setBool(TaskField::IsPropusk, true);
        t.post();
        t.next();
    }
    returnToTask(t, name);
}

void Editt5Click(AppState& state) {
    if (state.pauseBoxChecked) {
        state.setTimer1Interval(0);
        state.tasksPaused = true;
    } else {
        state.tasksPaused = false;
        MarkMissedRunChecks(state);
        state.timer3.start();
    }
}

bool N2Click(AppState& state) {
    state.pauseBoxChecked = !state.pauseBoxChecked;
    Editt5Click(state);
    state.tasksPaused = state.pauseBoxChecked;
    return state.pauseBoxChecked;
}

void DBGrid1CellClick(AppState& state, int column, int row) {
    Table& t = state.table1;
    if (column != 0 || t.isEmpty() || row < 0 || row >= t.recordCount()) {
        return;
    }
    t.moveTo(row);
    const bool checked = state.marks.at(row);
    if (checked == t.asBool(TaskField::Flag)) {
        return;
    }
    t.edit();
    t.setBool(TaskField::Flag, checked);
    t.setBool(TaskField::IsPropusk, checked);
    t.post();
    state.setTimer1Interval(state.tickInterval);
}

bool ClockWatch::jumped() {
    Clock& c = clock();
    const qint64 offset = c.now().toMSecsSinceEpoch() - c.monotonicMs();
    const bool wasPrimed = primed_;
    const qint64 drift = offset - offset_;
    primed_ = true;
    offset_ = offset;
    return wasPrimed && std::abs(drift) > kToleranceMs;
}

bool CatchUpAfterClockJump(AppState& state, ClockWatch& watch) {
    if (!watch.jumped() || state.timer1Interval() == 0) {
        return false;
    }
    Timer1Timer(state);
    return true;
}

}  // namespace kv
