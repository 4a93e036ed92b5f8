// The scheduler tick over 1,000 enabled tasks of which none is due, against the time to read
// tasks.dbf once (open and close), with the parts of the tick measured one by one; the same tick
// with the main window on screen, its repaints included (needs an X display: run it under
// `xvfb-run -a`); then the delay from a task's due moment to its launch with real timers.
//
//   bench_tick            all
//   bench_tick --cost     the cost parts only
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/tform1.h"
#include "archiving/runtask.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "scheduler/clockwatch.h"
#include "scheduler/scheduler.h"
#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/programtables.h"
#include "store/tasktable.h"

using namespace kv;

namespace {

constexpr int kTasks = 1000;

// Median of `rounds` runs of `body`, in microseconds.
double medianUs(int rounds, const std::function<void()>& body) {
    std::vector<double> us;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

void fillTasks(Table& t, int count, const QDateTime& next) {
    for (int i = 0; i < count; ++i) {
        t.insert();
        t.setBool(TaskField::Flag, true);
        t.setString(TaskField::Name, QStringLiteral("Task %1").arg(i));
        t.setString(TaskField::Opis, QStringLiteral("Documents and mail of the office"));
        t.setString(TaskField::Path2, QStringLiteral("/srv/backup/"));
        t.setString(TaskField::NameArh, QStringLiteral("docs%1.7z").arg(i));
        t.setString(TaskField::NameArhivator1, QStringLiteral("run-%1 a").arg(i));
        t.setInt(TaskField::VidPeriod, 3);
        t.setDateTime(TaskField::DayTime, naiveDateTime(QDate(1899, 12, 30), QTime(9, 0)));
        t.setDateTime(TaskField::SledTime, next);
        t.setString(TaskField::SledTimeStr, QStringLiteral("09.12.2025 09:00:00"));
        t.setString(TaskField::List, QStringLiteral("Lists/%1.txt").arg(i));
        t.post();
    }
}

// The task table, its check marks and the scheduler on them, as the main window has them.
struct SchedulerOnTasks {
    Table tasks{kTasksFile};
    CheckMarks marks;
    const MainWindowTexts texts = mainWindowTexts();
    Scheduler scheduler{
        tasks, marks, texts, [this](bool recompute) {
            RunTask(tasks, {texts, scheduler.startingUp(), scheduler.paused()}, recompute);
        }};
};

double readTasksOnce() {
    return medianUs(201, [] {
        Table other(kTasksFile);
        other.open();
        other.close();
    });
}

void costOfATick() {
    SchedulerOnTasks s;
    Table::create(kTasksFile, tasksLayout());
    s.tasks.open();
    fillTasks(s.tasks, kTasks, kv::clock().now().addDays(1));
    // The task the user looks at sits in the middle of the list.
    returnToTask(s.tasks, QStringLiteral("Task %1").arg(kTasks / 2));
    Table& t = s.tasks;
    const QString name = currentTaskName(t);
    constexpr int kRounds = 201;

    const double openClose = readTasksOnce();
    const double reopen = medianUs(kRounds, [&] {
        t.close();
        t.open();
    });
    const double walk = medianUs(kRounds, [&] {
        const auto flag = t.fieldIndex(TaskField::Flag);
        const auto sled = t.fieldIndex(TaskField::SledTime);
        qint64 sum = 0;
        for (t.first(); !t.eof(); t.next()) {
            sum += t.asBool(flag) + t.asDateTime(sled).time().msec();
        }
        if (sum < 0) {
            std::puts("");
        }
    });
    const double toGrid = medianUs(kRounds, [&] { TableToGrid(t, s.marks); });
    const double back = medianUs(kRounds, [&] { returnToTask(t, name); });
    const double tick = medianUs(kRounds, [&] { s.scheduler.tick(); });
    if (s.scheduler.tickTimerInterval() < 1000 || currentTaskName(t) != name) {
        std::printf("unexpected tick result\n");
    }

    std::printf("tick over %d enabled tasks, none due (median of %d)\n", kTasks, kRounds);
    std::printf("  read tasks.dbf once (open + close) %9.1f us\n", openClose);
    std::printf("  Timer1Timer                        %9.1f us  (%.2f x the read)\n", tick,
                tick / openClose);
    std::printf("  parts: walk reading Flag, SledTime %9.1f us\n", walk);
    std::printf("         close + open Table1         %9.1f us\n", reopen);
    std::printf("         TableToGrid                 %9.1f us\n", toGrid);
    std::printf("         return to the middle task   %9.1f us\n", back);
}

bool hasXDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return !qgetenv("DISPLAY").isEmpty() && (platform.isEmpty() || platform.startsWith("xcb"));
}

// The tick with the main window on screen, the task in the middle of the list current: the
// tick itself and the events it leaves behind (repaints) until the event loop is idle.
void tickWithTheWindowShown() {
    Table::create(kTasksFile, tasksLayout());
    {
        Table t(kTasksFile);
        t.open();
        fillTasks(t, kTasks, kv::clock().now().addDays(1));
    }
    ProgramTables tables;
    TForm1 form(tables, {{}, QDir::currentPath() + QStringLiteral("/kelvotrin")});
    form.clockTimer().stop();
    form.scheduler().startupTimer().stop();
    form.scheduler().setStartingUp(false);
    form.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        QCoreApplication::processEvents();
    }
    returnToTask(tables.tasks, QStringLiteral("Task %1").arg(kTasks / 2));
    QCoreApplication::processEvents();
    const double read = readTasksOnce();
    constexpr int kRounds = 201;
    const double idle = medianUs(kRounds, [] { QCoreApplication::processEvents(); });
    const double tick = medianUs(kRounds, [&] {
        form.Timer1Timer();
        QCoreApplication::processEvents();
    });
    const double resume = medianUs(kRounds, [&] {
        tables.tasks.disableControls();
        tables.tasks.enableControls();
        QCoreApplication::processEvents();
    });
    std::printf("tick over %d enabled tasks, none due, main window on screen (median of %d)\n",
                kTasks, kRounds);
    std::printf("  read tasks.dbf once (open + close) %9.1f us\n", read);
    std::printf("  Timer1Timer + its events           %9.1f us  (%.2f x the read)\n", tick,
                tick / read);
    std::printf("  parts: the list after a resume     %9.1f us\n", resume);
    std::printf("         an idle pass of events      %9.1f us\n", idle);
    std::printf("  budget: <= 2 x the read: %s\n", tick <= 2 * read ? "met" : "NOT met");
    tables.tasks.close();
}

