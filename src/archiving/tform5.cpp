#include "archiving/tform5.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "archiving/restore.h"
#include "archiving/runfollower.h"
#include "language/translateform.h"
#include "platform/messagebox.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"
#include "widgets/buttonglyphs.h"

namespace kv {
namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        QStyle::StandardPixmap glyph) {
    auto* b = new QPushButton(buttonGlyph(glyph), caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// The message of a failed launch; none when the archiver started.
std::optional<Form5Text> launchFailure(unsigned result) {
    switch (result) {
        case kWinExecOutOfResources:
            return Form5Text::cm1;
        case kWinExecFileNotFound:
            return Form5Text::cm2;
        case kWinExecPathNotFound:
            return Form5Text::cm3;
        case kWinExecBadFormat:
            return Form5Text::cm5;
        default:
            return std::nullopt;
    }
}

}  // namespace

TForm5::TForm5(Table& tasks, const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), tasks_(tasks) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Восстановление данных"));
    // A fixed border with only the close button in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSortingEnabled(false);
    BitBtn1 =
        makeButton(this, "BitBtn1", QStringLiteral("Восстановить"), QStyle::SP_DialogOpenButton);
    BitBtn2 = makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);
    ListBox1->setMinimumSize(420, 220);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { runReportingErrors([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this,
            [this] { runReportingErrors([this] { BitBtn2Click(); }); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this,
            [this] { runReportingErrors([this] { ListBox1DblClick(); }); });
    runReportingErrors([&] { FormCreate(language); });
}

void TForm5::FormCreate(const LanguageInUse& language) {
    texts.resetToBuiltIn();
    applyLanguage(this, texts, language);
    const QStringList names = archiveEntries(
        archiveLocation(tasks_.asString(TaskField::NameArh), tasks_.asString(TaskField::Path2)));
    ListBox1->addItems(names);
    if (names.isEmpty()) {
        ListBox1->addItem(texts.text(Form5Text::cm4));
        BitBtn1->setEnabled(false);
    }
}

void TForm5::BitBtn1Click() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (!BitBtn1->isEnabled() || chosen.isEmpty()) {
        return;
    }
    // The task's folder as the current row gives it now.
    const ArchiveLocation location =
        archiveLocation(tasks_.asString(TaskField::NameArh), tasks_.asString(TaskField::Path2));
    const QString archive = location.folder + chosen.constFirst()->text();
    const std::optional<QString> commandLine =
        restoreCommandLine(tasks_.asString(TaskField::NameArhivator2), archive);
    if (!commandLine) {
        messageBox(texts.text(Form5Text::cm6).arg(archive), QString(), MbButtons::Ok,
                   MbIcon::Warning);
    } else {
        RunFacts facts;
        facts.kind = RunKind::Restore;
        facts.taskName = tasks_.asString(TaskField::Name);
        facts.archivePath = archive;
        if (const std::optional<Form5Text> failure =
                launchFailure(WinExec(*commandLine, kSwShow, followRun(std::move(facts))))) {
            messageBox(texts.text(*failure));
        }
    }
    // Closes whether the archiver started or not.
    accept();
}

void TForm5::ListBox1DblClick() {
    BitBtn1Click();
}

void TForm5::BitBtn2Click() {
    reject();
}

}  // namespace kv
