#include "archiving/tform3.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "archiving/findarchivers.h"
#include "language/translateform.h"
#include "platform/dialogs.h"
#include "platform/messagebox.h"
#include "platform/opendialog.h"
#include "platform/registryfile.h"
#include "store/programtables.h"
#include "widgets/dbgrid.h"
#include "widgets/formkit.h"
#include "widgets/labelededit.h"

namespace kv {
namespace {

// The shell "open" commands of the two archivers the window can fill in.
const QString kWinRarKey = QString::fromUtf16(kWinRarProgramKey);
const QString kWinZipKey = QString::fromUtf16(kWinZipProgramKey);

constexpr int kGridHeight = 170;
constexpr int kMinWidth = 560;

}  // namespace

TForm3::TForm3(ProgramTables& tables, const MainWindowTexts& mainTexts,
               const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), archivers_(tables.archivers), mainTexts_(mainTexts) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Список настроек архиваторов"));
    // A fixed border with only the close button in the title bar (a modal window that is
    // minimised would leave the program blocked behind nothing); the size follows the state.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createList();
    createEditPanel();
    ui.OpenDialog1 = named(new OpenDialog(this), "OpenDialog1");
    arrange();
    connectHandlers();
    runReportingErrors([&] { FormCreate(mainTexts, language); });
    setEditState(false);
}

TForm3::~TForm3() = default;

void TForm3::createList() {
    ui.Label1 = makeLabel(this, "Label1",
                          QStringLiteral("В левой колонке можно отметить галочкой те настройки, "
                                         "которые будут использоваться по умолчанию для новых "
                                         "задач."));
    ui.Label1->setWordWrap(true);
    ui.cyDBGrid1 = named(new DBGrid(this), "cyDBGrid1");
    ui.cyDBGrid1->bind(
        &archivers_, &marks_,
        {
            {QString(), QString(), 26},
            {ArchiverField::Name.name(), QStringLiteral("Наименование конфигурации"), 300},
        });
    ui.BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("Добавить"), QStyle::SP_FileIcon);
    ui.BitBtn6 =
        makeButton(this, "BitBtn6", QStringLiteral("Изменить"), QStyle::SP_FileDialogDetailedView);
    ui.BitBtn2 = makeButton(this, "BitBtn2", QStringLiteral("Удалить "), QStyle::SP_TrashIcon);
    ui.BitBtn10 =
        makeButton(this, "BitBtn10", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
}

void TForm3::createEditPanel() {
    ui.LabeledEdit6 = makeEdit(this, "LabeledEdit6", QStringLiteral("Наименование конфигурации"),
                               ArchiverField::Name.width());
    ui.LabeledEdit1 =
        makeEdit(this, "LabeledEdit1", QStringLiteral("Путь к исполняемому файлу архиватора"),
                 ArchiverField::NameAr.width());
    ui.BitBtn9 = makeButton(this, "BitBtn9", QString(), QStyle::SP_DialogOpenButton);
    ui.LabeledEdit2 =
        makeEdit(this, "LabeledEdit2", QStringLiteral("Параметр (команда) для архивации"),
                 ArchiverField::Param1.width());
    ui.LabeledEdit3 = makeEdit(this, "LabeledEdit3", QStringLiteral("Ключи для архивации"),
                               ArchiverField::Keys1.width());
    ui.LabeledEdit5 =
        makeEdit(this, "LabeledEdit5", QStringLiteral("Параметр (команда) для восстановления"),
                 ArchiverField::Param2.width());
    ui.LabeledEdit4 = makeEdit(this, "LabeledEdit4", QStringLiteral("Ключи для восстановления"),
                               ArchiverField::Keys2.width());
    ui.BitBtn5 = makeButton(this, "BitBtn5", QStringLiteral("WinRar"));
    ui.BitBtn7 = makeButton(this, "BitBtn7", QStringLiteral("WinZip"));
    ui.BitBtn3 =
        makeButton(this, "BitBtn3", QStringLiteral("Справка WinRar"), QStyle::SP_DialogHelpButton);
    ui.BitBtn11 =
        makeButton(this, "BitBtn11", QStringLiteral("Справка WinZip"), QStyle::SP_DialogHelpButton);
    ui.BitBtn8 =
        makeButton(this, "BitBtn8", QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton);
    ui.BitBtn4 =
        makeButton(this, "BitBtn4", QStringLiteral("Не сохранять"), QStyle::SP_DialogCancelButton);
    editPanel_ = {ui.LabeledEdit6, ui.LabeledEdit1, ui.BitBtn9, ui.LabeledEdit2, ui.LabeledEdit3,
                  ui.LabeledEdit5, ui.LabeledEdit4, ui.BitBtn5, ui.BitBtn7,      ui.BitBtn3,
                  ui.BitBtn11,     ui.BitBtn8,      ui.BitBtn4};
}

