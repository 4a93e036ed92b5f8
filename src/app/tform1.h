#pragma once

#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "archiving/desktoprunobserver.h"
#include "archiving/runtask.h"
#include "language/languageinuse.h"
#include "language/mainwindowtexts.h"
#include "language/storedtexts.h"
#include "scheduler/clockwatch.h"
#include "scheduler/scheduler.h"
#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"

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
class TrayIcon;

// The main window: the task list and its commands, the clock, the pause box, the tray icon.
// Handlers carry the names of the control and event they serve; they read controls, call the
// code that decides (the scheduler, the runs, the commands, the table engine) and write
// controls. An Error that ends a handler is shown with the general error report.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    struct Options {
        QStringList arguments;   // command-line arguments after the program name
        QString executablePath;  // the program file (autostart entry, shortcut)
        bool installed = false;  // installed from the package: its icon is in the icon theme
    };
    explicit TForm1(Options options, QWidget* parent = nullptr);
    ~TForm1() override;  // the destruction step: marks back into Flag, tables closed

    // The four tables. Every window that this one opens works on them.
    Table Table1{kTasksFile};           // tasks.dbf: the tasks
    Table Table2{kObjectsFile};         // tasksm.dbf: the tasks' object lists
    Table Table3{kWorkingObjectsFile};  // tasksmt.dbf: the task editor's working object list
    Table Table4{kArchiversFile};       // archers.dbf: the archiver configurations
    CheckMarks marks;                   // the task list's check column

    MainWindowTexts texts = mainWindowTexts();  // message texts, section Form1
    Scheduler scheduler;                        // start-up pass (Timer3), tick (Timer1), pause
    QTimer Timer2;                              // the clock, every second

    bool autoStarted = false;                             // started by the autostart entry ("r")
    QString currentLanguage = QStringLiteral("Russian");  // the language in use
    bool dictionariesPresent = false;  // a "*.dic" was beside the program at start
    // What the windows this one opens apply in their creation step.
    LanguageInUse language() const { return {currentLanguage, dictionariesPresent}; }

    // What a run started now gets: the texts, the scheduler's state and the power-off request;
    // a run of the schedule, or one of the user's commands (`byUser`), which is told when it is
    // refused.
    RunContext runContext(bool powerOff = false, bool byUser = false) const;

    // Controls, in creation order (the order in which a translation visits them).
    QLabel* Label1;         // title of the task list
    DBGrid* DBGrid1;        // the task list, with the check column
    QLabel* Label4;         // "tasks paused", shown while they are
    QLabel* Label3;         // caption of the clock
    QLabel* Label5;         // the clock
    QCheckBox* Editt5;      // pause all tasks
    QPushButton* BitBtn1;   // add a task
    QPushButton* BitBtn6;   // edit the selected task
    QPushButton* BitBtn2;   // delete the selected task
    QPushButton* BitBtn3;   // restore from an archive of the selected task
    QLabel* Label2;         // caption of the run buttons
    QPushButton* BitBtn5;   // run the selected task
    QPushButton* BitBtn11;  // run the selected task, then power the computer off
    QPushButton* BitBtn4;   // run all tasks
    QPushButton* BitBtn7;   // run the marked tasks
    QPushButton* BitBtn8;   // the archiver configurations
    QPushButton* BitBtn9;   // end the program
    QPushButton* Button2;   // the About box (enabled by the start-up pass)
    QPushButton* BitBtn10;  // help
    QCheckBox* CheckBox2;   // start with the session (autostart entry)
    QPushButton* Button10;  // desktop shortcut
    QComboBox* ComboBox1;   // interface language
    QMenu* PopupMenu1;      // the tray icon's menu:
    QAction* N1;            //   restore the window
    QAction* N2;            //   pause all tasks
    QAction* N3;            //   end the program

    // Shows the window, or puts it straight into the tray when started with "r".
    void showAtStart();

    // Window messages.
    static constexpr quint32 kTrayMessage = 1025;  // WM_USER + 1
    static constexpr quint32 kShowRequest = 1026;  // WM_USER + 2
    static constexpr int kLeftButtonUp = 514;
    static constexpr int kLeftButtonDoubleClick = 515;
    static constexpr int kRightButtonUp = 517;
    void onWindowMessage(quint32 message, qint32 wParam, qint32 lParam);
    // A second start of the program reaches this window through `channel`, which from now on
    // follows the language (its caption is the one a second start looks for).
    void listenForSecondStarts(InstanceChannel& channel);
    void trayCallback(int mouseMessage);

    // The tray icon's actions; SetTrayIcon does nothing for any other value.
    static constexpr int kTrayAdd = 1;
    static constexpr int kTrayRemove = 2;
    static constexpr int kTrayModify = 3;  // tooltip and icon
    void SetTrayIcon(int action, const QIcon& icon, bool paused);
    QString trayToolTip(bool paused) const;
    bool inTray() const;
    QSystemTrayIcon* trayIcon() const;

    // What the ends of the runs tell the user while this window lives: a failure in the tray's
    // message while the window is in the tray, else as a desktop notification; the power-off
    // countdown after a power-off run.
    DesktopRunObserver& runEnds() { return runEnds_; }

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
    // The window's parts, created in the order a translation visits them.
    void createTaskList();       // title, list, paused label
    void createClockAndPause();  // clock, pause box
    void createTaskButtons();    // add, edit, delete, restore; the run buttons
    void
    createProgramButtons();  // configurations, exit, About, help, autostart, shortcut, language
    void createTrayMenu();
    void setHints();  // of the controls whose caption does not say it all
    void connectHandlers();
    // Places the controls for a window of w x h (only computes, unless `apply`); returns the
    // smallest size at which nothing overlaps.
    QSize layOut(int w, int h, bool apply);
    void updateMinimumSize();
    void FormCreate();
    // Steps 6 and 7 of the language handler: the multi-line captions and the message texts of
    // this window and of the layers below it, from the dictionary of the language in use.
    void readMainWindowTexts();
    void endProgram();
    // Runs a handler; an Error (a table or a file that failed) ends it with the general report
    // (runReportingErrors), which the creation step holds back until the start-up pass is armed.
    void guarded(const std::function<void()>& handler);
    void focusList();
    // Opens the task editor modally on the tables; returns the name the edited task is stored
    // under when it closes (empty for a new task that was never saved).
    QString openTaskEditor(bool newTask, const QString& editedTaskName);
    // The window of the program that took the focus from this one; its closing is this
    // window's activation.
    void watchWindowTakingFocus(QWidget* next);
    void stopWatchingWindowTakingFocus();

    Options options_;
    QIcon icon_;
    TrayIcon* tray_ = nullptr;  // made with the tray menu
    DesktopRunObserver runEnds_{&texts, [this] { return inTray() ? trayIcon() : nullptr; }, this};
    ClockWatch clockWatch_;
    bool activatedOnce_ = false;
    QPointer<QWidget> focusTakenBy_;
    bool ending_ = false;
    QPointer<InstanceChannel> channel_;
    bool creating_ = false;
    QStringList* creationFailures_ = nullptr;  // the creation step's failures, told at its end
    // A language change during the creation step, before the tables are open: the stored texts
    // are rewritten from these to the texts in use once they are.
    std::optional<StoredTexts> pendingRewrite_;
};

}  // namespace kv
