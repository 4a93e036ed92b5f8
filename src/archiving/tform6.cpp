#include "archiving/tform6.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "archiving/runcolours.h"
#include "archiving/runtexts.h"
#include "language/translateform.h"
#include "platform/datetimetext.h"
#include "widgets/formkit.h"

namespace kv {

// The runs shown, one row each, a column per fact.
class TForm6::Model final : public QAbstractTableModel {
public:
    Model(const TForm6& window, QObject* parent) : QAbstractTableModel(parent), window_(window) {}

    static constexpr Form6Text kTitles[] = {Form6Text::ct1, Form6Text::ct2, Form6Text::ct3,
                                            Form6Text::ct4, Form6Text::ct5, Form6Text::ct6,
                                            Form6Text::ct7, Form6Text::ct10};

    void show(QList<RunRecord> runs) {
        beginResetModel();
        runs_ = std::move(runs);
        endResetModel();
    }
    const QList<RunRecord>& runs() const { return runs_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(runs_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(std::size(kTitles));
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= runs_.size()) {
            return {};
        }
        const RunRecord& run = runs_[index.row()];
        if (role == Qt::ForegroundRole && index.column() == 4) {
            const QColor colour = resultColour(run.outcome.result);
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        if (role == Qt::TextAlignmentRole && (index.column() == 2 || index.column() == 6)) {
            return int(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
            return {};
        }
        return text(run, index.column());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < columnCount()) {
            return window_.texts_.text(kTitles[section]);
        }
        return {};
    }

private:
    QString text(const RunRecord& run, int column) const {
        const MainWindowTexts& t = window_.mainTexts_;
        switch (column) {
            case 0:
                return dateTimeText(run.started);
            case 1:
                return dateTimeText(run.ended);
            case 2:
                return run.started.isValid() && run.ended.isValid()
                           ? durationText(run.started.secsTo(run.ended))
                           : QString();
            case 3:
                return run.taskName;
            case 4:
                return run.kind == RunKind::Restore
                           ? window_.texts_.text(Form6Text::ct9).arg(resultText(run, t))
                           : resultText(run, t);
            case 5:
                return run.archivePath;
            case 6:
                return run.archiveSize < 0 ? QString() : scaledSizeText(run.archiveSize, t);
            case 7:
                return testText(run.test);
            default:
                return {};
        }
    }

    // What became of the archive's test, in the window's words; empty when there was none.
    QString testText(const ArchiveTest& test) const {
        const Form6Texts& t = window_.texts_;
        switch (test.state) {
            case ArchiveTest::State::None:
                return {};
            case ArchiveTest::State::NotTested:
                return t.text(Form6Text::ct14);
            case ArchiveTest::State::NotStarted:
                return t.text(Form6Text::ct15);
            case ArchiveTest::State::Ended:
                break;
        }
        if (test.passed()) {
            return t.text(Form6Text::ct11)
                .arg(test.milliseconds < 0 ? QStringLiteral("?")
                                           : durationText((test.milliseconds + 999) / 1000));
        }
        return t.text(test.signalled ? Form6Text::ct13 : Form6Text::ct12).arg(test.code);
    }

    const TForm6& window_;
    QList<RunRecord> runs_;
};

TForm6::TForm6(const MainWindowTexts& mainTexts, const QString& task, const LanguageInUse& language,
               QWidget* parent)
    : QDialog(parent), mainTexts_(mainTexts) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Журнал выполнения"));
    ui.Label1 = makeLabel(this, "Label1", QStringLiteral("Задача:"));
    ui.ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ui.ComboBox1->setMinimumContentsLength(24);
    ui.ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui.CheckBox1 = makeCheckBox(this, "CheckBox1", QStringLiteral("только ошибки"));
    ui.CheckBox1->setToolTip(
        QStringLiteral("Показывать только запуски, которые не удались или завершились с "
                       "предупреждением"));
    ui.ListView1 = named(new QTableView(this), "ListView1");
    model_ = new Model(*this, this);
    ui.ListView1->setModel(model_);
    ui.ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.ListView1->setWordWrap(false);
    ui.ListView1->verticalHeader()->hide();
    ui.ListView1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    ui.ListView1->horizontalHeader()->setStretchLastSection(true);
    ui.ListView1->horizontalHeader()->setHighlightSections(false);
    ui.Label2 = makeLabel(this, "Label2", QStringLiteral("Вывод архиватора"));
    ui.Memo1 = named(new QPlainTextEdit(this), "Memo1");
    ui.Memo1->setReadOnly(true);
    ui.Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    ui.Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui.BitBtn1 =
        makeButton(this, "BitBtn1", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

    auto* filter = new QHBoxLayout;
    filter->setSpacing(kFormGap);
    filter->addWidget(ui.Label1);
    filter->addWidget(ui.ComboBox1);
    filter->addSpacing(20);
    filter->addWidget(ui.CheckBox1);
    filter->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kFormMargin, kFormMargin, kFormMargin, kFormMargin);
    layout->setSpacing(kFormGap);
    layout->addLayout(filter);
    layout->addWidget(ui.ListView1, 3);
    layout->addWidget(ui.Label2);
    layout->addWidget(ui.Memo1, 1);
    layout->addLayout(buttons);
    resize(1240, 600);

