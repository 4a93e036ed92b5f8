#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "language/mainwindowtexts.h"
#include "scheduler/calcnextrun.h"

namespace kv {

class CheckMarks;
class ClockWatch;
class Table;

// The scheduler: the start-up pass, the tick that starts due tasks, the pause of all tasks and
// the enabling of single tasks from the task list's check marks. It works on the main window's
// task table and check marks, starts tasks through the runner it is given and holds no widget.
// The one pause state is paused(): the window's pause box, the tray menu's pause item and the
// tray tooltip all show it.
class Scheduler final : public QObject {
    Q_OBJECT
public:
    // Runs the task on which the cursor of the task table rests, its next run computed first
    // with `recompute` (RunTask).
    using TaskRunner = std::function<void(bool recompute)>;

    // The interval the tick gets whenever something starts it again (TickInterval).
    static constexpr int kTickInterval = 1000;

    Scheduler(Table& tasks, CheckMarks& marks, const MainWindowTexts& texts, TaskRunner runTask,
              QObject* parent = nullptr);

    // Timer1, the tick: stopped (interval 0) until the start-up pass or a command starts it.
    QTimer& tickTimer() { return tickTimer_; }
    // Timer3: one-shot, 3000 ms; the start-up pass runs when it fires.
    QTimer& startupTimer() { return startupTimer_; }
    // Setting 0 stops the tick; any other value (re)starts it with that interval, counting from
    // now.
    void setTickTimerInterval(int ms);
    int tickTimerInterval() const;  // 0 while stopped
    void restartTick() { setTickTimerInterval(kTickInterval); }

    // True from creation to the end of the first start-up pass (StartingUp).
    bool startingUp() const { return startingUp_; }
    void setStartingUp(bool startingUp) { startingUp_ = startingUp; }

    bool paused() const { return paused_; }
    // Pauses: the tick stops. Resumes: every task gets a pending missed-run check and Timer3
    // starts, so that the start-up pass runs three seconds later, makes up or skips what was
    // missed and starts the tick again.
    void setPaused(bool paused);
    // The other pause state, applied as setPaused() does; returns it.
    bool togglePaused();

    // What CalcNextRun reads besides the task's row.
    NextRunContext nextRunContext() const { return {texts_, startingUp_, paused_, runBlocked_}; }

    // Tells whether the current task cannot start now (its archive is being written). The
    // start-up pass then leaves a run it would make, and the runner leaves one the tick asks
    // for, to the next check: the tick comes again a second later.
    void setRunBlocked(std::function<bool()> runBlocked) { runBlocked_ = std::move(runBlocked); }

    // The next-run calculation of the current task, and the run it asks for (CalcNextRun).
    void scheduleCurrentTask();

    // The start-up pass (StartScheduler): the next-run calculation of every task in table order
    // (at-every-start tasks run here, missed runs are made up or skipped), the task table
    // reread, the check marks refreshed, the task that was current made current again; then the
    // start-up is over and the tick starts, unless paused. A table error ends only the step it
    // hit: the pass goes on, always ends as described, and then reports the first error.
    void startupPass();

    // One tick (Timer1Timer): starts every enabled task whose next run has passed (by at least
    // one millisecond), in table order, unless paused; a task whose period is none of the known
    // ones is passed over, as if disabled. It rereads the task table, refreshes the check marks
    // and returns to the task that was current. Then it sets the next interval to three
    // quarters of the distance to the nearest enabled task's next run (taken before any run of
    // this tick), at least 1000 ms and at most 750000000 ms; a tick that started a task is
    // followed by another one a second later. While paused the interval is left alone, except
    // that a running tick never goes below 1000 ms. A table error (a full disk) ends only the
    // run it hit: the tick goes on and sets its interval, and the first error is reported once,
    // then not again until a tick has gone through without one.
    void tick();

    // The task list has toggled the check mark of `row`: when the mark now differs from the
    // task's Flag, the task becomes current, Flag and IsPropusk take the mark's value and the
    // tick starts again at kTickInterval (paused or not: such ticks start nothing). An empty
    // list or a row outside it changes nothing.
    void toggleTaskEnabled(int row);

    // Sets IsPropusk on every task, in table order, and returns to the task that was current.
    void markMissedRunChecks();

    // For the one-second clock handler: when `watch` sees a jump and the tick is running, runs
    // the tick at once, so that a task that came due during a suspend or across the jump starts
    // now and not when the interval set before the jump runs out. Returns whether it ran.
    bool catchUpAfterClockJump(ClockWatch& watch);

private:
    Table& tasks_;
    CheckMarks& marks_;
    const MainWindowTexts& texts_;
    TaskRunner runTask_;
    std::function<bool()> runBlocked_;
    QTimer tickTimer_;
    QTimer startupTimer_;
    bool startingUp_ = true;
    bool paused_ = false;
    bool tickFailureTold_ = false;  // a tick's failure was reported; no tick went through since
};

}  // namespace kv
