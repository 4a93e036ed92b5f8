#include "editor/tform2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTimeEdit>
#include <QUrl>
#include <QVBoxLayout>

#include "archiving/findarchivers.h"
#include "archiving/tform3.h"
#include "editor/tform4.h"
#include "language/translateform.h"
#include "platform/dialogs.h"
#include "platform/messagebox.h"
#include "store/layouts.h"
#include "widgets/buttonglyphs.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"
#include "widgets/radiogroup.h"

namespace kv {
namespace {

// The hourglass while the window reads or writes the tables.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (on_) {
            on_ = false;
            QApplication::restoreOverrideCursor();
        }
    }

private:
    bool on_ = true;
};

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    return named(new QLabel(caption, parent), name);
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    return named(new QCheckBox(caption, parent), name);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        QStyle::StandardPixmap glyph = QStyle::SP_CustomBase) {
    auto* b = named(new QPushButton(caption, parent), name);
    if (glyph != QStyle::SP_CustomBase) {
        b->setIcon(buttonGlyph(glyph));
    }
    // Enter in a field does not press a button.
    b->setAutoDefault(false);
    return b;
}

LabeledEdit* makeEdit(QWidget* parent, const char* name, const QString& caption,
                      const Field<QString>& field) {
    auto* e = named(new LabeledEdit(parent), name);
    e->setCaption(caption);
    // Typing stops where the stored field ends.
    e->setMaxLength(field.width());
    return e;
}

RadioGroup* makeRadioGroup(QWidget* parent, const char* name, const QString& caption,
                           const QStringList& items) {
    auto* g = named(new RadioGroup(parent), name);
    g->setCaption(caption);
    g->setItems(items);
    return g;
}

QTimeEdit* makeTimePicker(QWidget* parent, const char* name) {
    auto* t = named(new QTimeEdit(parent), name);
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return t;
}

void colour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

// Hidden by the period rule without giving up their place, so the window keeps its size.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy p = widget->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(p);
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* r = new QHBoxLayout;
    for (QWidget* w : widgets) {
        r->addWidget(w);
    }
    r->addStretch(1);
    return r;
}

// A path dropped on the window as the list holds it: a folder without a closing '/', the root
// as "/".
QString droppedPath(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << droppedPath(url.toLocalFile());
        }
    }
    return paths;
}

}  // namespace

TForm2::TForm2(EditorTables tables, const MainWindowTexts& mainTexts, bool newTask,
               QString editedTaskName, LanguageInUse language, QWidget* parent)
    : QDialog(parent),
      NewTask(newTask),
      EditedTaskName(std::move(editedTaskName)),
      tables_(tables),
      mainTexts_(mainTexts),
      language_(std::move(language)),
      list_(new WorkingList(tables.working, this)) {
    setObjectName(QStringLiteral("Form2"));
    // A fixed-size dialog with a system menu and a minimise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setToolTipDuration(-1);
    createTaskControls();
    createScheduleControls();
    createConfigurationControls();
    createObjectListControls();
    arrange();
    connectHandlers();
    runReportingErrors([this] { FormCreate(); });
}

TForm2::~TForm2() {
    runReportingErrors([this] { tables_.archivers.close(); });
}

void TForm2::createTaskControls() {
    CheckBox1 = makeCheckBox(this, "CheckBox1", QStringLiteral("Выполнять эту задачу"));
    LEdit1 = makeEdit(this, "LEdit1", QStringLiteral("Наименование задачи"), TaskField::Name);
    LEdit4 = makeEdit(this, "LEdit4", QStringLiteral("Описание задачи (не обязательно)"),
                      TaskField::Opis);
    LEdit2 =
        makeEdit(this, "LEdit2", QStringLiteral("Папка, в которую будет осуществляться архивация"),
                 TaskField::Path2);
    BitBtn1 = makeButton(this, "BitBtn1", QString(), QStyle::SP_DialogOpenButton);
    LEdit3 = makeEdit(this, "LEdit3", QStringLiteral("Имя файла архива"), TaskField::NameArh);
    RadioGroup1 = makeRadioGroup(
        this, "RadioGroup1", QStringLiteral("  Вид имени архива  "),
        {QStringLiteral("только имя - (предидущий файл архива затирается)"),
         QStringLiteral("имя + дата  - (предидущий файл архива в пределах даты затирается)"),
         QStringLiteral("имя + дата + время - (сохраняются все предидущие файлы архива)")});
    RadioGroup1->setToolTip(QStringLiteral("Какой вид будет иметь имя архива"));
    CheckBox3 = makeCheckBox(this, "CheckBox3", QStringLiteral("Создавать .ВАК копию"));
    Label8 = makeLabel(this, "Label8", QStringLiteral("архива при совпадении"));
    Label9 = makeLabel(this, "Label9", QStringLiteral("имен"));
}

