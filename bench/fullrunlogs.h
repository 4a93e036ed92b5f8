#pragma once

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "archiving/runlog.h"
#include "platform/clock.h"
#include "platform/programfolder.h"

namespace kv::bench {

// Fills runs.log.1 and runs.log of the folder to their limit with runs of the first `count` tasks:
// every seventh run failed, with the archiver's output under it.
inline void writeFullLogs(const QString& folder, int count) {
    setProgramFolder(folder);
    const MainWindowTexts texts = mainWindowTexts();
    const QString log = folder + QString::fromLatin1(kRunLogFile);
    const QString old = folder + QString::fromLatin1(kOldRunLogFile);
    QDateTime at = naiveDateTime(QDate(2025, 1, 1), QTime(9, 0));
    for (int i = 0; !QFile::exists(old) || QFileInfo(log).size() < kRunLogLimit - 1024; ++i) {
        RunLogEntry e;
        e.taskName = QStringLiteral("Task %1").arg(i % count);
        e.archivePath = QStringLiteral("/srv/backup/docs%1.7z").arg(i % count);
        e.end.started = at;
        e.end.ended = at.addSecs(95);
        e.archiveSize = 123456789;
        if (i % 7 == 0) {
            e.end.code = 2;
            e.end.outputTail = "Scanning the drive:\nERROR: /srv/data/mail: Permission denied\n";
            e.outcome = {RunResult::Failed, RunFailure::Status, {}};
        } else {
            e.outcome = {RunResult::Confirmed, RunFailure::None, {}};
        }
        appendRunLog(e, texts);
        at = at.addSecs(300);
    }
}

}  // namespace kv::bench
