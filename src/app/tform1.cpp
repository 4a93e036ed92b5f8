#include "app/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyle>
#include <QSystemTrayIcon>

#include "app/aboutbox.h"
#include "app/commands.h"
#include "app/programicon.h"
#include "app/startup.h"
#include "app/trayicon.h"
#include "archiving/findarchivers.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "editor/tform2.h"
#include "language/dictionary.h"
#include "language/translateform.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/error.h"
#include "platform/inifile.h"
#include "platform/instancechannel.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "platform/programfolder.h"
#include "platform/readonlycopy.h"
#include "platform/shortcut.h"
#include "store/storetexts.h"
#include "store/tasktable.h"
#include "widgets/buttonglyphs.h"
#include "widgets/dbgrid.h"

namespace kv {

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, QStyle::StandardPixmap glyph) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
    }
    if (glyph != QStyle::SP_CustomBase) {
        b->setIcon(buttonGlyph(glyph));
    }
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

TForm1::TForm1(Options options, QWidget* parent)
    : QWidget(parent),
      scheduler(Table1, marks, texts,
                [this](bool recompute) { RunTask(Table1, runContext(), recompute); }),
      options_(std::move(options)),
      icon_(programIcon()) {
    setObjectName(QStringLiteral("Form1"));
    // A run that the schedule asks for while its archive is being written waits for the next
    // check.
    scheduler.setRunBlocked([this] { return currentTaskArchiveInUse(Table1); });
    setWindowIcon(icon_);
    setWindowTitle(QStringLiteral("Кельвотрин"));
    terminate = [] { QCoreApplication::quit(); };
    trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    Timer2.setInterval(1000);
    createTaskList();
    createClockAndPause();
    createTaskButtons();
    createProgramButtons();
    createTrayMenu();
    setHints();
    tray_ = new TrayIcon(PopupMenu1, this);
    connectHandlers();
    setToolTipDuration(-1);
    resize(960, 580);
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() {
    // The destruction step: check marks back into Flag, then every table closed.
    guarded([this] {
        if (Table1.isOpen()) {
            GridToTable(Table1, marks);
        }
    });
    for (Table* t : {&Table1, &Table2, &Table3, &Table4}) {
        guarded([t] { t->close(); });
    }
}

RunContext TForm1::runContext(bool powerOff, bool byUser) const {
    return {texts, scheduler.startingUp(), scheduler.paused(), powerOff, byUser};
}

void TForm1::createTaskList() {
    Label1 = makeLabel(this, "Label1", QStringLiteral("Список задач"));
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    Label1->setFont(titleFont);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(QStringLiteral("Список задач архивации"));
    DBGrid1->bind(
        &Table1, &marks,
        {
            {QString(), QString(), 26},
            {TaskField::Name.name(), QStringLiteral("Задача"), 170},
            {TaskField::SledTimeStr.name(), QStringLiteral("Время следующей задачи"), 190},
            {TaskField::WorkTime.name(), QStringLiteral("Время последнего выполнения"), 210},
            {TaskField::Opis.name(), QStringLiteral("Описание"), 300},
        });
    // A double click opens the task as it is, also on its mark.
    DBGrid1->setDoubleClickKeepsMark(true);

    Label4 = makeLabel(this, "Label4", QStringLiteral("Выполнение задач приостановлено!"));
    QFont alarm = Label4->font();
    alarm.setBold(true);
    alarm.setPointSizeF(alarm.pointSizeF() * 1.4);
    Label4->setFont(alarm);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label4->setPalette(red);
    Label4->hide();
}

void TForm1::createClockAndPause() {
    Label3 = makeLabel(this, "Label3", QStringLiteral("Текущее время"));
    Label5 = makeLabel(this, "Label5", QString());
    Label5->setProperty(kLiveText, true);  // a clock reading is no text to translate
    QFont clockFont = Label5->font();
    clockFont.setBold(true);
    Label5->setFont(clockFont);

    Editt5 = new QCheckBox(QStringLiteral("Приостановить выполнение всех задач архивации"), this);
    Editt5->setObjectName(QStringLiteral("Editt5"));
}

void TForm1::createTaskButtons() {
    BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("Добавить        "),
                         QStringLiteral("Добавить новую задачу в список"), QStyle::SP_FileIcon);
    BitBtn6 = makeButton(this, "BitBtn6", QStringLiteral("Изменить       "),
                         QStringLiteral("Изменить выбранную в списке задачу"),
                         QStyle::SP_FileDialogDetailedView);
    BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Удалить           "),
                   QStringLiteral("Удалить выбранную задачу из списка"), QStyle::SP_TrashIcon);
    BitBtn3 = makeButton(this, "BitBtn3", QStringLiteral("Восстановить"),
                         QStringLiteral("Восстановить данные из архива выбранной задачи"),
                         QStyle::SP_DialogOpenButton);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Выполнить задачи"));
    Label2->setAlignment(Qt::AlignCenter);
    BitBtn5 =
        makeButton(this, "BitBtn5", QStringLiteral("выделенную  "),
                   QStringLiteral("Выполнить выбранную в списке задачу"), QStyle::SP_MediaPlay);
    BitBtn11 =
        makeButton(this, "BitBtn11", QStringLiteral("выделенную  "),
                   QStringLiteral("Выполнить выбранную в списке задачу и выключить компьютер"),
                   QStyle::SP_BrowserStop);
    BitBtn4 =
        makeButton(this, "BitBtn4", QStringLiteral("все                      "),
                   QStringLiteral("Выполнить все задачи в списке"), QStyle::SP_MediaSeekForward);
    BitBtn7 = makeButton(this, "BitBtn7", QStringLiteral("отмеченные   "),
                         QStringLiteral("Выполнить задачи, отмеченные в списке "),
                         QStyle::SP_DialogApplyButton);
}