void TForm2::createScheduleControls() {
    RadioGroup2 = makeRadioGroup(
        this, "RadioGroup2", QStringLiteral("  Периодичность архивации  "),
        {QStringLiteral("только по требованию"), QStringLiteral("при каждом запуске"),
         QStringLiteral("каждый час"), QStringLiteral("каждый день"),
         QStringLiteral("каждую неделю"), QStringLiteral("каждый месяц")});
    RadioGroup2->setToolTip(QStringLiteral("Периодичность"));
    RadioGroup3 = makeRadioGroup(
        this, "RadioGroup3", QStringLiteral("  Если пропущена архивация  "),
        {QStringLiteral("архивировать немедленно"), QStringLiteral("ожидать следущий период")});
    RadioGroup3->setItemIndex(newTaskFields().propusk);

    Label1 = makeLabel(this, "Label1", QStringLiteral("на"));
    SpinEdit1 = named(new QSpinBox(this), "SpinEdit1");
    SpinEdit1->setRange(0, 59);
    SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    Label2 = makeLabel(this, "Label2", QStringLiteral("-й минуте каждого часа"));

    Label3 = makeLabel(this, "Label3", QStringLiteral("в"));
    DateTimePicker1 = makeTimePicker(this, "DateTimePicker1");
    Label4 = makeLabel(this, "Label4", QStringLiteral("каждый день"));

    Label12 = makeLabel(this, "Label12", QStringLiteral("в"));
    RadioGroup4 = makeRadioGroup(
        this, "RadioGroup4", QString(),
        {QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
         QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")});
    RadioGroup4->setColumns(RadioGroup4->count());
    Label11 = makeLabel(this, "Label11", QStringLiteral("в"));
    DateTimePicker3 = makeTimePicker(this, "DateTimePicker3");

    SpinEdit2 = named(new QSpinBox(this), "SpinEdit2");
    SpinEdit2->setRange(1, 31);
    // The day changes only with the arrows.
    if (auto* text = SpinEdit2->findChild<QLineEdit*>()) {
        text->setReadOnly(true);
    }
    Label5 = makeLabel(this, "Label5", QStringLiteral("числа в"));
    DateTimePicker2 = makeTimePicker(this, "DateTimePicker2");
    DateTimePicker2->setTime(newTaskFields().monthTime);
    CheckBox2 = makeCheckBox(this, "CheckBox2",
                             QStringLiteral("в последний день месяца (если дней меньше чем 31)"));
}

void TForm2::createConfigurationControls() {
    Label10 = makeLabel(this, "Label10", QStringLiteral("Использовать настройки архиватора"));
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    BitBtn4 = makeButton(this, "BitBtn4", QStringLiteral("Список настроек архиваторов"),
                         QStyle::SP_ComputerIcon);
    CheckBox4 = makeCheckBox(this, "CheckBox4",
                             QStringLiteral("Не использовать архиватор (копирование файлов)"));
    CheckBox4->hide();
    BitBtn3 = makeButton(this, "BitBtn3", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    BitBtn2 = makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
}

void TForm2::createObjectListControls() {
    Label6 = makeLabel(this, "Label6",
                       QStringLiteral("Список объектов (файлов или папок), которые будут "
                                      "архивироваться "));
    colour(Label6, QColor(0x00, 0x80, 0x00));
    Label7 = makeLabel(this, "Label7",
                       QStringLiteral("Добавить объект можно, ") + QStringLiteral("\"перетащив\"") +
                           QStringLiteral(" его мышкой на эту форму из любого окна"));
    colour(Label7, Qt::red);
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    Label7->setFont(bold);

    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    DBGrid1->bind(&tables_.working, nullptr,
                  {{ObjectField::Path.name(), QStringLiteral("Имя файла"), 400}});
    DBGrid1->horizontalHeader()->setFont(bold);
    DBGrid1->viewport()->installEventFilter(this);

    Button7 = makeButton(this, "Button7", QStringLiteral("Изменить имя объекта"));
    Button4 = makeButton(this, "Button4", QStringLiteral("Удалить объект из списка"));
    Button5 = makeButton(this, "Button5", QStringLiteral("Очистить весь список"));
    Button9 = makeButton(this, "Button9", QStringLiteral("Открыть папку, содержащую этот объект"));

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    N2 = named(PopupMenu1->addAction(QStringLiteral("Изменить имя объекта")), "N2");
    N3 = named(PopupMenu1->addAction(QStringLiteral("Удалить файл из списка")), "N3");
    N5 = named(PopupMenu1->addAction(QStringLiteral("Очистить весь список")), "N5");
    N1 = named(PopupMenu1->addAction(QStringLiteral("Открыть папку, содержащую этот файл")), "N1");
}

void TForm2::arrange() {
    // Left: the task, its destination and archive; right: its schedule.
    auto* left = new QVBoxLayout;
    left->addWidget(CheckBox1);
    left->addWidget(LEdit1);
    left->addWidget(LEdit4);
    auto* folder = new QHBoxLayout;
    folder->addWidget(LEdit2, 1);
    folder->addWidget(BitBtn1, 0, Qt::AlignBottom);
    left->addLayout(folder);
    left->addWidget(LEdit3);
    left->addWidget(RadioGroup1);
    auto* bak = new QGridLayout;
    bak->addWidget(CheckBox3, 0, 0, 1, 2);
    bak->addItem(new QSpacerItem(QFontMetrics(CheckBox3->font()).height() + 6, 0), 1, 0);
    bak->addWidget(Label8, 1, 1);
    bak->addWidget(Label9, 2, 1);
    bak->setVerticalSpacing(0);
    bak->setColumnStretch(2, 1);
    left->addLayout(bak);
    left->addWidget(Label10);
    auto* configuration = new QHBoxLayout;
    configuration->addWidget(ComboBox1, 1);
    configuration->addWidget(BitBtn4);
    left->addLayout(configuration);
    for (QWidget* w : {static_cast<QWidget*>(Label10), static_cast<QWidget*>(ComboBox1),
                       static_cast<QWidget*>(BitBtn4)}) {
        keepPlaceWhenHidden(w);
    }
    left->addStretch(1);

    // The controls of the periods share one place: only one period's are shown at a time.
    auto* schedule = new QGridLayout;
    auto* weekly = new QVBoxLayout;
    weekly->addLayout(row({Label12, RadioGroup4}));
    weekly->addLayout(row({Label11, DateTimePicker3}));
    schedule->addLayout(row({Label1, SpinEdit1, Label2}), 0, 0, Qt::AlignTop);
    schedule->addLayout(row({Label3, DateTimePicker1, Label4}), 0, 0, Qt::AlignTop);
    schedule->addLayout(weekly, 0, 0, Qt::AlignTop);
    auto* monthly = new QVBoxLayout;
    monthly->addLayout(row({SpinEdit2, Label5, DateTimePicker2}));
    monthly->addWidget(CheckBox2);
    schedule->addLayout(monthly, 0, 0, Qt::AlignTop);
    for (QWidget* w : std::initializer_list<QWidget*>{
             RadioGroup3, Label1, SpinEdit1, Label2, Label3, DateTimePicker1, Label4, Label12,
             RadioGroup4, Label11, DateTimePicker3, SpinEdit2, Label5, DateTimePicker2,
             CheckBox2}) {
        keepPlaceWhenHidden(w);
    }
    auto* right = new QVBoxLayout;
    right->addWidget(RadioGroup2);
    right->addWidget(RadioGroup3);
    right->addSpacing(6);
    right->addLayout(schedule);
    right->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addSpacing(12);
    top->addLayout(right);

    // Below: the object list with its commands, then save and close.
    auto* commands = new QVBoxLayout;
    for (QPushButton* b : {Button7, Button4, Button5, Button9}) {
        commands->addWidget(b);
    }
    commands->addStretch(1);
    auto* objects = new QHBoxLayout;
    DBGrid1->setMinimumHeight(190);
    objects->addWidget(DBGrid1, 1);
    objects->addLayout(commands);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(BitBtn3);
    closing->addWidget(BitBtn2);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addSpacing(6);
    window->addWidget(Label6);
    window->addWidget(Label7);
    window->addLayout(objects, 1);
    window->addLayout(closing);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Tab follows the screen: the left column, the schedule beside it, the object list with its
    // commands, then save and close. (The order of creation, which a translation walks, has
    // save and close before the list.) A radio group takes part through its buttons.
    QList<QWidget*> order;
    for (QWidget* w : std::initializer_list<QWidget*>{
             CheckBox1,       LEdit1,      LEdit4,          LEdit2,          BitBtn1,
             LEdit3,          RadioGroup1, CheckBox3,       ComboBox1,       BitBtn4,
             RadioGroup2,     RadioGroup3, SpinEdit1,       DateTimePicker1, RadioGroup4,
             DateTimePicker3, SpinEdit2,   DateTimePicker2, CheckBox2,       DBGrid1,
             Button7,         Button4,     Button5,         Button9,         BitBtn3,
             BitBtn2}) {
        const QList<QRadioButton*> items = w->findChildren<QRadioButton*>();
        order += qobject_cast<RadioGroup*>(w) ? QList<QWidget*>(items.begin(), items.end())
                                              : QList<QWidget*>{w};
    }
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    // Files dropped anywhere on the window go to the list; no field takes them as text.
    for (QWidget* w : findChildren<QWidget*>()) {
        w->setAcceptDrops(false);
    }
    setAcceptDrops(true);
}

void TForm2::whenLeft(QWidget* control, void (TForm2::*test)()) {
    QList<QWidget*> watched = control->findChildren<QWidget*>();
    watched.prepend(control);
    for (QWidget* w : watched) {
        leaveTests_.insert(w, {control, test});
        w->installEventFilter(this);
    }
}

void TForm2::connectHandlers() {
    auto guarded = [this](void (TForm2::*handler)()) {
        return [this, handler] { runReportingErrors([=, this] { (this->*handler)(); }); };
    };
    connect(LEdit1, &LabeledEdit::textChanged, this, guarded(&TForm2::LEdit1Change));
    connect(LEdit4, &LabeledEdit::textChanged, this, guarded(&TForm2::LEdit4Change));
    connect(LEdit3, &LabeledEdit::textChanged, this, guarded(&TForm2::LEdit3Change));
    connect(LEdit2, &LabeledEdit::exited, this, guarded(&TForm2::LEdit2Exit));
    connect(LEdit2, &LabeledEdit::doubleClicked, this, guarded(&TForm2::BitBtn1Click));
    connect(SpinEdit1, &QSpinBox::valueChanged, this, guarded(&TForm2::SpinEdit1Change));
    connect(SpinEdit2, &QSpinBox::valueChanged, this, guarded(&TForm2::SpinEdit2Change));
    connect(ComboBox1, &QComboBox::activated, this, guarded(&TForm2::ComboBox1Change));
    connect(CheckBox4, &QCheckBox::toggled, this, guarded(&TForm2::CheckBox4Click));
    connect(RadioGroup2, &RadioGroup::activated, this, guarded(&TForm2::RadioGroup2Click));

    connect(RadioGroup1, &RadioGroup::exited, this, guarded(&TForm2::RadioGroup1Exit));
    connect(RadioGroup2, &RadioGroup::exited, this, guarded(&TForm2::RadioGroup2Exit));
    connect(RadioGroup3, &RadioGroup::exited, this, guarded(&TForm2::RadioGroup3Exit));
    connect(RadioGroup4, &RadioGroup::exited, this, guarded(&TForm2::RadioGroup4Exit));
    whenLeft(CheckBox1, &TForm2::CheckBox1Exit);
    whenLeft(CheckBox2, &TForm2::CheckBox2Exit);
    whenLeft(CheckBox3, &TForm2::CheckBox3Exit);
    whenLeft(CheckBox4, &TForm2::CheckBox4Exit);
    whenLeft(DateTimePicker1, &TForm2::DateTimePicker1Exit);
    whenLeft(DateTimePicker2, &TForm2::DateTimePicker2Exit);
    whenLeft(DateTimePicker3, &TForm2::DateTimePicker3Exit);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(&TForm2::BitBtn1Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded(&TForm2::BitBtn3Click));
    connect(BitBtn4, &QPushButton::clicked, this, guarded(&TForm2::BitBtn4Click));
    connect(BitBtn2, &QPushButton::clicked, this, &TForm2::reject);

    connect(Button7, &QPushButton::clicked, this, guarded(&TForm2::Button7Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&TForm2::Button4Click));
    connect(Button5, &QPushButton::clicked, this, guarded(&TForm2::Button5Click));
    connect(Button9, &QPushButton::clicked, this, guarded(&TForm2::Button9Click));
    connect(N2, &QAction::triggered, this, guarded(&TForm2::Button7Click));
    connect(N3, &QAction::triggered, this, guarded(&TForm2::Button4Click));
    connect(N5, &QAction::triggered, this, guarded(&TForm2::Button5Click));
    connect(N1, &QAction::triggered, this, guarded(&TForm2::Button9Click));
    connect(DBGrid1, &DBGrid::rowDoubleClicked, this, guarded(&TForm2::Button7Click));
}

void TForm2::FormCreate() {
    texts.resetToBuiltIn();
    setWindowTitle(texts.text(Form2Text::ct1));
    applyLanguage(this, texts, language_);
    setWindowTitle(texts.text(Form2Text::ct1));
    tables_.archivers.open();
}

// --- Opening ------------------------------------------------------------------------------------

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        runReportingErrors([this] {
            FormShow();
            FormActivate();
        });
    }
}

void TForm2::FormShow() {
    Modified = NewTask;
}

void TForm2::FormActivate() {
    tables_.archivers.open();
    const QScopedValueRollback opening(opening_, true);
    Myread();
    RadioGroup2Click();
    // Typing starts with the name, never in the enabled box above it, which a blank would untick.
    LEdit1->setFocus();
}

QStringList TForm2::fillConfigurations(int position) {
    const QStringList names = configurationNames(tables_.archivers);
    ComboBox1->clear();
    ComboBox1->addItems(names);
    ComboBox1->setCurrentIndex(position);
    return names;
}

void TForm2::rememberStoredRow() {
    stored_ = readTaskFields(tables_.tasks);
    storedNameArhSys_ = tables_.tasks.asString(TaskField::NameArhSys);
}

void TForm2::Myread() {
    WaitCursor wait;
    const QStringList configurations = fillConfigurations(defaultConfiguration(tables_.archivers));

    // What the controls are compared with: the current task row (empty values on an empty
    // table, which a new task's set mark makes moot).
    rememberStoredRow();

    if (NewTask) {
        const TaskFields fresh = newTaskFields();
        setWindowTitle(texts.text(Form2Text::ct1));
        LEdit1->setText(QString());
        LEdit2->setText(QString());
        LEdit3->setText(fresh.nameArh);
        LEdit4->setText(QString());
        RadioGroup1->setItemIndex(fresh.vidNameArh);
        RadioGroup2->setItemIndex(fresh.vidPeriod);
        CheckBox1->setChecked(fresh.flag);
        CheckBox4->setChecked(false);
        // The other controls keep what the window starts with.
        ClearWorkingList(tables_.working);
        return;
    }

    const TaskFields& f = stored_;
    setWindowTitle(f.name);
    CheckBox1->setChecked(f.flag);
    LEdit1->setText(f.name);
    LEdit4->setText(f.opis);
    RadioGroup1->setItemIndex(f.vidNameArh);
    CheckBox3->setChecked(f.bak);
    LEdit2->setText(f.path2);
    LEdit3->setText(f.nameArh);
    RadioGroup2->setItemIndex(f.vidPeriod);
    SpinEdit1->setValue(f.minuta);
    DateTimePicker1->setTime(f.dayTime);
    SpinEdit2->setValue(f.monthDay);
    DateTimePicker2->setTime(f.monthTime);
    RadioGroup4->setItemIndex(f.weekDay - 1);
    DateTimePicker3->setTime(f.weekTime);
    CheckBox2->setChecked(f.lastDay);
    RadioGroup3->setItemIndex(f.propusk);
    CheckBox4->setChecked(f.vidArhivator == 0);
    ComboBox1->setCurrentIndex(configurationPosition(configurations, storedNameArhSys_));
    CheckBox4Click();
    // A minute or day out of range shows brought into it: the task is changed then.
    SpinEdit1Change();
    markIf(SpinEdit2->value() != f.monthDay);

    const QList<RefusedObject> refused = LoadWorkingList(*list_, tables_.objects, EditedTaskName);
    if (!refused.isEmpty()) {
        // The list now lacks them; saving would drop them from the task, so say which.
        QStringList lines;
        for (const RefusedObject& r : refused) {
            lines << pathRefusalText(texts, r.path, r.why);
        }
        wait.restore();
        messageBox(lines.join(u'\n'), texts.text(Form2Text::cm1));
    }
}

// --- Rules --------------------------------------------------------------------------------------

void TForm2::RadioGroup2Click() {
    const PeriodControls c = periodControls(RadioGroup2->itemIndex());
    RadioGroup3->setVisible(c.missedRun);
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, Label2, SpinEdit1}) {
        w->setVisible(c.hourly);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, Label4, DateTimePicker1}) {
        w->setVisible(c.daily);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label11, Label12, DateTimePicker3, RadioGroup4}) {
        w->setVisible(c.weekly);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{SpinEdit2, Label5, DateTimePicker2}) {
        w->setVisible(c.monthly);
    }
    if (c.monthly) {
        SpinEdit2Change();
    } else {
        CheckBox2->hide();
    }
}

