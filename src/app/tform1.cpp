#include "app/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

#include "app/aboutbox.h"
#include "app/commands.h"
#include "app/programicon.h"
#include "app/startup.h"
#include "app/trayicon.h"
#include "archiving/findarchivers.h"
#include "archiving/runcolours.h"
#include "archiving/runsinprogress.h"
#include "archiving/runtexts.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "archiving/tform6.h"
#include "editor/tform2.h"
#include "language/dictionary.h"
#include "language/translateform.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/desktopnotification.h"
#include "platform/error.h"
#include "platform/inifile.h"
#include "platform/instancechannel.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "platform/programfolder.h"
#include "platform/readonlycopy.h"
#include "platform/shortcut.h"
#include "platform/trayclick.h"
#include "store/programtables.h"
#include "store/storetexts.h"
#include "store/tasktable.h"
#include "widgets/dbgrid.h"
#include "widgets/formkit.h"

namespace kv {

namespace {

QHBoxLayout* row(int spacing) {
    auto* r = new QHBoxLayout;
    r->setSpacing(spacing);
    return r;
}

}  // namespace

TForm1::TForm1(ProgramTables& tables, const Options& options, QWidget* parent)
    : QWidget(parent),
      tables_(tables),
      options_(options),
      scheduler_(tables_.tasks, tables_.marks, texts_,
                 [this](bool recompute) { RunTask(tables_.tasks, runContext(), recompute); }),
      icon_(programIcon(options.installed)) {
    setObjectName(QStringLiteral("Form1"));
    // A run that the schedule asks for while its archive is being written waits for the next
    // check.
    scheduler_.setRunBlocked([this] { return currentTaskArchiveInUse(tables_.tasks); });
    setWindowIcon(icon_);
    setWindowTitle(QStringLiteral("Кельвотрин"));
    if (!options_.terminate) {
        options_.terminate = [] { QCoreApplication::quit(); };
    }
    if (!options_.trayAvailable) {
        options_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    }
    clockTimer_.setInterval(1000);
    createTaskList();
    createClockAndPause();
    createTaskButtons();
    createProgramButtons();
    createTrayMenu();
    createListMenu();
    setHints();
    tray_ = new TrayIcon(ui.PopupMenu1, this);
    arrange();
    connectHandlers();
    setToolTipDuration(-1);
    resize(960, 580);
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() {
    // Check marks back into Flag, then every table closed.
    guarded([this] {
        if (tables_.tasks.isOpen()) {
            GridToTable(tables_.tasks, tables_.marks);
        }
    });
    for (Table* t : {&tables_.tasks, &tables_.objects, &tables_.working, &tables_.archivers,
                     &tables_.extras}) {
        guarded([t] { t->close(); });
    }
}

RunContext TForm1::runContext(bool powerOff, bool byUser) const {
    return {texts_, scheduler_.startingUp(), scheduler_.paused(), powerOff, byUser};
}

void TForm1::createTaskList() {
    ui.Label1 = makeLabel(this, "Label1", QStringLiteral("Список задач"));
    QFont titleFont = ui.Label1->font();
    titleFont.setBold(true);
    ui.Label1->setFont(titleFont);

    ui.DBGrid1 = named(new DBGrid(this), "DBGrid1");
    ui.DBGrid1->setToolTip(QStringLiteral("Список задач архивации"));
    ui.DBGrid1->bind(
        &tables_.tasks, &tables_.marks,
        {
            {QString(), QString(), 26},
            {TaskField::Name.name(), QStringLiteral("Задача"), 170},
            {TaskField::SledTimeStr.name(), QStringLiteral("Время следующей задачи"), 190},
            {TaskField::WorkTime.name(), QStringLiteral("Время последнего выполнения"), 210},
            {TaskField::Opis.name(), QStringLiteral("Описание"), 220},
            // Last, so that the columns before it keep their numbers in the dictionaries.
            {QString(), QStringLiteral("Результат"), 240,
             [this](int row) { return resultCell(row); }},
        });
    ui.DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    // A double click opens the task as it is, also on its mark.
    ui.DBGrid1->setDoubleClickKeepsMark(true);

    ui.Label4 = makeLabel(this, "Label4", QStringLiteral("Выполнение задач приостановлено!"));
    QFont alarm = ui.Label4->font();
    alarm.setBold(true);
    alarm.setPointSizeF(alarm.pointSizeF() * 1.4);
    ui.Label4->setFont(alarm);
    QPalette red = ui.Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    ui.Label4->setPalette(red);
    ui.Label4->hide();
}

void TForm1::createClockAndPause() {
    ui.Label3 = makeLabel(this, "Label3", QStringLiteral("Текущее время"));
    ui.Label5 = makeLabel(this, "Label5", QString());
    ui.Label5->setProperty(kLiveText, true);  // a clock reading is no text to translate
    QFont clockFont = ui.Label5->font();
    clockFont.setBold(true);
    ui.Label5->setFont(clockFont);

    ui.Editt5 = makeCheckBox(this, "Editt5",
                             QStringLiteral("Приостановить выполнение всех задач архивации"));
}

void TForm1::createTaskButtons() {
    ui.BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("Добавить        "),
                            QStyle::SP_FileIcon, QStringLiteral("Добавить новую задачу в список"));
    ui.BitBtn6 = makeButton(this, "BitBtn6", QStringLiteral("Изменить       "),
                            QStyle::SP_FileDialogDetailedView,
                            QStringLiteral("Изменить выбранную в списке задачу"));
    ui.BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Удалить           "), QStyle::SP_TrashIcon,
                   QStringLiteral("Удалить выбранную задачу из списка"));
    ui.BitBtn3 =
        makeButton(this, "BitBtn3", QStringLiteral("Восстановить"), QStyle::SP_DialogOpenButton,
                   QStringLiteral("Восстановить данные из архива выбранной задачи"));
    ui.BitBtn12 = makeButton(this, "BitBtn12", QStringLiteral("Журнал выполнения"),
                             QStyle::SP_FileDialogContentsView,
                             QStringLiteral("Показать, когда и с каким результатом выполнялись "
                                            "задачи"));
    ui.Label2 = makeLabel(this, "Label2", QStringLiteral("Выполнить задачи"));
    ui.Label2->setAlignment(Qt::AlignCenter);
    ui.BitBtn5 = makeButton(this, "BitBtn5", QStringLiteral("выделенную  "), QStyle::SP_MediaPlay,
                            QStringLiteral("Выполнить выбранную в списке задачу"));
    ui.BitBtn11 =
        makeButton(this, "BitBtn11", QStringLiteral("выделенную  "), QStyle::SP_BrowserStop,
                   QStringLiteral("Выполнить выбранную в списке задачу и выключить компьютер"));
    ui.BitBtn4 =
        makeButton(this, "BitBtn4", QStringLiteral("все                      "),
                   QStyle::SP_MediaSeekForward, QStringLiteral("Выполнить все задачи в списке"));
    ui.BitBtn7 =
        makeButton(this, "BitBtn7", QStringLiteral("отмеченные   "), QStyle::SP_DialogApplyButton,
                   QStringLiteral("Выполнить задачи, отмеченные в списке "));
}

