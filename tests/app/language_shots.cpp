// Pictures of every window in a language, to look for captions that do not fit:
//   language_shots DICTIONARY OUT_FOLDER [FIRST_DICTIONARY]
// makes a program folder with the dictionary as the language in use, a monthly task with dated
// archives, the newest 7 kept, an archive and an object, and writes main.png, editor.png,
// names.png, list.png, list-edit.png, restore.png, about.png and poweroff.png. With
// FIRST_DICTIONARY the program starts in that language and the main window switches to DICTIONARY
// through its language list, as a user would, before the pictures are taken. A tool for looking,
// not a test; run it on a display (for instance under an Xvfb desktop) or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "app/aboutbox.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/poweroffcountdown.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/programtables.h"
#include "store/taskextras.h"
#include "support/tablefolder.h"

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