    connectHandler(ui.ComboBox1, &QComboBox::activated, this, &TForm6::ComboBox1Change);
    connectHandler(ui.CheckBox1, &QCheckBox::toggled, this, &TForm6::CheckBox1Click);
    connectHandler(ui.BitBtn1, &QPushButton::clicked, this, &TForm6::BitBtn1Click);
    connectHandler(ui.ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   &TForm6::ListView1Click);
    runReportingErrors([&] { FormCreate(language, task); });
}

TForm6::~TForm6() = default;

void TForm6::FormCreate(const LanguageInUse& language, const QString& task) {
    texts_.resetToBuiltIn();
    applyLanguage(this, texts_, language);
    Q_EMIT model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
    runs_ = readRunHistory();

    QStringList tasks;
    for (const RunRecord& run : std::as_const(runs_)) {
        tasks << run.taskName;
    }
    if (!task.isEmpty()) {
        tasks << task;
    }
    tasks.sort();
    tasks.removeDuplicates();
    ui.ComboBox1->addItem(texts_.text(Form6Text::ct8));
    for (const QString& name : std::as_const(tasks)) {
        ui.ComboBox1->addItem(name, name);
    }
    ui.ComboBox1->setCurrentIndex(task.isEmpty() ? 0 : ui.ComboBox1->findData(task));
    // Each column at least as wide as its caption in the language in use.
    const int widths[] = {140, 140, 70, 120, 310, 200, 80};
    const QFontMetrics header(ui.ListView1->horizontalHeader()->font());
    for (int column = 0; column < int(std::size(widths)); ++column) {
        const int caption = header.horizontalAdvance(texts_.text(Model::kTitles[column])) + 16;
        ui.ListView1->setColumnWidth(column, std::max(widths[column], caption));
    }
    showRuns();
}

const QList<RunRecord>& TForm6::shownRuns() const {
    return model_->runs();
}

void TForm6::showRuns() {
    model_->show(
        historyRuns(runs_, ui.ComboBox1->currentData().toString(), ui.CheckBox1->isChecked()));
    ui.Memo1->clear();
    if (model_->rowCount() > 0) {
        ui.ListView1->selectRow(0);
    }
}

void TForm6::ComboBox1Change() {
    showRuns();
}

void TForm6::CheckBox1Click() {
    showRuns();
}

void TForm6::ListView1Click() {
    const QModelIndex current = ui.ListView1->currentIndex();
    const QList<RunRecord>& runs = model_->runs();
    const bool failed = current.isValid() && current.row() < runs.size() &&
                        runs[current.row()].outcome.result != RunResult::Confirmed;
    ui.Memo1->setPlainText(failed ? runs[current.row()].output.join(u'\n') : QString());
}

void TForm6::BitBtn1Click() {
    accept();
}

}  // namespace kv
