#pragma once

#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "app/runstate.h"
#include "archiving/desktoprunobserver.h"
#include "archiving/runtask.h"
#include "language/languageinuse.h"
#include "language/mainwindowtexts.h"
#include "language/storedtexts.h"
#include "scheduler/clockwatch.h"
#include "scheduler/scheduler.h"
#include "widgets/dbgrid.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace kv {

class InstanceChannel;
class TrayIcon;
enum class TrayClick;
struct ProgramTables;

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
        // How the program ends (BitBtn9, Esc, the tray's exit, a termination signal); by default
        // the application quits, and the window is destroyed afterwards by its owner.
        std::function<void()> terminate = {};
        // Whether the desktop shows tray icons; by default Qt's answer.
        std::function<bool()> trayAvailable = {};
    };
    // The window works on `tables` (closed) and the windows it opens work on them too; they
    // outlive it.
    TForm1(ProgramTables& tables, const Options& options, QWidget* parent = nullptr);
    ~TForm1() override;  // marks back into Flag, tables closed

    // Controls, in creation order (the order in which a translation visits them).
    struct Controls {
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
        QPushButton* BitBtn12;  // the run history
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
        QMenu* PopupMenu2;      // the task list's menu:
        QAction* N4;            //   the run history of the selected task
    };
    Controls ui;

    // Message texts, section Form1.
    const MainWindowTexts& texts() const { return texts_; }
    // The start-up pass (Timer3), the tick (Timer1) and the pause.
    Scheduler& scheduler() { return scheduler_; }
    // Timer2, the clock, every second.
    QTimer& clockTimer() { return clockTimer_; }
    // Started by the autostart entry ("r").
    bool autoStarted() const { return autoStarted_; }
    // The language in use, which the windows this one opens apply as they are made.
    LanguageInUse language() const { return {currentLanguage_, dictionariesPresent_}; }

    // What a run started now gets: the texts, the scheduler's state and the power-off request;
    // a run of the schedule, or one of the user's commands (`byUser`), which is told when it is
    // refused.
    RunContext runContext(bool powerOff = false, bool byUser = false) const;

    // Shows the window, or puts it straight into the tray when started with "r".
    void showAtStart();

    // A second start of the program reaches this window through `channel`, which from now on
    // follows the language (its caption is the one a second start looks for).
    void listenForSecondStarts(InstanceChannel& channel);
    void trayCallback(TrayClick click);

    // What the tray icon does. SetTrayIcon's tooltip tells whether the tasks are `paused`.
    enum class TrayAction {
        Add,
        Remove,
        Modify,  // tooltip and icon
    };
    void SetTrayIcon(TrayAction action, const QIcon& icon, bool paused);
    QString trayToolTip(bool paused) const;
    // The tasks overdue when the window last looked; the tray icon bears a warning mark while
    // there are any, and its tooltip names them.
    const QStringList& overdueTasks() const { return overdue_; }
    bool inTray() const;
    QSystemTrayIcon* trayIcon() const;

    // What the ends of the runs tell the user while this window lives: a failure in the tray's
    // message while the window is in the tray, else as a desktop notification; the power-off
    // countdown after a power-off run.
    DesktopRunObserver& runEnds() { return runEnds_; }

    // Handlers.
    void FormActivate();
    void StartScheduler();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Editt5Click();
    void DBGrid1CellClick(int column, int row);
    void DBGrid1DblClick();
    void DBGrid1ContextPopup(const QPoint& position);
    void BitBtn1Click();
    void BitBtn6Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn12Click();
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
    void N4Click();

    // Restores the window from the tray.
    void restoreFromTray();
    // Hides the window into the tray (the close and minimise commands).
    void hideToTray();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The window's parts, created in the order a translation visits them.
    void createTaskList();       // title, list, paused label
    void createClockAndPause();  // clock, pause box
    void createTaskButtons();    // add, edit, delete, restore; the run buttons
    void
    createProgramButtons();  // configurations, exit, About, help, autostart, shortcut, language
    void createTrayMenu();
    void createListMenu();
    void setHints();  // of the controls whose caption does not say it all
    void arrange();
    void connectHandlers();
    void FormCreate();
    // The multi-line captions and the message texts of this window and of the layers below it,
    // from the dictionary of the language in use.
    void readMainWindowTexts();
    // Places the controls for their captions now: the window grows when it has become too
    // small for them.
    void fitCaptions();
    void showSecondStart();
    // The result column's cell of the task in `row`.
    DBGrid::CellLook resultCell(int row) const;
    // Every second: the runs in progress in the list and in the tray's tooltip; every minute the
    // overdue tasks.
    void followRuns();
    // What the run logs (runs.log.1, runs.log) tell of each task, read once: after the window's
    // first paint, or at the start-up pass or a run's end when that comes first.
    void readRuns();
    // A run has ended: its task's result, the overdue tasks.
    void runEnded(const RunRecord& run);
    // Looks for overdue tasks: the tray's mark and tooltip and, with `tell`, the notification of
    // the day.
    void checkOverdue(bool tell);
    // The tray icon's tooltip and its icon with or without the warning mark, as they are now.
    QString trayText(bool paused) const;
    QIcon trayIconNow(const QIcon& icon) const;
    // Changes the tray icon when its tooltip or mark no longer tell what is.
    void refreshTray();
    void openRunHistory(const QString& task);
    void endProgram();
    // Runs a handler; an Error (a table or a file that failed) ends it with the general report
    // (runReportingErrors), which the creation holds back until the start-up pass is armed.
    void guarded(const std::function<void()>& handler);
    void focusList();
    // Opens the task editor modally on the tables; returns the name the edited task is stored
    // under when it closes (empty for a new task that was never saved).
    QString openTaskEditor(bool newTask, const QString& editedTaskName);
    // The window of the program that took the focus from this one; its closing is this
    // window's activation.
    void watchWindowTakingFocus(QWidget* next);
    void stopWatchingWindowTakingFocus();

    ProgramTables& tables_;
    Options options_;
    MainWindowTexts texts_ = mainWindowTexts();
    Scheduler scheduler_;
    QTimer clockTimer_;  // Timer2
    bool autoStarted_ = false;
    QString currentLanguage_ = QStringLiteral("Russian");
    bool dictionariesPresent_ = false;  // a "*.dic" was beside the program at start
    QIcon icon_;
    mutable QIcon markedIcon_;  // with the warning mark, made when first needed
    TrayIcon* tray_ = nullptr;  // made with the tray menu
    DesktopRunObserver runEnds_{&texts_, [this] { return inTray() ? trayIcon() : nullptr; }, this};
    ClockWatch clockWatch_;
    RunState runs_;
    bool runsRead_ = false;
    QStringList overdue_;
    int secondsToOverdueCheck_ = 0;
    bool runsShown_ = false;  // the list showed a run in progress at the last look
    QString trayTextShown_;   // what the tray icon showed when last set
    bool trayMarkShown_ = false;
    bool activatedOnce_ = false;
    QPointer<QWidget> focusTakenBy_;
    bool ending_ = false;
    QPointer<InstanceChannel> channel_;
    bool creating_ = false;
    QStringList* creationFailures_ = nullptr;  // failures while the window is made, told after
    // A language change while the window is made, before the tables are open: the stored texts
    // are rewritten from these to the texts in use once they are.
    std::optional<StoredTexts> pendingRewrite_;
};

}  // namespace kv
