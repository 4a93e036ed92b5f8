#include "archiving/findarchivers.h"

#include <QScopeGuard>

#include "archiving/archiverconfig.h"
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
        t.insert();
        t.setBool(ArchiverField::Flag, !insertedInThisPass);
        writeEntries(t, shellArchiverEntries(texts.text(known.name), path), known.tip);
        t.setBool(ArchiverField::Sys, true);
        t.post();
        insertedInThisPass = true;
    }
}

}  // namespace kv
