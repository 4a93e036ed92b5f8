#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "store/fileio.h"

namespace kv::test {

// A file system in memory, for tests and fuzzing, that can inject failures.
//
// Writes are the mutating calls: FileHandle::write, truncate and sync, and FileIo::open in Create
// mode, rename and remove. They are numbered from 1 since the last resetFaults().
//
// A "crash" models the death of the process: the write that reaches the crash point is cut, and
// every later write is dropped and fails, until restart() (which also drops every lock, as the
// death of a process would). Like the kernel, which copies a write page by page and notices a
// fatal signal only between pages, a write is cut at a page boundary of the file (4096 bytes)
// only, never inside a page; the same holds for injected short writes.
class MemoryFileIo final : public FileIo {
public:
    static constexpr qint64 kPageSize = 4096;

    MemoryFileIo();
    ~MemoryFileIo() override;

    std::unique_ptr<FileHandle> open(const QString& path, Mode mode, Links links) override;
    bool exists(const QString& path) override;
    bool rename(const QString& from, const QString& to) override;
    bool remove(const QString& path) override;
    bool syncFolderOf(const QString& path) override;
    QString errorString() const override;

    // Direct access to the stored files (no faults, no counting).
    void setFile(const QString& path, const QByteArray& bytes);
    QByteArray file(const QString& path) const;  // empty when absent
    QStringList files() const;
    // As with chattr +i: the file can be read, but neither written (also through handles opened
    // before), opened for writing, renamed, replaced nor removed.
    void setImmutable(const QString& path, bool immutable);

    // The files as a new process would find them if this one died now: same contents and
    // identities, no locks, no faults.
    std::shared_ptr<MemoryFileIo> afterCrash() const;

    // Fault injection. Each applies to the writes counted from now on.
    void failWrite(int n);               // the n-th write fails, nothing written
    void shortWrite(int n);              // the n-th write stops at its last page boundary
    void crashAfterBytes(qint64 bytes);  // crash once this many more bytes have been written
    void crashAtWrite(int n);            // crash at the start of the n-th write
    void resetFaults();                  // clears the faults and the counters
    bool crashed() const;
    // After a crash: forgets it and every lock, as a new process would start.
    void restart();

    int writeCount() const;       // writes since resetFaults()
    qint64 bytesWritten() const;  // bytes written since resetFaults()

    struct Node;
    struct State;

private:
    std::shared_ptr<State> s_;
    QString error_;
};

}  // namespace kv::test
