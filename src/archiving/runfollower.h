#pragma once

#include <QString>

#include "archiving/runlog.h"
#include "language/mainwindowtexts.h"
#include "platform/winexec.h"

namespace kv {

// The facts of one launched run that its end is judged by.
struct RunFacts {
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;      // the archive written (backup) or read (restore)
    QString backupPath;       // the .BAK copy made before the launch; empty for a restore
    QString unconfirmedPath;  // where the rotation sets aside what an unconfirmed run left
    bool keepBackup = true;   // the task's Bak
    bool powerOff = false;    // started by the command that powers off afterwards
};

// What the end of a run tells the user. The main window implements it.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The main window's message texts, as they stand when a run ends.
    virtual const MainWindowTexts& messageTexts() const = 0;
    // A run failed: `title` and `text` are ready to show.
    virtual void runFailed(const QString& title, const QString& text) = 0;
    // A power-off run has ended and no other archiver is running: count down, then power off.
    virtual void powerOffRequested() = 0;
};

// Not owned; nullptr (the default) leaves failures to the session's log and powers nothing off.
void setRunObserver(RunObserver* observer);
RunObserver* runObserver();

// The end handler to pass to WinExec() for the run. When the archiver ends:
// - a backup run has failed when the archiver ended by a signal, with a status other than 0, or
//   with 0 but no archive file; a restore run when it ended by a signal or with a status other
//   than 0;
// - with `keepBackup` false the .BAK copy (and an archive set aside as unconfirmed) is deleted
//   once an archive exists and the status is 0, or 1 (a warning: some files were skipped, the
//   archive holds the rest); in every other case it stays as the last archive there is;
// - the run is appended to runs.log (a log that cannot be written is reported to the session's
//   log and stops nothing else);
// - a failure goes to the observer, naming the task and the reason;
// - a power-off run then asks for the power-off, failed or not (see powerOffWhenRunsEnd()).
// When this program ends before the archiver, nothing of this happens and the .BAK stays.
ProgramEndHandler followRun(RunFacts facts);

// Asks the observer for the power-off as soon as no started archiver is running any more: at
// once when none is, else when the last one ends.
void powerOffWhenRunsEnd();

}  // namespace kv
