#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// Where the archives of a task lie: the folder of the path a run writes (without its date part
// and extension), with a closing '/', and the text every archive name of the task begins with.
// For a task whose archive name holds a folder of its own ("sub/docs"), that is the sub-folder.
struct ArchiveLocation {
    QString folder;
    QString prefix;
};
ArchiveLocation archiveLocation(const QString& nameArh, const QString& path2);

// Every entry of the folder whose name begins with the prefix, whatever it is (file, folder,
// link, hidden), by name, in the order in which the file system lists them. Archives of every
// date, their .BAK copies and the archives of other tasks whose names begin alike all match;
// partial archives that runs are writing (ArchivePaths::partial) never do.
QStringList archiveEntries(const ArchiveLocation& location);

// The extract command: `extractCommand` (the task's NameArhivator2), a blank and the archive path
// in double quotes. Nothing when the path holds a double quote: it would end the quoted path
// early and hand the rest to the archiver as arguments of its own.
std::optional<QString> restoreCommandLine(const QString& extractCommand,
                                          const QString& archivePath);

}  // namespace kv
