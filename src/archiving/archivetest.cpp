#include "archiving/archivetest.h"

#include <QStringList>

#include "archiving/partialrestore.h"
#include "platform/winexec.h"

namespace kv {
namespace {

enum class Archiver { Other, SevenZip, Rar };

Archiver archiverOf(const QString& program) {
    if (isSevenZip(program)) {
        return Archiver::SevenZip;
    }
    return program.mid(program.lastIndexOf(u'/') + 1) == u"rar" ? Archiver::Rar : Archiver::Other;
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

}  // namespace

std::optional<QString> archiveTestCommand(const QString& archiveCommand,
                                          const QString& archivePath) {
    const CommandLineParts parts = splitCommandLine(archiveCommand);
    const Archiver archiver = archiverOf(parts.program);
    if (archiver == Archiver::Other || parts.program.contains(u'"') || archivePath.contains(u'"')) {
        return std::nullopt;
    }
    QStringList line{quoted(parts.program), QStringLiteral("t")};
    // An encrypted archive reads back only with its password; a test without it would ask for
    // one, and with no input end as failed.
    for (const QString& argument : parts.arguments) {
        const bool password =
            argument.startsWith(QStringLiteral("-p")) ||
            (archiver == Archiver::Rar && argument.startsWith(QStringLiteral("-hp")));
        if (password && !argument.contains(u'"')) {
            line << quoted(argument);
        }
    }
    line << quoted(archivePath);
    return line.join(u' ');
}

}  // namespace kv
