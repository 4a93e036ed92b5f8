#pragma once

#include <QObject>
#include <QTimer>

#include "language/mainwindowtexts.h"
#include "platform/sleepinhibitor.h"

namespace kv {

// Keeps the computer awake while any run is in progress: holds the lock against suspending,
// its reason naming the runs' tasks, from the first run's launch to the last one's end. The
// runs are looked at once the event loop is back after a change, so that a launch that fails
// at once asks nothing of logind.
class KeepAwakeDuringRuns final : public QObject {
public:
    // `texts`: the main window's message table, which outlives this object.
    explicit KeepAwakeDuringRuns(const MainWindowTexts* texts, QObject* parent = nullptr);

    // The reason the lock gives while the tasks `names` (not empty) run.
    static QString reason(QStringList names, const MainWindowTexts& texts);

private:
    void update();

    const MainWindowTexts* texts_;
    SleepInhibitor inhibitor_;
    QTimer settle_;
};

}  // namespace kv