void TForm1::createProgramButtons() {
    ui.BitBtn8 = makeButton(this, "BitBtn8", QStringLiteral("Список настроек архиваторов"),
                            QStyle::SP_ComputerIcon);
    ui.BitBtn9 = makeButton(this, "BitBtn9", QStringLiteral("  Выйти из программы"),
                            QStyle::SP_DialogCloseButton);
    ui.Button2 = makeButton(this, "Button2", QStringLiteral("О программе"));
    ui.Button2->setEnabled(false);
    ui.BitBtn10 =
        makeButton(this, "BitBtn10", QStringLiteral("Помощь"), QStyle::SP_DialogHelpButton);
    ui.CheckBox2 = makeCheckBox(this, "CheckBox2", QStringLiteral("Автозапуск программы"));
    ui.Button10 = makeButton(this, "Button10", QStringLiteral("Создать ярлык на рабочем столе"));
    ui.ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ui.ComboBox1->setToolTip(QStringLiteral("Language"));
    ui.ComboBox1->setEditable(false);
    QPalette yellow = ui.ComboBox1->palette();
    yellow.setColor(QPalette::Button, Qt::yellow);
    yellow.setColor(QPalette::Base, Qt::yellow);
    ui.ComboBox1->setPalette(yellow);
    ui.ComboBox1->setStyleSheet(QStringLiteral("QComboBox { background: yellow; color: black; }"));
}

void TForm1::setHints() {
    const std::pair<QWidget*, QString> hints[] = {
        {ui.Label1, QStringLiteral("Ваши задачи архивации и время их выполнения")},
        {ui.Label4, QStringLiteral("Ни одна задача не запустится по расписанию, пока выполнение не "
                                   "возобновлено")},
        {ui.Label3, QStringLiteral("Время этого компьютера")},
        {ui.Label5, QStringLiteral("Время этого компьютера")},
        {ui.Editt5,
         QStringLiteral("Пока флажок стоит, ни одна задача не запускается по расписанию")},
        {ui.Label2, QStringLiteral("Запустить архивацию сейчас, не дожидаясь её времени")},
        {ui.BitBtn8, QStringLiteral("Настроить архиваторы, которыми пользуются задачи")},
        {ui.BitBtn9,
         QStringLiteral("Закрыть программу: задачи не выполняются, пока она не запущена "
                        "снова")},
        {ui.Button2, QStringLiteral("Версия программы и её папка")},
        {ui.BitBtn10, QStringLiteral("Открыть руководство пользователя")},
        {ui.CheckBox2,
         QStringLiteral("Запускать программу в области уведомлений при каждом входе в "
                        "систему")},
        {ui.Button10, QStringLiteral("Поместить значок запуска программы на рабочий стол")},
    };
    for (const auto& [control, hint] : hints) {
        control->setToolTip(hint);
    }
    ui.N1->setStatusTip(QStringLiteral("Показать главное окно"));
    ui.N2->setStatusTip(QStringLiteral("Приостановить все задачи архивации"));
    ui.N3->setStatusTip(QStringLiteral("Выйти из программы"));
}

