#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv::test {

// Reads desktop entries by the freedesktop.org desktop-entry rules for readers, independently of
// the program's writer, so that a test sees what a desktop would start.

// The keys of the [Desktop Entry] group with their values, string escapes undone.
QMap<QString, QString> readDesktopEntry(const QString& path);

// The arguments of an Exec value (string escapes already undone): split at blanks; an argument
// either quoted as a whole, with only '"', '`', '$' and '\' escaped inside, or free of reserved
// characters; "%%" a literal '%'. Nothing for a value that breaks these rules or holds a field
// code.
std::optional<QStringList> execArguments(const QString& exec);

// What desktop-file-validate says about the file: empty when it is valid.
QString desktopFileValidateErrors(const QString& path);

}  // namespace kv::test
