// Wake-ups of the event loop while archivers run and are followed. A program that only follows
// its children has nothing to do until one ends, so it must not wake up before. Starts N
// stand-in archivers that each sleep S seconds (by default 3 and 60), all followed with an end
// handler, and counts the event loop's wake-ups until the last one has ended: N at most (fewer
// when ends come together), however long they run.
//
//   bench_follow [seconds] [archivers]
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "platform/programfolder.h"
#include "platform/winexec.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const int archivers = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QFile script(folder + "archiver");
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nexec sleep \"$1\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    int wakeups = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                     [&wakeups] { ++wakeups; });
    int ended = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < archivers; ++i) {
        const kv::WinExecResult started =
            kv::WinExec(folder + "archiver " + QString::number(seconds), kv::kSwShow,
                        [&ended, archivers](const kv::ProgramEnd&) {
                            if (++ended == archivers) {
                                QCoreApplication::quit();
                            }
                        });
        if (started != kv::WinExecResult::Started) {
            std::fprintf(stderr, "launch failed: %u\n", unsigned(started));
            return 1;
        }
    }
    app.exec();
    std::printf("%d followed archivers ran %.1f s: %d event-loop wake-ups\n", archivers,
                elapsed.elapsed() / 1000.0, wakeups);
    return 0;
}
