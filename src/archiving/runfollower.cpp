#include "archiving/runfollower.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>
#include <cstdio>

#include "platform/error.h"

namespace kv {
namespace {

RunObserver* observer = nullptr;
bool powerOffPending = false;

const MainWindowTexts& texts() {
    static const MainWindowTexts builtIn = mainWindowTexts();
    return observer ? observer->messageTexts() : builtIn;
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

// The reason of a failed run as the texts word it (7-Zip's codes, which other archivers share:
// 1 files skipped, 2 fatal error, 7 command line, 8 out of memory, 255 stopped by the user).
QString failureReason(const ProgramEnd& end, bool archiveMissing, const QString& archivePath,
                      const MainWindowTexts& t) {
    if (end.signalled) {
        return t.text(Form1Text::cm19).arg(end.code);
    }
    switch (end.code) {
        case 0:
            return archiveMissing ? t.text(Form1Text::cm20).arg(archivePath) : QString();
        case 1:
            return t.text(Form1Text::cm13);
        case 2:
            return t.text(Form1Text::cm14);
        case 7:
            return t.text(Form1Text::cm15);
        case 8:
            return t.text(Form1Text::cm16);
        case 255:
            return t.text(Form1Text::cm17);
        default:
            return t.text(Form1Text::cm18).arg(end.code);
    }
}

void finishRun(const RunFacts& facts, const ProgramEnd& end) {
    const QFileInfo archive(facts.archivePath);
    const bool archiveExists = archive.exists() && archive.isFile();
    const bool backup = facts.kind == RunKind::Backup;
    const bool failed = end.signalled || end.code != 0 || (backup && !archiveExists);

    // Status 1 is a warning: the archive was written without the files that could not be read.
    // Keeping the older copy for ever would not bring those back, and the user is told.
    const bool archiveWritten = !end.signalled && (end.code == 0 || end.code == 1) && archiveExists;
    // An archive named *.BAK is its own backup path: that file is the new archive.
    if (backup && archiveWritten) {
        for (const QString& older :
             {facts.keepBackup ? QString() : facts.backupPath, facts.unconfirmedPath}) {
            if (!older.isEmpty() && older != facts.archivePath) {
                QFile::remove(older);
            }
        }
    }
    // What a failed run left at the archive path is set aside at once, so that the next
    // rotation never takes it for the previous archive and deletes the good copy for it, with
    // or without a kept .BAK. An archive already set aside is kept instead: its run was never
    // confirmed, so it may be good, while this output is known to have failed.
    if (backup && failed && !archiveWritten && archiveExists && !facts.unconfirmedPath.isEmpty() &&
        facts.archivePath != facts.backupPath) {
        if (QFileInfo::exists(facts.unconfirmedPath)) {
            QFile::remove(facts.archivePath);
        } else {
            QFile::rename(facts.archivePath, facts.unconfirmedPath);
        }
    }

    RunLogEntry entry;
    entry.kind = facts.kind;
    entry.taskName = facts.taskName;
    entry.archivePath = facts.archivePath;
    entry.end = end;
    entry.archiveSize = archiveExists ? archive.size() : -1;
    entry.failed = failed;
    try {
        appendRunLog(entry, texts());
    } catch (const Error& e) {
        qWarning("kelvotrin: %s", qPrintable(e.message()));
    }

    if (failed) {
        const MainWindowTexts& t = texts();
        const QString title = t.text(backup ? Form1Text::cm10 : Form1Text::cm11);
        const QString text = t.text(Form1Text::cm12)
                                 .arg(facts.taskName, failureReason(end, backup && !archiveExists,
                                                                    facts.archivePath, t));
        if (observer) {
            observer->runFailed(title, text);
        } else {
            std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        }
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
    return [facts = std::move(facts)](const ProgramEnd& end) { finishRun(facts, end); };
}

void powerOffWhenRunsEnd() {
    powerOffPending = true;
    powerOffIfIdle();
}

}  // namespace kv
