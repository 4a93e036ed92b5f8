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
#include "editor/savetask.h"
#include "editor/tform4.h"
#include "language/translateform.h"
#include "platform/dialogs.h"
#include "platform/messagebox.h"
#include "store/layouts.h"
#include "widgets/dbgrid.h"
#include "widgets/formkit.h"
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

TForm2::TForm2(ProgramTables& tables, const MainWindowTexts& mainTexts, bool newTask,
               QString editedTaskName, LanguageInUse language, QWidget* parent)
    : QDialog(parent),
      tables_(tables),
      mainTexts_(mainTexts),
      newTask_(newTask),
      editedTaskName_(std::move(editedTaskName)),
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
    ui.CheckBox1 = makeCheckBox(this, "CheckBox1", QStringLiteral("Выполнять эту задачу"));
    ui.LEdit1 =
        makeEdit(this, "LEdit1", QStringLiteral("Наименование задачи"), TaskField::Name.width());
    ui.LEdit4 = makeEdit(this, "LEdit4", QStringLiteral("Описание задачи (не обязательно)"),
                         TaskField::Opis.width());
    ui.LEdit2 =
        makeEdit(this, "LEdit2", QStringLiteral("Папка, в которую будет осуществляться архивация"),
                 TaskField::Path2.width());
    ui.BitBtn1 = makeButton(this, "BitBtn1", QString(), QStyle::SP_DialogOpenButton);
    ui.LEdit3 =
        makeEdit(this, "LEdit3", QStringLiteral("Имя файла архива"), TaskField::NameArh.width());
    ui.RadioGroup1 = makeRadioGroup(
        this, "RadioGroup1", QStringLiteral("  Вид имени архива  "),
        {QStringLiteral("только имя - (предидущий файл архива затирается)"),
         QStringLiteral("имя + дата  - (предидущий файл архива в пределах даты затирается)"),
         QStringLiteral("имя + дата + время - (сохраняются все предидущие файлы архива)")});
    ui.RadioGroup1->setToolTip(QStringLiteral("Какой вид будет иметь имя архива"));
    keep_.emplace(this, texts_);
    ui.RadioGroup5 = keep_->rule();
    ui.SpinEdit3 = keep_->number();
    ui.Label13 = keep_->unit();
    ui.CheckBox3 = makeCheckBox(this, "CheckBox3", QStringLiteral("Создавать .ВАК копию"));
    ui.Label8 = makeLabel(this, "Label8", QStringLiteral("архива при совпадении"));
    ui.Label9 = makeLabel(this, "Label9", QStringLiteral("имен"));
}

