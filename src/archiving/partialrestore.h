#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "archiving/archivecontents.h"

namespace kv {

class Table;

// 7-Zip by its program file's name: 7zz, 7z or 7za.
bool isSevenZip(const QString& program);

// The 7-Zip that lists an archive and restores chosen entries from it: the program of a system
// configuration of `archivers` (archers.dbf, opened for the look and closed again when it was
// closed; its cursor stays where it was) that runs 7-Zip, else the program of the task's
// extract command `extractCommand` when that is 7-Zip. One whose file exists comes before one
// whose file is missing. Empty when there is none. A table that cannot be read names none.
QString browsingArchiver(Table& archivers, const QString& extractCommand);

// The command line that lists `archive` with 7-Zip `program`, names in UTF-8; nothing when a
// path holds a double quote, which no command line carries. Both command lines give an empty
// password: 7-Zip runs without a terminal, so a password-protected archive fails at once with
// 7-Zip's word that the password is wrong instead of asking for one.
std::optional<QString> listingCommandLine(const QString& program, const QString& archive);

// Where chosen entries go: to the paths they came from, or below a folder, each under its path
// in the archive made relative ("/home/ann/a.txt" into /tmp/x is /tmp/x/home/ann/a.txt).
struct RestoreTarget {
    bool toFolder = false;
    QString folder;  // toFolder: the folder, without a closing '/' ("/" for the root)

    // Where the entry at `path` (as the archive writes it) lands.
    QString placeOf(const QString& path) const;
};

// What happens to files that are already there and differ from the archive's copy.
enum class ExistingFiles {
    KeepBoth,   // the file there is renamed and the archive's copy takes its name (-aot)
    Overwrite,  // the archive's copy replaces it (-aoa)
    Skip,       // it stays, and the archive's copy is not restored (-aos)
};

// What restoring the chosen nodes of a tree to a target comes to, the disk looked at.
struct RestorePlan {
    QStringList names;      // the archive paths to hand to 7-Zip: whole folders where it can
    QStringList differing;  // the places of chosen files that exist and differ from the archive
    int files = 0;          // chosen files that are restored (not already in place)
    int unchanged = 0;      // chosen files already in place: same size and modification time
    // The target is the original places and a chosen entry has a relative path: nobody knows
    // where it came from.
    bool needsFolder = false;
    QStringList unnameable;  // chosen paths that no list file or command line carries
};

// `chosen` holds one mark per node of `tree`; a chosen folder stands for everything below it.
// A chosen file is restored unless the file at its place has its size and modification time
// (to the second, or within two seconds where the archive keeps whole seconds only): then it is
// left out, and so 7-Zip never renames or replaces a file that equals its copy. A chosen file
// whose place holds a folder, or a chosen folder whose place holds something else, differs.
RestorePlan planRestore(const ArchiveTree& tree, const std::vector<bool>& chosen,
                        const RestoreTarget& target);

// The list file of the plan's names: UTF-8, CR LF after each line. Names that a list file
// cannot carry (7-Zip trims its lines) are left out: extractCommandLine() passes those.
QByteArray restoreListFile(const RestorePlan& plan);

// The command line that extracts the plan's names from `archive` with 7-Zip `program` and the
// list file at `listFile` (when restoreListFile() gave any bytes): to the full paths (-spf) or
// into the target's folder (-o), with the switch for `existing`, names taken literally (no
// wildcards) and in UTF-8. Nothing when a path holds a double quote.
std::optional<QString> extractCommandLine(const QString& program, const QString& archive,
                                          const RestorePlan& plan, const RestoreTarget& target,
                                          ExistingFiles existing, const QString& listFile);

}  // namespace kv
