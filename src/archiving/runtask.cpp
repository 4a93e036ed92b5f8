#include "archiving/runtask.h"

#include <QFile>
#include <QFileInfo>

#include "archiving/runfollower.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

QString extensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0) {
        return {};
    }
    return path.mid(dot);
}

QString archiveDatePart(int vidNameArh, const QDateTime& now) {
    setDateSeparator(QStringLiteral("_"));
    setTimeSeparator(QStringLiteral("-"));
    QString part;
    if (vidNameArh == 1 || vidNameArh == 2) {
        const QDate d = now.date();
        part = QStringLiteral("%1%2%3%2%4")
                   .arg(d.day(), 2, 10, QChar(u'0'))
                   .arg(dateSeparator())
                   .arg(d.month(), 2, 10, QChar(u'0'))
                   .arg(d.year(), 4, 10, QChar(u'0'));
        if (vidNameArh == 2) {
            part += QStringLiteral(" %1%2%3")
                        .arg(now.time().hour(), 2, 10, QChar(u'0'))
                        .arg(timeSeparator())
                        .arg(now.time().minute(), 2, 10, QChar(u'0'));
        }
    }
    useRunSeparators();
    return part.isEmpty() ? part : u' ' + part;
}

ArchivePaths archivePaths(const QString& nameArh, const QString& path2, const QString& datePart) {
    QString base = nameArh;
    QString ext = extensionOf(nameArh);
    if (!ext.isEmpty()) {
        const QString fileName = nameArh.mid(nameArh.lastIndexOf(u'/') + 1);
        base = fileName.left(fileName.size() - ext.size());
        if (ext == u".") {
            ext.clear();
        }
    }
    const QString folder = path2.startsWith(u'/') ? path2 : programFolder() + path2;
    ArchivePaths out;
    out.archive = folder + base + datePart + ext;
    const QString archiveExt = extensionOf(out.archive);
    const bool noExt = archiveExt.isEmpty() || archiveExt == u".";
    const QString stem =
        noExt ? out.archive : out.archive.left(out.archive.size() - archiveExt.size());
    out.backup = stem + QStringLiteral(".BAK");
    out.unconfirmed = stem + QStringLiteral(".unconfirmed") + (noExt ? QString() : archiveExt);
    return out;
}

std::optional<QString> archiveCommandLine(const QString& archiveCommand, const QString& archivePath,
                                          const QString& listPath, QString* refusal) {
    // The archive path goes in double quotes; the command-line rules know no escape for a quote
    // inside them, so a quote there would end the path early and hand the rest to the archiver
    // as switches of its own. Such a run is refused rather than started with other arguments.
    if (archivePath.contains(u'"')) {
        *refusal = archivePath;
        return std::nullopt;
    }
    QString list = u'@' + listPath;
    if (list.contains(u'"')) {
        *refusal = listPath;
        return std::nullopt;
    }
    // Unquoted, as archivers expect it, unless blanks would split it into several arguments.
    if (list.contains(u' ') || list.contains(u'\t')) {
        list = u'"' + list + u'"';
    }
    return archiveCommand + QStringLiteral(" \"") + archivePath + QStringLiteral("\" ") + list;
}

namespace {

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// The program's text, as far as the command line tells it, runs straight into a double quote
// (`/opt/a"b/pack a`): the archiver's path holds a quote, which no command line of this form can
// carry, so the archiver is never found however it exists.
bool archiverPathHoldsQuote(const QString& commandLine) {
    const CommandLineParts parts =
        splitCommandLine(commandLine, [](const QString&) { return false; });
    return !parts.quoted && commandLine.mid(parts.program.size(), 1) == u"\"";
}

// The message of a failed launch; none when the archiver started.
std::optional<Form1Text> launchFailure(unsigned result, const QString& commandLine) {
    switch (result) {
        case kWinExecOutOfResources:
            return Form1Text::cm1;
        case kWinExecFileNotFound:
        case kWinExecPathNotFound:
            if (archiverPathHoldsQuote(commandLine)) {
                return Form1Text::cm9;
            }
            return result == kWinExecFileNotFound ? Form1Text::cm2 : Form1Text::cm3;
        case kWinExecBadFormat:
            return Form1Text::cm8;
        default:
            return std::nullopt;
    }
}

}  // namespace

