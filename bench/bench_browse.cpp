// An archive of 10,000 files in 100 folders, made with the real 7-Zip in a temporary folder,
// opened in the archive's window: in all (shown until its tree is there: 7-Zip's listing, and
// then our part) and our part alone (the listing handed over as 7-Zip wrote it: read, made a
// tree, put into the window), with the reading and the tree on their own. Budgets: 2 s in all,
// 0.5 s ours. Runs on any Qt platform (QT_QPA_PLATFORM=offscreen, or under xvfb-run).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "archiving/archivecontents.h"
#include "archiving/tform7.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"

namespace {

const QString k7zz = QStringLiteral("/usr/bin/7zz");
constexpr int kRounds = 5;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

[[noreturn]] void failed(const char* why) {
    std::fprintf(stderr, "bench_browse: %s\n", why);
    std::exit(2);
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QDir::setCurrent(folder);
    for (int d = 0; d < 100; ++d) {
        const QString sub =
            folder + QStringLiteral("data/folder%1/").arg(d, 3, 10, QLatin1Char('0'));
        QDir().mkpath(sub);
        for (int i = 0; i < 100; ++i) {
            QFile f(sub + QStringLiteral("document %1.txt").arg(i, 3, 10, QLatin1Char('0')));
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray(i % 7, 'x'));
        }
    }
    const QString archive = folder + QStringLiteral("data.7z");
    QProcess sevenZip;
    sevenZip.start(k7zz, {"a", "-spf", "-mx1", archive, folder + "data"});
    if (!sevenZip.waitForFinished(120000) || sevenZip.exitCode() != 0) {
        failed("7-Zip could not make the archive");
    }
    sevenZip.start(k7zz, {"l", "-slt", "-sccUTF-8", archive});
    if (!sevenZip.waitForFinished(120000) || sevenZip.exitCode() != 0) {
        failed("7-Zip could not list the archive");
    }
    kv::ProgramEnd listed;
    listed.output = sevenZip.readAllStandardOutput();

    std::vector<double> all;
    std::vector<double> ours;
    std::vector<double> reading;
    std::vector<double> tree;
    for (int round = 0; round < kRounds; ++round) {
        {
            QElapsedTimer t;
            t.start();
            kv::TForm7 form(archive, k7zz, QStringLiteral("bench"));
            form.show();
            while (form.busy()) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            }
            all.push_back(msSince(t));
            if (!form.tree() || form.tree()->files() != 10000) {
                failed("the window did not show the 10,000 files");
            }
        }
        {
            kv::ScopedWinExecHook hook(
                [](const QString&, int) { return kv::WinExecResult::Started; });
            kv::TForm7 form(archive, k7zz, QStringLiteral("bench"));
            form.show();
            QElapsedTimer t;
            t.start();
            hook.endLaunch(listed);
            ours.push_back(msSince(t));
            if (!form.tree() || form.tree()->files() != 10000) {
                failed("the window did not show the 10,000 files");
            }
        }
        QElapsedTimer t;
        t.start();
        const auto entries = kv::parseSevenZipListing(*listed.output);
        reading.push_back(msSince(t));
        t.restart();
        const kv::ArchiveTree made(*entries);
        tree.push_back(msSince(t));
    }
    std::printf("10,000 entries in the archive's window (median of %d):\n", kRounds);
    std::printf("  in all, shown to tree     %8.1f ms   budget 2000 ms\n", median(all));
    std::printf("  ours: read, tree, window  %8.1f ms   budget  500 ms\n", median(ours));
    std::printf("    reading the listing     %8.1f ms\n", median(reading));
    std::printf("    making the tree         %8.1f ms\n", median(tree));
    return median(all) <= 2000 && median(ours) <= 500 ? 0 : 1;
}
