#pragma once

#include <QString>

#include "archiving/prune.h"
#include "archiving/runhistory.h"
#include "archiving/runlog.h"
#include "archiving/runsinprogress.h"
#include "archiving/runspace.h"
#include "language/mainwindowtexts.h"
#include "platform/winexec.h"

namespace kv {

// The facts of one launched run that its end is judged by.
struct RunFacts {
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;      // the archive written (backup) or read (restore)
    QString backupPath;       // the .BAK copy beside it; empty for a restore
    QString unconfirmedPath;  // where what an unconfirmed run wrote is set aside
    QString partialPath;      // what the archiver writes until the run is confirmed
    bool keepBackup = true;   // the task's Bak
    bool powerOff = false;    // started by the command that powers off afterwards
    bool byUser = false;      // started by a command of the user, who is told its success too
    RunClaim claim;           // the run in progress, held until its end has been judged
    QString testCommand;      // tests the partial archive (archiveTestCommand); empty: untested
    DatedArchives dated;      // which of the task's dated archives a confirmed run keeps
};

// What the ends of runs tell the user. The main window implements it.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The main window's message texts, as they stand when a run ends.
    virtual const MainWindowTexts& messageTexts() const = 0;
    // Something went wrong (a run failed or ended with a warning, runs.log cannot be written):
    // `title` and `text` are ready to show.
    virtual void tell(const QString& title, const QString& text) = 0;
    // A run that the user started ended well: `title` and `text` are ready to show.
    virtual void announce(const QString& title, const QString& text) = 0;
    // A run has ended, as runs.log records it (whether or not the line could be written).
    virtual void runEnded(const RunRecord& run) = 0;
    // A power-off run has ended and no other archiver is running: count down, then power off.
    virtual void powerOffRequested() = 0;
};

// Not owned; nullptr (the default) leaves what is to be told to the session's log and powers
// nothing off.
void setRunObserver(RunObserver* observer);
RunObserver* runObserver();

// The end handler to pass to WinExec() for the run. When the archiver ends, in this order:
// - Judge: a backup run is confirmed only when its archiver ended with status 0 and its partial
//   archive exists and holds files. Status 1 (files skipped) is a warning; a signal, any other
//   status, no partial archive, or an archive that holds no file at all (whatever the status)
//   is a failure. The files are counted from 7-Zip's summary line ("Add new data to archive:
//   ... N files"); an archiver that prints none (not 7-Zip) is judged by status and archive
//   alone. A restore run fails on a signal or a status other than 0.
// - Test: a backup that this judges good, and whose archiver has a test (`testCommand`), is not
//   confirmed before that test, started like the archiver and followed the same way, has ended
//   with 0 on the partial archive. A test that fails or cannot start makes the run a failure.
//   The run keeps its claim on the archive path, marked as testing (runsinprogress.h), meanwhile.
// - Confirm: the previous archive becomes the .BAK copy (replacing the older one) when the task
//   keeps one, the partial archive takes the archive's name, then a task that keeps no copy
//   loses its .BAK, and an archive set aside as unconfirmed goes. A run that is not confirmed
//   changes neither the archive nor the .BAK: its partial archive is set aside as unconfirmed
//   (a warning's replaces an older one, a failure's only takes an empty place) or deleted when
//   it holds no file. The archive path is free for the next run from here on.
// - Log: the run is appended to runs.log, with what became of the test ("not tested" for an
//   archiver without one). A log that cannot be written stops nothing; it is told once, and not
//   again until a line has gone into it.
// - Prune: after a confirmed backup, the task's dated archives beyond what it keeps go
//   (`dated`, prune.h), each with a "prune" line in runs.log.
// - Tell: the observer hears of the run's end; a failure or a warning is told to it, naming the
//   task and the reason, and so is the success of a backup that the user started (`byUser`),
//   with the archive's size and the time taken.
// - A power-off run then asks for the power-off, failed or not (see powerOffWhenRunsEnd()).
// When this program ends before the archiver, nothing of this happens: the archive and the .BAK
// stay, and the next run sets the partial archive aside.
ProgramEndHandler followRun(RunFacts facts);

// A backup that was not started for want of room: logged as a failure ("no-space", with the free
// and needed bytes) and told with both sizes.
void reportNoRoom(const RunFacts& facts, const RoomCheck& room);

// Asks the observer for the power-off as soon as no started archiver is running any more: at
// once when none is, else when the last one ends.
void powerOffWhenRunsEnd();

}  // namespace kv
