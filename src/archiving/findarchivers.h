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

// Discovery of the archivers on the program search path (platform/programsearch.h), which runs
// where FindArchivers does when archers.dbf has just been created, after it: 7-Zip (7zz, else 7z,
// else 7za), named by cf5, then RAR (rar), named by cf6, each found one as a system
// configuration of the kind "other" (Tip 0) with its command words and switches
// (sevenZipEntries, rarEntries). A configuration is marked as the default when no other is
// marked. A program whose path archers.dbf cannot hold (longer than NameAr, a character that
// code page 1251 lacks, a double quote, which no command line carries) is left out with a line
// in the session's log. Opens the table at its start and closes it at its end.
void FindArchiversOnPath(Table& archivers, const MainWindowTexts& texts);

// The 7-Zip program on the search path when no configuration of `archivers` (open) runs 7-Zip
// and none has the name of its system configuration: what the configuration list offers to add
// to a program folder whose archers.dbf is older than 7-Zip. Empty otherwise.
QString sevenZipToOffer(Table& archivers, const MainWindowTexts& texts);
// Adds the system configuration of the 7-Zip at `program` to `archivers` (open), as discovery
// does; the cursor rests on it.
void addSevenZip(Table& archivers, const QString& program, const MainWindowTexts& texts);

}  // namespace kv
