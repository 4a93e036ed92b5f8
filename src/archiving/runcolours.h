#pragma once

#include <QColor>

#include "archiving/runlog.h"

namespace kv {

// The colour in which a run's result is written: a failure red, a warning dark yellow; the usual
// colour (invalid) for a good run.
inline QColor resultColour(RunResult result) {
    switch (result) {
        case RunResult::Failed:
            return QColor(Qt::red);
        case RunResult::Warning:
            return QColor(Qt::darkYellow);
        case RunResult::Confirmed:
            break;
    }
    return {};
}

}  // namespace kv
