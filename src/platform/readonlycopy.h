#pragma once

#include <QString>

namespace kv {

// A copy of `file` that a viewer cannot change: in a folder of this process that only its user
// can enter, under the file's own name, with the mode r--r--r--. An earlier copy of the same
// name is replaced (a viewer that still shows it keeps its open file). The folder and its copies
// go when the program ends. Raises Error (cp4, naming the copy) when the copy cannot be made.
QString readOnlyCopy(const QString& file);

}  // namespace kv
