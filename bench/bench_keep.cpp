// What keeping archives adds to a run:
// 1. the free-space check (runs.log of about 1 MiB read from its end, the task's last good run
//    at its start) and the pruning of a folder with 1,000 dated archives, one deleted per run;
// 2. the archiver's test of the new archive: a tested run of the real 7-Zip against the same
//    run of 7-Zip under another name (not tested), beside `7zz t` on its own; medians.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "archiving/prune.h"
#include "archiving/runspace.h"
#include "archiving/runtask.h"
#include "language/mainwindowtexts.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

double percentile(std::vector<double> v, int p) {
    std::sort(v.begin(), v.end());
    return v[v.size() * std::size_t(p) / 100];
}

double median(const std::vector<double>& v) {
    return percentile(v, 50);
}

QString dated(const QString& folder, int minute) {
    const QDateTime t = kv::naiveDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(60 * minute);
    return folder + t.toString(QStringLiteral("'b 'dd_MM_yyyy HH-mm'.7z'"));
}

// Runs the task of `t` and waits for its end; the milliseconds it took.
double runToItsEnd(kv::Table& t, const kv::MainWindowTexts& texts) {
    QElapsedTimer timer;
    timer.start();
    kv::RunTask(t, {texts}, false);
    while (kv::programsRunning() > 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QDir::setCurrent(folder);
    const QString out = folder + "out/";
    QDir().mkpath(out);

    // 1. A log of about 1 MiB whose first line is the task's last good run.
    QByteArray log =
        "2026-01-01 09:00:00\t2026-01-01 09:01:00\tbackup\tbench\t/o/b.7z\texit "
        "0\t1000\tok\t-\t-\n";
    while (log.size() < 1000 * 1024) {
        log +=
            "2026-01-02 09:00:00\t2026-01-02 09:01:00\tbackup\tother task\t/o/other "
            "02_01_2026 09-00.7z\texit 0\t123456\tok\t-\t-\texit 0\t120\n";
    }
    write(folder + "runs.log", log);
    for (int i = 0; i < 1000; ++i) {
        write(dated(out, i), {});
    }
    kv::DatedArchives archives;
    archives.name = {out + "b", ".7z"};
    archives.vidNameArh = 2;
    archives.retention = {kv::KeepRule::Newest, 1000, 30};
    const QDateTime now = kv::naiveDateTime(QDate(2021, 1, 1), QTime(0, 0));
    std::vector<double> ms;
    for (int i = 1000; i < 1100; ++i) {
        const QString written = dated(out, i);
        write(written, {});
        QElapsedTimer timer;
        timer.start();
        const kv::RoomCheck room = kv::checkRoom("bench", written);
        const QList<kv::PruneLogEntry> pruned = kv::pruneArchives(archives, "bench", written, now);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        if (room.neededBytes != 1100 || pruned.size() != 1) {
            std::printf("unexpected: needed %lld, pruned %lld\n", room.neededBytes,
                        qlonglong(pruned.size()));
            return 1;
        }
    }
    const double p95 = percentile(ms, 95);
    std::printf(
        "free-space check and pruning, 1,000 dated archives, 1 MiB runs.log, %zu runs: median "
        "%.2f ms, 95th %.2f ms, max %.2f ms (budget 5 ms)\n",
        ms.size(), median(ms), p95, *std::max_element(ms.begin(), ms.end()));

    // 2. The test of a new archive: 32 MiB of incompressible data, stored.
    QByteArray noise(32 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    write(folder + "data.bin", noise);
    QDir().mkpath(folder + "Lists");
    write(folder + "Lists/1.txt", (folder + "data.bin\r\n").toUtf8());
    QDir().mkpath(folder + "bin");
    QFile::link("/usr/bin/7zz", folder + "bin/pack");
    QFile::remove(folder + "runs.log");
    kv::Table::create(kv::kTasksFile, kv::tasksLayout());
    kv::Table t(kv::kTasksFile);
    const kv::MainWindowTexts texts = kv::mainWindowTexts();
    t.open();
    t.insert();
    t.setString(kv::TaskField::Name, "test");
    t.setString(kv::TaskField::NameArh, "t.7z");
    t.setString(kv::TaskField::Path2, out);
    t.setString(kv::TaskField::List, "Lists/1.txt");
    t.post();
    std::vector<double> tested;
    std::vector<double> untested;
    std::vector<double> testAlone;
    for (int i = 0; i < 9; ++i) {
        for (const bool test : {false, true}) {
            t.edit();
            t.setString(kv::TaskField::NameArhivator1,
                        (test ? QStringLiteral("/usr/bin/7zz") : folder + "bin/pack") + " a -mx0");
            t.post();
            (test ? tested : untested).push_back(runToItsEnd(t, texts));
        }
        QElapsedTimer timer;
        timer.start();
        QProcess alone;
        alone.start("/usr/bin/7zz", {"t", out + "t.7z"});
        alone.waitForFinished(-1);
        testAlone.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double added = median(tested) - median(untested);
    std::printf(
        "a run storing 32 MiB: %.1f ms untested, %.1f ms tested; the test adds %.1f ms, 7zz t "
        "alone "
        "takes %.1f ms (budget: the archiver's own test time)\n",
        median(untested), median(tested), added, median(testAlone));
    return p95 < 5 ? 0 : 1;
}