void TForm1::createProgramButtons() {
    BitBtn8 = makeButton(this, "BitBtn8", QStringLiteral("Список настроек архиваторов"), QString(),
                         QStyle::SP_ComputerIcon);
    BitBtn9 = makeButton(this, "BitBtn9", QStringLiteral("  Выйти из программы"), QString(),
                         QStyle::SP_DialogCloseButton);
    Button2 = makeButton(this, "Button2", QStringLiteral("О программе"), QString(),
                         QStyle::SP_CustomBase);
    Button2->setEnabled(false);
    BitBtn10 = makeButton(this, "BitBtn10", QStringLiteral("Помощь"), QString(),
                          QStyle::SP_DialogHelpButton);
    CheckBox2 = new QCheckBox(QStringLiteral("Автозапуск программы"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    Button10 = makeButton(this, "Button10", QStringLiteral("Создать ярлык на рабочем столе"),
                          QString(), QStyle::SP_CustomBase);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Language"));
    ComboBox1->setEditable(false);
    QPalette yellow = ComboBox1->palette();
    yellow.setColor(QPalette::Button, Qt::yellow);
    yellow.setColor(QPalette::Base, Qt::yellow);
    ComboBox1->setPalette(yellow);
    ComboBox1->setStyleSheet(QStringLiteral("QComboBox { background: yellow; color: black; }"));
}

void TForm1::setHints() {
    const std::pair<QWidget*, QString> hints[] = {
        {Label1, QStringLiteral("Ваши задачи архивации и время их выполнения")},
        {Label4, QStringLiteral("Ни одна задача не запустится по расписанию, пока выполнение не "
                                "возобновлено")},
        {Label3, QStringLiteral("Время этого компьютера")},
        {Label5, QStringLiteral("Время этого компьютера")},
        {Editt5, QStringLiteral("Пока флажок стоит, ни одна задача не запускается по расписанию")},
        {Label2, QStringLiteral("Запустить архивацию сейчас, не дожидаясь её времени")},
        {BitBtn8, QStringLiteral("Настроить архиваторы, которыми пользуются задачи")},
        {BitBtn9, QStringLiteral("Закрыть программу: задачи не выполняются, пока она не запущена "
                                 "снова")},
        {Button2, QStringLiteral("Версия программы и её папка")},
        {BitBtn10, QStringLiteral("Открыть руководство пользователя")},
        {CheckBox2, QStringLiteral("Запускать программу в области уведомлений при каждом входе в "
                                   "систему")},
        {Button10, QStringLiteral("Поместить значок запуска программы на рабочий стол")},
    };
    for (const auto& [control, hint] : hints) {
        control->setToolTip(hint);
    }
    N1->setStatusTip(QStringLiteral("Показать главное окно"));
    N2->setStatusTip(QStringLiteral("Приостановить все задачи архивации"));
    N3->setStatusTip(QStringLiteral("Выйти из программы"));
}

void TForm1::createTrayMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("Развернуть"));
    N1->setObjectName(QStringLiteral("N1"));
    N2 = PopupMenu1->addAction(QStringLiteral("Приостановить"));
    N2->setObjectName(QStringLiteral("N2"));
    N2->setCheckable(true);
    N3 = PopupMenu1->addAction(QStringLiteral("Выход"));
    N3->setObjectName(QStringLiteral("N3"));
}