// A task due at a random moment 1..5 s ahead; Timer1 runs the tick and the one-second clock
// timer runs the clock watch, as in the main window. Reports due -> launch for each round.
void dueToLaunch() {
    SchedulerOnTasks s;
    s.scheduler.setStartingUp(false);
    QDateTime launchedAt;
    ScopedWinExecHook hook([&](const QString&, int) {
        launchedAt = kv::clock().now();
        return WinExecResult::Started;
    });
    ClockWatch watch;
    QTimer clockTimer;  // the main window's one-second clock
    clockTimer.setInterval(1000);
    QObject::connect(&s.scheduler.tickTimer(), &QTimer::timeout, [&] { s.scheduler.tick(); });
    QObject::connect(&clockTimer, &QTimer::timeout,
                     [&] { s.scheduler.catchUpAfterClockJump(watch); });
    clockTimer.start();

    std::printf("due moment -> archiver start, real timers (Timer1 %s)\n",
                s.scheduler.tickTimer().timerType() == Qt::PreciseTimer ? "precise" : "coarse");
    const int offsets[] = {1000, 1333, 1999, 2500, 3217, 4000, 4750, 5000};
    qint64 worst = 0;
    for (int offsetMs : offsets) {
        Table::create(kTasksFile, tasksLayout());
        s.tasks.open();
        const QDateTime due = kv::clock().now().addMSecs(offsetMs);
        fillTasks(s.tasks, 1, due);
        launchedAt = {};
        s.scheduler.tick();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (launchedAt.isValid()) {
                loop.quit();
            }
        });
        poll.start(5);
        QTimer::singleShot(offsetMs + 5000, &loop, &QEventLoop::quit);
        loop.exec();
        s.tasks.close();
        const qint64 delay = launchedAt.isValid() ? due.msecsTo(launchedAt) : -1;
        worst = std::max(worst, delay);
        std::printf("  due in %5d ms: started %5lld ms after the due moment\n", offsetMs,
                    (long long)delay);
    }
    s.scheduler.setTickTimerInterval(0);
    std::printf("  worst %lld ms (budget <= 1000 ms)\n", (long long)worst);
}

}  // namespace

int main(int argc, char** argv) {
    const bool x = hasXDisplay();
    std::unique_ptr<QCoreApplication> app = x ? std::make_unique<QApplication>(argc, argv)
                                              : std::make_unique<QCoreApplication>(argc, argv);
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    QDir::setCurrent(dir.path());
    costOfATick();
    std::printf("\n");
    if (x) {
        tickWithTheWindowShown();
    } else {
        std::printf(
            "the tick with the window on screen needs an X display (run under "
            "xvfb-run -a): skipped\n");
    }
    if (!QCoreApplication::arguments().contains(QStringLiteral("--cost"))) {
        std::printf("\n");
        dueToLaunch();
    }
    return 0;
}
