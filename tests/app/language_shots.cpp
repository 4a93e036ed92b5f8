// Pictures of every window in a language, to look for captions that do not fit:
//   language_shots DICTIONARY OUT_FOLDER [FIRST_DICTIONARY]
// makes a program folder with the dictionary as the language in use, a monthly task with dated
// archives, the newest 7 kept, an archive and an object, and writes main.png, editor.png,
// names.png, list.png, list-edit.png, restore.png, browse.png, browse-question.png,
// browse-confirm.png, browse-result.png, about.png and poweroff.png. With FIRST_DICTIONARY the
// program starts in that language and the main window switches to DICTIONARY through its language
// list, as a user would, before the pictures are taken. A tool for looking, not a test; run it on
// a display (for instance under an Xvfb desktop) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstdio>

#include "app/aboutbox.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/poweroffcountdown.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "archiving/tform7.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/programtables.h"
#include "store/taskextras.h"
#include "support/tablefolder.h"
#include "widgets/radiogroup.h"

using namespace kv;

namespace {

QString out;

void shoot(QWidget& window, const QString& name) {
    window.show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    const QString file = QDir(out).filePath(name + ".png");
    window.grab().save(file);
    std::printf("%s %dx%d \"%s\"\n", qPrintable(file), window.width(), window.height(),
                qPrintable(window.windowTitle()));
    window.hide();
}

// Shows each message box, takes its picture as "browse-confirm" and answers Yes.
class ShootingBoxes final : public MessageBoxService {
public:
    MbResult show(const MessageBoxRequest& request) override {
        QMessageBox box;
        box.setWindowTitle(request.caption);
        box.setText(request.text);
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        shoot(box, "browse-confirm");
        return MbResult::Yes;
    }

private:
    ScopedMessageBoxService inUse_{*this};
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: language_shots DICTIONARY OUT_FOLDER [FIRST_DICTIONARY]\n");
        return 2;
    }
    const QString dictionary = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    const test::TableFolder dir;
    const QString language = QFileInfo(dictionary).completeBaseName();
    QFile::copy(dictionary, inProgramFolder(QFileInfo(dictionary).fileName()));
    const QString first =
        argc == 4 ? QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath() : dictionary;
    QFile::copy(first, inProgramFolder(QFileInfo(first).fileName()));
    writeLanguageFile(QFileInfo(first).completeBaseName());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));

    // A monthly task on the 31st with an archive to restore.
    QDir().mkpath(dir.file("archives"));
    QFile archive(dir.file("archives/docs.7z"));
    archive.open(QIODevice::WriteOnly);
    dir.addRow(kArchiversFile, {{ArchiverField::Name, "7-Zip"},
                                {ArchiverField::Flag, true},
                                {ArchiverField::NameAr, "/usr/bin/7zz"}});
    dir.addRow(kTasksFile, {{TaskField::Name, "Documents"},
                            {TaskField::Flag, true},
                            {TaskField::VidNameArh, 2},
                            {TaskField::VidPeriod, int(Period::Monthly)},
                            {TaskField::MonthDay, 31},
                            {TaskField::Path2, dir.file("archives/")},
                            {TaskField::NameArh, "docs.7z"},
                            {TaskField::Opis, "Home folder documents"},
                            {TaskField::NameArhSys, "7-Zip"},
                            {TaskField::VidArhivator, 1}});

    // It keeps its newest 7 archives.
    Table::create(kTaskExtrasFile, taskExtrasLayout());
    dir.addRow(kTaskExtrasFile, {{TaskExtraField::Name, "Documents"},
                                 {TaskExtraField::Keep, int(KeepRule::Newest)},
                                 {TaskExtraField::KeepCount, 7}});

    ProgramTables tables;
    TForm1 form(tables, {{}, QStringLiteral("/opt/kelvotrin/kelvotrin")});
    form.ui.Editt5->setChecked(true);  // the paused label shown too
    form.show();
    QApplication::processEvents();
    form.ui.ComboBox1->setCurrentIndex(form.ui.ComboBox1->findText(language));
    form.ui.ComboBox1->activated(form.ui.ComboBox1->currentIndex());
    shoot(form, "main");
    form.show();
    const LanguageInUse in = form.language();
    {
        TForm2 editor(tables, form.texts(), false, "Documents", in);
        shoot(editor, "editor");
        editor.dropFiles({dir.file("archives")});
        TForm4 names(tables, editor.texts(), in, &editor);
        shoot(names, "names");
    }
    {
        TForm3 list(tables, form.texts(), in);
        shoot(list, "list");
        list.show();
        list.BitBtn1Click();
        shoot(list, "list-edit");
    }
    tables.archivers.close();
    {
        TForm5 restore(tables, in);
        shoot(restore, "restore");
    }
    {
        // An archive of a few files, browsed: its tree, the question about a file that changed
        // since, the confirmation of the replacement, and the result.
        for (const char* name : {"data/Документы/отчёт.odt", "data/Документы/ план.txt",
                                 "data/Документы/Фото/лето.jpg", "data/notes.txt"}) {
            dir.write(QString::fromUtf8(name), "first");
        }
        QDir().mkpath(dir.file("data/Документы/Пустая"));
        QProcess sevenZip;
        sevenZip.start("/usr/bin/7zz",
                       {"a", "-spf", dir.file("archives/docs 08_12_2025.7z"), dir.file("data")});
        sevenZip.waitForFinished();
        dir.write("data/Документы/отчёт.odt", "changed since");
        TForm7 browser(dir.file("archives/docs 08_12_2025.7z"), "/usr/bin/7zz", "Documents", in);
        browser.resize(760, 560);
        browser.show();
        while (browser.busy()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        browser.itemOf(0)->setExpanded(true);
        for (int i = 0; i < browser.tree()->size(); ++i) {
            if (browser.tree()->node(i).name == QStringLiteral("Документы")) {
                browser.itemOf(i)->setCheckState(0, Qt::Checked);
                browser.itemOf(i)->setExpanded(true);
            }
        }
        shoot(browser, "browse");
        browser.show();
        browser.BitBtn1Click();
        browser.ui.RadioGroup2->setItemIndex(1);
        shoot(browser, "browse-question");
        browser.show();
        ShootingBoxes boxes;
        browser.BitBtn3Click();
        while (browser.busy()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        shoot(browser, "browse-result");
    }
    {
        TAboutBox about(in);
        shoot(about, "about");
    }
    {
        PowerOffCountdown countdown(form.texts());
        countdown.start();
        shoot(countdown, "poweroff");
    }
    form.hide();
    return 0;
}
