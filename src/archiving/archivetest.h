#pragma once

#include <QString>
#include <optional>

namespace kv {

// The command line that tests an archive with the archiver that wrote it, from the archive
// command the task runs (NameArhivator1): for 7-Zip (a program named 7zz, 7z or 7za) and RAR
// (rar) the same program with "t", the password switches of the archive command (-p..., and
// RAR's -hp...) and the archive in double quotes. None for any other archiver, which is not
// tested, and none when the archive path holds a double quote.
std::optional<QString> archiveTestCommand(const QString& archiveCommand,
                                          const QString& archivePath);

}  // namespace kv
