#include "archiving/findarchivers.h"

#include <QScopeGuard>

#include "archiving/archiverconfig.h"
#include "archiving/partialrestore.h"
#include "platform/codepage1251.h"
#include "platform/programsearch.h"
#include "platform/registryfile.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {
namespace {

struct KnownKey {
    const char16_t* key;
    int tip;
    Form1Text name;
};

// In the order they are tried; the two keys of one kind stand in for each other.
constexpr KnownKey kKnownKeys[] = {
    {kWinZipProgramKey, kTipWinZip, Form1Text::cf1},
    {u"WinZip\\shell\\open\\command", kTipWinZip, Form1Text::cf1},
    {kWinRarProgramKey, kTipWinRar, Form1Text::cf2},
    {u"WinRAR\\shell\\open\\command", kTipWinRar, Form1Text::cf2},
};

// Only system rows count: a configuration the user entered does not stand for the kind.
bool systemRowPresent(Table& t, int tip) {
    for (t.first(); !t.eof(); t.next()) {
        if (t.asBool(ArchiverField::Sys) && t.asInt(ArchiverField::Tip) == tip) {
            return true;
        }
    }
    return false;
}

// An archiver looked for on the search path: its program names, tried in order, its name text
// and its entries.
struct PathArchiver {
    QStringList programs;
    Form1Text name;
    ArchiverEntries (*entries)(const QString& name, const QString& program);
};

const PathArchiver kSevenZip{{QStringLiteral("7zz"), QStringLiteral("7z"), QStringLiteral("7za")},
                             Form1Text::cf5,
                             sevenZipEntries};
const PathArchiver kRar{{QStringLiteral("rar")}, Form1Text::cf6, rarEntries};

bool anyMarked(Table& t) {
    for (t.first(); !t.eof(); t.next()) {
        if (t.asBool(ArchiverField::Flag)) {
            return true;
        }
    }
    return false;
}

void addSystemRow(Table& t, const ArchiverEntries& entries, int tip, bool flag) {
    t.insert();
    t.setBool(ArchiverField::Flag, flag);
    writeEntries(t, entries, tip);
    t.setBool(ArchiverField::Sys, true);
    t.post();
}

// Why archers.dbf cannot hold `program` as it is; empty when it can.
const char* unstorableProgram(const QString& program) {
    if (program.size() > ArchiverField::NameAr.width()) {
        return "its path is longer than the configuration's field";
    }
    if (!cp1251::canEncode(program)) {
        return "its path holds characters that code page 1251 lacks";
    }
    if (program.contains(u'"')) {
        return "its path holds a double quote";
    }
    return nullptr;
}

// The first program of `archiver` on the search path that archers.dbf can hold.
QString findStorable(const PathArchiver& archiver) {
    for (const QString& name : archiver.programs) {
        const QString program = findProgram(name);
        if (program.isEmpty()) {
            continue;
        }
        if (const char* why = unstorableProgram(program)) {
            qWarning("kelvotrin: %s is not added as an archiver configuration: %s",
                     qPrintable(program), why);
            continue;
        }
        return program;
    }
    return {};
}

void addPathArchiver(Table& t, const PathArchiver& archiver, const QString& program,
                     const MainWindowTexts& texts) {
    const bool flag = !anyMarked(t);
    addSystemRow(t, archiver.entries(texts.text(archiver.name), program), kTipOther, flag);
}

}  // namespace

QString ArchiverPathFromCommand(const QString& command) {
    const qsizetype exe = command.indexOf(QStringLiteral(".exe"), 0, Qt::CaseSensitive);
    if (exe >= 0) {
        return command.mid(1, exe + 4 - 1);
    }
    // A native command: the program is the quoted text at its start, or else its first word.
    if (command.startsWith(u'"')) {
        const qsizetype close = command.indexOf(u'"', 1);
        return close < 0 ? command.mid(1) : command.mid(1, close - 1);
    }
    const qsizetype blank = command.indexOf(u' ');
    return blank < 0 ? command : command.left(blank);
}

void FindArchivers(Table& t, const MainWindowTexts& texts) {
    t.open();
    // Closed however the pass ends.
    const auto closes = qScopeGuard([&t] { t.close(); });
    const RegistryFile registry = loadProgramRegistry();
    bool insertedInThisPass = false;
    for (const KnownKey& known : kKnownKeys) {
        const std::optional<QString> command =
            registry.classesRootDefault(QString::fromUtf16(known.key));
        if (!command) {
            continue;
        }
        const QString path = ArchiverPathFromCommand(*command);
        if (systemRowPresent(t, known.tip)) {
            continue;
        }
        addSystemRow(t, shellArchiverEntries(texts.text(known.name), path), known.tip,
                     !insertedInThisPass);
        insertedInThisPass = true;
    }
}

void FindArchiversOnPath(Table& t, const MainWindowTexts& texts) {
    t.open();
    const auto closes = qScopeGuard([&t] { t.close(); });
    for (const PathArchiver* archiver : {&kSevenZip, &kRar}) {
        const QString program = findStorable(*archiver);
        if (!program.isEmpty()) {
            addPathArchiver(t, *archiver, program, texts);
        }
    }
}

QString sevenZipToOffer(Table& t, const MainWindowTexts& texts) {
    const QString name = texts.text(kSevenZip.name);
    for (t.first(); !t.eof(); t.next()) {
        if (isSevenZip(t.asString(ArchiverField::NameAr)) ||
            t.asString(ArchiverField::Name) == name) {
            return {};
        }
    }
    return findStorable(kSevenZip);
}

void addSevenZip(Table& t, const QString& program, const MainWindowTexts& texts) {
    addPathArchiver(t, kSevenZip, program, texts);
}

}  // namespace kv
