#include "archiving/runtask.h"

#include <QFile>
#include <QFileInfo>

#include "archiving/archiverprogress.h"
#include "archiving/archivetest.h"
#include "archiving/runfollower.h"
#include "archiving/runsinprogress.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"
#include "store/taskextras.h"

namespace kv {

QString extensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0) {
        return {};
    }
    return path.mid(dot);
}

namespace {

// The date part with the separators a run formats it with, "_" and "-"; no side effect.
QString datePartOf(int vidNameArh, const QDateTime& now) {
    if (!archiveNameIsDated(vidNameArh)) {
        return {};
    }
    const QDate d = now.date();
    QString part = QStringLiteral(" %1_%2_%3")
                       .arg(d.day(), 2, 10, QChar(u'0'))
                       .arg(d.month(), 2, 10, QChar(u'0'))
                       .arg(d.year(), 4, 10, QChar(u'0'));
    if (vidNameArh == 2) {
        part += QStringLiteral(" %1-%2")
                    .arg(now.time().hour(), 2, 10, QChar(u'0'))
                    .arg(now.time().minute(), 2, 10, QChar(u'0'));
    }
    return part;
}

const QString kPartialMark = QStringLiteral(".partial");

}  // namespace

QString archiveDatePart(int vidNameArh, const QDateTime& now) {
    setDateSeparator(QStringLiteral("_"));
    setTimeSeparator(QStringLiteral("-"));
    const QString part = datePartOf(vidNameArh, now);
    useRunSeparators();
    return part;
}

ArchiveName archiveName(const QString& nameArh, const QString& path2) {
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
    return {folder + base, ext};
}

ArchivePaths archivePaths(const QString& nameArh, const QString& path2, const QString& datePart) {
    const ArchiveName name = archiveName(nameArh, path2);
    ArchivePaths out;
    out.archive = name.stem + datePart + name.extension;
    const QString archiveExt = extensionOf(out.archive);
    const bool noExt = archiveExt.isEmpty() || archiveExt == u".";
    const QString stem =
        noExt ? out.archive : out.archive.left(out.archive.size() - archiveExt.size());
    out.backup = stem + QStringLiteral(".BAK");
    out.unconfirmed = stem + QStringLiteral(".unconfirmed") + (noExt ? QString() : archiveExt);
    const qsizetype nameAt = stem.lastIndexOf(u'/') + 1;
    out.partial = stem.left(nameAt) + u'.' + stem.mid(nameAt) + kPartialMark +
                  (noExt ? QString() : archiveExt);
    return out;
}

bool isPartialArchiveName(const QString& fileName) {
    if (!fileName.startsWith(u'.')) {
        return false;
    }
    const QString stem = fileName.left(fileName.size() - extensionOf(fileName).size());
    return fileName.endsWith(kPartialMark) || stem.endsWith(kPartialMark);
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

// What a failed launch of the archiver tells the user. A program that is not found because its
// path holds a quote is told so.
LaunchFailureTexts launchFailureTexts(const MainWindowTexts& texts, const QString& commandLine) {
    const bool quoted = archiverPathHoldsQuote(commandLine);
    return {texts.text(Form1Text::cm1), texts.text(quoted ? Form1Text::cm9 : Form1Text::cm2),
            texts.text(quoted ? Form1Text::cm9 : Form1Text::cm3), texts.text(Form1Text::cm8)};
}

}  // namespace

namespace {

// The archive paths of the current task, with `datePart` in the name.
ArchivePaths currentTaskPaths(const Table& t, const QString& datePart) {
    return archivePaths(t.asString(TaskField::NameArh), t.asString(TaskField::Path2), datePart);
}

// A partial archive left by a run whose end this program never saw may hold a good archive or a
// cut-off one: it is set aside as unconfirmed (replacing an older one), so that the archiver
// starts on a file of its own and nothing ever takes the leftover for a confirmed archive.
void setAsideLeftoverPartial(const ArchivePaths& paths) {
    if (!fileExists(paths.partial)) {
        return;
    }
    QFile::remove(paths.unconfirmed);
    if (!QFile::rename(paths.partial, paths.unconfirmed)) {
        QFile::remove(paths.partial);
    }
}

}  // namespace

