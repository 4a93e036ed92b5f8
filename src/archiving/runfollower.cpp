#include "archiving/runfollower.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtDebug>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

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

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
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

    bool confirmed() const { return outcome.result == RunResult::Confirmed; }
    void fail(RunFailure why, QString detail = {}) {
        outcome = {RunResult::Failed, why, std::move(detail)};
    }
};

// What a backup run's own output, its partial archive, is worth.
Judgement judgeBackup(const RunFacts& facts, const ProgramEnd& end) {
    Judgement j;
    const QFileInfo output(facts.partialPath);
    if (output.exists() && output.isFile()) {
        j.outputSize = output.size();
    }
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
void setAside(const RunFacts& f, const Judgement& j) {
    if (j.outputSize < 0) {
        return;
    }
    if (j.empty ||
        (j.outcome.result == RunResult::Failed && QFileInfo::exists(f.unconfirmedPath))) {
        QFile::remove(f.partialPath);
    } else {
        moveOver(f.partialPath, f.unconfirmedPath);
    }
}

void finishRun(RunFacts& facts, const ProgramEnd& end) {
    const MainWindowTexts& t = texts();
    const bool backup = facts.kind == RunKind::Backup;

    // 1. Judge the run's own output; 2. confirm it, or set it aside.
    Judgement j;
    if (backup) {
        j = judgeBackup(facts, end);
        if (j.confirmed()) {
            if (auto error = confirm(facts)) {
                j.fail(RunFailure::NotInPlace, std::move(*error));
            }
        }
        if (!j.confirmed()) {
            setAside(facts, j);
        }
    } else {
        const QFileInfo archive(facts.archivePath);
        j.outputSize = archive.exists() && archive.isFile() ? archive.size() : -1;
        if (end.signalled || end.code != 0) {
            j.fail(end.signalled ? RunFailure::Signal : RunFailure::Status);
        } else {
            j.outcome = {RunResult::Confirmed, RunFailure::None, {}};
        }
    }
    facts.claim.reset();

    // 3. Log. The log's trouble is told once per spell, after the run's own decisions.
    RunLogEntry entry;
    entry.kind = facts.kind;
    entry.taskName = facts.taskName;
    entry.archivePath = facts.archivePath;
    entry.end = end;
    entry.archiveSize = j.outputSize;
    entry.outcome = j.outcome;
    bool logged = true;
    try {
        appendRunLog(entry, t);
        logTroubleTold = false;
    } catch (const Error& e) {
        logged = false;
        qWarning("kelvotrin: %s", qPrintable(e.message()));
        if (!logTroubleTold) {
            logTroubleTold = true;
            tell(t.text(Form1Text::cm33), e.message());
        }
    }

    // 4. Tell.
    if (!j.confirmed()) {
        const bool warning = j.outcome.result == RunResult::Warning;
        const Form1Text title = !backup   ? Form1Text::cm11
                                : warning ? Form1Text::cm31
                                          : Form1Text::cm10;
        QString reason = runReason(j.outcome, end.signalled, end.code, facts.archivePath, t);
        if (warning) {
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

void powerOffWhenRunsEnd() {
    powerOffPending = true;
    powerOffIfIdle();
}

}  // namespace kv
