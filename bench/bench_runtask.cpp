// From RunTask's call to the archiver's start: RunTask returns once the real 7-Zip process has
// been exec'd (WinExec waits for the exec, not for the archiver), so its duration bounds that
// interval. Each run archives one small file under a name of its own.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "archiving/runtask.h"
#include "language/mainwindowtexts.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/table.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QDir::setCurrent(folder);
    QDir().mkpath(folder + "Lists");
    QDir().mkpath(folder + "out");
    QFile data(folder + "data.txt");
    data.open(QIODevice::WriteOnly);
    data.write("some data to archive\n");
    data.close();
    QFile list(folder + "Lists/1.txt");
    list.open(QIODevice::WriteOnly);
    list.write((folder + "data.txt\r\n").toUtf8());
    list.close();

    kv::Table::create(kv::kTasksFile, kv::tasksLayout());
    kv::Table t(kv::kTasksFile);
    const kv::MainWindowTexts texts = kv::mainWindowTexts();
    t.open();
    t.insert();
    t.setString(kv::TaskField::Name, "bench");
    t.setString(kv::TaskField::Path2, folder + "out/");
    t.setString(kv::TaskField::NameArhivator1, "/usr/bin/7zz a -bso0 -bsp0");
    t.setString(kv::TaskField::List, "Lists/1.txt");
    t.post();

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        t.edit();
        t.setString(kv::TaskField::NameArh, QStringLiteral("b%1.7z").arg(i));
        t.post();
        QElapsedTimer timer;
        timer.start();
        kv::RunTask(t, {texts}, false);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "RunTask to archiver start, %d runs with /usr/bin/7zz: median %.2f ms, "
        "95th %.2f ms, max %.2f ms (budget 1000 ms)\n",
        runs, ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back());
    // Let the archivers finish before the folder goes.
    for (int i = 0; i < 200 && !QFile::exists(folder + QStringLiteral("out/b%1.7z").arg(runs - 1));
         ++i) {
        QThread::msleep(50);
    }
    QThread::msleep(500);
    return ms.back() < 1000 ? 0 : 1;
}
