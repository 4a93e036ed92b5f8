#include "archiving/archiverconfig.h"

#include <QDir>

#include "platform/codepage1251.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

ArchiverEntries withStoredTexts(ArchiverEntries e) {
    for (QString* text : {&e.name, &e.program, &e.archiveCommand, &e.archiveSwitches,
                          &e.restoreCommand, &e.restoreSwitches}) {
        *text = withoutTrailingBlanks(*text);
    }
    return e;
}

QString composeCommand(const QString& program, const QString& command, const QString& switches) {
    return program + u' ' + command + u' ' + switches;
}

std::optional<QString> entriesRefusal(const ArchiverEntries& e, const Form3Texts& texts) {
    if (e.program.isEmpty()) {
        return texts.text(Form3Text::cm2);
    }
    if (e.program.contains(u'"')) {
        return texts.text(Form3Text::cm9);
    }
    for (const QString* text : {&e.name, &e.program, &e.archiveCommand, &e.archiveSwitches,
                                &e.restoreCommand, &e.restoreSwitches}) {
        if (!cp1251::canEncode(*text)) {
            return texts.text(Form3Text::cm10).arg(*text);
        }
    }
    const std::pair<Field<QString>, QString> commands[] = {
        {ArchiverField::Arhstr1, composeCommand(e.program, e.archiveCommand, e.archiveSwitches)},
        {ArchiverField::Arhstr2, composeCommand(e.program, e.restoreCommand, e.restoreSwitches)},
    };
    for (const auto& [field, command] : commands) {
        const int width = field.width();
        if (command.size() > width) {
            return texts.text(Form3Text::cm11).arg(command).arg(width);
        }
    }
    return std::nullopt;
}

ArchiverEntries shellArchiverEntries(const QString& name, const QString& program) {
    return {name,
            program,
            QStringLiteral("a"),
            QStringLiteral("-ep3"),
            QStringLiteral("x"),
            QStringLiteral("-ep3")};
}

ArchiverEntries sevenZipEntries(const QString& name, const QString& program) {
    return {name,
            program,
            QStringLiteral("a"),
            QStringLiteral("-spf -bsp1"),
            QStringLiteral("x"),
            QStringLiteral("-spf -aot")};
}

ArchiverEntries rarEntries(const QString& name, const QString& program) {
    return {name, program, QStringLiteral("a"), QStringLiteral("-ep3"), QStringLiteral("x"), {}};
}

void writeEntries(Table& t, const ArchiverEntries& e, int tip) {
    t.setString(ArchiverField::Name, e.name);
    t.setString(ArchiverField::NameAr, e.program);
    t.setString(ArchiverField::Param1, e.archiveCommand);
    t.setString(ArchiverField::Keys1, e.archiveSwitches);
    t.setString(ArchiverField::Param2, e.restoreCommand);
    t.setString(ArchiverField::Keys2, e.restoreSwitches);
    t.setString(ArchiverField::Arhstr1,
                composeCommand(e.program, e.archiveCommand, e.archiveSwitches));
    t.setString(ArchiverField::Arhstr2,
                composeCommand(e.program, e.restoreCommand, e.restoreSwitches));
    t.setInt(ArchiverField::Tip, tip);
}

ArchiverEntries readEntries(const Table& t) {
    return {t.asString(ArchiverField::Name),   t.asString(ArchiverField::NameAr),
            t.asString(ArchiverField::Param1), t.asString(ArchiverField::Keys1),
            t.asString(ArchiverField::Param2), t.asString(ArchiverField::Keys2)};
}

QString archiverHelpFile(const QString& program, const QString& fileName) {
    const QString folder = program.left(program.lastIndexOf(u'/') + 1);
    return QDir::isAbsolutePath(folder) ? folder + fileName : programFolder() + folder + fileName;
}

}  // namespace kv
