#pragma once

#include <QByteArray>
#include <QString>

#include "language/mainwindowtexts.h"
#include "platform/winexec.h"

namespace kv {

enum class RunKind { Backup, Restore };

// One finished run of an archiver, as runs.log records it.
struct RunLogEntry {
    RunKind kind = RunKind::Backup;
    QString taskName;
    QString archivePath;      // the archive written (backup) or read (restore)
    ProgramEnd end;           // times, status, output
    qint64 archiveSize = -1;  // after the run; -1: no archive file
    bool withOutput = false;  // not confirmed: the output tail goes under the line
};

inline constexpr char kRunLogFile[] = "runs.log";
inline constexpr char kOldRunLogFile[] = "runs.log.1";
// runs.log never grows past this: an entry that would make it longer first moves the log to
// runs.log.1, replacing the older one.
inline constexpr qint64 kRunLogLimit = 1024 * 1024;

// Appends the entry to runs.log in the program folder, in one write, as UTF-8: one line of
// tab-separated fields (start, end, kind, task, archive, "exit N" or "signal N", size in bytes or
// "-"), and for a run that was not confirmed the tail of the archiver's output under it, each
// line indented and marked with "| ". Raises Error (cm28 of `texts`) when the log cannot be
// written. A log that cannot be moved aside (runs.log.1 a folder, say) grows on: the line is
// appended all the same, and then the Error names runs.log.1.
void appendRunLog(const RunLogEntry& entry, const MainWindowTexts& texts);

}  // namespace kv