void TForm1::connectHandlers() {
    auto wire = [this](QPushButton* b, void (TForm1::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { guarded([=, this] { (this->*handler)(); }); });
    };
    wire(BitBtn1, &TForm1::BitBtn1Click);
    wire(BitBtn6, &TForm1::BitBtn6Click);
    wire(BitBtn2, &TForm1::BitBtn2Click);
    wire(BitBtn3, &TForm1::BitBtn3Click);
    wire(BitBtn5, &TForm1::BitBtn5Click);
    wire(BitBtn11, &TForm1::BitBtn11Click);
    wire(BitBtn4, &TForm1::BitBtn4Click);
    wire(BitBtn7, &TForm1::BitBtn7Click);
    wire(BitBtn8, &TForm1::BitBtn8Click);
    wire(BitBtn9, &TForm1::BitBtn9Click);
    wire(BitBtn10, &TForm1::BitBtn10Click);
    wire(Button2, &TForm1::Button2Click);
    wire(Button10, &TForm1::Button10Click);
    connect(Editt5, &QCheckBox::toggled, this, [this] { guarded([this] { Editt5Click(); }); });
    connect(CheckBox2, &QCheckBox::toggled, this,
            [this] { guarded([this] { CheckBox2Click(); }); });
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { guarded([this] { ComboBox1Change(); }); });
    connect(N1, &QAction::triggered, this, [this] { guarded([this] { N1Click(); }); });
    connect(N2, &QAction::triggered, this, [this] { guarded([this] { N2Click(); }); });
    connect(N3, &QAction::triggered, this, [this] { guarded([this] { N3Click(); }); });
    connect(DBGrid1, &DBGrid::cellClicked, this,
            [this](int column, int row) { guarded([=, this] { DBGrid1CellClick(column, row); }); });
    connect(DBGrid1, &DBGrid::rowDoubleClicked, this,
            [this] { guarded([this] { DBGrid1DblClick(); }); });
    connect(&scheduler.tickTimer(), &QTimer::timeout, this,
            [this] { guarded([this] { Timer1Timer(); }); });
    connect(&Timer2, &QTimer::timeout, this, [this] { guarded([this] { Timer2Timer(); }); });
    connect(&scheduler.startupTimer(), &QTimer::timeout, this,
            [this] { guarded([this] { Timer3Timer(); }); });
    connect(tray_, &TrayIcon::clicked, this,
            [this] { guarded([this] { trayCallback(kLeftButtonUp); }); });
    connect(tray_, &TrayIcon::doubleClicked, this,
            [this] { guarded([this] { trayCallback(kLeftButtonDoubleClick); }); });
    connect(tray_, &TrayIcon::contextMenuRequested, this,
            [this] { guarded([this] { trayCallback(kRightButtonUp); }); });

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { guarded([this] { BitBtn9Click(); }); });
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
    // 1. Message texts, those of the layers below this window included, and 2. the multi-line
    // captions.
    texts.resetToBuiltIn();
    platformTexts().resetToBuiltIn();
    storeTexts().resetToBuiltIn();
    dictionaryTexts().resetToBuiltIn();
    BitBtn3->setText(QStringLiteral("Восстановить\r\n данные  "));
    BitBtn11->setText(QStringLiteral("выделенную\r\nи выключить\r\nкомпьютер"));
    updateMinimumSize();

    // 3. Language set-up: the dictionaries beside the program, lang.txt, the entry of the
    // language (case ignored), and the language applied when there are dictionaries.
    bool present = false;
    const QStringList languages = dictionaryLanguages(&present);
    dictionariesPresent = present;
    ComboBox1->setVisible(present);
    ComboBox1->clear();
    ComboBox1->addItems(languages);
    try {
        currentLanguage = readOrCreateLanguageFile();
    } catch (const Error& e) {
        currentLanguage = kRussian;
        failures << e.message();
    }
    ComboBox1->setCurrentIndex(ComboBox1->findText(currentLanguage, Qt::MatchFixedString));
    if (dictionariesPresent) {
        guarded([this] { ComboBox1Change(); });
    }

    // 4. Process-wide flags. The scheduler starts out starting up and not paused, its tick
    // stopped; a run asks for the power-off only when its command says so.
    autoStarted = !options_.arguments.isEmpty() && options_.arguments.first() == u"r";

    // 5. Tables, and the stored texts of a language that changed in step 3; 6. the Lists
    // folder; 7. the autostart box; 8. the start-up pass in 3 s.
    failures += createAndOpenTables(Table1, Table2, Table3, Table4, texts);
    creating_ = false;
    // A tasks.dbf that could not be opened has been reported; the configurations then stay as
    // they are too, so that the tasks' names of them keep matching.
    if (pendingRewrite_ && Table1.isOpen()) {
        guarded([&] { changeStoredTexts(Table4, Table1, marks, *pendingRewrite_, texts); });
    }
    pendingRewrite_.reset();
    guarded([] { ensureListsFolder(); });
    // An entry that the desktop switched off stays so: the box shows it unticked.
    CheckBox2->setChecked(autostartEntryIsOn(options_.executablePath));
    Timer2.start();
    scheduler.startupTimer().start();
}

