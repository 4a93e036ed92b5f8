#pragma once

#include <QString>

#include "language/mainwindowtexts.h"

namespace kv {

class Table;

// The shell "open" command keys under HKEY_CLASSES_ROOT that belong to the WinRAR and WinZip
// programs themselves (discovery also knows a second key of each kind).
inline constexpr char16_t kWinRarProgramKey[] = u"Applications\\WinRAR.exe\\shell\\open\\command";
inline constexpr char16_t kWinZipProgramKey[] = u"Applications\\WinZip.exe\\shell\\open\\command";

// The archiver's program path in a shell "open" command: the text from its second character (the
// first is the opening quote of the quoted program path) up to and including the first ".exe"
// (lower case only). A command without ".exe" names a native program: the text inside its
// leading double quotes (up to the end when the closing one is missing), or else the text up to
// its first blank.
QString ArchiverPathFromCommand(const QString& command);

// Archiver discovery: for each known shell "open" command key under HKEY_CLASSES_ROOT (read from
// registry.reg), adds the system configuration of its archiver kind to `archivers`
// (archers.dbf) unless a system row of that kind is already there, named by cf1 or cf2 of
// `texts`. The first row added in one pass is marked as the default (Flag). Opens the table at
// its start and closes it at its end, whatever its state before. Never changes or removes a
// row. Start-up calls it right after creating archers.dbf.
void FindArchivers(Table& archivers, const MainWindowTexts& texts);

}  // namespace kv
