// Pictures of every window in a language, to look for captions that do not fit:
//   language_shots DICTIONARY OUT_FOLDER
// makes a program folder with the dictionary as the language in use, a monthly task with an
// archive and an object, and writes main.png, editor.png, names.png, list.png, list-edit.png,
// restore.png, about.png and poweroff.png. A tool for looking, not a test; run it on a display
// (for instance under an Xvfb desktop) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QCheckBox>
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
#include "support/tablefolder.h"

using namespace kv;

namespace {

QString out;

void shoot(QWidget& window, const QString& name) {
    window.show();
    window.adjustSize();
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
    if (argc != 3) {
        std::fprintf(stderr, "usage: language_shots DICTIONARY OUT_FOLDER\n");
        return 2;
    }
    const QString dictionary = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    const test::TableFolder dir;
    const QString language = QFileInfo(dictionary).completeBaseName();
    QFile::copy(dictionary, inProgramFolder(QFileInfo(dictionary).fileName()));
    writeLanguageFile(language);
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
                            {TaskField::VidPeriod, int(Period::Monthly)},
                            {TaskField::MonthDay, 31},
                            {TaskField::Path2, dir.file("archives/")},
                            {TaskField::NameArh, "docs.7z"},
                            {TaskField::Opis, "Home folder documents"},
                            {TaskField::NameArhSys, "7-Zip"},
                            {TaskField::VidArhivator, 1}});

    TForm1 form({{}, QStringLiteral("/opt/kelvotrin/kelvotrin")});
    form.Editt5->setChecked(true);  // the paused label shown too
    shoot(form, "main");
    form.show();
    const LanguageInUse in = form.language();
    {
        TForm2 editor({form.Table1, form.Table2, form.Table3, form.Table4}, form.texts, false,
                      "Documents", in);
        shoot(editor, "editor");
        editor.dropFiles({dir.file("archives")});
        TForm4 names(form.Table3, editor.texts, in, &editor);
        shoot(names, "names");
    }
    {
        TForm3 list(form.Table4, form.texts, in);
        shoot(list, "list");
        list.show();
        list.BitBtn1Click();
        shoot(list, "list-edit");
    }
    form.Table4.close();
    {
        TForm5 restore(form.Table1, in);
        shoot(restore, "restore");
    }
    {
        TAboutBox about(in);
        shoot(about, "about");
    }
    {
        PowerOffCountdown countdown(form.texts);
        countdown.start();
        shoot(countdown, "poweroff");
    }
    form.hide();
    return 0;
}