void TForm1::showAtStart() {
    const QRect screen = QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    move(screen.center() - rect().center());
    if (autoStarted) {
        // The first activation puts the window straight into the tray; it is never shown.
        guarded([this] { FormActivate(); });
        return;
    }
    show();
}

bool TForm1::event(QEvent* e) {
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

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!activatedOnce_) {
        guarded([this] { FormActivate(); });
    }
}

void TForm1::FormActivate() {
    const bool first = !activatedOnce_;
    activatedOnce_ = true;
    if (first && autoStarted) {
        hideToTray();
    }
    if (!DBGrid1->checkColumnVisible()) {
        DBGrid1->setCheckColumnVisible(true);
    }
    if (Table1.isOpen()) {
        TableToGrid(Table1, marks);
    }
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
}

void TForm1::FormResize() {
    layOut(width(), height(), true);
}

QSize TForm1::layOut(int w, int h, bool apply) {
    auto hint = [](QWidget* widget) { return widget->sizeHint(); };
    auto buttonWidth = [&](QWidget* b) { return hint(b).width() + 8; };
    auto place = [apply](QWidget* widget, int x, int y, int width, int height) {
        if (apply) {
            widget->setGeometry(x, y, width, height);
        }
    };

    // Top row: title, clock and language on the left; the About button keeps its distance from
    // the right edge.
    const int topH =
        std::max({hint(Button2).height(), hint(ComboBox1).height(), hint(Label1).height()});
    const int clockW = Label5->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 PM")) + 8;
    const int comboW = std::max(130, hint(ComboBox1).width());
    int x = kMargin;
    place(Label1, x, kMargin, hint(Label1).width(), topH);
    x += hint(Label1).width() + 40;
    place(Label3, x, kMargin, hint(Label3).width(), topH);
    x += hint(Label3).width() + kGap;
    place(Label5, x, kMargin, clockW, topH);
    x += clockW + 20;
    place(ComboBox1, x, kMargin, comboW, topH);
    x += comboW + 20;
    place(Button2, w - kMargin - hint(Button2).width(), kMargin, hint(Button2).width(), topH);
    int minWidth = x + hint(Button2).width() + kMargin;

    // The two bottom rows keep their distance from the bottom edge; the right-hand controls
    // also from the right edge.
    const QList<QPushButton*> taskButtons = {BitBtn1, BitBtn6, BitBtn2, BitBtn3};
    const QList<QPushButton*> runButtons = {BitBtn5, BitBtn11, BitBtn4, BitBtn7};
    const QList<QWidget*> row2Left = {BitBtn8, CheckBox2, Button10, BitBtn10};
    int row1H = 0;
    for (QPushButton* b : taskButtons + runButtons) {
        row1H = std::max(row1H, hint(b).height() + 4);
    }
    int row2H = hint(BitBtn9).height() + 4;
    for (QWidget* c : row2Left) {
        row2H = std::max(row2H, hint(c).height() + 4);
    }
    const int label2H = hint(Label2).height();
    const int row2Y = h - kMargin - row2H;
    const int row1Y = row2Y - kGap - row1H;

    x = kMargin;
    for (QPushButton* b : taskButtons) {
        place(b, x, row1Y, buttonWidth(b), row1H);
        x += buttonWidth(b) + kGap;
    }
    int runWidth = -kGap;
    for (QPushButton* b : runButtons) {
        runWidth += buttonWidth(b) + kGap;
    }
    minWidth = std::max(minWidth, x + 24 + runWidth + kMargin);
    int runX = w - kMargin - runWidth;
    place(Label2, runX, row1Y - label2H - 2, runWidth, label2H);
    for (QPushButton* b : runButtons) {
        place(b, runX, row1Y, buttonWidth(b), row1H);
        runX += buttonWidth(b) + kGap;
    }

    x = kMargin;
    for (QWidget* c : row2Left) {
        const int cw = qobject_cast<QPushButton*>(c) ? buttonWidth(c) : hint(c).width();
        place(c, x, row2Y, cw, row2H);
        x += cw + kGap + 4;
    }
    place(BitBtn9, w - kMargin - buttonWidth(BitBtn9), row2Y, buttonWidth(BitBtn9), row2H);
    minWidth = std::max(minWidth, x + 20 + buttonWidth(BitBtn9) + kMargin);

    // The task list grows with the window; the pause box stays just below it.
    const int pauseH = std::max(hint(Editt5).height(), hint(Label4).height());
    const int gridTop = kMargin + topH + kGap;
    const int gridH = row1Y - label2H - 2 - kGap - pauseH - kGap - gridTop;
    constexpr int kMinGridH = 120;
    place(DBGrid1, kMargin, gridTop, w - 2 * kMargin, std::max(kMinGridH, gridH));
    const int pauseY = gridTop + std::max(kMinGridH, gridH) + kGap;
    place(Editt5, kMargin, pauseY, hint(Editt5).width(), pauseH);
    place(Label4, kMargin + hint(Editt5).width() + 24, pauseY, hint(Label4).width(), pauseH);
    minWidth =
        std::max(minWidth, kMargin + hint(Editt5).width() + 24 + hint(Label4).width() + kMargin);

    return {minWidth, h - gridH + kMinGridH};
}

