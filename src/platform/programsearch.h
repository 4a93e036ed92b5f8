#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/scopedvalue.h"

namespace kv {

// The folders in which a program is looked for by its name: the entries of PATH that are
// absolute paths, in order. An empty or relative entry would name a folder relative to the
// current one, the program folder, which is no place where programs are installed.
QStringList programSearchPath();

// Makes `folders` the search path while the object lives (tests); scopes nest.
class ScopedProgramSearchPath : ScopedValue<std::optional<QStringList>> {
public:
    explicit ScopedProgramSearchPath(QStringList folders);
};

// The path of the first program named `name` in the search path: a file the user may run (a
// link to one counts), as the folder's entry, links not resolved. Empty when there is none.
QString findProgram(const QString& name);

}  // namespace kv
