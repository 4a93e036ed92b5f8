#include "scheduler/calcnextrun.h"

#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "scheduler/nextrunrules.h"
#include "scheduler/tickrun.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

bool CalcNextRun(Table& t, const NextRunContext& context) {
    const QDateTime now = clock().now();
    if (t.isEmpty() || !t.asBool(TaskField::Flag) || context.paused) {
        return false;
    }

    const int period = t.asInt(TaskField::VidPeriod);
    bool hasNext = true;
    bool run = false;
    QDateTime next;
    switch (Period(period)) {
        case Period::OnDemand:
            next = nextrun::tenYearsAfter(now);
            break;
        case Period::AtEveryStart:
            run = context.startingUp;
            next = nextrun::tenYearsAfter(now);
            break;
        case Period::Hourly:
        case Period::Daily:
        case Period::Weekly:
        case Period::Monthly:
            // Missed-run check: at the start-up pass, or while a check is pending.
            run = (context.startingUp || t.asBool(TaskField::IsPropusk)) &&
                  t.asInt(TaskField::Propusk) == 0 &&
                  nextrun::earlierThan(t.asDateTime(TaskField::SledTime), now);
            if (Period(period) == Period::Hourly) {
                next = nextrun::hourly(now, t.asInt(TaskField::Minuta));
            } else if (Period(period) == Period::Daily) {
                next = nextrun::daily(now, t.asDateTime(TaskField::DayTime).time());
            } else if (Period(period) == Period::Weekly) {
                next = nextrun::weekly(now, t.asInt(TaskField::WeekDay),
                                       t.asDateTime(TaskField::WeekTime).time());
            } else {
                next = nextrun::monthly(now, t.asInt(TaskField::MonthDay),
                                        t.asBool(TaskField::LastDay),
                                        t.asDateTime(TaskField::MonthTime).time());
            }
            break;
        default:  // no known period (a damaged or foreign table): only the pending check ends
            hasNext = false;
            break;
    }

    // The tick is starting this very task for this due moment: no second run for it.
    if (run && TickRunScope::isRunning(t.asString(TaskField::Name))) {
        run = false;
    }

    // Its archive is still being written: the run waits for a later check, as while paused.
    if (run && context.runBlocked && context.runBlocked()) {
        return false;
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
        t.setString(TaskField::SledTimeStr,
                    Period(period) == Period::OnDemand       ? context.texts.text(Form1Text::cf3)
                    : Period(period) == Period::AtEveryStart ? context.texts.text(Form1Text::cf4)
                                                             : dateTimeText(next));
    }
    t.setBool(TaskField::IsPropusk, false);
    t.post();
    return run;
}

}  // namespace kv