void TForm1::updateMinimumSize() {
    const QSize minimum = layOut(0, 0, false);
    setMinimumSize(minimum);
    resize(std::max(width(), minimum.width()), std::max(height(), minimum.height()));
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
    DBGrid1->setFocus();
}

// --- Start-up pass, tick, pause ----------------------------------------------------------------

void TForm1::StartScheduler() {
    scheduler.startupPass();
}

void TForm1::Timer1Timer() {
    scheduler.tick();
}

void TForm1::Timer2Timer() {
    Label5->setText(longTimeText(clock().now().time()));
    // A suspend or a jump of the wall clock: due tasks start now, not when the tick's interval,
    // which stood still meanwhile, runs out.
    scheduler.catchUpAfterClockJump(clockWatch_);
}

void TForm1::Timer3Timer() {
    // Stopped first: a resume inside a box of the pass starts it again, for a pass of its own.
    scheduler.startupTimer().stop();
    StartScheduler();
    Button2->setEnabled(true);
}

void TForm1::Editt5Click() {
    N2->setChecked(Editt5->isChecked());
    Label4->setVisible(Editt5->isChecked());
    focusList();
    scheduler.setPaused(Editt5->isChecked());
}

void TForm1::DBGrid1CellClick(int column, int row) {
    // The list has toggled the mark already; only the check column holds marks.
    if (column == 0) {
        scheduler.toggleTaskEnabled(row);
    }
}

void TForm1::N2Click() {
    // The box follows the pause that the scheduler applied; its own handler must not apply it
    // a second time.
    const bool paused = scheduler.togglePaused();
    {
        const QSignalBlocker block(Editt5);
        Editt5->setChecked(paused);
    }
    N2->setChecked(paused);
    Label4->setVisible(paused);
    SetTrayIcon(kTrayModify, icon_, scheduler.paused());
}

// --- Commands --------------------------------------------------------------------------------

