#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "archiving/poweroffcountdown.h"
#include "archiving/runfollower.h"

class QMessageBox;
class QSystemTrayIcon;
class QWidget;

namespace kv {

// How the desktop hears of the ends of runs; installed as the run observer while it lives.
// - What a run's end tells: the tray icon's message while the icon is shown (and the tray shows
//   messages), else a desktop notification. When no notification service takes it either, a
//   message box that blocks nothing (non-modal) over the window shows it; notices that come
//   while that box is open are added to it. A success is told the same way, as information.
// - Every run's end is passed on as the signal runEnded().
// - The power-off: the countdown window (one at a time), then logind. Should an archiver have
//   been started meanwhile, the power-off waits for its end and counts down again. When logind
//   refuses, a message box says so with its reason, and the computer stays on.
class DesktopRunObserver final : public QObject, public RunObserver {
    Q_OBJECT
public:
    // `texts`: the main window's message table. `shownTray`: the tray icon while it is shown,
    // else nullptr. `window`: the window that shows the notices nothing else took (may be null).
    DesktopRunObserver(const MainWindowTexts* texts, std::function<QSystemTrayIcon*()> shownTray,
                       QWidget* window = nullptr, QObject* parent = nullptr);
    ~DesktopRunObserver() override;

    const MainWindowTexts& messageTexts() const override { return *texts_; }
    void tell(const QString& title, const QString& text) override;
    void announce(const QString& title, const QString& text) override;
    void runEnded(const RunRecord& run) override { Q_EMIT ended(run); }
    void powerOffRequested() override;

    // The countdown on screen, or nullptr.
    PowerOffCountdown* countdown() const { return countdown_; }
    // The box with the notices that nothing else took, while it is open; else nullptr.
    QMessageBox* noticeBox() const;

Q_SIGNALS:
    void ended(const kv::RunRecord& run);

private:
    void countdownExpired();
    void show(const QString& title, const QString& text, bool warning);
    void showInWindow(const QString& title, const QString& text, bool warning);

    const MainWindowTexts* texts_;
    std::function<QSystemTrayIcon*()> shownTray_;
    QPointer<QWidget> window_;
    QPointer<PowerOffCountdown> countdown_;
    QPointer<QMessageBox> noticeBox_;
    RunObserver* previous_;
};

}  // namespace kv
