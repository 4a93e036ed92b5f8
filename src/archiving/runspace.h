#pragma once

#include <QString>
#include <optional>

namespace kv {

// Whether a backup has room to start: the free space of the destination's file system against
// the size of the task's last good archive (runs.log) and a tenth more.
struct RoomCheck {
    qint64 freeBytes = -1;    // -1: not known
    qint64 neededBytes = -1;  // -1: the task has no earlier archive

    // A task with no earlier archive, and a file system that tells nothing, always start.
    bool enough() const { return neededBytes < 0 || freeBytes < 0 || freeBytes >= neededBytes; }
};

// The room the task named `taskName` needs for an archive at `archivePath`. The free space is
// that of the nearest folder of the path that exists, as an unprivileged user may use it.
RoomCheck checkRoom(const QString& taskName, const QString& archivePath);

// The bytes free for an unprivileged user on the file system holding `path` or the nearest of
// its folders that exists; none when it cannot be told.
std::optional<qint64> freeSpaceAt(const QString& path);

}  // namespace kv
