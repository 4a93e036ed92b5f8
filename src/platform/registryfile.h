#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace kv {

// The read-only stand-in for the shell commands of the system registry: registry.reg in the
// program folder, in the registry export text form.
//
// Accepted form:
// - First non-empty line "REGEDIT4" or "Windows Registry Editor Version 5.00".
// - Encoding: a byte-order mark decides (UTF-16 LE or BE, UTF-8); without one the text is
//   UTF-8 when it is valid UTF-8, otherwise Windows-1251 (the ANSI code page of REGEDIT4 files).
//   Line ends CR LF, LF or CR.
// - Comment lines begin with ';'. Blank lines are ignored.
// - "[KEY\PATH]" opens a key (sections of the same key merge); "[-KEY\PATH]" removes a key and
//   everything under it. Key names compare without regard to letter case.
// - Values: '@' (the default value) or a quoted name, '=', then a quoted string (escapes \\ and
//   \"; any other backslash is kept as written), "-" (removes the value), "dword:<hex>", or
//   "hex:" / "hex(<type>):" with comma-separated bytes, continued on the next line after a
//   trailing backslash. hex(1) and hex(2) are text: UTF-16 LE in version 5.00 files, the ANSI
//   code page in REGEDIT4 files, up to the first NUL.
// Anything else makes the whole file malformed: it then counts as empty.
class RegistryFile {
public:
    RegistryFile() = default;

    // Never throws; a malformed text gives an empty registry with error() set.
    static RegistryFile parse(const QByteArray& bytes);
    // A missing file is an empty registry without error. A file that cannot be read, or is
    // larger than any registry export we expect, is malformed. `read`, when given, gets the bytes
    // that were read.
    static RegistryFile load(const QString& path, QByteArray* read = nullptr);

    bool isMalformed() const { return !error_.isEmpty(); }
    // "line 7: ..." for the user; empty when the file is sound.
    const QString& error() const { return error_; }

    // The default value of the key `subkey` under HKEY_CLASSES_ROOT as text: std::nullopt when
    // the key does not exist; the empty text when the key exists without a default value or its
    // default value is not text.
    std::optional<QString> classesRootDefault(const QString& subkey) const;

    int keyCount() const { return int(keys_.size()); }

private:
    struct Key {
        bool hasDefault = false;
        QString defaultText;  // meaningful with hasDefault
    };
    friend class RegistryParser;
    QHash<QString, Key> keys_;  // by full path, case-folded
    QString error_;
};

inline const QString kRegistryFileName = QStringLiteral("registry.reg");

// The default value of `subkey` under HKEY_CLASSES_ROOT, read from registry.reg in the program
// folder. A malformed file is reported to the user once (until its contents change) and counts
// as empty.
std::optional<QString> classesRootDefaultValue(const QString& subkey);

// Loads registry.reg of the program folder, reporting a malformed file as above. Callers that
// look up several keys load once.
RegistryFile loadProgramRegistry();

// Forgets which malformed files were reported (tests).
void resetRegistryReports();

}  // namespace kv