void RunTask(Table& t, const RunContext& context, bool recompute) {
    const QString taskName = t.asString(TaskField::Name);
    const int vidNameArh = t.asInt(TaskField::VidNameArh);
    const QString nameArh = t.asString(TaskField::NameArh);
    const QString path2 = t.asString(TaskField::Path2);
    const QString archiveCommand = t.asString(TaskField::NameArhivator1);
    const QString list = t.asString(TaskField::List);
    const bool keepBackup = t.asBool(TaskField::Bak);

    const QString datePart = archiveDatePart(vidNameArh, clock().now());
    const ArchivePaths paths = archivePaths(nameArh, path2, datePart);
    QString refusedPath;
    const std::optional<QString> commandLine =
        archiveCommandLine(archiveCommand, paths.archive, programFolder() + list, &refusedPath);

    // The rotation. A refused run touches no archive at all, and an archive that is named like
    // its own .BAK copy stays where it is (the archiver then updates it).
    bool archiveMoved = false;
    bool archiveSetAside = false;
    if (commandLine && paths.archive != paths.backup && fileExists(paths.archive)) {
        if (!fileExists(paths.backup)) {
            archiveMoved = QFile::rename(paths.archive, paths.backup);
        } else if (keepBackup) {
            // The previous archive replaces the older copy.
            QFile::remove(paths.backup);
            archiveMoved = QFile::rename(paths.archive, paths.backup);
        } else {
            // A task that keeps no copy has its .BAK deleted when a run is confirmed to have
            // written its archive. One still here is the last archive known to be good, and the
            // archive beside it is what an unconfirmed run left (a failed one, or one whose end
            // this program never saw): that file is set aside, replacing an older one.
            if (fileExists(paths.unconfirmed)) {
                QFile::remove(paths.unconfirmed);
            }
            archiveSetAside = QFile::rename(paths.archive, paths.unconfirmed);
        }
    }

    // A refused run never happened: only its next run is written.
    if (commandLine) {
        t.edit();
        t.setDateTime(TaskField::WorkTime, clock().now());
        t.post();
    }
    if (recompute) {
        // Only the tick recomputes, and it marks its task as running, so the calculation never
        // asks for a run of its own here: a second run now would write the same archive.
        const bool runAgain = CalcNextRun(t, context.nextRun());
        Q_ASSERT(!runAgain);
        Q_UNUSED(runAgain);
    }

    if (!commandLine) {
        const QString& advice =
            context.texts.text(refusedPath == paths.archive ? Form1Text::cm26 : Form1Text::cm27);
        messageBox(context.texts.text(Form1Text::cm25).arg(taskName, refusedPath, advice),
                   QString(), MbButtons::Ok, MbIcon::Warning);
        return;
    }

    // The archiver is followed: its end decides about the .BAK copy, logs the run, tells a
    // failure and, for a power-off run, starts the power-off.
    RunFacts facts;
    facts.taskName = taskName;
    facts.archivePath = paths.archive;
    facts.backupPath = paths.backup;
    facts.unconfirmedPath = paths.unconfirmed;
    facts.keepBackup = keepBackup;
    facts.powerOff = context.powerOff;
    const std::optional<Form1Text> failure =
        launchFailure(WinExec(*commandLine, kSwShow, followRun(std::move(facts))), *commandLine);
    if (!failure) {
        return;
    }
    // Nothing will write a new archive: without a kept copy the previous archive is put back
    // under its own name before the user is told (a copy kept by the task stays as it is).
    if (archiveSetAside) {
        QFile::rename(paths.unconfirmed, paths.archive);
    } else if (!keepBackup && archiveMoved) {
        QFile::rename(paths.backup, paths.archive);
    }
    messageBox(context.texts.text(*failure));
}

}  // namespace kv