void TForm1::DBGrid1DblClick() {
    BitBtn6Click();
}

QString TForm1::openTaskEditor(bool newTask, const QString& editedTaskName) {
    TForm2 editor({Table1, Table2, Table3, Table4}, texts, newTask, editedTaskName, language(),
                  this);
    editor.exec();
    return editor.EditedTaskName;
}

void TForm1::BitBtn1Click() {
    // The scheduler pauses while a new task is made, as if the user had ticked the box.
    const bool wasPaused = Editt5->isChecked();
    Editt5->setChecked(true);
    try {
        // The activation as the editor closes leaves the first task current: the task to
        // return to is the one saved, or else the one selected before.
        const QString before = currentTaskName(Table1);
        const QString saved = openTaskEditor(true, QString());
        rereadAfterEditing(Table1, Table2, marks, saved.isEmpty() ? before : saved);
        // Resumed for the next-run calculation, so that a task added while everything is
        // paused gets its next run as well; then paused again if it was.
        Editt5->setChecked(false);
        scheduler.scheduleCurrentTask();
    } catch (...) {
        Editt5->setChecked(wasPaused);
        throw;
    }
    Editt5->setChecked(wasPaused);
    scheduler.restartTick();
    focusList();
}

void TForm1::BitBtn6Click() {
    if (Table1.isEmpty()) {
        focusList();
        return;
    }
    // The scheduler goes on meanwhile; the editor returns the name the task now has.
    const QString name = openTaskEditor(false, currentTaskName(Table1));
    rereadAfterEditing(Table1, Table2, marks, name);
    scheduler.scheduleCurrentTask();
    scheduler.setTickTimerInterval(Editt5->isChecked() ? 0 : Scheduler::kTickInterval);
    focusList();
}

void TForm1::BitBtn2Click() {
    if (deleteCurrentTask(Table1, Table2, marks, texts)) {
        scheduler.restartTick();
    }
    focusList();
}

void TForm1::BitBtn3Click() {
    if (!Table1.isEmpty()) {
        TForm5 restore(Table1, language(), this);
        restore.exec();
    }
    focusList();
}

void TForm1::BitBtn5Click() {
    runCurrentTask(Table1, marks, runContext(false, true));
    focusList();
}

void TForm1::BitBtn11Click() {
    runCurrentTask(Table1, marks, runContext(true, true));
    focusList();
}

void TForm1::BitBtn4Click() {
    runTasks(Table1, marks, runContext(false, true), false);
    focusList();
}

void TForm1::BitBtn7Click() {
    runTasks(Table1, marks, runContext(false, true), true);
    focusList();
}

void TForm1::BitBtn8Click() {
    FindArchivers(Table4, texts);
    {
        TForm3 configurations(Table4, texts, language(), this);
        configurations.exec();
    }
    Table4.close();
    focusList();
}

void TForm1::BitBtn10Click() {
    const QString document = helpDocumentPath(currentLanguage);
    if (!QFileInfo::exists(document)) {
        messageBox(texts.text(Form1Text::cm7));
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
                      texts.text(Form1Text::cl1), launcher);
    markTrusted(file);
}

void TForm1::ComboBox1Change() {
    // 1.-2. Nothing chosen, or Russian still: the built-in texts are the Russian ones.
    if (ComboBox1->currentIndex() < 0) {
        return;
    }
    const QString chosen = ComboBox1->currentText();
    if (chosen == currentLanguage && chosen == kRussian) {
        return;
    }
    // 3.-4. A change is told by exact comparison; a language file that cannot be written is
    // reported, and the language applies all the same for this session.
    const bool changed = chosen != currentLanguage;
    const StoredTexts before = storedTexts(texts);
    currentLanguage = chosen;
    guarded([this] { writeLanguageFile(currentLanguage); });
    if (channel_) {
        channel_->setCaption(mainWindowCaption(currentLanguage));
    }

    // 5.-7. This window, its captions and its message texts. The caption in use is the one a
    // second start looks for, so that a dictionary that lacks it receives that one.
    setWindowTitle(mainWindowCaption(currentLanguage));
    TranslateForm(this, objectName(), language().dictionaryPath(), true);
    readMainWindowTexts();
    updateMinimumSize();

    // 8.-9. The texts stored in the tables follow. Before the tables are open (the creation
    // step) they do so once the tables are.
    if (!changed) {
        keepStorableTexts(texts);
        return;
    }
    if (creating_) {
        pendingRewrite_ = before;
        return;
    }
    changeStoredTexts(Table4, Table1, marks, before, texts);
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
    BitBtn3->setText(lines(BitBtn3->objectName(), 2));
    BitBtn11->setText(lines(BitBtn11->objectName(), 3));
    readMessageTable(texts, section, dictionary);
    readMessageTable(platformTexts(), section, dictionary);
    readMessageTable(storeTexts(), section, dictionary);
    readMessageTable(dictionaryTexts(), section, dictionary);
    reportWriteBackFailure(dictionary);
}

