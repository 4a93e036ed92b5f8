#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "archiving/runlog.h"
#include "archiving/runtask.h"
#include "store/taskextras.h"

namespace kv {

// A task's archives with a date in their name, and which of them its confirmed runs keep.
struct DatedArchives {
    ArchiveName name;    // every one is name.stem + " " + date + name.extension
    int vidNameArh = 0;  // the date: 1 "dd_MM_yyyy", 2 "dd_MM_yyyy HH-mm"; others: no date
    Retention retention;
};

// The files to delete so that the retention holds at `now`: the regular files of the archives'
// folder whose names the date pattern makes with a real date, beyond the newest `count` or at
// least `days` days old. A name's age is that of the minute it names, or for a date alone of the
// end of that day (an archive is never taken for older than it can be). A .BAK copy, an
// unconfirmed or partial archive, another date form or anything foreign is never among them.
// `written`, the archive just put in place, is never among them, and counts among the newest.
// Nothing for a task that keeps all or has no date in its archive names.
QStringList archivesToPrune(const DatedArchives& archives, const QString& written,
                            const QDateTime& now);

// Deletes what archivesToPrune() names, except an archive that a run is writing, and says for
// runs.log what became of each file. A file that cannot be deleted stays for the next run.
QList<PruneLogEntry> pruneArchives(const DatedArchives& archives, const QString& taskName,
                                   const QString& written, const QDateTime& now);

}  // namespace kv
