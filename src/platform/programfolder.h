#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// The folder of the running executable, written with a closing '/'. Everything the program
// stores lives there, and it is the current folder of the process. Tests point it at a
// temporary folder.
QString programFolder();
void setProgramFolder(const QString& folder);  // adds the closing '/' when missing

// programFolder() + relative
QString inProgramFolder(const QString& relative);

// The program folder of an installed program: "kelvotrin/" in the user's data folder
// ($XDG_DATA_HOME, by default ~/.local/share), with a closing '/'.
QString userProgramFolder();

// Copies the dictionaries (*.dic) and help documents (*.doc) of `shippedFolder` that `folder`
// lacks into it. A file already in `folder` is never replaced: the program writes missing keys
// back into its dictionaries, and the user may have edited them. Returns the names it could
// not copy.
QStringList copyMissingShippedFiles(const QString& shippedFolder, const QString& folder);

// The folder of the executable that /proc/self/exe names by `linkTarget`, its raw bytes, with a
// closing '/'; none when those bytes are no absolute path in valid UTF-8: the program names its
// files in UTF-8 and could reach no file in such a folder.
std::optional<QString> folderOfExecutable(const QByteArray& linkTarget);

// The folder of the running executable, from /proc/self/exe. Raises Error (cm47, naming the
// folder and why) when it cannot be used.
QString executableFolder();

// Sets the program folder at start and makes it the current folder. A portable program (empty
// `shippedData`) keeps it beside its executable. An installed one uses userProgramFolder(),
// created when missing, and copies into it the shipped files it lacks from `shippedData`
// (relative to `executableFolder`, or absolute). Raises Error (cm47) when the folder cannot be
// made or entered; it never falls back to another folder.
void setUpProgramFolder(const QString& executableFolder, const QString& shippedData);

}  // namespace kv
