#pragma once

#include <QStringList>

#include "archiving/runfollower.h"

namespace kv::test {

// Stands in for the main window while it lives: records what the ends of runs tell it.
class RecordingObserver final : public RunObserver {
public:
    RecordingObserver() : previous_(runObserver()) { setRunObserver(this); }
    ~RecordingObserver() override { setRunObserver(previous_); }
    RecordingObserver(const RecordingObserver&) = delete;
    RecordingObserver& operator=(const RecordingObserver&) = delete;

    const MainWindowTexts& messageTexts() const override { return texts; }
    void tell(const QString& title, const QString& text) override { told << title + " | " + text; }
    void announce(const QString& title, const QString& text) override {
        announced << title + " | " + text;
    }
    void runEnded(const RunRecord& run) override { ended << run; }
    void powerOffRequested() override { ++powerOffs; }

    MainWindowTexts texts = mainWindowTexts();
    QStringList told;       // "title | text" of each notice
    QStringList announced;  // "title | text" of each success told
    QList<RunRecord> ended;
    int powerOffs = 0;

private:
    RunObserver* previous_;
};

}  // namespace kv::test
