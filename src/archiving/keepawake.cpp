#include "archiving/keepawake.h"

#include "archiving/runsinprogress.h"

namespace kv {

KeepAwakeDuringRuns::KeepAwakeDuringRuns(const MainWindowTexts* texts, QObject* parent)
    : QObject(parent), texts_(texts) {
    settle_.setSingleShot(true);
    settle_.setInterval(0);
    connect(&settle_, &QTimer::timeout, this, &KeepAwakeDuringRuns::update);
    connect(&RunsInProgressNotifier::instance(), &RunsInProgressNotifier::changed, &settle_,
            qOverload<>(&QTimer::start));
    update();
}

QString KeepAwakeDuringRuns::reason(QStringList names, const MainWindowTexts& texts) {
    // In a fixed order, so that the reason changes only when the tasks do; a few names say
    // enough.
    constexpr qsizetype kNamesShown = 5;
    names.sort();
    names.removeDuplicates();
    if (names.size() > kNamesShown) {
        names.resize(kNamesShown);
        names << QStringLiteral("…");
    }
    return texts.text(Form1Text::cm80).arg(names.join(QStringLiteral(", ")));
}

void KeepAwakeDuringRuns::update() {
    QStringList names;
    for (const RunInProgress& run : runsInProgress()) {
        names << run.taskName;
    }
    if (names.isEmpty()) {
        inhibitor_.release();
    } else {
        inhibitor_.hold(reason(names, *texts_));
    }
}

}  // namespace kv