void TForm1::BitBtn9Click() {
    endProgram();
}

void TForm1::CheckBox2Click() {
    if (CheckBox2->isChecked()) {
        writeAutostartEntry(options_.executablePath);
    } else {
        removeAutostartEntry(options_.executablePath);
    }
}

void TForm1::endProgram() {
    ending_ = true;
    if (terminate) {
        terminate();
    }
}

// --- Tray and window messages -----------------------------------------------------------------

QString TForm1::trayToolTip(bool paused) const {
    const bool russian = !dictionariesPresent || currentLanguage == kRussian;
    if (russian) {
        return paused ? QStringLiteral("Кельвотрин.\r\nЗадачи остановлены")
                      : QStringLiteral("Кельвотрин.\r\nЗадачи выполняются");
    }
    return paused ? QStringLiteral("Kelvotrin.\r\nTasks are stopped")
                  : QStringLiteral("Kelvotrin.\r\nTasks are executed");
}

void TForm1::SetTrayIcon(int action, const QIcon& icon, bool paused) {
    QString tip = trayToolTip(paused).left(63);
    tip.remove(u'\r');
    switch (action) {
        case kTrayAdd:
            tray_->show(icon, tip);
            break;
        case kTrayRemove:
            tray_->hide();
            break;
        case kTrayModify:
            tray_->update(icon, tip);
            break;
        default:
            break;
    }
}

bool TForm1::inTray() const {
    return tray_->isVisible();
}

QSystemTrayIcon* TForm1::trayIcon() const {
    return tray_->icon();
}

void TForm1::hideToTray() {
    if (!trayAvailable()) {
        // Without a notification area a hidden window could not be brought back: minimise it.
        showMinimized();
        return;
    }
    SetTrayIcon(kTrayAdd, icon_, scheduler.paused());
    hide();
}

void TForm1::restoreFromTray() {
    SetTrayIcon(kTrayRemove, icon_, scheduler.paused());
    showNormal();
    raise();
    activateWindow();
}

void TForm1::trayCallback(int mouseMessage) {
    switch (mouseMessage) {
        case kLeftButtonUp:
        case kLeftButtonDoubleClick:
            restoreFromTray();
            break;
        case kRightButtonUp:
            tray_->popUpMenu();
            break;
        default:
            break;
    }
}

void TForm1::onWindowMessage(quint32 message, qint32 wParam, qint32 lParam) {
    if (message == kTrayMessage) {
        guarded([=, this] { trayCallback(lParam); });
        return;
    }
    if (message != kShowRequest) {
        return;
    }
    guarded([this] {
        SetTrayIcon(kTrayRemove, icon_, scheduler.paused());
        if (isMinimized()) {
            showNormal();
        } else {
            show();
        }
        raise();
        activateWindow();
        QApplication::alert(this);
    });
}

void TForm1::listenForSecondStarts(InstanceChannel& channel) {
    // The copy was looked for under the caption of lang.txt's name as the program started;
    // the creation step may have changed the language since.
    channel_ = &channel;
    channel.setCaption(mainWindowCaption(currentLanguage));
    connect(&channel, &InstanceChannel::messageReceived, this, &TForm1::onWindowMessage);
}

void TForm1::N1Click() {
    restoreFromTray();
}

void TForm1::N3Click() {
    SetTrayIcon(kTrayRemove, icon_, scheduler.paused());
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
    if (e->type() == QEvent::WindowStateChange && isMinimized() && trayAvailable() && !ending_) {
        // The minimise box hides the window into the tray as well.
        QTimer::singleShot(0, this, [this] { guarded([this] { hideToTray(); }); });
    }
}

}  // namespace kv
