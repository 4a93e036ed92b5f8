// What following a run's progress costs: a real 7-Zip (-bsp1) compresses incompressible data on
// one thread while this program reads its output through the pipe, as a run does, and keeps the
// run's percent. The CPU time of this process (the archiver's own not counted) against the run's
// wall time must stay at or below 1% of one core.
//
//   bench_progress [MiB]    default 32
#include <sys/resource.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "archiving/archiverprogress.h"
#include "archiving/runsinprogress.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int mib = argc > 1 ? std::max(1, atoi(argv[1])) : 32;
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QFile data(folder + "noise.bin");
    data.open(QIODevice::WriteOnly);
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < mib; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()),
                                              block.size() / 4);
        data.write(block);
    }
    data.close();

    const kv::RunClaim claim = kv::claimArchivePath(folder + "noise.7z", "bench");
    int updates = 0;
    const kv::ProgramOutputHandler follow = kv::followProgress(claim);
    bool ended = false;
    QElapsedTimer wall;
    const double cpuBefore = cpuSeconds();
    wall.start();
    const kv::WinExecResult started = kv::WinExec(
        "/usr/bin/7zz a -bsp1 -mx5 -mmt1 \"" + folder + "noise.7z\" \"" + folder + "noise.bin\"",
        kv::kSwShow,
        [&ended](const kv::ProgramEnd&) {
            ended = true;
            QCoreApplication::quit();
        },
        kv::OutputKept::Tail,
        [&](QByteArrayView piece) {
            const int before = claim->percent;
            follow(piece);
            updates += claim->percent != before;
        });
    if (started != kv::WinExecResult::Started) {
        std::fprintf(stderr, "7-Zip did not start: install the package 7zip\n");
        return 2;
    }
    app.exec();
    const double seconds = wall.elapsed() / 1000.0;
    const double share = (cpuSeconds() - cpuBefore) / seconds * 100;
    const bool met = ended && claim->percent > 90 && share <= 1.0;
    std::printf(
        "7-Zip compressed %d MiB in %.1f s, %d percent updates (last %d%%): reading its "
        "output took %.3f%% of one core (budget <= 1%%: %s)\n",
        mib, seconds, updates, claim->percent, share, met ? "met" : "NOT met");
    return met ? 0 : 1;
}