void TForm2::createScheduleControls() {
    ui.RadioGroup2 = makeRadioGroup(
        this, "RadioGroup2", QStringLiteral("  Периодичность архивации  "),
        {QStringLiteral("только по требованию"), QStringLiteral("при каждом запуске"),
         QStringLiteral("каждый час"), QStringLiteral("каждый день"),
         QStringLiteral("каждую неделю"), QStringLiteral("каждый месяц")});
    ui.RadioGroup2->setToolTip(QStringLiteral("Периодичность"));
    ui.RadioGroup3 = makeRadioGroup(
        this, "RadioGroup3", QStringLiteral("  Если пропущена архивация  "),
        {QStringLiteral("архивировать немедленно"), QStringLiteral("ожидать следущий период")});
    ui.RadioGroup3->setItemIndex(newTaskFields().propusk);

    ui.Label1 = makeLabel(this, "Label1", QStringLiteral("на"));
    ui.SpinEdit1 = named(new QSpinBox(this), "SpinEdit1");
    ui.SpinEdit1->setRange(0, 59);
    ui.SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    ui.Label2 = makeLabel(this, "Label2", QStringLiteral("-й минуте каждого часа"));

    ui.Label3 = makeLabel(this, "Label3", QStringLiteral("в"));
    ui.DateTimePicker1 = makeTimePicker(this, "DateTimePicker1");
    ui.Label4 = makeLabel(this, "Label4", QStringLiteral("каждый день"));

    ui.Label12 = makeLabel(this, "Label12", QStringLiteral("в"));
    ui.RadioGroup4 = makeRadioGroup(
        this, "RadioGroup4", QString(),
        {QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
         QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")});
    ui.RadioGroup4->setColumns(ui.RadioGroup4->count());
    ui.Label11 = makeLabel(this, "Label11", QStringLiteral("в"));
    ui.DateTimePicker3 = makeTimePicker(this, "DateTimePicker3");

    ui.SpinEdit2 = named(new QSpinBox(this), "SpinEdit2");
    ui.SpinEdit2->setRange(1, 31);
    // The day changes only with the arrows.
    if (auto* text = ui.SpinEdit2->findChild<QLineEdit*>()) {
        text->setReadOnly(true);
    }
    ui.Label5 = makeLabel(this, "Label5", QStringLiteral("числа в"));
    ui.DateTimePicker2 = makeTimePicker(this, "DateTimePicker2");
    ui.DateTimePicker2->setTime(newTaskFields().monthTime);
    ui.CheckBox2 = makeCheckBox(
        this, "CheckBox2", QStringLiteral("в последний день месяца (если дней меньше чем 31)"));
}

void TForm2::createConfigurationControls() {
    ui.Label10 = makeLabel(this, "Label10", QStringLiteral("Использовать настройки архиватора"));
    ui.ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ui.BitBtn4 = makeButton(this, "BitBtn4", QStringLiteral("Список настроек архиваторов"),
                            QStyle::SP_ComputerIcon);
    ui.CheckBox4 = makeCheckBox(this, "CheckBox4",
                                QStringLiteral("Не использовать архиватор (копирование файлов)"));
    ui.CheckBox4->hide();
    ui.BitBtn3 =
        makeButton(this, "BitBtn3", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    ui.BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
}

void TForm2::createObjectListControls() {
    ui.Label6 = makeLabel(this, "Label6",
                          QStringLiteral("Список объектов (файлов или папок), которые будут "
                                         "архивироваться "));
    colour(ui.Label6, QColor(0x00, 0x80, 0x00));
    ui.Label7 = makeLabel(this, "Label7",
                          QStringLiteral("Добавить объект можно кнопками справа или ") +
                              QStringLiteral("\"перетащив\"") +
                              QStringLiteral(" его мышкой на эту форму из любого окна"));
    colour(ui.Label7, Qt::red);
    QFont bold = ui.Label6->font();
    bold.setBold(true);
    ui.Label6->setFont(bold);
    ui.Label7->setFont(bold);

    ui.DBGrid1 = named(new DBGrid(this), "DBGrid1");
    ui.DBGrid1->bind(&tables_.working, nullptr,
                     {{ObjectField::Path.name(), QStringLiteral("Имя файла"), 400}});
    ui.DBGrid1->horizontalHeader()->setFont(bold);
    ui.DBGrid1->viewport()->installEventFilter(this);

    ui.Button7 = makeButton(this, "Button7", QStringLiteral("Изменить имя объекта"));
    ui.Button4 = makeButton(this, "Button4", QStringLiteral("Удалить объект из списка"));
    ui.Button5 = makeButton(this, "Button5", QStringLiteral("Очистить весь список"));
    ui.Button9 =
        makeButton(this, "Button9", QStringLiteral("Открыть папку, содержащую этот объект"));
    ui.Button10 = makeButton(this, "Button10", QStringLiteral("Добавить файлы…"));
    ui.Button11 = makeButton(this, "Button11", QStringLiteral("Добавить папку…"));

    ui.PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    ui.N2 = named(ui.PopupMenu1->addAction(QStringLiteral("Изменить имя объекта")), "N2");
    ui.N3 = named(ui.PopupMenu1->addAction(QStringLiteral("Удалить файл из списка")), "N3");
    ui.N5 = named(ui.PopupMenu1->addAction(QStringLiteral("Очистить весь список")), "N5");
    ui.N1 = named(ui.PopupMenu1->addAction(QStringLiteral("Открыть папку, содержащую этот файл")),
                  "N1");
    // Adding needs no object: these two come first, and stay when the others are off.
    ui.N6 = named(new QAction(QStringLiteral("Добавить файлы…"), ui.PopupMenu1), "N6");
    ui.N7 = named(new QAction(QStringLiteral("Добавить папку…"), ui.PopupMenu1), "N7");
    ui.PopupMenu1->insertActions(ui.N2, {ui.N6, ui.N7});
    ui.PopupMenu1->insertSeparator(ui.N2);
}

void TForm2::arrange() {
    // Left: the task, its destination and archive; right: its schedule.
    auto* left = new QVBoxLayout;
    left->addWidget(ui.CheckBox1);
    left->addWidget(ui.LEdit1);
    left->addWidget(ui.LEdit4);
    auto* folder = new QHBoxLayout;
    folder->addWidget(ui.LEdit2, 1);
    folder->addWidget(ui.BitBtn1, 0, Qt::AlignBottom);
    left->addLayout(folder);
    left->addWidget(ui.LEdit3);
    left->addWidget(ui.RadioGroup1);
    left->addLayout(keep_->row());
    auto* bak = new QGridLayout;
    bak->addWidget(ui.CheckBox3, 0, 0, 1, 2);
    bak->addItem(new QSpacerItem(QFontMetrics(ui.CheckBox3->font()).height() + 6, 0), 1, 0);
    bak->addWidget(ui.Label8, 1, 1);
    bak->addWidget(ui.Label9, 2, 1);
    bak->setVerticalSpacing(0);
    bak->setColumnStretch(2, 1);
    left->addLayout(bak);
    left->addWidget(ui.Label10);
    auto* configuration = new QHBoxLayout;
    configuration->addWidget(ui.ComboBox1, 1);
    configuration->addWidget(ui.BitBtn4);
    left->addLayout(configuration);
    for (QWidget* w : {static_cast<QWidget*>(ui.Label10), static_cast<QWidget*>(ui.ComboBox1),
                       static_cast<QWidget*>(ui.BitBtn4)}) {
        keepPlaceWhenHidden(w);
    }
    left->addStretch(1);

    // The controls of the periods share one place: only one period's are shown at a time.
    auto* schedule = new QGridLayout;
    auto* weekly = new QVBoxLayout;
    weekly->addLayout(rowOf({ui.Label12, ui.RadioGroup4}));
    weekly->addLayout(rowOf({ui.Label11, ui.DateTimePicker3}));
    schedule->addLayout(rowOf({ui.Label1, ui.SpinEdit1, ui.Label2}), 0, 0, Qt::AlignTop);
    schedule->addLayout(rowOf({ui.Label3, ui.DateTimePicker1, ui.Label4}), 0, 0, Qt::AlignTop);
    schedule->addLayout(weekly, 0, 0, Qt::AlignTop);
    auto* monthly = new QVBoxLayout;
    monthly->addLayout(rowOf({ui.SpinEdit2, ui.Label5, ui.DateTimePicker2}));
    monthly->addWidget(ui.CheckBox2);
    schedule->addLayout(monthly, 0, 0, Qt::AlignTop);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.RadioGroup3, ui.Label1, ui.SpinEdit1, ui.Label2, ui.Label3, ui.DateTimePicker1,
             ui.Label4, ui.Label12, ui.RadioGroup4, ui.Label11, ui.DateTimePicker3, ui.SpinEdit2,
             ui.Label5, ui.DateTimePicker2, ui.CheckBox2}) {
        keepPlaceWhenHidden(w);
    }
    auto* right = new QVBoxLayout;
    right->addWidget(ui.RadioGroup2);
    right->addWidget(ui.RadioGroup3);
    right->addSpacing(6);
    right->addLayout(schedule);
    right->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addSpacing(12);
    top->addLayout(right);

    // Below: the object list with its commands, then save and close.
    auto* commands = new QVBoxLayout;
    commands->addWidget(ui.Button10);
    commands->addWidget(ui.Button11);
    commands->addSpacing(kFormGap * 2);
    for (QPushButton* b : {ui.Button7, ui.Button4, ui.Button5, ui.Button9}) {
        commands->addWidget(b);
    }
    commands->addStretch(1);
    auto* objects = new QHBoxLayout;
    ui.DBGrid1->setMinimumHeight(190);
    objects->addWidget(ui.DBGrid1, 1);
    objects->addLayout(commands);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(ui.BitBtn3);
    closing->addWidget(ui.BitBtn2);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addSpacing(6);
    window->addWidget(ui.Label6);
    window->addWidget(ui.Label7);
    window->addLayout(objects, 1);
    window->addLayout(closing);
    window->setSizeConstraint(QLayout::SetFixedSize);

    // Tab follows the screen: the left column, the schedule beside it, the object list with its
    // commands, then save and close. (The order of creation, which a translation walks, has
    // save and close before the list.) A radio group takes part through its buttons.
    QList<QWidget*> order;
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.CheckBox1,   ui.LEdit1,          ui.LEdit4,      ui.LEdit2,
             ui.BitBtn1,     ui.LEdit3,          ui.RadioGroup1, ui.RadioGroup5,
             ui.SpinEdit3,   ui.CheckBox3,       ui.ComboBox1,   ui.BitBtn4,
             ui.RadioGroup2, ui.RadioGroup3,     ui.SpinEdit1,   ui.DateTimePicker1,
             ui.RadioGroup4, ui.DateTimePicker3, ui.SpinEdit2,   ui.DateTimePicker2,
             ui.CheckBox2,   ui.DBGrid1,         ui.Button10,    ui.Button11,
             ui.Button7,     ui.Button4,         ui.Button5,     ui.Button9,
             ui.BitBtn3,     ui.BitBtn2}) {
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
    connectHandler(ui.LEdit1, &LabeledEdit::textChanged, this, &TForm2::LEdit1Change);
    connectHandler(ui.LEdit4, &LabeledEdit::textChanged, this, &TForm2::LEdit4Change);
    connectHandler(ui.LEdit3, &LabeledEdit::textChanged, this, &TForm2::LEdit3Change);
    connectHandler(ui.LEdit2, &LabeledEdit::exited, this, &TForm2::LEdit2Exit);
    connectHandler(ui.LEdit2, &LabeledEdit::doubleClicked, this, &TForm2::BitBtn1Click);
    connectHandler(ui.SpinEdit1, &QSpinBox::valueChanged, this, &TForm2::SpinEdit1Change);
    connectHandler(ui.SpinEdit2, &QSpinBox::valueChanged, this, &TForm2::SpinEdit2Change);
    connectHandler(ui.ComboBox1, &QComboBox::activated, this, &TForm2::ComboBox1Change);
    connectHandler(ui.CheckBox4, &QCheckBox::toggled, this, &TForm2::CheckBox4Click);
    connectHandler(ui.RadioGroup2, &RadioGroup::activated, this, &TForm2::RadioGroup2Click);
    connectHandler(ui.RadioGroup1, &RadioGroup::activated, this, &TForm2::RadioGroup1Click);
    connectHandler(ui.RadioGroup5, &RadioGroup::activated, this, &TForm2::RadioGroup5Click);
    connectHandler(ui.SpinEdit3, &QSpinBox::valueChanged, this, &TForm2::SpinEdit3Change);

    connectHandler(ui.RadioGroup1, &RadioGroup::exited, this, &TForm2::RadioGroup1Exit);
    connectHandler(ui.RadioGroup2, &RadioGroup::exited, this, &TForm2::RadioGroup2Exit);
    connectHandler(ui.RadioGroup3, &RadioGroup::exited, this, &TForm2::RadioGroup3Exit);
    connectHandler(ui.RadioGroup4, &RadioGroup::exited, this, &TForm2::RadioGroup4Exit);
    whenLeft(ui.CheckBox1, &TForm2::CheckBox1Exit);
    whenLeft(ui.CheckBox2, &TForm2::CheckBox2Exit);
    whenLeft(ui.CheckBox3, &TForm2::CheckBox3Exit);
    whenLeft(ui.CheckBox4, &TForm2::CheckBox4Exit);
    whenLeft(ui.DateTimePicker1, &TForm2::DateTimePicker1Exit);
    whenLeft(ui.DateTimePicker2, &TForm2::DateTimePicker2Exit);
    whenLeft(ui.DateTimePicker3, &TForm2::DateTimePicker3Exit);

    connectHandler(ui.BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connectHandler(ui.BitBtn3, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
    connectHandler(ui.BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TForm2::reject);

    connectHandler(ui.Button7, &QPushButton::clicked, this, &TForm2::Button7Click);
    connectHandler(ui.Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connectHandler(ui.Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connectHandler(ui.Button9, &QPushButton::clicked, this, &TForm2::Button9Click);
    connectHandler(ui.N2, &QAction::triggered, this, &TForm2::Button7Click);
    connectHandler(ui.N3, &QAction::triggered, this, &TForm2::Button4Click);
    connectHandler(ui.N5, &QAction::triggered, this, &TForm2::Button5Click);
    connectHandler(ui.N1, &QAction::triggered, this, &TForm2::Button9Click);
    connectHandler(ui.Button10, &QPushButton::clicked, this, &TForm2::Button10Click);
    connectHandler(ui.Button11, &QPushButton::clicked, this, &TForm2::Button11Click);
    connectHandler(ui.N6, &QAction::triggered, this, &TForm2::Button10Click);
    connectHandler(ui.N7, &QAction::triggered, this, &TForm2::Button11Click);
    connectHandler(ui.DBGrid1, &DBGrid::rowDoubleClicked, this, &TForm2::Button7Click);
    onFirstShow(this, [this] {
        FormShow();
        FormActivate();
    });
}

void TForm2::FormCreate() {
    texts_.resetToBuiltIn();
    setWindowTitle(texts_.text(Form2Text::ct1));
    applyLanguage(this, texts_, language_);
    setWindowTitle(texts_.text(Form2Text::ct1));
    tables_.archivers.open();
}

// --- Opening ------------------------------------------------------------------------------------

void TForm2::FormShow() {
    modified_ = newTask_;
}

void TForm2::FormActivate() {
    tables_.archivers.open();
    const QScopedValueRollback opening(opening_, true);
    Myread();
    RadioGroup2Click();
    // Typing starts with the name, never in the enabled box above it, which a blank would untick.
    ui.LEdit1->setFocus();
}

QStringList TForm2::fillConfigurations(int position) {
    const QStringList names = configurationNames(tables_.archivers);
    ui.ComboBox1->clear();
    ui.ComboBox1->addItems(names);
    ui.ComboBox1->setCurrentIndex(position);
    return names;
}

void TForm2::rememberStoredRow() {
    stored_ = readTaskFields(tables_.tasks);
    storedNameArhSys_ = tables_.tasks.asString(TaskField::NameArhSys);
    // tasksx.dbf that could not be opened keeps all, as the runs do.
    storedRetention_ = !newTask_ && tables_.extras.isOpen()
                           ? retentionOf(tables_.extras, stored_.name)
                           : Retention{};
}

void TForm2::Myread() {
    WaitCursor wait;
    const QStringList configurations = fillConfigurations(defaultConfiguration(tables_.archivers));

    // What the controls are compared with: the current task row (empty values on an empty
    // table, which a new task's set mark makes moot).
    rememberStoredRow();

    if (newTask_) {
        const TaskFields fresh = newTaskFields();
        setWindowTitle(texts_.text(Form2Text::ct1));
        ui.LEdit1->setText(QString());
        ui.LEdit2->setText(fresh.path2);
        ui.LEdit3->setText(fresh.nameArh);
        ui.LEdit4->setText(QString());
        ui.RadioGroup1->setItemIndex(fresh.vidNameArh);
        ui.RadioGroup2->setItemIndex(fresh.vidPeriod);
        ui.CheckBox1->setChecked(fresh.flag);
        ui.CheckBox4->setChecked(false);
        keep_->show({});
        RadioGroup1Click();
        // The other controls keep what the window starts with.
        ClearWorkingList(tables_.working);
        return;
    }

    const TaskFields& f = stored_;
    setWindowTitle(f.name);
    ui.CheckBox1->setChecked(f.flag);
    ui.LEdit1->setText(f.name);
    ui.LEdit4->setText(f.opis);
    ui.RadioGroup1->setItemIndex(f.vidNameArh);
    keep_->show(storedRetention_);
    RadioGroup1Click();
    ui.CheckBox3->setChecked(f.bak);
    ui.LEdit2->setText(f.path2);
    ui.LEdit3->setText(f.nameArh);
    ui.RadioGroup2->setItemIndex(f.vidPeriod);
    ui.SpinEdit1->setValue(f.minuta);
    ui.DateTimePicker1->setTime(f.dayTime);
    ui.SpinEdit2->setValue(f.monthDay);
    ui.DateTimePicker2->setTime(f.monthTime);
    ui.RadioGroup4->setItemIndex(f.weekDay - 1);
    ui.DateTimePicker3->setTime(f.weekTime);
    ui.CheckBox2->setChecked(f.lastDay);
    ui.RadioGroup3->setItemIndex(f.propusk);
    ui.CheckBox4->setChecked(f.vidArhivator == 0);
    ui.ComboBox1->setCurrentIndex(configurationPosition(configurations, storedNameArhSys_));
    CheckBox4Click();
    // A minute or day out of range shows brought into it: the task is changed then.
    SpinEdit1Change();
    markIf(ui.SpinEdit2->value() != f.monthDay);

    const QList<RefusedObject> refused = LoadWorkingList(*list_, tables_.objects, editedTaskName_);
    if (!refused.isEmpty()) {
        // The list now lacks them; saving would drop them from the task, so say which.
        QStringList lines;
        for (const RefusedObject& r : refused) {
            lines << pathRefusalText(texts_, r.path, r.why);
        }
        wait.restore();
        messageBox(lines.join(u'\n'), texts_.text(Form2Text::cm1));
    }
}

// --- Rules --------------------------------------------------------------------------------------

void TForm2::RadioGroup2Click() {
    const PeriodControls c = periodControls(ui.RadioGroup2->itemIndex());
    ui.RadioGroup3->setVisible(c.missedRun);
    for (QWidget* w : std::initializer_list<QWidget*>{ui.Label1, ui.Label2, ui.SpinEdit1}) {
        w->setVisible(c.hourly);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui.Label3, ui.Label4, ui.DateTimePicker1}) {
        w->setVisible(c.daily);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui.Label11, ui.Label12, ui.DateTimePicker3,
                                                      ui.RadioGroup4}) {
        w->setVisible(c.weekly);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.SpinEdit2, ui.Label5, ui.DateTimePicker2}) {
        w->setVisible(c.monthly);
    }
    if (c.monthly) {
        SpinEdit2Change();
    } else {
        ui.CheckBox2->hide();
    }
}

void TForm2::SpinEdit2Change() {
    const int day = ui.SpinEdit2->value();
    if (!lastDayBoxShown(day)) {
        ui.CheckBox2->hide();  // its tick stays
    } else {
        // While the window opens the box shows the tick as stored.
        if (!opening_) {
            ui.CheckBox2->setChecked(true);
        }
        ui.CheckBox2->setText(lastDayCaption(texts_, day));
        ui.CheckBox2->show();
    }
    markIf(day != stored_.monthDay);
}

void TForm2::CheckBox4Click() {
    const bool withArchiver = !ui.CheckBox4->isChecked();
    ui.ComboBox1->setVisible(withArchiver);
    ui.BitBtn4->setVisible(withArchiver);
    ui.Label10->setVisible(withArchiver);
}

// --- The changed mark -------------------------------------------------------------------------

void TForm2::markIf(bool differs) {
    if (differs) {
        modified_ = true;
    }
}

void TForm2::LEdit1Change() {
    markIf(ui.LEdit1->text() != stored_.name);
}

void TForm2::LEdit4Change() {
    markIf(ui.LEdit4->text() != stored_.opis);
}

void TForm2::LEdit3Change() {
    markIf(ui.LEdit3->text() != stored_.nameArh);
}

void TForm2::SpinEdit1Change() {
    markIf(ui.SpinEdit1->value() != stored_.minuta);
}

void TForm2::ComboBox1Change() {
    markIf(ui.ComboBox1->currentText() != storedNameArhSys_);
}

void TForm2::RadioGroup1Click() {
    keep_->setDated(ui.RadioGroup1->itemIndex());
}

void TForm2::RadioGroup5Click() {
    keep_->ruleChosen();
    markIf(keep_->value() != storedRetention_);
}

void TForm2::SpinEdit3Change() {
    keep_->numberChanged();
    markIf(keep_->value() != storedRetention_);
}

void TForm2::CheckBox1Exit() {
    markIf(ui.CheckBox1->isChecked() != stored_.flag);
}

void TForm2::CheckBox2Exit() {
    markIf(ui.CheckBox2->isChecked() != stored_.lastDay);
}

void TForm2::CheckBox3Exit() {
    markIf(ui.CheckBox3->isChecked() != stored_.bak);
}

void TForm2::CheckBox4Exit() {
    markIf(ui.CheckBox4->isChecked() != (stored_.vidArhivator == 0));
}

void TForm2::RadioGroup1Exit() {
    markIf(ui.RadioGroup1->itemIndex() != stored_.vidNameArh);
}

void TForm2::RadioGroup2Exit() {
    markIf(ui.RadioGroup2->itemIndex() != stored_.vidPeriod);
}

void TForm2::RadioGroup3Exit() {
    markIf(ui.RadioGroup3->itemIndex() != stored_.propusk);
}

void TForm2::RadioGroup4Exit() {
    markIf(ui.RadioGroup4->itemIndex() + 1 != stored_.weekDay);
}

void TForm2::DateTimePicker1Exit() {
    markIf(ui.DateTimePicker1->time() != stored_.dayTime);
}

void TForm2::DateTimePicker2Exit() {
    markIf(ui.DateTimePicker2->time() != stored_.monthTime);
}

void TForm2::DateTimePicker3Exit() {
    markIf(ui.DateTimePicker3->time() != stored_.weekTime);
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
    markIf(normalizeDestinationFolder(ui.LEdit2->text()) != stored_.path2);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.DBGrid1->viewport() && event->type() == QEvent::MouseButtonRelease) {
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
    const QString normal = normalizeDestinationFolder(ui.LEdit2->text());
    if (normal != ui.LEdit2->text()) {
        ui.LEdit2->setText(normal);
    }
    markIf(normal != stored_.path2);
}

void TForm2::BitBtn1Click() {
    if (const std::optional<QString> chosen = selectFolder(texts_.text(Form2Text::ct3))) {
        markIf(*chosen != ui.LEdit2->text());
        ui.LEdit2->setText(*chosen);
    }
    LEdit2Exit();
}

void TForm2::showConfigurationList() {
    TForm3 configurations(tables_, mainTexts_, language_, this);
    configurations.exec();
}

void TForm2::BitBtn4Click() {
    FindArchivers(tables_.archivers, mainTexts_);
    const int position = ui.ComboBox1->currentIndex();
    showConfigurationList();
    // Discovery leaves archers.dbf closed; the editor reads it until it closes.
    tables_.archivers.open();
    // The same position again, whatever configuration it holds now; none when the list is
    // shorter.
    fillConfigurations(position < tables_.archivers.recordCount() ? position : -1);
}

TaskFields TForm2::controlFields() const {
    TaskFields f;
    f.flag = ui.CheckBox1->isChecked();
    f.name = ui.LEdit1->text();
    f.opis = ui.LEdit4->text();
    f.vidNameArh = ui.RadioGroup1->itemIndex();
    f.bak = ui.CheckBox3->isChecked();
    f.path2 = ui.LEdit2->text();
    f.nameArh = ui.LEdit3->text();
    f.vidPeriod = ui.RadioGroup2->itemIndex();
    f.minuta = ui.SpinEdit1->value();
    f.dayTime = ui.DateTimePicker1->time();
    f.monthDay = ui.SpinEdit2->value();
    f.monthTime = ui.DateTimePicker2->time();
    f.weekDay = ui.RadioGroup4->itemIndex() + 1;  // 0: no weekday chosen
    f.weekTime = ui.DateTimePicker3->time();
    f.lastDay = ui.CheckBox2->isChecked();
    f.propusk = ui.RadioGroup3->itemIndex();
    f.vidArhivator = ui.CheckBox4->isChecked() ? 0 : 1;
    return f;
}

void TForm2::BitBtn3Click() {
    // The folder is read as leaving its field leaves it; the texts show what the table keeps.
    LEdit2Exit();
    for (LabeledEdit* e : {ui.LEdit1, ui.LEdit4, ui.LEdit3}) {
        if (const QString kept = withoutTrailingBlanks(e->text()); kept != e->text()) {
            e->setText(kept);
        }
    }
    WaitCursor wait;
    SaveRequest request;
    request.fields = controlFields();
    request.configuration = ui.ComboBox1->currentIndex();
    request.newTask = newTask_;
    request.editedTaskName = editedTaskName_;
    request.workingName = windowTitle();
    request.retention = keep_->value();
    const SaveResult result = saveTask(tables_, request, texts_, *posixFileIo());
    setWindowTitle(result.workingName);
    if (result.outcome == SaveResult::Outcome::Saved) {
        modified_ = false;
        saveSucceeded_ = true;
        newTask_ = false;
        editedTaskName_ = request.fields.name;
        // From now on the controls are compared with the saved row, on which the cursor rests.
        rememberStoredRow();
        if (!result.message.isEmpty()) {
            wait.restore();
            messageBox(result.message, texts_.text(Form2Text::cm1));
        }
        return;
    }
    saveSucceeded_ = false;
    wait.restore();
    messageBox(result.message, texts_.text(Form2Text::cm1));
}

// --- Closing ----------------------------------------------------------------------------------

bool TForm2::FormClose() {
    // A tick, item or time changed and not yet left counts as well.
    noticeUnseenChanges();
    if (!modified_) {
        return true;
    }
    switch (messageBox(texts_.text(Form2Text::cm4), texts_.text(Form2Text::cm1),
                       MbButtons::YesNoCancel)) {
        case MbResult::Yes:
            BitBtn3Click();
            return saveSucceeded_;
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
    ui.DBGrid1->setFocus();
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
                refused << pathRefusalText(texts_, path, outcome.refusal);
            }
            modified_ = true;
        }
    }
    if (!refused.isEmpty()) {
        messageBox(refused.join(u'\n'), texts_.text(Form2Text::cm1));
    }
}

