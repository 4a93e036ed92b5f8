#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>

namespace kv {

// Every file that the program reads or appends to is opened through openRegularFile(): only a
// regular file is kept, and the open never waits. open() alone would wait for a writer on a FIFO
// for good, and reading a device could be endless.

// open(2) of `path` with `flags` (O_CLOEXEC is added, and O_NONBLOCK for the open itself; it is
// cleared again once the file is open) and `mode` for a file that O_CREAT creates. Returns the
// descriptor, or -1 with errno set: EISDIR for a folder, ENXIO for anything else that is no
// regular file (a FIFO, a socket, a device). With O_NOFOLLOW a symbolic link is refused (ELOOP).
int openRegularFile(const QString& path, int flags, mode_t mode = 0666);

// What a user reads for the errno of a failed openRegularFile() or of a read or write.
QString fileErrorText(int error);

// The whole of a regular file read through openRegularFile().
struct FileRead {
    enum class Status {
        Read,      // `bytes` holds the file
        Missing,   // nothing at the path
        TooLarge,  // larger than the limit given; nothing was read
        Failed,    // anything else: not a regular file, no permission, a read error
    };
    Status status = Status::Failed;
    QByteArray bytes;
    QString error;  // why, for Failed
};
FileRead readRegularFile(const QString& path, qint64 maxSize);

}  // namespace kv
