#include "scheduler/calcnextrun.h"

#include "app/appstate.h"
#include "archiving/runtask.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "scheduler/nextrunrules.h"
#include "scheduler/tickrun.h"

namespace kv {

void CalcNextRun(AppState& state) {
    Table& t = state.table1;
    const QDateTime now = clock().now();
    if (t.isEmpty() || !t.asBool(TaskField::Flag) || state.pauseBoxChecked) {
        return;
    }

    const int period = t.asInt(TaskField::VidPeriod);
    bool hasNext = true;
    bool run = false;
    QDateTime next;
    switch (period) {
        case 0:  // on demand only
            next = nextrun::tenYearsAfter(now);
            break;
        case 1:  // at every start of the program
            run = state.startingUp;
            next = nextrun::tenYearsAfter(now);
            break;
        case 2:
        case 3:
        case 4:
        case 5: {
            // Missed-run check: at the start-up pass, or while a check is pending.
            if ((state.startingUp || t.asBool(TaskField::IsPropusk)) &&
                t.asInt(TaskField::Propusk) == 0 &&
                nextrun::earlierThan(t.asDateTime(TaskField::SledTime), now)) {
                run = true;
            }
            if (period == 2) {
                next = nextrun::hourly(now, t.asInt(TaskField::Minuta));
            } else if (period == 3) {
                next = nextrun::daily(now, t.asDateTime(TaskField::DayTime).time());
            } else if (period == 4) {
                next = nextrun::weekly(now, t.asInt(TaskField::WeekDay),
                                       t.asDateTime(TaskField::WeekTime).time());
            } else {
                next = nextrun::monthly(now, t.asInt(TaskField::MonthDay),
                                        t.asBool(TaskField::LastDay),
                                        t.asDateTime(TaskField::MonthTime).time());
            }
            break;
        }
        default:  // no period: only the pending check ends
            hasNext = false;
            break;
    }

    // The tick is starting this very task for this due moment: no second run for it.
    if (run && TickRunScope::isRunning(t.asString(TaskField::Name))) {
        run = false;
    }

    if (run) {
        // The text below is formatted as after the run, which fixes the separators of every
        // date text from the first run on.
        useRunSeparators();
    }

    // The next run, its text and the end of the pending check go into one post, before any
    // launch: a tick that runs inside the launch's error box then finds the task no longer due,
    // and the program dying during the launch leaves a row that agrees with itself.
    t.edit();
    if (hasNext) {
        t.setDateTime(TaskField::SledTime, next);
        t.setString(TaskField::SledTimeStr, period == 0   ? state.texts.text(Form1Text::cf3)
                                            : period == 1 ? state.texts.text(Form1Text::cf4)
                                                          : dateTimeText(next));
    }
    t.setBool(TaskField::IsPropusk, false);
    t.post();

    if (run) {
        RunTask(state, false);
    }
}

}  // namespace kv
