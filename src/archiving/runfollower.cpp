#include "archiving/runfollower.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtDebug>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "archiving/prune.h"
#include "archiving/runtexts.h"
#include "platform/clock.h"
#include "platform/error.h"

namespace kv {
namespace {

RunObserver* observer = nullptr;
bool powerOffPending = false;
bool logTroubleTold = false;  // told since the last line that went into runs.log

const MainWindowTexts& texts() {
    static const MainWindowTexts builtIn = mainWindowTexts();
    return observer ? observer->messageTexts() : builtIn;
}

void tell(const QString& title, const QString& text) {
    if (observer) {
        observer->tell(title, text);
    } else {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
}

void announce(const QString& title, const QString& text) {
    if (observer) {
        observer->announce(title, text);
    } else {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
}

void powerOffIfIdle() {
    if (!powerOffPending || programsRunning() > 0) {
        return;
    }
    powerOffPending = false;
    if (observer) {
        observer->powerOffRequested();
    } else {
        qWarning("kelvotrin: nobody to ask for the power-off");
    }
}

// The size of the regular file at `path`; -1 when there is none.
qint64 fileSize(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile() ? info.size() : -1;
}

bool fileExists(const QString& path) {
    return fileSize(path) >= 0;
}

// Renames `from` to `to`, replacing a file there in one step; else says why not.
std::optional<QString> moveOver(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        return std::nullopt;
    }
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The files that 7-Zip reports having put into the archive, from the last summary line of its
// output ("Add new data to archive: 2 folders, 3 files, 10 bytes"). None when there is no such
// line: another archiver, or 7-Zip told to print less.
std::optional<int> archivedFiles(const QByteArray& output) {
    static const QRegularExpression summary(QStringLiteral("Add new data to archive:([^\r\n]*)"));
    static const QRegularExpression files(QStringLiteral("(\\d+) files?\\b"));
    QRegularExpressionMatchIterator it = summary.globalMatch(QString::fromUtf8(output));
    if (!it.hasNext()) {
        return std::nullopt;
    }
    QString line;
    while (it.hasNext()) {
        line = it.next().captured(1);
    }
    // 7-Zip always counts the files; a line without the count archived none.
    const QRegularExpressionMatch count = files.match(line);
    return count.hasMatch() ? count.captured(1).toInt() : 0;
}

struct Judgement {
    RunOutcome outcome;
    qint64 outputSize = -1;  // what the run wrote; -1 when nothing
    bool empty = false;      // the archiver reports that the archive holds no file
    ArchiveTest test;

    bool confirmed() const { return outcome.result == RunResult::Confirmed; }
    void fail(RunFailure why, QString detail = {}) {
        outcome = {RunResult::Failed, why, std::move(detail)};
    }
};

// What a backup run's own output, its partial archive, is worth.
Judgement judgeBackup(const RunFacts& facts, const ProgramEnd& end) {
    Judgement j;
    j.outputSize = fileSize(facts.partialPath);
    j.empty = archivedFiles(end.outputTail) == 0;
    if (end.signalled) {
        j.fail(RunFailure::Signal);
    } else if (end.code != 0 && end.code != 1) {
        j.fail(RunFailure::Status);
    } else if (j.outputSize < 0) {
        j.fail(RunFailure::NoArchive);
    } else if (j.empty) {
        j.fail(RunFailure::EmptyArchive);
    } else if (end.code == 1) {
        j.outcome = {RunResult::Warning, RunFailure::Status, {}};
    } else {
        j.outcome = {RunResult::Confirmed, RunFailure::None, {}};
    }
    return j;
}

// A confirmed run: the previous archive becomes the .BAK copy or goes, the partial archive
// takes its place, what earlier runs left unconfirmed goes. Every step is a rename within the
// folder, so that whatever stops it leaves the previous archive under one of its names. An
// archive named like its own .BAK copy is simply replaced. Says why when the archive could not
// be put in place.
std::optional<QString> confirm(const RunFacts& f) {
    const bool ownBackup = f.archivePath == f.backupPath;
    if (f.keepBackup && !ownBackup && fileExists(f.archivePath)) {
        if (const auto error = moveOver(f.archivePath, f.backupPath)) {
            return error;
        }
    }
    if (const auto error = moveOver(f.partialPath, f.archivePath)) {
        return error;
    }
    if (!f.keepBackup && !ownBackup) {
        QFile::remove(f.backupPath);
    }
    if (!f.unconfirmedPath.isEmpty() && f.unconfirmedPath != f.archivePath) {
        QFile::remove(f.unconfirmedPath);
    }
    return std::nullopt;
}

// A run that is not confirmed leaves the archive and the .BAK as they are. Its partial archive
// is set aside: a warning's holds what could be read and replaces an older unconfirmed archive;
// a failure's only takes an empty place, since the one already there may be good. An archive
// that holds no file is worth nothing and goes.
// Says whether the partial archive went to the unconfirmed place.
bool setAside(const RunFacts& f, const Judgement& j) {
    if (j.outputSize < 0) {
        return false;
    }
    if (j.empty ||
        (j.outcome.result == RunResult::Failed && QFileInfo::exists(f.unconfirmedPath))) {
        QFile::remove(f.partialPath);
        return false;
    }
    return !moveOver(f.partialPath, f.unconfirmedPath);
}

// Appends the entry to runs.log; says whether it went there. The log's trouble is told once
// per spell.
bool logRun(const RunLogEntry& entry, const MainWindowTexts& t) {
    try {
        appendRunLog(entry, t);
        logTroubleTold = false;
        return true;
    } catch (const Error& e) {
        qWarning("kelvotrin: %s", qPrintable(e.message()));
        if (!logTroubleTold) {
            logTroubleTold = true;
            tell(t.text(Form1Text::cm33), e.message());
        }
        return false;
    }
}

void logPruning(const QList<PruneLogEntry>& pruned, const MainWindowTexts& t) {
    try {
        appendPruneLog(pruned, t);
    } catch (const Error& e) {
        qWarning("kelvotrin: %s", qPrintable(e.message()));
    }
}

// Confirms or sets aside what the run wrote, logs it, prunes after a confirmed backup, and tells
// what went wrong.
void concludeRun(RunFacts& facts, const ProgramEnd& end, Judgement& j) {
    const MainWindowTexts& t = texts();
    const bool backup = facts.kind == RunKind::Backup;

    // Confirm, or set aside.
    bool setAsideNow = false;
    if (backup) {
        if (j.confirmed()) {
            if (auto error = confirm(facts)) {
                j.fail(RunFailure::NotInPlace, std::move(*error));
            }
        }
        if (!j.confirmed()) {
            setAsideNow = setAside(facts, j);
        }
    }
    facts.claim.reset();

    // Log.
    RunLogEntry entry;
    entry.kind = facts.kind;
    entry.taskName = facts.taskName;
    entry.archivePath = facts.archivePath;
    entry.end = end;
    entry.archiveSize = j.outputSize;
    entry.outcome = j.outcome;
    entry.test = j.test;
    const bool logged = logRun(entry, t);

    // Keep the dated archives the task keeps: only now that a new one is confirmed.
    if (backup && j.confirmed()) {
        logPruning(pruneArchives(facts.dated, facts.taskName, facts.archivePath, clock().now()), t);
    }

    // Tell.
    if (observer) {
        observer->runEnded(runRecordOf(entry));
    }
    if (j.confirmed() && backup && facts.byUser) {
        announce(t.text(Form1Text::cm65), t.text(Form1Text::cm66)
                                              .arg(facts.taskName, scaledSizeText(j.outputSize, t),
                                                   durationText(end.started.secsTo(end.ended))));
    }
    if (!j.confirmed()) {
        const bool warning = j.outcome.result == RunResult::Warning;
        const Form1Text title = !backup   ? Form1Text::cm11
                                : warning ? Form1Text::cm31
                                          : Form1Text::cm10;
        QString reason =
            runReason(j.outcome, end.signalled, end.code, facts.archivePath, t, j.test);
        if (warning || (j.outcome.failure == RunFailure::TestFailed && setAsideNow)) {
            reason += u' ' + t.text(Form1Text::cm32).arg(facts.unconfirmedPath);
        }
        // The details are in runs.log only when the line went there.
        tell(t.text(title),
             t.text(logged ? Form1Text::cm12 : Form1Text::cm34).arg(facts.taskName, reason));
    }

    if (facts.powerOff) {
        powerOffPending = true;
    }
    powerOffIfIdle();
}

// The archiver's test of the partial archive, followed like the archiver; only a test that ends
// with 0 lets the run be confirmed. The run keeps its claim on the archive path meanwhile.
void testArchive(RunFacts& facts, const ProgramEnd& end, const Judgement& j) {
    markTesting(facts.claim);
    const QString command = facts.testCommand;
    auto onTestEnd = [facts, archiverEnd = end, judged = j](const ProgramEnd& test) mutable {
        judged.test = {ArchiveTest::State::Ended, test.signalled, test.code,
                       test.started.msecsTo(test.ended)};
        if (!judged.test.passed()) {
            judged.fail(RunFailure::TestFailed);
            // What the test found goes under the run's line in runs.log.
            archiverEnd.outputTail = test.outputTail;
            archiverEnd.outputCut = test.outputCut;
        }
        concludeRun(facts, archiverEnd, judged);
    };
    if (WinExec(command, kSwShow, onTestEnd) != WinExecResult::Started) {
        Judgement notStarted = j;
        notStarted.test.state = ArchiveTest::State::NotStarted;
        notStarted.fail(RunFailure::TestFailed);
        concludeRun(facts, end, notStarted);
    }
}

void finishRun(RunFacts& facts, const ProgramEnd& end) {
    // Judge the run's own output.
    Judgement j;
    if (facts.kind == RunKind::Backup) {
        j = judgeBackup(facts, end);
        if (j.confirmed()) {
            if (!facts.testCommand.isEmpty()) {
                testArchive(facts, end, j);
                return;
            }
            j.test.state = ArchiveTest::State::NotTested;
        }
    } else {
        j.outputSize = fileSize(facts.archivePath);
        if (end.signalled || end.code != 0) {
            j.fail(end.signalled ? RunFailure::Signal : RunFailure::Status);
        } else {
            j.outcome = {RunResult::Confirmed, RunFailure::None, {}};
        }
    }
    concludeRun(facts, end, j);
}

}  // namespace

void setRunObserver(RunObserver* o) {
    observer = o;
}

RunObserver* runObserver() {
    return observer;
}

ProgramEndHandler followRun(RunFacts facts) {
    return [facts = std::move(facts)](const ProgramEnd& end) mutable { finishRun(facts, end); };
}

void reportNoRoom(const RunFacts& facts, const RoomCheck& room) {
    const MainWindowTexts& t = texts();
    RunLogEntry entry;
    entry.taskName = facts.taskName;
    entry.archivePath = facts.archivePath;
    entry.end.started = entry.end.ended = clock().now();
    entry.archiverStarted = false;
    entry.outcome = {RunResult::Failed, RunFailure::NoSpace,
                     noSpaceDetail(room.freeBytes, room.neededBytes)};
    const bool logged = logRun(entry, t);
    if (observer) {
        observer->runEnded(runRecordOf(entry));
    }
    const QString reason = runReason(entry.outcome, false, 0, facts.archivePath, t);
    tell(t.text(Form1Text::cm94),
         t.text(logged ? Form1Text::cm12 : Form1Text::cm34).arg(facts.taskName, reason));
}

void powerOffWhenRunsEnd() {
    powerOffPending = true;
    powerOffIfIdle();
}

}  // namespace kv
