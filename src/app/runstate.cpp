#include "app/runstate.h"

#include "archiving/runsinprogress.h"
#include "archiving/runtexts.h"
#include "scheduler/overdue.h"

namespace kv {
namespace {

// Names listed in the tray tooltip, the rest summed up by "…".
constexpr qsizetype kTrayNames = 5;

QString someNames(const QStringList& names) {
    QStringList shown = names.mid(0, kTrayNames);
    if (names.size() > kTrayNames) {
        shown << QStringLiteral("…");
    }
    return shown.join(QStringLiteral(", "));
}

}  // namespace

void RunState::load() {
    byTask_ = runsByTask(readRunHistory());
}

void RunState::add(const RunRecord& run) {
    addRun(byTask_, run);
}

std::optional<QDateTime> RunState::lastGood(const QString& task) const {
    const auto runs = byTask_.constFind(task);
    if (runs == byTask_.cend() || !runs->lastGood) {
        return std::nullopt;
    }
    return runs->lastGood->ended.isValid() ? runs->lastGood->ended : runs->lastGood->started;
}

QStringList RunState::overdue(const Table& tasks, const QDateTime& now) const {
    return overdueTasks(
        tasks, [this](const QString& task) { return lastGood(task); },
        [](const QString& task) { return runInProgressOf(task).has_value(); }, now);
}

QStringList RunState::toTell(const QStringList& overdue, const QDateTime& now, bool paused) {
    if (paused || toldOn_ == now.date()) {
        return {};
    }
    QStringList names;
    for (const QString& task : overdue) {
        if (!runInProgressOf(task)) {
            names << task;
        }
    }
    if (!names.isEmpty()) {
        toldOn_ = now.date();
    }
    return names;
}

QStringList RunState::trayLines(const QStringList& overdue, const MainWindowTexts& texts,
                                const QDateTime& now) {
    QStringList lines;
    const QList<RunInProgress> runs = runsInProgress();
    for (qsizetype i = 0; i < runs.size() && i < kTrayNames; ++i) {
        lines
            << texts.text(Form1Text::cm74).arg(runs[i].taskName, runningText(runs[i], texts, now));
    }
    if (runs.size() > kTrayNames) {
        lines << QStringLiteral("…");
    }
    if (!overdue.isEmpty()) {
        lines << texts.text(Form1Text::cm69).arg(someNames(overdue));
    }
    return lines;
}

}  // namespace kv
