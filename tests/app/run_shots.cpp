// The runs as the main window shows them, for looking at under a desktop with a tray:
//   run_shots DICTIONARY main|tray|history
// makes a program folder with the dictionary as the language in use and four daily tasks: one
// whose last backup failed, one with a warning whose last good backup is five days old (overdue),
// one that went well, and one that 7-Zip (-bsp1) compresses while the window shows. "main" shows
// the main window, "tray" puts it into the tray, "history" opens the run history over it. Prints
// the tray icon's tooltip every second; ends after 40 seconds. A tool for looking, not a test.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/tform6.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/programtables.h"
#include "support/sevenzip.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

QByteArray logLine(const QDateTime& started, const QString& task, const char* status,
                   const char* result, const char* reason) {
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return (started.toString(format) + u'\t' + started.addSecs(95).toString(format) + "\tbackup\t" +
            task + "\t/home/user/Backups/" + task + ".7z\t" + status + "\t" +
            (result[0] == 'o' ? "48234112" : "-") + "\t" + result + "\t" + reason + "\t-" +
            (result[0] == 'o' ? "\texit 0\t2300" : "") + "\n")
        .toUtf8();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: run_shots DICTIONARY main|tray|history\n");
        return 2;
    }
    const QString dictionary = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const test::TableFolder dir;
    QFile::copy(dictionary, inProgramFolder(QFileInfo(dictionary).fileName()));
    writeLanguageFile(QFileInfo(dictionary).completeBaseName());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));

    QByteArray noise(24 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    dir.write("data/projects.bin", noise);
    dir.write("Lists/1.txt", (dir.file("data/projects.bin") + "\r\n").toUtf8());
    const QDateTime now = kv::clock().now();
    const QDateTime today = naiveDateTime(now.date(), QTime(3, 0));
    dir.write("runs.log", logLine(today.addDays(-5), "Photos", "exit 0", "ok", "-") +
                              logLine(today.addDays(-1), "Photos", "exit 1", "warning", "status") +
                              logLine(today.addDays(-1), "Mail", "exit 0", "ok", "-") +
                              logLine(today.addDays(-1), "Documents", "exit 0", "ok", "-") +
                              logLine(today, "Mail", "exit 2", "failed", "status") +
                              "    | ERROR: " + dir.file("mail").toUtf8() +
                              ": Permission denied\n");
    for (const char* name : {"Documents", "Mail", "Photos", "Projects"}) {
        dir.addRow(kTasksFile,
                   {{TaskField::Flag, true},
                    {TaskField::Name, QString::fromLatin1(name)},
                    {TaskField::NameArh, QString::fromLatin1(name) + ".7z"},
                    {TaskField::Path2, dir.file("out/")},
                    {TaskField::NameArhivator1, test::k7zz + " a -bsp1 -mx5 -mmt1"},
                    {TaskField::List, "Lists/1.txt"},
                    {TaskField::VidPeriod, int(Period::Daily)},
                    {TaskField::SledTime, now.addDays(1)},
                    {TaskField::SledTimeStr, now.addDays(1).toString("dd.MM.yyyy HH:mm:ss")},
                    {TaskField::Opis, QStringLiteral("—")},
                    {TaskField::Bak, false}});
    }
    QDir().mkpath(dir.file("out"));

    ProgramTables tables;
    TForm1 form(tables, {{}, QStringLiteral("/opt/kelvotrin/kelvotrin")});
    form.showAtStart();
    QApplication::processEvents();
    tables.tasks.moveTo(3);
    form.BitBtn5Click();
    form.Timer3Timer();
    if (mode == u"tray") {
        form.hideToTray();
    }
    std::unique_ptr<TForm6> history;
    if (mode == u"history") {
        history = std::make_unique<TForm6>(form.texts(), QString(), form.language(), &form);
        history->show();
    }
    QTimer tell;
    QObject::connect(&tell, &QTimer::timeout, [&] {
        const QString tip = form.trayIcon() ? form.trayIcon()->toolTip() : QString();
        std::printf("tooltip: %s\n", qPrintable(QString(tip).replace(u'\n', u'|')));
        std::fflush(stdout);
    });
    tell.start(1000);
    QTimer::singleShot(40000, &app, &QApplication::quit);
    return app.exec();
}
