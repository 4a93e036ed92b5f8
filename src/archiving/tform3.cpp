#include "archiving/tform3.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <algorithm>

#include "archiving/findarchivers.h"
#include "language/translateform.h"
#include "platform/dialogs.h"
#include "platform/messagebox.h"
#include "platform/opendialog.h"
#include "platform/registryfile.h"
#include "store/layouts.h"
#include "store/table.h"
#include "widgets/buttonglyphs.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"

namespace kv {
namespace {

// The shell "open" commands of the two archivers the window can fill in.
const QString kWinRarKey = QString::fromUtf16(kWinRarProgramKey);
const QString kWinZipKey = QString::fromUtf16(kWinZipProgramKey);

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kGridHeight = 170;
constexpr int kMinWidth = 560;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        QStyle::StandardPixmap glyph = QStyle::SP_CustomBase) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (glyph != QStyle::SP_CustomBase) {
        b->setIcon(buttonGlyph(glyph));
    }
    // Enter in an edit field presses nothing.
    b->setAutoDefault(false);
    return b;
}

LabeledEdit* makeEdit(QWidget* parent, const char* name, const QString& caption,
                      const Field<QString>& field) {
    auto* e = new LabeledEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setCaption(caption);
    e->setMaxLength(field.width());
    return e;
}

int buttonWidth(const QWidget* b) {
    return b->sizeHint().width() + 8;
}

}  // namespace

TForm3::TForm3(Table& archivers, const MainWindowTexts& mainTexts, const LanguageInUse& language,
               QWidget* parent)
    : QDialog(parent), archivers_(archivers) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Список настроек архиваторов"));
    // A fixed border with only the close button in the title bar (a modal window that is
    // minimised would leave the program blocked behind nothing); the size follows the state.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createList();
    createEditPanel();
    OpenDialog1 = new OpenDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    connectHandlers();
    runReportingErrors([&] { FormCreate(mainTexts, language); });
    setEditState(false);
}

TForm3::~TForm3() = default;

