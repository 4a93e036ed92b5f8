#include "archiving/tform5.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "archiving/partialrestore.h"
#include "archiving/restore.h"
#include "archiving/runfollower.h"
#include "archiving/tform7.h"
#include "language/translateform.h"
#include "platform/messagebox.h"
#include "platform/winexec.h"
#include "store/programtables.h"
#include "widgets/formkit.h"

namespace kv {
namespace {

// What a failed start of the archiver tells.
LaunchFailureTexts launchFailureTexts(const Form5Texts& texts) {
    return {texts.text(Form5Text::cm1), texts.text(Form5Text::cm2), texts.text(Form5Text::cm3),
            texts.text(Form5Text::cm5)};
}

}  // namespace

TForm5::TForm5(ProgramTables& tables, const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), tasks_(tables.tasks), archivers_(tables.archivers), language_(language) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Восстановление данных"));
    // A fixed border with only the close button in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui.ListBox1 = named(new QListWidget(this), "ListBox1");
    ui.ListBox1->setSortingEnabled(false);
    ui.BitBtn1 =
        makeButton(this, "BitBtn1", QStringLiteral("Восстановить"), QStyle::SP_DialogOpenButton);
    ui.BitBtn3 = makeButton(this, "BitBtn3", QStringLiteral("Просмотреть…"),
                            QStyle::SP_FileDialogDetailedView);
    ui.BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn3);
    buttons->addWidget(ui.BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.ListBox1);
    layout->addLayout(buttons);
    ui.ListBox1->setMinimumSize(420, 220);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectHandler(ui.BitBtn1, &QPushButton::clicked, this, &TForm5::BitBtn1Click);
    connectHandler(ui.BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connectHandler(ui.BitBtn2, &QPushButton::clicked, this, &TForm5::BitBtn2Click);
    connectHandler(ui.ListBox1, &QListWidget::itemDoubleClicked, this, &TForm5::ListBox1DblClick);
    runReportingErrors([&] { FormCreate(language); });
}

void TForm5::FormCreate(const LanguageInUse& language) {
    texts_.resetToBuiltIn();
    applyLanguage(this, texts_, language);
    const QStringList names = archiveEntries(
        archiveLocation(tasks_.asString(TaskField::NameArh), tasks_.asString(TaskField::Path2)));
    ui.ListBox1->addItems(names);
    if (names.isEmpty()) {
        ui.ListBox1->addItem(texts_.text(Form5Text::cm4));
        ui.BitBtn1->setEnabled(false);
        ui.BitBtn3->setEnabled(false);
    }
}

QString TForm5::chosenArchive() const {
    const QList<QListWidgetItem*> chosen = ui.ListBox1->selectedItems();
    if (!ui.BitBtn1->isEnabled() || chosen.isEmpty()) {
        return {};
    }
    // The task's folder as the current row gives it now.
    const ArchiveLocation location =
        archiveLocation(tasks_.asString(TaskField::NameArh), tasks_.asString(TaskField::Path2));
    return location.folder + chosen.constFirst()->text();
}

void TForm5::BitBtn1Click() {
    const QString archive = chosenArchive();
    if (archive.isEmpty()) {
        return;
    }
    const std::optional<QString> commandLine =
        restoreCommandLine(tasks_.asString(TaskField::NameArhivator2), archive);
    if (!commandLine) {
        messageBox(texts_.text(Form5Text::cm6).arg(archive), QString(), MbButtons::Ok,
                   MbIcon::Warning);
    } else {
        RunFacts facts;
        facts.kind = RunKind::Restore;
        facts.taskName = tasks_.asString(TaskField::Name);
        facts.archivePath = archive;
        facts.claim = countRestoreRun(archive, facts.taskName);
        const WinExecResult result = WinExec(*commandLine, kSwShow, followRun(std::move(facts)));
        if (const std::optional<QString> failure =
                launchFailureText(result, launchFailureTexts(texts_))) {
            messageBox(*failure);
        }
    }
    // Closes whether the archiver started or not.
    accept();
}

void TForm5::ListBox1DblClick() {
    BitBtn1Click();
}

void TForm5::BitBtn3Click() {
    const QString archive = chosenArchive();
    if (archive.isEmpty()) {
        return;
    }
    const QString sevenZip =
        browsingArchiver(archivers_, tasks_.asString(TaskField::NameArhivator2));
    if (sevenZip.isEmpty()) {
        messageBox(texts_.text(Form5Text::cm7), QString(), MbButtons::Ok, MbIcon::Warning);
        return;
    }
    TForm7 browser(archive, sevenZip, tasks_.asString(TaskField::Name), language_, this);
    browser.exec();
}

void TForm5::BitBtn2Click() {
    reject();
}

}  // namespace kv
