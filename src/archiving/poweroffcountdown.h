#pragma once

#include <QDialog>
#include <QTimer>

#include "language/mainwindowtexts.h"

class QLabel;
class QPushButton;

namespace kv {

// The last minute before the power-off after a run: "the computer will be powered off in N s"
// and Cancel. Counts on the program's monotonic clock; when the time is up it closes and emits
// expired(). Cancel (or closing the window) closes it without.
class PowerOffCountdown final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSeconds = 60;

    // Texts from the main window's table (cm21 caption, cm22 countdown, cm23 Cancel).
    explicit PowerOffCountdown(const MainWindowTexts& texts, QWidget* parent = nullptr);

    // Starts the count and shows the window.
    void start();
    int secondsLeft() const;

    // One step of the count; its timer calls it every second, tests after moving the clock.
    void tick();

    struct Controls {
        QLabel* Label1;
        QPushButton* BitBtn1;  // Cancel
    };
    Controls ui;

Q_SIGNALS:
    void expired();

private:
    QString countText_;
    qint64 deadlineMs_ = 0;
    QTimer timer_;
};

}  // namespace kv