void TForm2::SpinEdit2Change() {
    const int day = SpinEdit2->value();
    if (!lastDayBoxShown(day)) {
        CheckBox2->hide();  // its tick stays
    } else {
        // While the window opens the box shows the tick as stored.
        if (!opening_) {
            CheckBox2->setChecked(true);
        }
        CheckBox2->setText(lastDayCaption(texts, day));
        CheckBox2->show();
    }
    markIf(day != stored_.monthDay);
}

void TForm2::CheckBox4Click() {
    const bool withArchiver = !CheckBox4->isChecked();
    ComboBox1->setVisible(withArchiver);
    BitBtn4->setVisible(withArchiver);
    Label10->setVisible(withArchiver);
}

// --- The changed mark -------------------------------------------------------------------------

void TForm2::markIf(bool differs) {
    if (differs) {
        Modified = true;
    }
}

void TForm2::LEdit1Change() {
    markIf(LEdit1->text() != stored_.name);
}

void TForm2::LEdit4Change() {
    markIf(LEdit4->text() != stored_.opis);
}

void TForm2::LEdit3Change() {
    markIf(LEdit3->text() != stored_.nameArh);
}

void TForm2::SpinEdit1Change() {
    markIf(SpinEdit1->value() != stored_.minuta);
}

void TForm2::ComboBox1Change() {
    markIf(ComboBox1->currentText() != storedNameArhSys_);
}

