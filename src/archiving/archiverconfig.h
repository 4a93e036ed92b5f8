#pragma once

#include <QString>
#include <optional>

#include "archiving/form3texts.h"

namespace kv {

class Table;

// Archiver kinds as Tip stores them.
inline constexpr int kTipOther = 0;
inline constexpr int kTipWinRar = 1;
inline constexpr int kTipWinZip = 2;

// The entries of one configuration, as the user typed them.
struct ArchiverEntries {
    QString name;             // Name
    QString program;          // NameAr
    QString archiveCommand;   // Param1
    QString archiveSwitches;  // Keys1
    QString restoreCommand;   // Param2
    QString restoreSwitches;  // Keys2
};

// The entries as archers.dbf keeps them: without trailing blanks.
ArchiverEntries withStoredTexts(ArchiverEntries entries);

// A complete command string (Arhstr1, Arhstr2): the program path, a blank, the command word, a
// blank and the switches, exactly as typed. Nothing is quoted (a path with blanks stays as it
// is; WinExec finds it) and nothing is trimmed, so empty switches leave a trailing blank.
QString composeCommand(const QString& program, const QString& command, const QString& switches);

// Why the entries cannot be stored as they stand, as a message ready to show; nothing when they
// can. In this order: an empty program path; a program path holding a double quote (no command
// line could carry it); a text that code page 1251 cannot hold (it would be stored garbled); a
// composed command longer than its field (it would be stored cut).
std::optional<QString> entriesRefusal(const ArchiverEntries& entries, const Form3Texts& texts);

// The entries of a WinRAR or WinZip configuration, found by discovery or filled in by the user:
// the program path with the command words and switches that both archivers understand.
ArchiverEntries shellArchiverEntries(const QString& name, const QString& program);

// The entries of 7-Zip found on the search path. Archives keep full paths (-spf), so that a
// restore puts each file back where it was, and report their progress on standard output
// (-bsp1). A restore renames a file that is in the way (-aot) rather than overwrite newer work.
ArchiverEntries sevenZipEntries(const QString& name, const QString& program);
// The entries of RAR found on the search path.
ArchiverEntries rarEntries(const QString& name, const QString& program);

// Writes the entries and the two composed commands into the current row of `archivers`, which
// is in edit or insert state, with `tip` as the kind. Flag and Sys are left as they are.
void writeEntries(Table& archivers, const ArchiverEntries& entries, int tip);

// The entries of the current row.
ArchiverEntries readEntries(const Table& archivers);

// The help file of an archiver: the folder of its program path (up to its last '/', or the
// program folder when it names none) and `fileName`.
QString archiverHelpFile(const QString& program, const QString& fileName);

}  // namespace kv
