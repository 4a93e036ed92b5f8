#pragma once

#include <QString>

namespace kv {

// The folder of the running executable, written with a closing '/'. Everything the program
// stores lives there, and it is the current folder of the process. Tests point it at a
// temporary folder.
QString programFolder();
void setProgramFolder(const QString& folder);  // adds the closing '/' when missing

// programFolder() + relative
QString inProgramFolder(const QString& relative);

}  // namespace kv