void TForm2::CheckBox1Exit() {
    markIf(CheckBox1->isChecked() != stored_.flag);
}

void TForm2::CheckBox2Exit() {
    markIf(CheckBox2->isChecked() != stored_.lastDay);
}

void TForm2::CheckBox3Exit() {
    markIf(CheckBox3->isChecked() != stored_.bak);
}

void TForm2::CheckBox4Exit() {
    markIf(CheckBox4->isChecked() != (stored_.vidArhivator == 0));
}

void TForm2::RadioGroup1Exit() {
    markIf(RadioGroup1->itemIndex() != stored_.vidNameArh);
}

void TForm2::RadioGroup2Exit() {
    markIf(RadioGroup2->itemIndex() != stored_.vidPeriod);
}

void TForm2::RadioGroup3Exit() {
    markIf(RadioGroup3->itemIndex() != stored_.propusk);
}

void TForm2::RadioGroup4Exit() {
    markIf(RadioGroup4->itemIndex() + 1 != stored_.weekDay);
}

void TForm2::DateTimePicker1Exit() {
    markIf(DateTimePicker1->time() != stored_.dayTime);
}

void TForm2::DateTimePicker2Exit() {
    markIf(DateTimePicker2->time() != stored_.monthTime);
}

void TForm2::DateTimePicker3Exit() {
    markIf(DateTimePicker3->time() != stored_.weekTime);
}