void TForm3::createList() {
    Label1 = new QLabel(QStringLiteral("В левой колонке можно отметить галочкой те настройки, "
                                       "которые будут использоваться по умолчанию для новых "
                                       "задач."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    cyDBGrid1 = new DBGrid(this);
    cyDBGrid1->setObjectName(QStringLiteral("cyDBGrid1"));
    cyDBGrid1->bind(
        &archivers_, &marks,
        {
            {QString(), QString(), 26},
            {ArchiverField::Name.name(), QStringLiteral("Наименование конфигурации"), 300},
        });
    BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("Добавить"), QStyle::SP_FileIcon);
    BitBtn6 =
        makeButton(this, "BitBtn6", QStringLiteral("Изменить"), QStyle::SP_FileDialogDetailedView);
    BitBtn2 = makeButton(this, "BitBtn2", QStringLiteral("Удалить "), QStyle::SP_TrashIcon);
    BitBtn10 =
        makeButton(this, "BitBtn10", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
}

void TForm3::createEditPanel() {
    LabeledEdit6 = makeEdit(this, "LabeledEdit6", QStringLiteral("Наименование конфигурации"),
                            ArchiverField::Name);
    LabeledEdit1 =
        makeEdit(this, "LabeledEdit1", QStringLiteral("Путь к исполняемому файлу архиватора"),
                 ArchiverField::NameAr);
    BitBtn9 = makeButton(this, "BitBtn9", QString(), QStyle::SP_DialogOpenButton);
    LabeledEdit2 =
        makeEdit(this, "LabeledEdit2", QStringLiteral("Параметр (команда) для архивации"),
                 ArchiverField::Param1);
    LabeledEdit3 =
        makeEdit(this, "LabeledEdit3", QStringLiteral("Ключи для архивации"), ArchiverField::Keys1);
    LabeledEdit5 =
        makeEdit(this, "LabeledEdit5", QStringLiteral("Параметр (команда) для восстановления"),
                 ArchiverField::Param2);
    LabeledEdit4 = makeEdit(this, "LabeledEdit4", QStringLiteral("Ключи для восстановления"),
                            ArchiverField::Keys2);
    BitBtn5 = makeButton(this, "BitBtn5", QStringLiteral("WinRar"));
    BitBtn7 = makeButton(this, "BitBtn7", QStringLiteral("WinZip"));
    BitBtn3 =
        makeButton(this, "BitBtn3", QStringLiteral("Справка WinRar"), QStyle::SP_DialogHelpButton);
    BitBtn11 =
        makeButton(this, "BitBtn11", QStringLiteral("Справка WinZip"), QStyle::SP_DialogHelpButton);
    BitBtn8 = makeButton(this, "BitBtn8", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    BitBtn4 =
        makeButton(this, "BitBtn4", QStringLiteral("Не сохранять"), QStyle::SP_DialogCancelButton);
    editPanel_ = {LabeledEdit6, LabeledEdit1, BitBtn9, LabeledEdit2, LabeledEdit3,
                  LabeledEdit5, LabeledEdit4, BitBtn5, BitBtn7,      BitBtn3,
                  BitBtn11,     BitBtn8,      BitBtn4};
}

void TForm3::connectHandlers() {
    auto wire = [this](QPushButton* b, void (TForm3::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { runReportingErrors([=, this] { (this->*handler)(); }); });
    };
    wire(BitBtn1, &TForm3::BitBtn1Click);
    wire(BitBtn6, &TForm3::BitBtn6Click);
    wire(BitBtn2, &TForm3::BitBtn2Click);
    wire(BitBtn10, &TForm3::BitBtn10Click);
    wire(BitBtn9, &TForm3::BitBtn9Click);
    wire(BitBtn5, &TForm3::BitBtn5Click);
    wire(BitBtn7, &TForm3::BitBtn7Click);
    wire(BitBtn3, &TForm3::BitBtn3Click);
    wire(BitBtn11, &TForm3::BitBtn11Click);
    wire(BitBtn8, &TForm3::BitBtn8Click);
    wire(BitBtn4, &TForm3::BitBtn4Click);
    connect(cyDBGrid1, &DBGrid::cellClicked, this, [this](int column, int row) {
        runReportingErrors([=, this] { cyDBGrid1CellClick(column, row); });
    });
}

void TForm3::FormCreate(const MainWindowTexts& mainTexts, const LanguageInUse& language) {
    texts.resetToBuiltIn();
    applyLanguage(this, texts, language);
    NewConfiguration = false;
    FindArchivers(archivers_, mainTexts);
    archivers_.open();
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Activated once, when it first shows: message boxes and the file dialog that it opens
    // give the focus back without a new activation.
    if (!activated_) {
        activated_ = true;
        runReportingErrors([this] { FormActivate(); });
    }
}

void TForm3::FormActivate() {
    marksFromFlags();
    archivers_.first();
    focusList();
    setEditState(false);
}

void TForm3::marksFromFlags() {
    QList<bool> flags(archivers_.isOpen() ? archivers_.recordCount() : 0);
    const auto flag = archivers_.fieldIndex(ArchiverField::Flag);
    for (int row = 0; row < flags.size(); ++row) {
        flags[row] = archivers_.peekBool(row, flag);
    }
    marks.assign(std::move(flags));
}

void TForm3::cyDBGrid1CellClick(int column, int row) {
    // The list has toggled the tick already; only the first column holds ticks.
    if (column != 0 || row < 0 || row >= archivers_.recordCount()) {
        return;
    }
    if (!marks.at(row)) {
        archivers_.moveTo(row);
        archivers_.edit();
        archivers_.setBool(ArchiverField::Flag, false);
        archivers_.post();
        return;
    }
    // One default at most: the ticked row, and no other.
    {
        ControlsDisabled suspended(archivers_);
        for (archivers_.first(); !archivers_.eof(); archivers_.next()) {
            const int position = archivers_.recNo();
            archivers_.edit();
            archivers_.setBool(ArchiverField::Flag, position == row);
            archivers_.post();
            if (position != row) {
                marks.set(position, false);
            }
        }
        archivers_.moveTo(row);
    }
}

void TForm3::showArchiverButtons() {
    const RegistryFile registry = loadProgramRegistry();
    rarButtonsShown_ = rarButtonsShown_ || registry.classesRootDefault(kWinRarKey).has_value();
    zipButtonsShown_ = zipButtonsShown_ || registry.classesRootDefault(kWinZipKey).has_value();
}

void TForm3::setEntries(const ArchiverEntries& e) {
    LabeledEdit6->setText(e.name);
    LabeledEdit1->setText(e.program);
    LabeledEdit2->setText(e.archiveCommand);
    LabeledEdit3->setText(e.archiveSwitches);
    LabeledEdit5->setText(e.restoreCommand);
    LabeledEdit4->setText(e.restoreSwitches);
}

ArchiverEntries TForm3::entries() const {
    return {LabeledEdit6->text(), LabeledEdit1->text(), LabeledEdit2->text(),
            LabeledEdit3->text(), LabeledEdit5->text(), LabeledEdit4->text()};
}

void TForm3::BitBtn1Click() {
    NewConfiguration = true;
    showArchiverButtons();
    setEntries({});
    ConfigurationTip = kTipOther;
    BitBtn8->setEnabled(true);
    setEditState(true);
    LabeledEdit1->setFocus();
}

void TForm3::BitBtn6Click() {
    if (archivers_.isEmpty()) {
        return;
    }
    NewConfiguration = false;
    showArchiverButtons();
    setEntries(readEntries(archivers_));
    ConfigurationTip = archivers_.asInt(ArchiverField::Tip);
    editedRow_ = archivers_.recNo();
    // A configuration that discovery made can be looked at, not saved.
    BitBtn8->setEnabled(!archivers_.asBool(ArchiverField::Sys));
    setEditState(true);
    LabeledEdit1->setFocus();
}

void TForm3::BitBtn2Click() {
    if (!archivers_.isEmpty()) {
        const QString question = texts.text(Form3Text::cm6) + QStringLiteral(" \"") +
                                 archivers_.asString(ArchiverField::Name) + QStringLiteral("\" ") +
                                 texts.text(Form3Text::cm7);
        if (messageBox(question, texts.text(Form3Text::cm8), MbButtons::YesNo, MbIcon::Question) ==
            MbResult::Yes) {
            archivers_.deleteRecord();
            marksFromFlags();
        }
    }
    focusList();
}

void TForm3::putProgramPath(const QString& path) {
    const int width = ArchiverField::NameAr.width();
    if (path.size() > width) {
        // The field would cut it without a word.
        messageBox(texts.text(Form3Text::cm12).arg(path).arg(width), texts.text(Form3Text::cm1),
                   MbButtons::Ok, MbIcon::Warning);
        return;
    }
    LabeledEdit1->setText(path);
}

void TForm3::fillForArchiver(const QString& key, int tip) {
    ConfigurationTip = tip;
    const std::optional<QString> command = classesRootDefaultValue(key);
    if (!command) {
        return;
    }
    const ArchiverEntries fill = shellArchiverEntries(QString(), ArchiverPathFromCommand(*command));
    putProgramPath(fill.program);
    LabeledEdit2->setText(fill.archiveCommand);
    LabeledEdit3->setText(fill.archiveSwitches);
    LabeledEdit5->setText(fill.restoreCommand);
    LabeledEdit4->setText(fill.restoreSwitches);
}

void TForm3::BitBtn5Click() {
    fillForArchiver(kWinRarKey, kTipWinRar);
}

void TForm3::BitBtn7Click() {
    fillForArchiver(kWinZipKey, kTipWinZip);
}

void TForm3::openArchiverHelp(const QString& key, const QString& helpFile) {
    const std::optional<QString> command = classesRootDefaultValue(key);
    if (!command) {
        return;
    }
    // The desktop's viewer opens it; nothing waits for it.
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(archiverHelpFile(ArchiverPathFromCommand(*command), helpFile)));
}

void TForm3::BitBtn3Click() {
    openArchiverHelp(kWinRarKey, QStringLiteral("winrar.hlp"));
}

void TForm3::BitBtn11Click() {
    openArchiverHelp(kWinZipKey, QStringLiteral("winzip.hlp"));
}

void TForm3::BitBtn9Click() {
    // Programs have no extension of their own here: the first choice shows the files the user
    // may run.
    const QString programs = texts.text(Form3Text::cm13);
    OpenDialog1->filter =
        programs + QStringLiteral(" (*);;") + texts.text(Form3Text::cm14) + QStringLiteral(" (*)");
    const std::optional<QString> chosen =
        openFile(OpenDialog1->title, OpenDialog1->filter, LabeledEdit1->text(), programs);
    if (chosen) {
        putProgramPath(*chosen);
    }
}

void TForm3::BitBtn8Click() {
    // What is checked and stored is what the fields then show.
    ArchiverEntries e = withStoredTexts(entries());
    setEntries(e);
    const QString& caption = texts.text(Form3Text::cm1);
    if (const std::optional<QString> refusal = entriesRefusal(e, texts)) {
        messageBox(*refusal, caption, MbButtons::Ok, MbIcon::Warning);
        return;
    }
    if (!QFileInfo(e.program).isFile() &&
        messageBox(texts.text(Form3Text::cm3), caption, MbButtons::YesNo, MbIcon::Question) !=
            MbResult::Yes) {
        return;
    }
    if (e.archiveCommand.isEmpty()) {
        // The question shows the command word; Yes puts it in, No goes back to the field.
        const QString question = texts.text(Form3Text::cm4) + QStringLiteral("\r\n") +
                                 texts.text(Form3Text::cm5) + QStringLiteral(" \" а \" ?");
        if (messageBox(question, caption, MbButtons::YesNo, MbIcon::Warning) != MbResult::Yes) {
            LabeledEdit2->setFocus();
            return;
        }
        e.archiveCommand = QStringLiteral("a");
        LabeledEdit2->setText(e.archiveCommand);
    }
    if (NewConfiguration) {
        archivers_.insert();
    } else {
        // The row that BitBtn6 opened, wherever the list has moved since.
        archivers_.moveTo(editedRow_);
        archivers_.edit();
    }
    writeEntries(archivers_, e, ConfigurationTip);
    archivers_.post();
    marksFromFlags();
    setEditState(false);
    focusList();
}

void TForm3::BitBtn4Click() {
    setEditState(false);
    focusList();
}

void TForm3::BitBtn10Click() {
    reject();
}

void TForm3::FormClose() {
    setEditState(false);
}

void TForm3::done(int result) {
    runReportingErrors([this] { FormClose(); });
    QDialog::done(result);
}

void TForm3::focusList() {
    cyDBGrid1->setFocus();
}

void TForm3::setEditState(bool edit) {
    editState_ = edit;
    for (QWidget* w : std::as_const(editPanel_)) {
        w->setVisible(edit);
    }
    BitBtn5->setVisible(edit && rarButtonsShown_);
    BitBtn3->setVisible(edit && rarButtonsShown_);
    BitBtn7->setVisible(edit && zipButtonsShown_);
    BitBtn11->setVisible(edit && zipButtonsShown_);
    for (QPushButton* b : {BitBtn1, BitBtn6, BitBtn2}) {
        b->setEnabled(!edit);
    }
    setFixedSize(layOut());
    // A window grown below the screen's bottom edge moves up.
    if (isVisible() && screen()) {
        const QRect available = screen()->availableGeometry();
        const QRect frame = frameGeometry();
        if (frame.bottom() > available.bottom()) {
            move(x(), std::max(available.top(), y() - (frame.bottom() - available.bottom())));
        }
    }
}

QSize TForm3::layOut() {
    const QList<QPushButton*> listButtons = {BitBtn1, BitBtn6, BitBtn2};
    const QList<QPushButton*> archiverButtons = {BitBtn5, BitBtn7, BitBtn3, BitBtn11};
    const QList<QPushButton*> saveButtons = {BitBtn8, BitBtn4};
    auto rowWidth = [](const QList<QPushButton*>& buttons) {
        int w = -kGap;
        for (const QPushButton* b : buttons) {
            w += buttonWidth(b) + kGap;
        }
        return w;
    };
    int rowH = 0;
    for (const QPushButton* b : listButtons + archiverButtons + saveButtons) {
        rowH = std::max(rowH, b->sizeHint().height() + 4);
    }
    const int leftColumn =
        std::max({LabeledEdit2->sizeHint().width(), LabeledEdit5->sizeHint().width(), 160});
    const int rightColumn =
        std::max({LabeledEdit3->sizeHint().width(), LabeledEdit4->sizeHint().width(), 200});
    const int closeW = buttonWidth(BitBtn10);
    const int width =
        2 * kMargin + std::max({kMinWidth - 2 * kMargin, leftColumn + kGap + rightColumn,
                                rowWidth(listButtons) + 24 + closeW,
                                rowWidth(saveButtons) + 24 + closeW, rowWidth(archiverButtons)});
    const int inner = width - 2 * kMargin;

    int y = kMargin;
    const int labelH = Label1->heightForWidth(inner);
    Label1->setGeometry(kMargin, y, inner, labelH);
    y += labelH + kGap;
    cyDBGrid1->setGeometry(kMargin, y, inner, kGridHeight);
    y += kGridHeight + kGap;
    int x = kMargin;
    for (QPushButton* b : listButtons) {
        b->setGeometry(x, y, buttonWidth(b), rowH);
        x += buttonWidth(b) + kGap;
    }
    int lastRowY = y;

    if (editState_) {
        y += rowH + 2 * kGap;
        const int editH = LabeledEdit1->sizeHint().height();
        LabeledEdit6->setGeometry(kMargin, y, inner, editH);
        y += editH + kGap;
        // The browse button sits beside the edit line, below the caption.
        const int lineH = LabeledEdit1->edit()->sizeHint().height();
        const int browseW = lineH + 10;
        LabeledEdit1->setGeometry(kMargin, y, inner - browseW - kGap, editH);
        BitBtn9->setGeometry(kMargin + inner - browseW, y + editH - lineH, browseW, lineH);
        y += editH + kGap;
        const int rightX = kMargin + leftColumn + kGap;
        const int rightW = inner - leftColumn - kGap;
        LabeledEdit2->setGeometry(kMargin, y, leftColumn, editH);
        LabeledEdit3->setGeometry(rightX, y, rightW, editH);
        y += editH + kGap;
        LabeledEdit5->setGeometry(kMargin, y, leftColumn, editH);
        LabeledEdit4->setGeometry(rightX, y, rightW, editH);
        y += editH + kGap;
        x = kMargin;
        bool anyArchiverButton = false;
        for (QPushButton* b : archiverButtons) {
            if (b->isVisibleTo(this)) {
                b->setGeometry(x, y + kGap, buttonWidth(b), rowH);
                x += buttonWidth(b) + kGap;
                anyArchiverButton = true;
            }
        }
        if (anyArchiverButton) {
            y += kGap + rowH + kGap;
        }
        y += kGap;
        x = kMargin;
        for (QPushButton* b : saveButtons) {
            b->setGeometry(x, y, buttonWidth(b), rowH);
            x += buttonWidth(b) + kGap;
        }
        lastRowY = y;
    }
    // The close button keeps its distance from the bottom edge.
    BitBtn10->setGeometry(width - kMargin - closeW, lastRowY, closeW, rowH);
    return {width, lastRowY + rowH + kMargin};
}

}  // namespace kv