void TForm2::Button10Click() {
    const QStringList files = openFiles(texts_.text(Form2Text::ct4));
    if (!files.isEmpty()) {
        dropFiles(files);
    }
    focusList();
}

void TForm2::Button11Click() {
    if (const std::optional<QString> folder = selectFolder(texts_.text(Form2Text::ct3))) {
        dropFiles({*folder});
    }
    focusList();
}

void TForm2::Button4Click() {
    if (listHasRows()) {
        const QString question = texts_.text(Form2Text::cm2) + QStringLiteral("\r\n") +
                                 tables_.working.asString(ObjectField::Path);
        if (messageBox(question, texts_.text(Form2Text::cm1), MbButtons::OkCancel) ==
            MbResult::Ok) {
            modified_ = true;
            tables_.working.deleteRecord();
        }
    }
    focusList();
}

void TForm2::Button5Click() {
    if (messageBox(texts_.text(Form2Text::cm3), texts_.text(Form2Text::cm1), MbButtons::OkCancel) ==
        MbResult::Ok) {
        modified_ = true;
        ClearWorkingList(tables_.working);
    }
    focusList();
}

void TForm2::Button7Click() {
    if (listHasRows()) {
        TForm4 dialog(tables_, texts_, language_, this);
        dialog.exec();
        // Whichever button closed it.
        modified_ = true;
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
    if (button != Qt::RightButton) {
        return;
    }
    // On an empty list only adding has something to work on.
    const bool rows = listHasRows();
    for (QAction* item : {ui.N2, ui.N3, ui.N5, ui.N1}) {
        item->setEnabled(rows);
    }
    ui.PopupMenu1->popup(ui.DBGrid1->viewport()->mapToGlobal(position));
}

}  // namespace kv