void TForm3::arrange() {
    // The buttons leave room around their captions; the browse button is a square beside the
    // program's edit line.
    for (QPushButton* b : {ui.BitBtn1, ui.BitBtn6, ui.BitBtn2, ui.BitBtn10, ui.BitBtn5, ui.BitBtn7,
                           ui.BitBtn3, ui.BitBtn11, ui.BitBtn8, ui.BitBtn4}) {
        static_cast<FormButton*>(b)->setRoom(kButtonRoom);
    }
    const int lineH = ui.LabeledEdit1->edit()->sizeHint().height();
    ui.BitBtn9->setFixedSize(lineH + 10, lineH);

    // The explanation wraps at the window's width, which the rows below set.
    QSizePolicy wrapped(QSizePolicy::Ignored, QSizePolicy::Preferred);
    wrapped.setHeightForWidth(true);
    ui.Label1->setSizePolicy(wrapped);
    ui.cyDBGrid1->setFixedHeight(kGridHeight);
    ui.cyDBGrid1->setMinimumWidth(kMinWidth - 2 * kFormMargin);
    ui.cyDBGrid1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    // The list's buttons; the close button ends the last row, that of the list or, in the edit
    // state, that of the save buttons.
    listRow_ = rowOf({ui.BitBtn1, ui.BitBtn6, ui.BitBtn2});
    listRow_->addSpacing(24 - kFormGap);

    auto* program = new QHBoxLayout;
    program->setSpacing(kFormGap);
    program->addWidget(ui.LabeledEdit1, 1);
    program->addWidget(ui.BitBtn9, 0, Qt::AlignBottom);
    // The commands at the left, their switches at the right.
    auto* commands = new QGridLayout;
    commands->setSpacing(kFormGap);
    commands->addWidget(ui.LabeledEdit2, 0, 0);
    commands->addWidget(ui.LabeledEdit3, 0, 1);
    commands->addWidget(ui.LabeledEdit5, 1, 0);
    commands->addWidget(ui.LabeledEdit4, 1, 1);
    commands->setColumnMinimumWidth(0, 160);
    commands->setColumnMinimumWidth(1, 200);
    commands->setColumnStretch(1, 1);
    archiverRow_ = rowOf({ui.BitBtn5, ui.BitBtn7, ui.BitBtn3, ui.BitBtn11});
    saveRow_ = rowOf({ui.BitBtn8, ui.BitBtn4});
    saveRow_->addSpacing(24 - kFormGap);

    editRows_ = new QVBoxLayout;
    editRows_->setSpacing(kFormGap);
    editRows_->addWidget(ui.LabeledEdit6);
    editRows_->addLayout(program);
    editRows_->addLayout(commands);
    editRows_->addLayout(archiverRow_);
    editRows_->addLayout(saveRow_);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(kFormMargin, kFormMargin, kFormMargin, kFormMargin);
    window->setSpacing(kFormGap);
    window->addWidget(ui.Label1);
    window->addWidget(ui.cyDBGrid1);
    window->addLayout(listRow_);
    window->addLayout(editRows_);
    window->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm3::connectHandlers() {
    connectClicks(this, {
                            {ui.BitBtn1, &TForm3::BitBtn1Click},
                            {ui.BitBtn6, &TForm3::BitBtn6Click},
                            {ui.BitBtn2, &TForm3::BitBtn2Click},
                            {ui.BitBtn10, &TForm3::BitBtn10Click},
                            {ui.BitBtn9, &TForm3::BitBtn9Click},
                            {ui.BitBtn5, &TForm3::BitBtn5Click},
                            {ui.BitBtn7, &TForm3::BitBtn7Click},
                            {ui.BitBtn3, &TForm3::BitBtn3Click},
                            {ui.BitBtn11, &TForm3::BitBtn11Click},
                            {ui.BitBtn8, &TForm3::BitBtn8Click},
                            {ui.BitBtn4, &TForm3::BitBtn4Click},
                        });
    connectHandler(ui.cyDBGrid1, &DBGrid::cellClicked, this, &TForm3::cyDBGrid1CellClick);
    // Activated once, when it first shows: message boxes and the file dialog that it opens
    // give the focus back without a new activation.
    onFirstShow(this, [this] { FormActivate(); });
}

void TForm3::FormCreate(const MainWindowTexts& mainTexts, const LanguageInUse& language) {
    texts_.resetToBuiltIn();
    applyLanguage(this, texts_, language);
    newConfiguration_ = false;
    FindArchivers(archivers_, mainTexts);
    archivers_.open();
}

void TForm3::FormActivate() {
    const QString sevenZip = sevenZipToOffer(archivers_, mainTexts_);
    if (!sevenZip.isEmpty() &&
        messageBox(texts_.text(Form3Text::cm15).arg(sevenZip, mainTexts_.text(Form1Text::cf5)),
                   texts_.text(Form3Text::cm1), MbButtons::YesNo,
                   MbIcon::Question) == MbResult::Yes) {
        addSevenZip(archivers_, sevenZip, mainTexts_);
    }
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
    marks_.assign(flags);
}

void TForm3::cyDBGrid1CellClick(int column, int row) {
    // The list has toggled the tick already; only the first column holds ticks.
    if (column != 0 || row < 0 || row >= archivers_.recordCount()) {
        return;
    }
    if (!marks_.at(row)) {
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
                marks_.set(position, false);
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
    ui.LabeledEdit6->setText(e.name);
    ui.LabeledEdit1->setText(e.program);
    ui.LabeledEdit2->setText(e.archiveCommand);
    ui.LabeledEdit3->setText(e.archiveSwitches);
    ui.LabeledEdit5->setText(e.restoreCommand);
    ui.LabeledEdit4->setText(e.restoreSwitches);
}

ArchiverEntries TForm3::entries() const {
    return {ui.LabeledEdit6->text(), ui.LabeledEdit1->text(), ui.LabeledEdit2->text(),
            ui.LabeledEdit3->text(), ui.LabeledEdit5->text(), ui.LabeledEdit4->text()};
}

void TForm3::BitBtn1Click() {
    newConfiguration_ = true;
    showArchiverButtons();
    setEntries({});
    configurationTip_ = kTipOther;
    ui.BitBtn8->setEnabled(true);
    setEditState(true);
    ui.LabeledEdit1->setFocus();
}

void TForm3::BitBtn6Click() {
    if (archivers_.isEmpty()) {
        return;
    }
    newConfiguration_ = false;
    showArchiverButtons();
    setEntries(readEntries(archivers_));
    configurationTip_ = archivers_.asInt(ArchiverField::Tip);
    editedRow_ = archivers_.recNo();
    // A configuration that discovery made can be looked at, not saved.
    ui.BitBtn8->setEnabled(!archivers_.asBool(ArchiverField::Sys));
    setEditState(true);
    ui.LabeledEdit1->setFocus();
}

void TForm3::BitBtn2Click() {
    if (!archivers_.isEmpty()) {
        const QString question = texts_.text(Form3Text::cm6) + QStringLiteral(" \"") +
                                 archivers_.asString(ArchiverField::Name) + QStringLiteral("\" ") +
                                 texts_.text(Form3Text::cm7);
        if (messageBox(question, texts_.text(Form3Text::cm8), MbButtons::YesNo, MbIcon::Question) ==
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
        messageBox(texts_.text(Form3Text::cm12).arg(path).arg(width), texts_.text(Form3Text::cm1),
                   MbButtons::Ok, MbIcon::Warning);
        return;
    }
    ui.LabeledEdit1->setText(path);
}

void TForm3::fillForArchiver(const QString& key, int tip) {
    configurationTip_ = tip;
    const std::optional<QString> command = classesRootDefaultValue(key);
    if (!command) {
        return;
    }
    const ArchiverEntries fill = shellArchiverEntries(QString(), ArchiverPathFromCommand(*command));
    putProgramPath(fill.program);
    ui.LabeledEdit2->setText(fill.archiveCommand);
    ui.LabeledEdit3->setText(fill.archiveSwitches);
    ui.LabeledEdit5->setText(fill.restoreCommand);
    ui.LabeledEdit4->setText(fill.restoreSwitches);
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
    const QString programs = texts_.text(Form3Text::cm13);
    ui.OpenDialog1->filter =
        programs + QStringLiteral(" (*);;") + texts_.text(Form3Text::cm14) + QStringLiteral(" (*)");
    const std::optional<QString> chosen =
        openFile(ui.OpenDialog1->title, ui.OpenDialog1->filter, ui.LabeledEdit1->text(), programs);
    if (chosen) {
        putProgramPath(*chosen);
    }
}

void TForm3::BitBtn8Click() {
    // What is checked and stored is what the fields then show.
    ArchiverEntries e = withStoredTexts(entries());
    setEntries(e);
    const QString& caption = texts_.text(Form3Text::cm1);
    if (const std::optional<QString> refusal = entriesRefusal(e, texts_)) {
        messageBox(*refusal, caption, MbButtons::Ok, MbIcon::Warning);
        return;
    }
    if (!QFileInfo(e.program).isFile() &&
        messageBox(texts_.text(Form3Text::cm3), caption, MbButtons::YesNo, MbIcon::Question) !=
            MbResult::Yes) {
        return;
    }
    if (e.archiveCommand.isEmpty()) {
        // The question shows the command word; Yes puts it in, No goes back to the field.
        const QString question = texts_.text(Form3Text::cm4) + QStringLiteral("\r\n") +
                                 texts_.text(Form3Text::cm5) + QStringLiteral(" \" а \" ?");
        if (messageBox(question, caption, MbButtons::YesNo, MbIcon::Warning) != MbResult::Yes) {
            ui.LabeledEdit2->setFocus();
            return;
        }
        e.archiveCommand = QStringLiteral("a");
        ui.LabeledEdit2->setText(e.archiveCommand);
    }
    if (newConfiguration_) {
        archivers_.insert();
    } else {
        // The row that BitBtn6 opened, wherever the list has moved since.
        archivers_.moveTo(editedRow_);
        archivers_.edit();
    }
    writeEntries(archivers_, e, configurationTip_);
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
    ui.cyDBGrid1->setFocus();
}

void TForm3::setEditState(bool edit) {
    editState_ = edit;
    for (QWidget* w : std::as_const(editPanel_)) {
        w->setVisible(edit);
    }
    ui.BitBtn5->setVisible(edit && rarButtonsShown_);
    ui.BitBtn3->setVisible(edit && rarButtonsShown_);
    ui.BitBtn7->setVisible(edit && zipButtonsShown_);
    ui.BitBtn11->setVisible(edit && zipButtonsShown_);
    // The panel and its rows of buttons stand further apart; what is hidden takes no room.
    const auto gapAbove = [](QLayout* rows, bool shown) {
        rows->setContentsMargins(0, shown ? kFormGap : 0, 0, 0);
    };
    gapAbove(editRows_, edit);
    gapAbove(archiverRow_, edit && (rarButtonsShown_ || zipButtonsShown_));
    gapAbove(saveRow_, edit);
    for (QPushButton* b : {ui.BitBtn1, ui.BitBtn6, ui.BitBtn2}) {
        b->setEnabled(!edit);
    }
    // The close button keeps its distance from the bottom edge.
    listRow_->removeWidget(ui.BitBtn10);
    saveRow_->removeWidget(ui.BitBtn10);
    (edit ? saveRow_ : listRow_)->addWidget(ui.BitBtn10);
    layout()->activate();
    // A window grown below the screen's bottom edge moves up.
    keepBottomOnScreen(this);
}

}  // namespace kv
