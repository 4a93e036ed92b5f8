#pragma once

#include <QString>

namespace kv {

// Texts and files of freedesktop desktop entries: the autostart entry and the desktop launcher.
// Readers first undo the escapes of string values and only then split the Exec key into
// arguments, so a value is written the other way round: quoted for Exec, escaped for the file.

// A value of type string as it stands in the file: a backslash doubled; newline, tab and
// carriage return as \n, \t and \r; a leading blank as \s (readers would drop it).
QString desktopEntryString(const QString& value);

// One argument of the Exec key as it stands in the file: in double quotes, with '"', '`', '$'
// and '\' inside escaped by a backslash and '%' doubled (a lone '%' starts a field code), and
// then the string escapes on top, so a backslash of the path becomes four.
QString desktopEntryExecArgument(const QString& argument);

}  // namespace kv
