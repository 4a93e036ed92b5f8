// Start to first window shown: the program, in a program folder of its own whose tables already
// exist, with 0, 1,000 and 10,000 tasks, and with 1,000 tasks and full run logs (runs.log.1 and
// runs.log each at their 1 MiB limit), against a bare main window with a label. Each round runs
// the yardstick and the program with each number of tasks back to back and takes the ratios; the
// median of each ratio is set beside its budget. Both processes report the moment their first
// paint is done, so the time to end is not counted.
//
// Needs an X display: without one Qt falls back to a platform where the round trips to the
// display server that start-up costs vanish. Run it under `xvfb-run -a`.
//
//   bench_startup [ROUNDS]    default 15
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "fullrunlogs.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/table.h"

using namespace kv;

namespace {

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Milliseconds from the start of `program` to its "shown <ns>" line.
double startToShown(const QString& program, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setReadChannel(QProcess::StandardOutput);
    const qint64 started = monotonicNs();
    p.start(program, {});
    std::optional<qint64> shown;
    const bool ended = p.waitForFinished(60000);
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (line.startsWith("shown ")) {
            shown = line.mid(6).toLongLong();
        }
    }
    if (!ended || p.exitCode() != 0 || !shown) {
        std::fprintf(stderr, "%s did not show its window and end cleanly:\n%s\n",
                     qPrintable(program), p.readAllStandardError().constData());
        std::exit(1);
    }
    return double(*shown - started) / 1e6;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Appends `count` daily tasks to the folder's tasks.dbf.
void addTasks(const QString& folder, int count) {
    Table t(folder + kTasksFile);
    t.open();
    for (int i = 0; i < count; ++i) {
        t.insert();
        t.setBool(TaskField::Flag, i % 3 != 0);
        t.setString(TaskField::Name, QStringLiteral("Task %1").arg(i));
        t.setString(TaskField::Opis, QStringLiteral("Documents and mail of the office"));
        t.setString(TaskField::Path2, QStringLiteral("/srv/backup/"));
        t.setString(TaskField::NameArh, QStringLiteral("docs%1.7z").arg(i));
        t.setInt(TaskField::VidPeriod, 3);
        t.setDateTime(TaskField::SledTime,
                      QDateTime(QDate(2030, 1, 1), QTime(9, 0)).addSecs(60 * i));
        t.setString(TaskField::SledTimeStr, QStringLiteral("01.01.2030 09:00:00"));
        t.setDateTime(TaskField::WorkTime, QDateTime(QDate(2025, 12, 8), QTime(9, 0)));
        t.setString(TaskField::List, QStringLiteral("Lists/%1.txt").arg(i));
        t.post();
    }
}

// A desktop session has a D-Bus session bus; without one each Qt process would start one of its
// own. Starts a private bus for the children when the environment has none.
class SessionBus {
public:
    explicit SessionBus(QProcessEnvironment& env) {
        if (env.contains(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"))) {
            return;
        }
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForReadyRead(5000)) {
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QString::fromLocal8Bit(daemon_.readLine().trimmed()));
        }
    }
    ~SessionBus() {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            daemon_.waitForFinished(5000);
        }
    }

private:
    QProcess daemon_;
};

bool hasXDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return !qgetenv("DISPLAY").isEmpty() && (platform.isEmpty() || platform.startsWith("xcb"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!hasXDisplay()) {
        std::fprintf(stderr,
                     "bench_startup needs an X display (DISPLAY set, QT_QPA_PLATFORM unset or "
                     "xcb); run it under xvfb-run -a\n");
        return 2;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KELVOTRIN_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path());
    const QString yardstick = QStringLiteral(KV_BARE_WINDOW);
    SessionBus bus(env);

    struct Case {
        int tasks;
        double budget;  // 0: reported only
        bool fullLogs = false;
    };
    const Case cases[] = {{0, 1.5}, {1000, 1.5}, {1000, 1.5, true}, {10000, 0}};
    std::printf(
        "start to first window shown, median of %d paired rounds; yardstick: a bare "
        "QMainWindow with a QLabel\n",
        rounds);
    // One program folder per case, its tables made by a first start.
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    for (const Case& c : cases) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        const QString program = folders.back()->path() + QStringLiteral("/kelvotrin");
        QFile::copy(QStringLiteral(KV_PROGRAM), program);
        startToShown(program, env);
        addTasks(folders.back()->path() + u'/', c.tasks);
        if (c.fullLogs) {
            bench::writeFullLogs(folders.back()->path() + u'/', c.tasks);
        }
    }
    // Each round runs the yardstick and every case, starting at a different one each time, so
    // that a change in the machine's load reaches all of them alike.
    constexpr int kCases = int(std::size(cases));
    QList<double> ours[kCases], bare, ratios[kCases];
    for (int i = 0; i < rounds; ++i) {
        double times[kCases + 1];
        for (int k = 0; k <= kCases; ++k) {
            const int which = (i + k) % (kCases + 1);
            times[which] = startToShown(
                which == kCases ? yardstick : folders[which]->path() + QStringLiteral("/kelvotrin"),
                env);
        }
        bare << times[kCases];
        for (int c = 0; c < kCases; ++c) {
            ours[c] << times[c];
            ratios[c] << times[c] / times[kCases];
        }
    }
    bool met = true;
    for (int c = 0; c < kCases; ++c) {
        const double ratio = median(ratios[c]);
        QString verdict = QStringLiteral("no budget, reported only");
        if (cases[c].budget > 0) {
            const bool ok = ratio <= cases[c].budget;
            met = met && ok;
            verdict =
                QStringLiteral("budget <= %1: %2").arg(cases[c].budget).arg(ok ? "met" : "NOT met");
        }
        std::printf("  %5d tasks%s: kelvotrin %6.1f ms, ratio %.2f (%s)\n", cases[c].tasks,
                    cases[c].fullLogs ? ", full run logs" : "", median(ours[c]), ratio,
                    qPrintable(verdict));
    }
    std::printf("  yardstick:   %6.1f ms\n", median(bare));
    return met ? 0 : 1;
}
