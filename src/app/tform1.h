#pragma once

#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "app/appstate.h"
#include "scheduler/tick.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace kv {

class DBGrid;
class InstanceChannel;

// The main window: the task list and its commands, the clock, the pause box, the tray icon.
// Handlers carry the names of the control and event they serve. The work that decides lives in
// the scheduler, the runs and the table engine; the handlers read controls, call that code and
// write controls.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    struct Options {
        QStringList arguments;   // command-line arguments after the program name
        QString executablePath;  // the program file (autostart entry, shortcut)
    };
    explicit TForm1(Options options, QWidget* parent = nullptr);
    ~TForm1() override;  // the destruction step: marks back into Flag, tables closed

    AppState state;

    // Controls, in creation order (the order in which a translation visits them).
    QLabel* Label1;
    DBGrid* DBGrid1;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label5;
    QCheckBox* Editt5;
    QPushButton* BitBtn1;
    QPushButton* BitBtn6;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QLabel* Label2;
    QPushButton* BitBtn5;
    QPushButton* BitBtn11;
    QPushButton* BitBtn4;
    QPushButton* BitBtn7;
    QPushButton* BitBtn8;
    QPushButton* BitBtn9;
    QPushButton* Button2;
    QPushButton* BitBtn10;
    QCheckBox* CheckBox2;
    QPushButton* Button10;
    QComboBox* ComboBox1;
    QMenu* PopupMenu1;
    QAction* N1;
    QAction* N2;
    QAction* N3;

    // Shows the window, or puts it straight into the tray when started with "r".
    void showAtStart();

    // Window messages.
    static constexpr quint32 kTrayMessage = 1025;  // WM_USER + 1
    static constexpr quint32 kShowRequest = 1026;  // WM_USER + 2
    static constexpr int kLeftButtonUp = 514;
    static constexpr int kLeftButtonDoubleClick = 515;
    static constexpr int kRightButtonUp = 517;
    void onWindowMessage(quint32 message, qint32 wParam, qint32 lParam);
    // A second start of the program reaches this window through `channel`.
    void listenForSecondStarts(InstanceChannel& channel);
    void trayCallback(int mouseMessage);

    // The tray icon: 1 add, 2 remove, 3 change tooltip and icon; anything else nothing.
    void SetTrayIcon(int action, const QIcon& icon, bool paused);
    QString trayToolTip(bool paused) const;
    bool inTray() const;
    QSystemTrayIcon* trayIcon() const { return trayIcon_; }

    // How the program ends (BitBtn9, Esc, the tray's exit, a termination signal). The default
    // quits the application; the window is destroyed afterwards by its owner.
    std::function<void()> terminate;
    // Whether the desktop shows tray icons (tests set it).
    std::function<bool()> trayAvailable;

    // Handlers.
    void FormActivate();
    void FormResize();
    void StartScheduler();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Editt5Click();
    void DBGrid1CellClick(int column, int row);
    void DBGrid1DblClick();
    void BitBtn1Click();
    void BitBtn6Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn5Click();
    void BitBtn11Click();
    void BitBtn4Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void Button2Click();
    void Button10Click();
    void CheckBox2Click();
    void ComboBox1Change();
    void N1Click();
    void N2Click();
    void N3Click();

    // Restores the window from the tray.
    void restoreFromTray();
    // Hides the window into the tray (the close and minimise commands).
    void hideToTray();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    // Places the controls for a window of w x h (only computes, unless `apply`); returns the
    // smallest size at which nothing overlaps.
    QSize layOut(int w, int h, bool apply);
    void updateMinimumSize();
    void FormCreate();
    void endProgram();
    // Runs a handler; an error of the table engine or of a file ends it with a message.
    void guarded(const std::function<void()>& handler);
    void focusList();
    // The window of the program that took the focus from this one; its closing is this
    // window's activation.
    void watchWindowTakingFocus(QWidget* next);
    void stopWatchingWindowTakingFocus();

    Options options_;
    QIcon icon_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    ClockWatch clockWatch_;
    bool activatedOnce_ = false;
    QPointer<QWidget> focusTakenBy_;
    bool ending_ = false;
};

// The program's icon, drawn at start.
QIcon programIcon();

}  // namespace kv