void TForm1::createTrayMenu() {
    ui.PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    ui.N1 = named(ui.PopupMenu1->addAction(QStringLiteral("Развернуть")), "N1");
    ui.N2 = named(ui.PopupMenu1->addAction(QStringLiteral("Приостановить")), "N2");
    ui.N2->setCheckable(true);
    ui.N3 = named(ui.PopupMenu1->addAction(QStringLiteral("Выход")), "N3");
}

void TForm1::createListMenu() {
    ui.PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    ui.N4 = named(ui.PopupMenu2->addAction(QStringLiteral("Журнал выполнения")), "N4");
    ui.N4->setStatusTip(QStringLiteral("Показать запуски выбранной задачи"));
}

void TForm1::arrange() {
    // The buttons of the rows leave room around their captions (the About button keeps to its
    // caption), and the controls of a row are as high as its highest.
    const QList<QWidget*> taskButtons = {ui.BitBtn1, ui.BitBtn6, ui.BitBtn2, ui.BitBtn3,
                                         ui.BitBtn12};
    const QList<QWidget*> runButtons = {ui.BitBtn5, ui.BitBtn11, ui.BitBtn4, ui.BitBtn7};
    const QList<QWidget*> programControls = {ui.BitBtn8, ui.CheckBox2, ui.Button10, ui.BitBtn10,
                                             ui.BitBtn9};
    for (QWidget* w :
         taskButtons + runButtons + programControls + QList<QWidget*>{ui.Button2, ui.ComboBox1}) {
        if (auto* b = qobject_cast<FormButton*>(w); b && w != ui.Button2) {
            b->setRoom(kButtonRoom);
        }
        w->setSizePolicy(w->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    }
    ui.CheckBox2->setMinimumHeight(ui.CheckBox2->sizeHint().height() + kButtonRoom.height());

    // Top: title, clock and language on the left; the About button at the right edge.
    auto* top = row(0);
    top->addWidget(ui.Label1);
    top->addSpacing(40);
    top->addWidget(ui.Label3);
    top->addSpacing(kFormGap);
    // The clock has a size of its own, so that its reading every second lays out nothing.
    const QFontMetrics clock = ui.Label5->fontMetrics();
    ui.Label5->setFixedSize(clock.horizontalAdvance(QStringLiteral("00:00:00 PM")) + 8,
                            clock.height());
    top->addWidget(ui.Label5);
    top->addSpacing(20);
    ui.ComboBox1->setMinimumWidth(130);
    top->addWidget(ui.ComboBox1);
    top->addSpacing(20);
    top->addStretch(1);
    top->addWidget(ui.Button2);

    // The task list grows with the window; the pause box stays just below it, and the paused
    // label keeps its place while hidden, so that the list does not move.
    constexpr int kMinListHeight = 120;
    ui.DBGrid1->setMinimumSize(0, kMinListHeight);
    ui.DBGrid1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    auto* pause = row(24);
    pause->addWidget(ui.Editt5);
    pause->addWidget(ui.Label4);
    pause->addStretch(1);
    QSizePolicy keepPlace = ui.Label4->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    ui.Label4->setSizePolicy(keepPlace);

    // The task buttons at the left, the run buttons with their caption at the right.
    auto* commands = new QGridLayout;
    commands->setHorizontalSpacing(0);
    commands->setVerticalSpacing(2);
    auto* tasks = row(kFormGap);
    for (QWidget* b : taskButtons) {
        tasks->addWidget(b);
    }
    auto* runs = row(kFormGap);
    for (QWidget* b : runButtons) {
        runs->addWidget(b);
    }
    commands->addWidget(ui.Label2, 0, 2);
    commands->addLayout(tasks, 1, 0);
    commands->setColumnMinimumWidth(1, kFormGap + 24);
    commands->setColumnStretch(1, 1);
    commands->addLayout(runs, 1, 2);

    // The program's own commands at the bottom, the exit button at the right.
    auto* program = row(kFormGap + 4);
    for (QWidget* w : programControls) {
        if (w == ui.BitBtn9) {
            program->addSpacing(20);
            program->addStretch(1);
        }
        program->addWidget(w);
    }

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(kFormMargin, kFormMargin, kFormMargin, kFormMargin);
    window->setSpacing(kFormGap);
    window->addLayout(top);
    window->addWidget(ui.DBGrid1, 1);
    window->addLayout(pause);
    window->addLayout(commands);
    window->addLayout(program);
}

void TForm1::connectHandlers() {
    const HandlerGuard guard = [this](const std::function<void()>& handler) { guarded(handler); };
    connectClicks(this,
                  {
                      {ui.BitBtn1, &TForm1::BitBtn1Click},
                      {ui.BitBtn6, &TForm1::BitBtn6Click},
                      {ui.BitBtn2, &TForm1::BitBtn2Click},
                      {ui.BitBtn3, &TForm1::BitBtn3Click},
                      {ui.BitBtn12, &TForm1::BitBtn12Click},
                      {ui.BitBtn5, &TForm1::BitBtn5Click},
                      {ui.BitBtn11, &TForm1::BitBtn11Click},
                      {ui.BitBtn4, &TForm1::BitBtn4Click},
                      {ui.BitBtn7, &TForm1::BitBtn7Click},
                      {ui.BitBtn8, &TForm1::BitBtn8Click},
                      {ui.BitBtn9, &TForm1::BitBtn9Click},
                      {ui.BitBtn10, &TForm1::BitBtn10Click},
                      {ui.Button2, &TForm1::Button2Click},
                      {ui.Button10, &TForm1::Button10Click},
                  },
                  guard);
    connectHandler(ui.Editt5, &QCheckBox::toggled, this, &TForm1::Editt5Click, guard);
    connectHandler(ui.CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click, guard);
    connectHandler(ui.ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change, guard);
    connectHandler(ui.N1, &QAction::triggered, this, &TForm1::N1Click, guard);
    connectHandler(ui.N2, &QAction::triggered, this, &TForm1::N2Click, guard);
    connectHandler(ui.N3, &QAction::triggered, this, &TForm1::N3Click, guard);
    connectHandler(ui.N4, &QAction::triggered, this, &TForm1::N4Click, guard);
    connectHandler(ui.DBGrid1, &QWidget::customContextMenuRequested, this,
                   &TForm1::DBGrid1ContextPopup, guard);
    connectHandler(&runEnds_, &DesktopRunObserver::ended, this, &TForm1::runEnded, guard);
    connectHandler(ui.DBGrid1, &DBGrid::cellClicked, this, &TForm1::DBGrid1CellClick, guard);
    connectHandler(ui.DBGrid1, &DBGrid::rowDoubleClicked, this, &TForm1::DBGrid1DblClick, guard);
    connectHandler(&scheduler_.tickTimer(), &QTimer::timeout, this, &TForm1::Timer1Timer, guard);
    connectHandler(&clockTimer_, &QTimer::timeout, this, &TForm1::Timer2Timer, guard);
    connectHandler(&scheduler_.startupTimer(), &QTimer::timeout, this, &TForm1::Timer3Timer, guard);
    connectHandler(tray_, &TrayIcon::clicked, this, &TForm1::trayCallback, guard);
    connectHandler(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
                   &TForm1::BitBtn9Click, guard);
    // The activation as the window first shows; the window's later activations are those that
    // follow a closed window of the program (event()).
    onFirstShow(this, [this] {
        if (!activatedOnce_) {
            FormActivate();
        }
    });
}

void TForm1::FormCreate() {
    creating_ = true;
    // What fails in these steps is told only once the start-up pass is armed, so that it runs
    // on time however long a box waits for the user (a program started into the tray, say).
    QStringList failures;
    creationFailures_ = &failures;
    auto tell = qScopeGuard([this, &failures] {
        creationFailures_ = nullptr;
        for (const QString& failure : std::as_const(failures)) {
            reportError(failure);
        }
    });
    // The built-in texts: the message texts, those of the layers below this window included, and
    // the captions on several lines.
    texts_.resetToBuiltIn();
    platformTexts().resetToBuiltIn();
    storeTexts().resetToBuiltIn();
    dictionaryTexts().resetToBuiltIn();
    ui.BitBtn3->setText(QStringLiteral("Восстановить\r\n данные  "));
    ui.BitBtn11->setText(QStringLiteral("выделенную\r\nи выключить\r\nкомпьютер"));
    fitCaptions();

    // The language: the dictionaries beside the program, lang.txt, the entry of the language
    // (case ignored), and the language applied when there are dictionaries.
    bool present = false;
    const QStringList languages = dictionaryLanguages(&present);
    dictionariesPresent_ = present;
    ui.ComboBox1->setVisible(present);
    ui.ComboBox1->clear();
    ui.ComboBox1->addItems(languages);
    try {
        currentLanguage_ = readOrCreateLanguageFile();
    } catch (const Error& e) {
        currentLanguage_ = kRussian;
        failures << e.message();
    }
    ui.ComboBox1->setCurrentIndex(ui.ComboBox1->findText(currentLanguage_, Qt::MatchFixedString));
    if (dictionariesPresent_) {
        guarded([this] { ComboBox1Change(); });
    }

    // The scheduler starts out starting up and not paused, its tick stopped; a run asks for the
    // power-off only when its command says so.
    autoStarted_ = !options_.arguments.isEmpty() && options_.arguments.first() == u"r";

    // The tables, then the texts they store when the language changed above; the Lists folder;
    // the autostart box; the start-up pass in 3 s.
    failures += createAndOpenTables(tables_, texts_);
    creating_ = false;
    // A tasks.dbf that could not be opened has been reported; the configurations then stay as
    // they are too, so that the tasks' names of them keep matching.
    if (pendingRewrite_ && tables_.tasks.isOpen()) {
        guarded([&] { changeStoredTexts(tables_, *pendingRewrite_, texts_); });
    }
    pendingRewrite_.reset();
    guarded([] { ensureListsFolder(); });
    // An entry that the desktop switched off stays so: the box shows it unticked.
    ui.CheckBox2->setChecked(autostartEntryIsOn(options_.executablePath));
    clockTimer_.start();
    scheduler_.startupTimer().start();
}

void TForm1::showAtStart() {
    centreOnScreen(this);
    if (autoStarted_) {
        // The first activation puts the window straight into the tray; it is never shown.
        guarded([this] { FormActivate(); });
        return;
    }
    show();
}

bool TForm1::event(QEvent* e) {
    // The run logs are read once the window is on screen, so that they do not hold it back.
    if (e->type() == QEvent::Paint && !runsRead_) {
        QTimer::singleShot(0, this, [this] { guarded([this] { readRuns(); }); });
    }
    // The window's activation counts when focus comes back from another window of the program
    // (a closed dialog), not when the user returns from another application.
    if (e->type() == QEvent::WindowDeactivate) {
        watchWindowTakingFocus(QApplication::activeWindow());
    } else if (e->type() == QEvent::WindowActivate && focusTakenBy_) {
        // Back from a window of the program that did not close.
        stopWatchingWindowTakingFocus();
        guarded([this] { FormActivate(); });
    }
    return QWidget::event(e);
}

void TForm1::watchWindowTakingFocus(QWidget* next) {
    stopWatchingWindowTakingFocus();
    // A message box changes nothing that the list shows: focus coming back from it is no
    // activation, and the handler that opened it keeps its place in the list.
    if (next == nullptr || next == this || qobject_cast<QMessageBox*>(next)) {
        return;
    }
    focusTakenBy_ = next;
    next->installEventFilter(this);
}

void TForm1::stopWatchingWindowTakingFocus() {
    if (focusTakenBy_) {
        focusTakenBy_->removeEventFilter(this);
    }
    focusTakenBy_ = nullptr;
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (watched == focusTakenBy_ && e->type() == QEvent::Hide) {
        // The window manager's activation arrives only after the code that opened the dialog
        // has gone on. The activation happens here instead, as the dialog closes, so that what
        // that code then does to the list (going back to a task) stays.
        stopWatchingWindowTakingFocus();
        if (isVisible()) {
            guarded([this] { FormActivate(); });
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TForm1::FormActivate() {
    const bool first = !activatedOnce_;
    activatedOnce_ = true;
    if (first && autoStarted_) {
        hideToTray();
    }
    if (!ui.DBGrid1->checkColumnVisible()) {
        ui.DBGrid1->setCheckColumnVisible(true);
    }
    if (tables_.tasks.isOpen()) {
        TableToGrid(tables_.tasks, tables_.marks);
    }
}

void TForm1::guarded(const std::function<void()>& handler) {
    if (!creationFailures_) {
        runReportingErrors(handler);
        return;
    }
    try {
        handler();
    } catch (const Error& e) {
        creationFailures_->append(e.message());
    }
}

void TForm1::focusList() {
    ui.DBGrid1->setFocus();
}

// --- Start-up pass, tick, pause ----------------------------------------------------------------

void TForm1::StartScheduler() {
    scheduler_.startupPass();
}

void TForm1::Timer1Timer() {
    scheduler_.tick();
}

void TForm1::Timer2Timer() {
    ui.Label5->setText(longTimeText(clock().now().time()));
    followRuns();
    // A suspend or a jump of the wall clock: due tasks start now, not when the tick's interval,
    // which stood still meanwhile, runs out.
    scheduler_.catchUpAfterClockJump(clockWatch_);
}

void TForm1::Timer3Timer() {
    // Stopped first: a resume inside a box of the pass starts it again, for a pass of its own.
    scheduler_.startupTimer().stop();
    StartScheduler();
    ui.Button2->setEnabled(true);
    readRuns();
    // After the pass, whose runs of missed backups may already be on their way.
    checkOverdue(true);
}

// --- Runs: in progress, results, overdue tasks ------------------------------------------------

DBGrid::CellLook TForm1::resultCell(int row) const {
    const Table& tasks = tables_.tasks;
    const TaskStateView view =
        taskStateView(tasks.peekString(row, tasks.fieldIndex(TaskField::Name)), runs_.byTask(),
                      texts_, clock().now());
    QColor colour;
    if (view.tone == TaskTone::Failed) {
        colour = resultColour(RunResult::Failed);
    } else if (view.tone == TaskTone::Warning) {
        colour = resultColour(RunResult::Warning);
    }
    return {view.text, view.toolTip, colour};
}

void TForm1::followRuns() {
    // The cells change with each second a run takes; once more after the last has ended.
    const bool running = !runsInProgress().isEmpty();
    if (running || runsShown_) {
        ui.DBGrid1->refreshCells();
    }
    runsShown_ = running;
    if (++secondsToOverdueCheck_ >= 60) {
        checkOverdue(true);
    } else {
        refreshTray();
    }
}

void TForm1::readRuns() {
    if (std::exchange(runsRead_, true)) {
        return;
    }
    runs_.load();
    ui.DBGrid1->refreshCells();
}

void TForm1::runEnded(const RunRecord& run) {
    readRuns();
    runs_.add(run);
    ui.DBGrid1->refreshCells();
    // What the run's end itself has to tell it tells; the overdue tasks wait for the next check.
    checkOverdue(false);
}

void TForm1::checkOverdue(bool tell) {
    const QDateTime now = clock().now();
    overdue_ = runs_.overdue(tables_.tasks, now);
    if (!tell) {
        refreshTray();
        return;
    }
    secondsToOverdueCheck_ = 0;
    const QStringList toTell = runs_.toTell(overdue_, now, scheduler_.paused());
    if (!toTell.isEmpty()) {
        const DesktopNotice notice{texts_.text(Form1Text::cm67),
                                   texts_.text(Form1Text::cm68).arg(toTell.join(u", ")), true,
                                   [self = QPointer(this)] {
                                       if (self) {
                                           self->guarded([&] { self->restoreFromTray(); });
                                       }
                                   }};
        // Without a notification service the mark and the tooltip tell it.
        showDesktopNotification(notice, [] {});
    }
    refreshTray();
}

void TForm1::refreshTray() {
    if (!inTray()) {
        return;
    }
    if (trayText(scheduler_.paused()) != trayTextShown_ || overdue_.isEmpty() == trayMarkShown_) {
        SetTrayIcon(TrayAction::Modify, icon_, scheduler_.paused());
    }
}

void TForm1::openRunHistory(const QString& task) {
    TForm6 history(texts_, task, language(), this);
    history.exec();
    focusList();
}

void TForm1::Editt5Click() {
    ui.N2->setChecked(ui.Editt5->isChecked());
    ui.Label4->setVisible(ui.Editt5->isChecked());
    focusList();
    scheduler_.setPaused(ui.Editt5->isChecked());
}

void TForm1::DBGrid1CellClick(int column, int row) {
    // The list has toggled the mark already; only the check column holds marks.
    if (column == 0) {
        scheduler_.toggleTaskEnabled(row);
    }
}

void TForm1::N2Click() {
    // The box follows the pause that the scheduler applied; its own handler must not apply it
    // a second time.
    const bool paused = scheduler_.togglePaused();
    {
        const QSignalBlocker block(ui.Editt5);
        ui.Editt5->setChecked(paused);
    }
    ui.N2->setChecked(paused);
    ui.Label4->setVisible(paused);
    SetTrayIcon(TrayAction::Modify, icon_, scheduler_.paused());
}

// --- Commands --------------------------------------------------------------------------------

void TForm1::DBGrid1DblClick() {
    BitBtn6Click();
}

QString TForm1::openTaskEditor(bool newTask, const QString& editedTaskName) {
    TForm2 editor(tables_, texts_, newTask, editedTaskName, language(), this);
    editor.exec();
    return editor.editedTaskName();
}

void TForm1::BitBtn1Click() {
    // The scheduler pauses while a new task is made, as if the user had ticked the box.
    const bool wasPaused = ui.Editt5->isChecked();
    ui.Editt5->setChecked(true);
    try {
        // The activation as the editor closes leaves the first task current: the task to
        // return to is the one saved, or else the one selected before.
        const QString before = currentTaskName(tables_.tasks);
        const QString saved = openTaskEditor(true, QString());
        rereadAfterEditing(tables_, saved.isEmpty() ? before : saved);
        // Resumed for the next-run calculation, so that a task added while everything is
        // paused gets its next run as well; then paused again if it was.
        ui.Editt5->setChecked(false);
        scheduler_.scheduleCurrentTask();
    } catch (...) {
        ui.Editt5->setChecked(wasPaused);
        throw;
    }
    ui.Editt5->setChecked(wasPaused);
    scheduler_.restartTick();
    focusList();
}

void TForm1::BitBtn6Click() {
    if (tables_.tasks.isEmpty()) {
        focusList();
        return;
    }
    // The scheduler goes on meanwhile; the editor returns the name the task now has.
    const QString name = openTaskEditor(false, currentTaskName(tables_.tasks));
    rereadAfterEditing(tables_, name);
    scheduler_.scheduleCurrentTask();
    scheduler_.setTickTimerInterval(ui.Editt5->isChecked() ? 0 : Scheduler::kTickInterval);
    focusList();
}

void TForm1::BitBtn2Click() {
    if (deleteCurrentTask(tables_, texts_)) {
        scheduler_.restartTick();
    }
    focusList();
}

void TForm1::BitBtn3Click() {
    if (!tables_.tasks.isEmpty()) {
        TForm5 restore(tables_, language(), this);
        restore.exec();
    }
    focusList();
}

void TForm1::BitBtn12Click() {
    openRunHistory({});
}

void TForm1::N4Click() {
    if (!tables_.tasks.isEmpty()) {
        openRunHistory(currentTaskName(tables_.tasks));
    }
}

void TForm1::DBGrid1ContextPopup(const QPoint& position) {
    if (!tables_.tasks.isEmpty()) {
        ui.PopupMenu2->popup(ui.DBGrid1->viewport()->mapToGlobal(position));
    }
}

void TForm1::BitBtn5Click() {
    runCurrentTask(tables_, runContext(false, true));
    focusList();
}

void TForm1::BitBtn11Click() {
    runCurrentTask(tables_, runContext(true, true));
    focusList();
}

void TForm1::BitBtn4Click() {
    runTasks(tables_, runContext(false, true), false);
    focusList();
}

void TForm1::BitBtn7Click() {
    runTasks(tables_, runContext(false, true), true);
    focusList();
}

void TForm1::BitBtn8Click() {
    FindArchivers(tables_.archivers, texts_);
    {
        TForm3 configurations(tables_, texts_, language(), this);
        configurations.exec();
    }
    tables_.archivers.close();
    focusList();
}

void TForm1::BitBtn10Click() {
    const QString document = helpDocumentPath(currentLanguage_);
    if (!QFileInfo::exists(document)) {
        messageBox(texts_.text(Form1Text::cm7));
        return;
    }
    // The viewer gets a read-only copy: saving from it must not change the program's document.
    // Each request opens the document anew.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(readOnlyCopy(document)))) {
        throw Error(platformText(PlatformText::CannotOpen).arg(document));
    }
}

void TForm1::Button2Click() {
    TAboutBox about(language(), this);
    about.exec();
}

void TForm1::Button10Click() {
    // Started without arguments, in the program folder; a launcher of the same name is replaced.
    const Launcher launcher{options_.executablePath, programFolder(),
                            launcherIcon(options_.installed)};
    const QString file =
        writeLauncher(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                      texts_.text(Form1Text::cl1), launcher);
    markTrusted(file);
}

void TForm1::ComboBox1Change() {
    // Nothing chosen, or Russian still: the built-in texts are the Russian ones.
    if (ui.ComboBox1->currentIndex() < 0) {
        return;
    }
    const QString chosen = ui.ComboBox1->currentText();
    if (chosen == currentLanguage_ && chosen == kRussian) {
        return;
    }
    // A change is told by exact comparison; a language file that cannot be written is reported,
    // and the language applies all the same for this session.
    const bool changed = chosen != currentLanguage_;
    const StoredTexts before = storedTexts(texts_);
    currentLanguage_ = chosen;
    guarded([this] { writeLanguageFile(currentLanguage_); });
    if (channel_) {
        channel_->setCaption(mainWindowCaption(currentLanguage_));
    }

    // This window, its captions on several lines and its message texts; the controls grow with
    // longer captions. The caption in use is the one a second start looks for, so that a
    // dictionary that lacks it receives that one.
    setWindowTitle(mainWindowCaption(currentLanguage_));
    TranslateForm(this, objectName(), language().dictionaryPath(), true);
    readMainWindowTexts();
    fitCaptions();

    // The texts stored in the tables follow. While the window is being made, before the tables
    // are open, they do so once the tables are.
    if (!changed) {
        keepStorableTexts(texts_);
        return;
    }
    if (creating_) {
        pendingRewrite_ = before;
        return;
    }
    changeStoredTexts(tables_, before, texts_);
}

void TForm1::fitCaptions() {
    layout()->invalidate();
    layout()->activate();
}

void TForm1::readMainWindowTexts() {
    IniFile dictionary(language().dictionaryPath());
    if (dictionary.tooLarge()) {
        return;  // told by the translation; the texts in use stay
    }
    const QString section = objectName();
    // Numbered keys, never written back: a missing one shows as its key.
    const auto lines = [&](const QString& name, int count) {
        QStringList parts;
        for (int i = 1; i <= count; ++i) {
            parts << ReadDicTextOrKey(name + QStringLiteral("--Caption") + QString::number(i),
                                      section, dictionary);
        }
        return parts.join(QStringLiteral("\r\n"));
    };
    ui.BitBtn3->setText(lines(ui.BitBtn3->objectName(), 2));
    ui.BitBtn11->setText(lines(ui.BitBtn11->objectName(), 3));
    readMessageTable(texts_, section, dictionary);
    readMessageTable(platformTexts(), section, dictionary);
    readMessageTable(storeTexts(), section, dictionary);
    readMessageTable(dictionaryTexts(), section, dictionary);
    reportWriteBackFailure(dictionary);
}

void TForm1::BitBtn9Click() {
    endProgram();
}

void TForm1::CheckBox2Click() {
    if (ui.CheckBox2->isChecked()) {
        writeAutostartEntry(options_.executablePath);
    } else {
        removeAutostartEntry(options_.executablePath);
    }
}

void TForm1::endProgram() {
    ending_ = true;
    options_.terminate();
}

// --- Tray and second starts -----------------------------------------------------------------

QString TForm1::trayToolTip(bool paused) const {
    const bool russian = !dictionariesPresent_ || currentLanguage_ == kRussian;
    if (russian) {
        return paused ? QStringLiteral("Кельвотрин.\r\nЗадачи остановлены")
                      : QStringLiteral("Кельвотрин.\r\nЗадачи выполняются");
    }
    return paused ? QStringLiteral("Kelvotrin.\r\nTasks are stopped")
                  : QStringLiteral("Kelvotrin.\r\nTasks are executed");
}

QString TForm1::trayText(bool paused) const {
    QString tip = trayToolTip(paused).left(63);
    tip.remove(u'\r');
    // The runs in progress and the overdue tasks, each on a line of its own.
    for (const QString& line : RunState::trayLines(overdue_, texts_, clock().now())) {
        tip += u'\n' + line;
    }
    return tip;
}

QIcon TForm1::trayIconNow(const QIcon& icon) const {
    if (overdue_.isEmpty()) {
        return icon;
    }
    if (icon.cacheKey() == icon_.cacheKey()) {
        if (markedIcon_.isNull()) {
            markedIcon_ = withWarningMark(icon_);
        }
        return markedIcon_;
    }
    return withWarningMark(icon);
}

void TForm1::SetTrayIcon(TrayAction action, const QIcon& icon, bool paused) {
    const QString tip = trayText(paused);
    switch (action) {
        case TrayAction::Add:
            tray_->show(trayIconNow(icon), tip);
            break;
        case TrayAction::Remove:
            tray_->hide();
            return;
        case TrayAction::Modify:
            tray_->update(trayIconNow(icon), tip);
            break;
    }
    trayTextShown_ = tip;
    trayMarkShown_ = !overdue_.isEmpty();
}

bool TForm1::inTray() const {
    return tray_->isVisible();
}

QSystemTrayIcon* TForm1::trayIcon() const {
    return tray_->icon();
}

void TForm1::hideToTray() {
    if (!options_.trayAvailable()) {
        // Without a notification area a hidden window could not be brought back: minimise it.
        showMinimized();
        return;
    }
    SetTrayIcon(TrayAction::Add, icon_, scheduler_.paused());
    hide();
}

void TForm1::restoreFromTray() {
    SetTrayIcon(TrayAction::Remove, icon_, scheduler_.paused());
    showNormal();
    raise();
    activateWindow();
}

void TForm1::trayCallback(TrayClick click) {
    switch (click) {
        case TrayClick::Click:
        case TrayClick::DoubleClick:
            restoreFromTray();
            break;
        case TrayClick::ContextMenu:
            tray_->popUpMenu();
            break;
    }
}

void TForm1::showSecondStart() {
    SetTrayIcon(TrayAction::Remove, icon_, scheduler_.paused());
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    QApplication::alert(this);
}

void TForm1::listenForSecondStarts(InstanceChannel& channel) {
    // The copy was looked for under the caption of lang.txt's name as the program started;
    // the window may have changed the language since, as it was made.
    channel_ = &channel;
    channel.setCaption(mainWindowCaption(currentLanguage_));
    const HandlerGuard guard = [this](const std::function<void()>& handler) { guarded(handler); };
    connectHandler(&channel, &InstanceChannel::showRequested, this, &TForm1::showSecondStart,
                   guard);
    connectHandler(&channel, &InstanceChannel::trayClicked, this, &TForm1::trayCallback, guard);
}

void TForm1::N1Click() {
    restoreFromTray();
}

void TForm1::N3Click() {
    SetTrayIcon(TrayAction::Remove, icon_, scheduler_.paused());
    endProgram();
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (ending_) {
        e->accept();
        return;
    }
    // The close box hides the window; the tasks keep running.
    e->ignore();
    guarded([this] { hideToTray(); });
}

void TForm1::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && isMinimized() && options_.trayAvailable() &&
        !ending_) {
        // The minimise box hides the window into the tray as well.
        QTimer::singleShot(0, this, [this] { guarded([this] { hideToTray(); }); });
    }
}

}  // namespace kv
