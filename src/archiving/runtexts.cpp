#include "archiving/runtexts.h"

#include <QLocale>

#include "platform/datetimetext.h"

namespace kv {

QString durationText(qint64 seconds) {
    seconds = qMax<qint64>(0, seconds);
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60, hours > 0 ? 2 : 1, 10, QChar(u'0'))
            .arg(seconds % 60, 2, 10, QChar(u'0'));
    return hours > 0 ? QString::number(hours) + u':' + minutesAndSeconds : minutesAndSeconds;
}

QString scaledSizeText(qint64 bytes, const MainWindowTexts& texts) {
    constexpr Form1Text kUnits[] = {Form1Text::cm71, Form1Text::cm72, Form1Text::cm73};
    if (bytes < 1024) {
        return texts.text(Form1Text::cm70).arg(bytes);
    }
    double value = double(bytes) / 1024;
    qsizetype unit = 0;
    while (value >= 1024 && unit + 1 < qsizetype(std::size(kUnits))) {
        value /= 1024;
        ++unit;
    }
    return texts.text(kUnits[unit]).arg(QLocale::system().toString(value, 'f', 1));
}

QString resultText(const RunRecord& run, const MainWindowTexts& texts) {
    if (run.outcome.result == RunResult::Confirmed) {
        return texts.text(Form1Text::cm60);
    }
    return runReason(run.outcome, run.signalled, run.status, run.archivePath, texts, run.test);
}

QString runningText(const RunInProgress& run, const MainWindowTexts& texts, const QDateTime& now) {
    if (run.stage == RunStage::Testing) {
        return texts.text(Form1Text::cm75);
    }
    if (run.percent >= 0) {
        return texts.text(Form1Text::cm61).arg(run.percent);
    }
    return texts.text(Form1Text::cm62).arg(durationText(run.started.secsTo(now)));
}

TaskStateView taskStateView(const QString& taskName, const QHash<QString, TaskRuns>& byTask,
                            const MainWindowTexts& texts, const QDateTime& now) {
    TaskStateView view;
    const auto runs = byTask.constFind(taskName);
    if (runs != byTask.cend()) {
        view.toolTip = runs->lastGood
                           ? texts.text(Form1Text::cm63).arg(dateTimeText(runs->lastGood->ended))
                           : texts.text(Form1Text::cm64);
    }
    if (const std::optional<RunInProgress> run = runInProgressOf(taskName)) {
        view.text = runningText(*run, texts, now);
        view.tone = TaskTone::Running;
        return view;
    }
    if (runs == byTask.cend() || !runs->last) {
        return view;
    }
    view.text = resultText(*runs->last, texts);
    switch (runs->last->outcome.result) {
        case RunResult::Confirmed:
            view.tone = TaskTone::Good;
            break;
        case RunResult::Warning:
            view.tone = TaskTone::Warning;
            break;
        case RunResult::Failed:
            view.tone = TaskTone::Failed;
            break;
    }
    return view;
}

}  // namespace kv
