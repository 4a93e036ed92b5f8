#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace kv {

// An open file of the file layer. Offsets are absolute; nothing has a file position.
// Every call reports failure by its result; errorString() then says why.
class FileHandle {
public:
    virtual ~FileHandle() = default;

    // Reads up to `size` bytes at `offset`; returns the number read (less at the end of the
    // file), or -1 on failure.
    virtual qint64 read(qint64 offset, char* data, qint64 size) = 0;
    // Writes `size` bytes at `offset`; returns the number written, which is less than `size`
    // only when the write failed part-way, or -1 when nothing was written.
    virtual qint64 write(qint64 offset, const char* data, qint64 size) = 0;
    virtual qint64 size() = 0;  // -1 on failure
    virtual bool truncate(qint64 size) = 0;
    virtual bool sync() = 0;

    // Advisory whole-file locks with the rules of flock(): a shared lock can be held by many,
    // an exclusive one by one holder only, and every open handle is a holder of its own (two
    // handles of one process on one file do exclude each other). Never waits: returns false
    // at once when another holder stands in the way. Changing the kind of a held lock is not
    // atomic: when it fails, the handle holds no lock at all.
    enum class Lock { None, Shared, Exclusive };
    virtual bool lock(Lock kind) = 0;

    // Bytes that tell this file apart from any other file that exists at the same time (device
    // and inode for real files). A file keeps its identity when renamed.
    virtual QByteArray identity() = 0;

    virtual QString errorString() const = 0;
};

// The file system as the table engine sees it. The real one is posixFileIo(); tests and the
// fuzzer use a file system in memory that injects failures (tests/support/memoryfileio.h).
class FileIo {
public:
    virtual ~FileIo() = default;

    enum class Mode {
        ReadOnly,   // an existing file
        ReadWrite,  // an existing file
        Create,     // created when missing, emptied when present; read and write
    };
    // What a symbolic link at `path` means. A table may be a link to a file elsewhere; the files
    // the engine keeps beside it (its journal, the new copy it writes) are its own and never are.
    enum class Links {
        Follow,
        // Refused (the open fails). In Create mode a link found there is removed first, so a
        // link planted in place of the file is dropped and its target never touched.
        NotFollowed,
    };
    // nullptr on failure (errorString() says why). Only a regular file opens; anything else at
    // the path (a FIFO, a device, a folder) is refused at once, never waited for.
    virtual std::unique_ptr<FileHandle> open(const QString& path, Mode mode, Links links) = 0;
    virtual bool exists(const QString& path) = 0;
    // Replaces `to` atomically when it exists.
    virtual bool rename(const QString& from, const QString& to) = 0;
    // Succeeds when the file does not exist. A symbolic link is removed itself, never its target.
    virtual bool remove(const QString& path) = 0;
    // Makes renames and removals in the folder of `path` durable.
    virtual bool syncFolderOf(const QString& path) = 0;

    virtual QString errorString() const = 0;
};

// The real file system (POSIX calls, flock locks). Shared by every table by default.
std::shared_ptr<FileIo> posixFileIo();

}  // namespace kv
