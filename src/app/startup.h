#pragma once

#include <QString>
#include <QStringList>

#include "language/mainwindowtexts.h"

namespace kv {

struct ProgramTables;

inline const QString kRussian = QStringLiteral("Russian");
inline const QString kLanguageFile = QStringLiteral("lang.txt");
inline const QString kListsFolder = QStringLiteral("Lists");
// The program's name for the desktop, which is also the application's name: the title of its
// tray item, the sender of its notifications, the holder of its lock against suspending.
inline const QString kProgramName = QStringLiteral("Kelvotrin");

// The main window's caption by which a running copy is found: "Кельвотрин" when the language
// name is exactly "Russian", "Kelvotrin" for any other.
QString mainWindowCaption(const QString& languageName);

// The language name at program entry: "Russian", or the first line of lang.txt when it exists.
QString languageNameAtEntry();

// Reads lang.txt again, creating it with "Russian" when it is missing. Raises Error with a
// message naming the file when it can neither be read nor created.
QString readOrCreateLanguageFile();
// Rewrites lang.txt with `name` (1251 text, CR LF). Raises Error when it cannot be written; the
// old lang.txt then stays as it was.
void writeLanguageFile(const QString& name);

// The languages of the dictionary files in the program folder: every entry named "*.dic"
// (letter case ignored) that is a file or a folder, hidden ones and links to them included, by
// its name without the extension, sorted. Sockets, FIFOs, devices and dangling links are no
// dictionaries and are left out. `present` is set when there is at least one such entry.
QStringList dictionaryLanguages(bool* present);

// A text of the main window before the window exists (the refusal of a second copy): from
// section Form1 of the dictionary of `languageName`, when the language is not Russian and its
// dictionary exists; else the built-in text. Nothing is written.
QString textAtEntry(Form1Text key, const QString& languageName);

// Creates the tables that are missing and opens tasks.dbf, tasksm.dbf, tasksmt.dbf and
// tasksx.dbf, in the order of the start-up. A newly created archers.dbf is filled by archiver
// discovery (named by `texts`), from registry.reg and from the program search path. A table that
// cannot be created or opened (a damaged file, say) is left closed and the file is never
// replaced; the messages of such failures are returned, in order, for the caller to report.
// tasksx.dbf adds what that means (every task keeps all its archives), and when it had to be made
// while a task has a date in its archive names, a message that the task's choice of archives to
// keep is gone.
QStringList createAndOpenTables(ProgramTables& tables, const MainWindowTexts& texts);

// Creates the Lists folder when it is missing.
void ensureListsFolder();

}  // namespace kv
