#include "archiving/runhistory.h"

#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"

namespace kv {
namespace {

constexpr QLatin1String kOutputMark("    | ");

int digits(QStringView text, qsizetype from, qsizetype count, bool* ok) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "yyyy-MM-dd HH:mm:ss" as the log writes it, or "-". Read by hand: a full log holds thousands.
std::optional<QDateTime> timeField(QStringView text) {
    if (text == u"-") {
        return QDateTime();
    }
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':' || text[16] != u':') {
        return std::nullopt;
    }
    bool ok = true;
    const QDate date(digits(text, 0, 4, &ok), digits(text, 5, 2, &ok), digits(text, 8, 2, &ok));
    const QTime time(digits(text, 11, 2, &ok), digits(text, 14, 2, &ok), digits(text, 17, 2, &ok));
    if (!ok || !date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return naiveDateTime(date, time);
}

// "exit N", "signal N", or "-" for an archiver that was not started.
bool statusField(QStringView text, RunRecord& run) {
    if (text == u"-") {
        run.archiverStarted = false;
        return true;
    }
    const std::optional<std::pair<bool, int>> status = statusFromText(text);
    if (!status) {
        return false;
    }
    run.signalled = status->first;
    run.status = status->second;
    return true;
}

// The result of a line that has none: an earlier version wrote it.
RunOutcome outcomeOfOldLine(const RunRecord& run) {
    if (run.signalled) {
        return {RunResult::Failed, RunFailure::Signal, {}};
    }
    if (run.kind == RunKind::Backup && (run.status == 0 || run.status == 1)) {
        if (run.archiveSize < 0) {
            return {RunResult::Failed, RunFailure::NoArchive, {}};
        }
        return {run.status == 0 ? RunResult::Confirmed : RunResult::Warning,
                run.status == 0 ? RunFailure::None : RunFailure::Status,
                {}};
    }
    if (run.status == 0) {
        return {RunResult::Confirmed, RunFailure::None, {}};
    }
    return {RunResult::Failed, RunFailure::Status, {}};
}

std::optional<RunRecord> runOfLine(QStringView line) {
    const QList<QStringView> f = line.split(u'\t');
    if (f.size() < 7) {
        return std::nullopt;
    }
    RunRecord run;
    const std::optional<QDateTime> started = timeField(f[0]);
    const std::optional<QDateTime> ended = timeField(f[1]);
    if (!started || !ended) {
        return std::nullopt;
    }
    run.started = *started;
    run.ended = *ended;
    if (f[2] == u"backup") {
        run.kind = RunKind::Backup;
    } else if (f[2] == u"restore") {
        run.kind = RunKind::Restore;
    } else {
        return std::nullopt;
    }
    run.taskName = f[3].toString();
    run.archivePath = f[4].toString();
    if (!statusField(f[5], run)) {
        return std::nullopt;
    }
    if (f[6] != u"-") {
        bool ok = false;
        run.archiveSize = f[6].toLongLong(&ok);
        if (!ok || run.archiveSize < 0) {
            return std::nullopt;
        }
    }
    if (f.size() < 10) {
        run.outcome = outcomeOfOldLine(run);
        return run;
    }
    const std::optional<RunResult> result = runResultFromWord(f[7].toString());
    const std::optional<RunFailure> failure = runFailureFromWord(f[8].toString());
    if (!result || !failure) {
        return std::nullopt;
    }
    run.outcome = {*result, *failure, f[9] == u"-" ? QString() : f[9].toString()};
    if (f.size() >= 12) {
        run.test = archiveTestFromFields(f[10], f[11]);
    }
    return run;
}

QByteArray readLog(const char* name) {
    // The log moves aside before it passes its limit; a larger file is not the program's.
    FileRead log = readRegularFile(inProgramFolder(QString::fromLatin1(name)), 4 * kRunLogLimit);
    return log.status == FileRead::Status::Read ? std::move(log.bytes) : QByteArray();
}

// The archive size of the task's last confirmed backup in a log's text. The task's backup lines
// are found by a plain search and read in full from the last one back.
std::optional<qint64> lastGoodSizeIn(const QByteArray& text, const QByteArray& taskField) {
    const QByteArray mark = "\tbackup\t" + taskField + '\t';
    // (lastIndexOf() from -1 would search from the end again.)
    for (qsizetype at = text.lastIndexOf(mark); at >= 0;
         at = at > 0 ? text.lastIndexOf(mark, at - 1) : -1) {
        const qsizetype start = text.lastIndexOf('\n', at) + 1;
        qsizetype end = text.indexOf('\n', at);
        end = end < 0 ? text.size() : end;
        const std::optional<RunRecord> run =
            runOfLine(QString::fromUtf8(text.constData() + start, end - start).trimmed());
        if (run && run->kind == RunKind::Backup && run->outcome.result == RunResult::Confirmed &&
            run->archiveSize >= 0) {
            return run->archiveSize;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<qint64> lastGoodArchiveSize(const QString& taskName) {
    const QByteArray taskField = runLogField(taskName).toUtf8();
    for (const char* name : {kRunLogFile, kOldRunLogFile}) {
        if (const auto size = lastGoodSizeIn(readLog(name), taskField)) {
            return size;
        }
    }
    return std::nullopt;
}

QList<RunRecord> parseRunLog(const QByteArray& bytes) {
    QList<RunRecord> runs;
    const QString text = QString::fromUtf8(bytes);
    bool outputBelongs = false;  // the line above was a run
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.startsWith(kOutputMark)) {
            if (outputBelongs) {
                runs.last().output.append(line.mid(kOutputMark.size()).toString());
            }
            continue;
        }
        std::optional<RunRecord> run = runOfLine(line);
        outputBelongs = run.has_value();
        if (run) {
            runs.append(std::move(*run));
        }
    }
    return runs;
}

RunRecord runRecordOf(const RunLogEntry& entry) {
    RunRecord run;
    // To the second, as the log keeps them.
    const auto seconds = [](const QDateTime& t) { return t.addMSecs(-t.time().msec()); };
    run.started = seconds(entry.end.started);
    run.ended = seconds(entry.end.ended);
    run.kind = entry.kind;
    run.taskName = entry.taskName;
    run.archivePath = entry.archivePath;
    run.signalled = entry.end.signalled;
    run.status = entry.end.code;
    run.archiveSize = entry.archiveSize;
    run.outcome = entry.outcome;
    run.archiverStarted = entry.archiverStarted;
    run.test = entry.test;
    if (entry.outcome.result != RunResult::Confirmed) {
        run.output = runOutputLines(entry.end);
    }
    return run;
}

QList<RunRecord> readRunHistory() {
    QList<RunRecord> runs = parseRunLog(readLog(kOldRunLogFile));
    runs.append(parseRunLog(readLog(kRunLogFile)));
    return runs;
}

QList<RunRecord> historyRuns(const QList<RunRecord>& runs, const QString& taskName,
                             bool failuresOnly) {
    QList<RunRecord> shown;
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        if ((taskName.isEmpty() || run->taskName == taskName) &&
            (!failuresOnly || run->outcome.result != RunResult::Confirmed)) {
            shown.append(*run);
        }
    }
    return shown;
}

void addRun(QHash<QString, TaskRuns>& byTask, const RunRecord& run) {
    if (run.kind != RunKind::Backup) {
        return;
    }
    TaskRuns& task = byTask[run.taskName];
    task.last = run;
    if (run.outcome.result == RunResult::Confirmed) {
        task.lastGood = run;
    }
}

QHash<QString, TaskRuns> runsByTask(const QList<RunRecord>& runs) {
    QHash<QString, TaskRuns> byTask;
    for (const RunRecord& run : runs) {
        addRun(byTask, run);
    }
    return byTask;
}

}  // namespace kv
