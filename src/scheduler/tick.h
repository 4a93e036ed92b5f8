#pragma once

#include <QtGlobal>

namespace kv {

class AppState;

// The scheduler's handlers, free of widgets. The main window wires its controls to them: it
// keeps `pauseBoxChecked` equal to its pause box before it calls any of them, and does the
// widget work itself (menu check mark, the paused label, focus, tray tooltip, About button).

// The start-up pass, run by Timer3: the next-run calculation of every task in table order
// (at-every-start tasks run here, missed runs are made up or skipped), the task table reread,
// the check marks refreshed, the task that was current made current again; then the start-up
// is over and the tick starts, unless the pause box is checked. A table error ends only the
// step it hit: the pass goes on, always ends as described, and then reports the first error.
void StartScheduler(AppState& state);

// One tick of Timer1: starts every enabled task whose next run has passed (by at least one
// millisecond), in table order, unless the pause box is checked; a task whose period is none of
// the known ones is passed over, as if disabled. It rereads the task table, refreshes the
// check marks and returns to the task that was current. Then it sets the next interval to three
// quarters of the distance to the nearest enabled task's next run (taken before any run of this
// tick), at least 1000 ms and at most 750000000 ms; a tick that started a task is followed by
// another one a second later. While the pause box is checked the interval is left alone, except
// that a running tick never goes below 1000 ms.
void Timer1Timer(AppState& state);

// The pause box changed (the window has set `pauseBoxChecked`). Checked: the tick stops.
// Unchecked: every task gets a pending missed-run check and Timer3 is started, so that the
// start-up pass runs three seconds later and starts the tick again.
void Editt5Click(AppState& state);

// The tray menu's pause item: flips `pauseBoxChecked`, applies it as Editt5Click does and sets
// `tasksPaused`. Returns the new state of the box. The window sets its box to that state with
// the box's own signal blocked (so the pause is applied once), then updates the menu check
// mark, the paused label and the tray tooltip.
bool N2Click(AppState& state);

// A click in a cell of the task list, after the list has toggled the row's check mark in
// `state.marks` (a click in the check column, column 0). When the mark now differs from the
// task's Flag, the task becomes current, Flag and IsPropusk take the mark's value and the tick
// (re)starts at TickInterval. A click in another column, on an empty list or outside the rows
// changes nothing.
void DBGrid1CellClick(AppState& state, int column, int row);

// Sets IsPropusk on every task, in table order, and returns to the task that was current.
void MarkMissedRunChecks(AppState& state);

// Notices that the wall clock and the machine's monotonic clock moved apart: the machine was
// suspended (monotonic time stands still meanwhile, and so do the timers), or the wall clock
// was set or changed with daylight saving. The main window's one-second clock handler asks it
// on every call.
class ClockWatch {
public:
    // Drifts up to this much between two readings are ordinary jitter and clock slewing.
    static constexpr qint64 kToleranceMs = 1000;

    // Takes a reading of both clocks. True when wall time moved by more than kToleranceMs more
    // or less than monotonic time since the previous reading. The first reading only primes.
    bool jumped();

private:
    bool primed_ = false;
    qint64 offset_ = 0;  // wall milliseconds minus monotonic milliseconds
};

// For the one-second clock handler: when `watch` sees a jump and the tick is running, runs the
// tick at once, so that a task that came due during a suspend or across the jump starts now and
// not when the interval set before the jump runs out. Returns whether it ran the tick.
bool CatchUpAfterClockJump(AppState& state, ClockWatch& watch);

}  // namespace kv
