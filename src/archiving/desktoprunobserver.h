#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "archiving/poweroffcountdown.h"
#include "archiving/runfollower.h"

class QSystemTrayIcon;

namespace kv {

// How the desktop hears of the ends of runs; installed as the run observer while it lives.
// - A failed run: the tray icon's message while the icon is shown (and the tray shows
//   messages), else a desktop notification; without a session bus either, only runs.log and
//   the session's log have it.
// - The power-off: the countdown window (one at a time), then logind. Should an archiver have
//   been started meanwhile, the power-off waits for its end and counts down again. When logind
//   refuses, a message box says so with its reason, and the computer stays on.
class DesktopRunObserver final : public QObject, public RunObserver {
    Q_OBJECT
public:
    // `texts`: the main window's message table. `shownTray`: the tray icon while it is shown,
    // else nullptr.
    DesktopRunObserver(const MainWindowTexts* texts, std::function<QSystemTrayIcon*()> shownTray,
                       QObject* parent = nullptr);
    ~DesktopRunObserver() override;

    const MainWindowTexts& messageTexts() const override { return *texts_; }
    void runFailed(const QString& title, const QString& text) override;
    void powerOffRequested() override;

    // The countdown on screen, or nullptr.
    PowerOffCountdown* countdown() const { return countdown_; }

private:
    void countdownExpired();

    const MainWindowTexts* texts_;
    std::function<QSystemTrayIcon*()> shownTray_;
    QPointer<PowerOffCountdown> countdown_;
    RunObserver* previous_;
};

}  // namespace kv
