#include "archiving/tform7.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryFile>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "archiving/runfollower.h"
#include "archiving/runsinprogress.h"
#include "language/translateform.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "widgets/formkit.h"
#include "widgets/radiogroup.h"

namespace kv {
namespace {

enum Column { kName, kSize, kModified };

// The answers of RadioGroup2, in the order of its items.
constexpr ExistingFiles kAnswers[] = {ExistingFiles::KeepBoth, ExistingFiles::Overwrite,
                                      ExistingFiles::Skip};

// A label whose text the program sets: no caption to translate.
QLabel* liveLabel(QWidget* parent, const char* name) {
    QLabel* l = makeLabel(parent, name, QString());
    l->setProperty(kLiveText, true);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

TForm7::TForm7(const QString& archive, const QString& sevenZip, const QString& taskName,
               const LanguageInUse& language, QWidget* parent)
    : QDialog(parent), archive_(archive), sevenZip_(sevenZip), taskName_(taskName) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Просмотр архива"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    ui.Label1 = liveLabel(this, "Label1");
    ui.TreeView1 = named(new QTreeWidget(this), "TreeView1");
    ui.Label2 = liveLabel(this, "Label2");
    ui.RadioGroup1 = named(new RadioGroup(this), "RadioGroup1");
    ui.RadioGroup1->setCaption(QStringLiteral("Куда восстановить"));
    ui.RadioGroup1->setItems({QStringLiteral("на прежнее место"), QStringLiteral("в папку…")});
    ui.Label3 = liveLabel(this, "Label3");
    ui.GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    ui.GroupBox1->setTitle(QStringLiteral("Эти файлы уже есть и отличаются от копий в архиве"));
    ui.ListBox1 = named(new QListWidget(ui.GroupBox1), "ListBox1");
    ui.RadioGroup2 = named(new RadioGroup(ui.GroupBox1), "RadioGroup2");
    ui.RadioGroup2->setCaption(QStringLiteral("Что с ними сделать"));
    ui.RadioGroup2->setItems(
        {QStringLiteral("сохранить обе версии: текущий файл получит новое имя"),
         QStringLiteral("заменить копиями из архива"),
         QStringLiteral("пропустить, оставить текущие")});
    ui.BitBtn3 = makeButton(ui.GroupBox1, "BitBtn3", QStringLiteral("Продолжить"),
                            QStyle::SP_DialogApplyButton);
    ui.BitBtn4 = makeButton(ui.GroupBox1, "BitBtn4", QStringLiteral("Отмена"),
                            QStyle::SP_DialogCancelButton);
    ui.BitBtn1 =
        makeButton(this, "BitBtn1", QStringLiteral("Восстановить"), QStyle::SP_DialogOpenButton);
    ui.BitBtn2 =
        makeButton(this, "BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    arrange();

    connectHandler(ui.RadioGroup1, &RadioGroup::activated, this, &TForm7::RadioGroup1Click);
    connectClicks(this, {{ui.BitBtn1, &TForm7::BitBtn1Click},
                         {ui.BitBtn3, &TForm7::BitBtn3Click},
                         {ui.BitBtn4, &TForm7::BitBtn4Click},
                         {ui.BitBtn2, &TForm7::BitBtn2Click}});
    onFirstShow(this, [this] { FormShow(); });
    runReportingErrors([&] { FormCreate(language); });
}

TForm7::~TForm7() = default;

void TForm7::arrange() {
    for (QPushButton* b : {ui.BitBtn1, ui.BitBtn2, ui.BitBtn3, ui.BitBtn4}) {
        static_cast<FormButton*>(b)->setRoom(kButtonRoom);
    }
    ui.TreeView1->setColumnCount(3);
    ui.TreeView1->setUniformRowHeights(true);
    ui.TreeView1->setSelectionMode(QAbstractItemView::NoSelection);
    ui.TreeView1->header()->setStretchLastSection(false);
    ui.TreeView1->header()->setSectionResizeMode(kName, QHeaderView::Stretch);
    ui.TreeView1->setMinimumSize(640, 320);
    ui.RadioGroup1->setColumns(2);
    ui.Label3->hide();
    ui.ListBox1->setMinimumHeight(80);

    auto* question = new QVBoxLayout(ui.GroupBox1);
    question->addWidget(ui.ListBox1);
    question->addWidget(ui.RadioGroup2);
    question->addLayout(rowOf({ui.BitBtn3, ui.BitBtn4}));
    ui.GroupBox1->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kFormMargin, kFormMargin, kFormMargin, kFormMargin);
    layout->setSpacing(kFormGap);
    layout->addWidget(ui.Label1);
    layout->addWidget(ui.TreeView1, 1);
    layout->addWidget(ui.Label2);
    layout->addWidget(ui.RadioGroup1);
    layout->addWidget(ui.Label3);
    layout->addWidget(ui.GroupBox1);
    layout->addLayout(buttons);
}

void TForm7::FormCreate(const LanguageInUse& language) {
    texts_.resetToBuiltIn();
    applyLanguage(this, texts_, language);
    ui.TreeView1->setHeaderLabels(
        {texts_.text(Form7Text::ct1), texts_.text(Form7Text::ct2), texts_.text(Form7Text::ct3)});
    ui.Label1->setText(QDir::toNativeSeparators(archive_));
    ui.RadioGroup1->setItemIndex(0);
    ui.RadioGroup2->setItemIndex(0);
    setBusy(false);
}

QTreeWidgetItem* TForm7::itemOf(int index) const {
    return items_.at(size_t(index));
}

void TForm7::FormShow() {
    const std::optional<QString> command = listingCommandLine(sevenZip_, archive_);
    if (!command) {
        ui.Label2->setText(texts_.text(Form7Text::cm16).arg(archive_));
        return;
    }
    const QPointer<TForm7> self(this);
    const WinExecResult result = WinExec(
        *command, kSwShow,
        [self](const ProgramEnd& end) {
            if (self) {
                runReportingErrors([&] { self->listingEnded(end); });
            }
        },
        OutputKept::Whole);
    if (const std::optional<QString> failure = launchFailureText(result, launchFailureTexts())) {
        ui.Label2->setText(*failure);
        return;
    }
    ui.Label2->setText(texts_.text(Form7Text::cm1));
    setBusy(true);
}

void TForm7::listingEnded(const ProgramEnd& end) {
    setBusy(false);
    std::optional<QList<ArchiveEntry>> entries;
    if (!end.signalled && end.code == 0 && end.output) {
        entries = parseSevenZipListing(*end.output);
    }
    if (!entries) {
        // Nothing else happens: no tree, nothing to restore.
        ui.Label2->setText(texts_.text(Form7Text::cm3) + u'\n' + sevenZipMessage(end.outputTail));
        return;
    }
    tree_ = std::make_unique<ArchiveTree>(*entries);
    fillTree();
    ui.Label2->setText(texts_.text(Form7Text::cm2).arg(tree_->files()).arg(tree_->folders()));
    setBusy(false);
}

void TForm7::fillTree() {
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QLocale locale;
    items_.assign(size_t(tree_->size()), nullptr);
    QList<QTreeWidgetItem*> tops;
    // Parents before children, each folder's children in their order.
    std::vector<int> pending(tree_->roots().crbegin(), tree_->roots().crend());
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        const ArchiveTree::Node& n = tree_->node(index);
        auto* item = n.parent < 0 ? new QTreeWidgetItem : new QTreeWidgetItem(items_[n.parent]);
        if (n.parent < 0) {
            tops << item;
        }
        items_[size_t(index)] = item;
        item->setText(kName, n.name);
        item->setIcon(kName, n.folder ? folderIcon : fileIcon);
        if (!n.folder) {
            item->setText(kSize, locale.toString(n.size));
            item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(kModified, dateTimeText(n.modified));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
        if (n.folder) {
            flags |= Qt::ItemIsAutoTristate;
        }
        item->setFlags(flags);
        // Before any child hangs below it: a tick on a folder reaches its children.
        item->setCheckState(kName, Qt::Unchecked);
        pending.insert(pending.end(), n.children.crbegin(), n.children.crend());
    }
    ui.TreeView1->addTopLevelItems(tops);
    // Down to where the archive branches: paths kept whole begin with folders alone.
    for (QTreeWidgetItem* item : tops) {
        for (; item; item = item->childCount() == 1 ? item->child(0) : nullptr) {
            item->setExpanded(true);
        }
    }
    ui.TreeView1->resizeColumnToContents(kSize);
    ui.TreeView1->resizeColumnToContents(kModified);
}

void TForm7::RadioGroup1Click(int index) {
    if (index == 1) {
        if (const std::optional<QString> folder = selectFolder(texts_.text(Form7Text::ct4))) {
            folder_ = *folder;
        } else if (folder_.isEmpty()) {
            ui.RadioGroup1->setItemIndex(0);
        }
    }
    const bool toFolder = ui.RadioGroup1->itemIndex() == 1;
    ui.Label3->setText(toFolder ? QDir::toNativeSeparators(folder_) : QString());
    ui.Label3->setVisible(toFolder);
}

void TForm7::BitBtn1Click() {
    if (busy_ || !tree_) {
        return;
    }
    std::vector<bool> chosen(size_t(tree_->size()));
    bool any = false;
    for (int i = 0; i < tree_->size(); ++i) {
        chosen[size_t(i)] = items_[size_t(i)]->checkState(kName) == Qt::Checked;
        any = any || chosen[size_t(i)];
    }
    if (!any) {
        messageBox(texts_.text(Form7Text::cm4), {}, MbButtons::Ok, MbIcon::Information);
        return;
    }
    const RestoreTarget target = chosenTarget();
    if (refusedForQuote(target.folder)) {
        return;
    }
    RestorePlan plan = planRestore(*tree_, chosen, target);
    if (plan.needsFolder && !target.toFolder) {
        messageBox(texts_.text(Form7Text::cm5), {}, MbButtons::Ok, MbIcon::Warning);
    } else if (!plan.unnameable.isEmpty()) {
        messageBox(texts_.text(Form7Text::cm15) + u'\n' + plan.unnameable.join(u'\n'), {},
                   MbButtons::Ok, MbIcon::Warning);
    } else if (plan.names.isEmpty()) {
        messageBox(texts_.text(Form7Text::cm14), {}, MbButtons::Ok, MbIcon::Information);
    } else {
        plan_ = std::move(plan);
        if (plan_->differing.isEmpty()) {
            // Nothing there is in the way; should something appear meanwhile, it is kept.
            startRestore(ExistingFiles::KeepBoth);
        } else {
            ui.ListBox1->clear();
            ui.ListBox1->addItems(plan_->differing);
            ui.RadioGroup2->setItemIndex(0);
            askAboutDiffering(true);
        }
    }
}

void TForm7::BitBtn3Click() {
    if (!plan_ || busy_) {
        return;
    }
    const int answer = ui.RadioGroup2->itemIndex();
    const ExistingFiles existing = kAnswers[answer < 0 ? 0 : answer];
    if (existing == ExistingFiles::Overwrite &&
        messageBox(texts_.text(Form7Text::cm6).arg(plan_->differing.size()), {}, MbButtons::YesNo,
                   MbIcon::Warning) != MbResult::Yes) {
        return;
    }
    askAboutDiffering(false);
    startRestore(existing);
}

void TForm7::BitBtn4Click() {
    askAboutDiffering(false);
    plan_.reset();
}

void TForm7::BitBtn2Click() {
    reject();
}

void TForm7::askAboutDiffering(bool ask) {
    ui.GroupBox1->setVisible(ask);
    ui.TreeView1->setEnabled(!ask);
    ui.RadioGroup1->setEnabled(!ask);
    ui.BitBtn1->setEnabled(!ask);
    if (ask) {
        ui.BitBtn3->setFocus();
    }
}

void TForm7::startRestore(ExistingFiles existing) {
    const RestoreTarget target = chosenTarget();
    // The list file lives as long as the run is followed.
    auto listFile = std::make_shared<QTemporaryFile>(QDir::tempPath() +
                                                     QStringLiteral("/kelvotrin-restore-XXXXXX"));
    const QByteArray list = restoreListFile(*plan_);
    if (!listFile->open() || listFile->write(list) != list.size() || !listFile->flush()) {
        throw Error(platformText(PlatformText::CannotWrite)
                        .arg(listFile->fileName(), listFile->errorString()));
    }
    listFile->close();
    const std::optional<QString> command =
        extractCommandLine(sevenZip_, archive_, *plan_, target, existing, listFile->fileName());
    if (!command) {
        if (!refusedForQuote(archive_)) {
            refusedForQuote(listFile->fileName());
        }
        return;
    }
    RunFacts facts;
    facts.kind = RunKind::Restore;
    facts.taskName = taskName_;
    facts.archivePath = archive_;
    facts.claim = countRestoreRun(archive_, taskName_);
    const QPointer<TForm7> self(this);
    const WinExecResult result = WinExec(
        *command, kSwShow,
        [follow = followRun(std::move(facts)), listFile, self, existing](const ProgramEnd& end) {
            follow(end);
            if (self) {
                runReportingErrors([&] { self->restoreEnded(end, existing); });
            }
        });
    if (const std::optional<QString> failure = launchFailureText(result, launchFailureTexts())) {
        messageBox(*failure);
        plan_.reset();
        return;
    }
    ui.Label2->setText(texts_.text(Form7Text::cm7));
    setBusy(true);
}

void TForm7::restoreEnded(const ProgramEnd& end, ExistingFiles existing) {
    setBusy(false);
    if (!plan_) {
        return;
    }
    if (end.signalled || end.code != 0) {
        ui.Label2->setText(texts_.text(Form7Text::cm13) + u'\n' + sevenZipMessage(end.outputTail));
    } else {
        const qsizetype differing = plan_->differing.size();
        const qsizetype skipped = existing == ExistingFiles::Skip ? differing : 0;
        QStringList told = {
            texts_.text(Form7Text::cm8).arg(std::max<qsizetype>(0, plan_->files - skipped))};
        if (differing > 0) {
            const Form7Text what = existing == ExistingFiles::KeepBoth    ? Form7Text::cm9
                                   : existing == ExistingFiles::Overwrite ? Form7Text::cm10
                                                                          : Form7Text::cm11;
            told << texts_.text(what).arg(differing);
        }
        if (plan_->unchanged > 0) {
            told << texts_.text(Form7Text::cm12).arg(plan_->unchanged);
        }
        ui.Label2->setText(told.join(u' '));
    }
    plan_.reset();
}

void TForm7::setBusy(bool busy) {
    busy_ = busy;
    const bool ready = !busy && tree_;
    ui.TreeView1->setEnabled(ready);
    ui.RadioGroup1->setEnabled(ready);
    ui.BitBtn1->setEnabled(ready);
}

RestoreTarget TForm7::chosenTarget() const {
    RestoreTarget target;
    target.toFolder = ui.RadioGroup1->itemIndex() == 1;
    target.folder = target.toFolder ? folder_ : QString();
    return target;
}

bool TForm7::refusedForQuote(const QString& path) {
    if (!path.contains(u'"')) {
        return false;
    }
    messageBox(texts_.text(Form7Text::cm16).arg(path), {}, MbButtons::Ok, MbIcon::Warning);
    return true;
}

LaunchFailureTexts TForm7::launchFailureTexts() const {
    return {texts_.text(Form7Text::cm17), texts_.text(Form7Text::cm18),
            texts_.text(Form7Text::cm19), texts_.text(Form7Text::cm20)};
}

}  // namespace kv