void TForm2::noticeUnseenChanges() {
    for (auto test :
         {&TForm2::CheckBox1Exit, &TForm2::CheckBox2Exit, &TForm2::CheckBox3Exit,
          &TForm2::CheckBox4Exit, &TForm2::RadioGroup1Exit, &TForm2::RadioGroup2Exit,
          &TForm2::RadioGroup3Exit, &TForm2::RadioGroup4Exit, &TForm2::DateTimePicker1Exit,
          &TForm2::DateTimePicker2Exit, &TForm2::DateTimePicker3Exit}) {
        (this->*test)();
    }
    // The folder as leaving its field would store it; the field itself is left alone.
    markIf(normalizeDestinationFolder(LEdit2->text()) != stored_.path2);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        DBGrid1MouseUp(mouse->button(), mouse->position().toPoint());
    } else if (event->type() == QEvent::FocusOut) {
        const auto test = leaveTests_.constFind(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the window or opening a menu is no leaving: focus comes back.
        if (test != leaveTests_.cend() && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason) {
            QWidget* next = QApplication::focusWidget();
            QWidget* control = test->first;
            if (next == nullptr || (next != control && !control->isAncestorOf(next))) {
                runReportingErrors([this, t = test->second] { (this->*t)(); });
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- Destination folder, configuration, save ---------------------------------------------------

void TForm2::LEdit2Exit() {
    const QString normal = normalizeDestinationFolder(LEdit2->text());
    if (normal != LEdit2->text()) {
        LEdit2->setText(normal);
    }
    markIf(normal != stored_.path2);
}

void TForm2::BitBtn1Click() {
    if (const std::optional<QString> chosen = selectFolder(texts.text(Form2Text::ct3))) {
        markIf(*chosen != LEdit2->text());
        LEdit2->setText(*chosen);
    }
    LEdit2Exit();
}

void TForm2::showConfigurationList() {
    TForm3 configurations(tables_.archivers, mainTexts_, language_, this);
    configurations.exec();
}

void TForm2::BitBtn4Click() {
    FindArchivers(tables_.archivers, mainTexts_);
    const int position = ComboBox1->currentIndex();
    showConfigurationList();
    // Discovery leaves archers.dbf closed; the editor reads it until it closes.
    tables_.archivers.open();
    // The same position again, whatever configuration it holds now; none when the list is
    // shorter.
    fillConfigurations(position < tables_.archivers.recordCount() ? position : -1);
}

TaskFields TForm2::controlFields() const {
    TaskFields f;
    f.flag = CheckBox1->isChecked();
    f.name = LEdit1->text();
    f.opis = LEdit4->text();
    f.vidNameArh = RadioGroup1->itemIndex();
    f.bak = CheckBox3->isChecked();
    f.path2 = LEdit2->text();
    f.nameArh = LEdit3->text();
    f.vidPeriod = RadioGroup2->itemIndex();
    f.minuta = SpinEdit1->value();
    f.dayTime = DateTimePicker1->time();
    f.monthDay = SpinEdit2->value();
    f.monthTime = DateTimePicker2->time();
    f.weekDay = RadioGroup4->itemIndex() + 1;  // 0: no weekday chosen
    f.weekTime = DateTimePicker3->time();
    f.lastDay = CheckBox2->isChecked();
    f.propusk = RadioGroup3->itemIndex();
    f.vidArhivator = CheckBox4->isChecked() ? 0 : 1;
    return f;
}

void TForm2::BitBtn3Click() {
    // The folder is read as leaving its field leaves it; the texts show what the table keeps.
    LEdit2Exit();
    for (LabeledEdit* e : {LEdit1, LEdit4, LEdit3}) {
        if (const QString kept = withoutTrailingBlanks(e->text()); kept != e->text()) {
            e->setText(kept);
        }
    }
    WaitCursor wait;
    SaveRequest request;
    request.fields = controlFields();
    request.configuration = ComboBox1->currentIndex();
    request.newTask = NewTask;
    request.editedTaskName = EditedTaskName;
    request.workingName = windowTitle();
    const SaveResult result = saveTask(tables_, request, texts, *posixFileIo());
    setWindowTitle(result.workingName);
    if (result.outcome == SaveResult::Outcome::Saved) {
        Modified = false;
        SaveSucceeded = true;
        NewTask = false;
        EditedTaskName = request.fields.name;
        // From now on the controls are compared with the saved row, on which the cursor rests.
        rememberStoredRow();
        return;
    }
    SaveSucceeded = false;
    wait.restore();
    messageBox(result.message, texts.text(Form2Text::cm1));
}

// --- Closing ----------------------------------------------------------------------------------

bool TForm2::FormClose() {
    // A tick, item or time changed and not yet left counts as well.
    noticeUnseenChanges();
    if (!Modified) {
        return true;
    }
    switch (messageBox(texts.text(Form2Text::cm4), texts.text(Form2Text::cm1),
                       MbButtons::YesNoCancel)) {
        case MbResult::Yes:
            BitBtn3Click();
            return SaveSucceeded;
        case MbResult::No:
            return true;
        case MbResult::Ok:
        case MbResult::Cancel:
            break;
    }
    return false;
}

void TForm2::reject() {
    bool close = false;
    runReportingErrors([&] { close = FormClose(); });
    if (close) {
        QDialog::reject();
    }
}

// --- The object list --------------------------------------------------------------------------

bool TForm2::listHasRows() const {
    return tables_.working.isOpen() && !tables_.working.isEmpty();
}

void TForm2::focusList() {
    DBGrid1->setFocus();
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void TForm2::dragMoveEvent(QDragMoveEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TForm2::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    runReportingErrors([&] { dropFiles(paths); });
}

void TForm2::dropFiles(const QStringList& paths) {
    QStringList refused;
    {
        ControlsDisabled quiet(tables_.working);  // the grid follows once, at the end
        for (const QString& path : paths) {
            const AddOutcome outcome = AddObjectPath(*list_, windowTitle(), path);
            if (outcome.result == AddResult::Refused) {
                refused << pathRefusalText(texts, path, outcome.refusal);
            }
            Modified = true;
        }
    }
    if (!refused.isEmpty()) {
        messageBox(refused.join(u'\n'), texts.text(Form2Text::cm1));
    }
}

void TForm2::Button4Click() {
    if (listHasRows()) {
        const QString question = texts.text(Form2Text::cm2) + QStringLiteral("\r\n") +
                                 tables_.working.asString(ObjectField::Path);
        if (messageBox(question, texts.text(Form2Text::cm1), MbButtons::OkCancel) == MbResult::Ok) {
            Modified = true;
            tables_.working.deleteRecord();
        }
    }
    focusList();
}

void TForm2::Button5Click() {
    if (messageBox(texts.text(Form2Text::cm3), texts.text(Form2Text::cm1), MbButtons::OkCancel) ==
        MbResult::Ok) {
        Modified = true;
        ClearWorkingList(tables_.working);
    }
    focusList();
}

void TForm2::Button7Click() {
    if (listHasRows()) {
        TForm4 dialog(tables_.working, texts, language_, this);
        dialog.exec();
        // Whichever button closed it.
        Modified = true;
    }
    focusList();
}

void TForm2::Button9Click() {
    if (listHasRows()) {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(tables_.working.asString(ObjectField::Path1)));
    }
    focusList();
}

void TForm2::DBGrid1MouseUp(Qt::MouseButton button, const QPoint& position) {
    if (button == Qt::RightButton && listHasRows()) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(position));
    }
}

}  // namespace kv