bool currentTaskArchiveInUse(const Table& t) {
    const QDateTime now = clock().now();
    return archivePathInUse(
        currentTaskPaths(t, datePartOf(t.asInt(TaskField::VidNameArh), now)).archive);
}

void RunTask(Table& t, const RunContext& context, bool recompute) {
    const QString taskName = t.asString(TaskField::Name);
    const QString archiveCommand = t.asString(TaskField::NameArhivator1);
    const QString list = t.asString(TaskField::List);

    const QDateTime now = clock().now();
    const QString datePart = archiveDatePart(t.asInt(TaskField::VidNameArh), now);
    const ArchivePaths paths = currentTaskPaths(t, datePart);
    QString refusedPath;
    const std::optional<QString> commandLine =
        archiveCommandLine(archiveCommand, paths.partial, programFolder() + list, &refusedPath);
    if (refusedPath == paths.partial) {
        refusedPath = paths.archive;  // the user knows the archive by its own name
    }

    // One run at a time writes an archive path. A run that the schedule started is left for the
    // next check, as if it had not come due; the user is told why his start did nothing.
    RunClaim claim;
    if (commandLine) {
        claim = claimArchivePath(paths.archive, taskName);
        if (!claim) {
            if (context.byUser) {
                messageBox(context.texts.text(Form1Text::cm29).arg(taskName, paths.archive),
                           QString(), MbButtons::Ok, MbIcon::Warning);
            }
            return;
        }
    }

    // A run that the destination cannot hold is not started: it would fail half-way and leave a
    // partial file behind. Nothing is moved and WorkTime keeps the last real run.
    RunFacts facts;
    facts.taskName = taskName;
    facts.archivePath = paths.archive;
    facts.backupPath = paths.backup;
    facts.unconfirmedPath = paths.unconfirmed;
    facts.partialPath = paths.partial;
    const RoomCheck room = commandLine ? checkRoom(taskName, paths.archive) : RoomCheck{};
    if (!room.enough()) {
        claim.reset();
        reportNoRoom(facts, room);
    } else if (commandLine) {
        setAsideLeftoverPartial(paths);
    }
    const bool launching = commandLine && room.enough();

    // A refused run never happened: only its next run is written.
    if (launching) {
        t.edit();
        t.setDateTime(TaskField::WorkTime, now);
        t.post();
    }
    if (recompute) {
        // Only the tick recomputes, and it marks its task as running, so the calculation never
        // asks for a run of its own here: a second run now would write the same archive.
        const bool runAgain = CalcNextRun(t, context.nextRun());
        Q_ASSERT(!runAgain);
        Q_UNUSED(runAgain);
    }

    if (commandLine && !launching) {
        return;
    }
    if (!commandLine) {
        const QString& advice =
            context.texts.text(refusedPath == paths.archive ? Form1Text::cm26 : Form1Text::cm27);
        messageBox(context.texts.text(Form1Text::cm25).arg(taskName, refusedPath, advice),
                   QString(), MbButtons::Ok, MbIcon::Warning);
        return;
    }

    // The archiver is followed: its end judges the partial archive, puts a confirmed one in
    // place with its .BAK copy, logs the run, tells what went wrong and, for a power-off run,
    // starts the power-off.
    facts.keepBackup = t.asBool(TaskField::Bak);
    facts.powerOff = context.powerOff;
    facts.byUser = context.byUser;
    facts.claim = claim;
    facts.testCommand = archiveTestCommand(archiveCommand, paths.partial).value_or(QString());
    facts.dated.name = archiveName(t.asString(TaskField::NameArh), t.asString(TaskField::Path2));
    facts.dated.vidNameArh = t.asInt(TaskField::VidNameArh);
    if (!datePart.isEmpty()) {
        QString trouble;
        facts.dated.retention = readRetention(taskName, &trouble);
        if (!trouble.isEmpty()) {
            qWarning("kelvotrin: %s", qPrintable(trouble));
        }
    }
    const WinExecResult result = WinExec(*commandLine, kSwShow, followRun(std::move(facts)),
                                         OutputKept::Tail, followProgress(claim));
    if (const std::optional<QString> failure =
            launchFailureText(result, launchFailureTexts(context.texts, *commandLine))) {
        // Nothing was written and nothing was moved: the archive path is free again at once.
        claim.reset();
        messageBox(*failure);
    }
}

}  // namespace kv
