#include "store/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/regularfile.h"

namespace kv {
namespace {

QString errnoText(int error) {
    return fileErrorText(error);
}

// ---------------------------------------------------------------------------------------------
// The real file system.

class PosixHandle final : public FileHandle {
public:
    explicit PosixHandle(int fd) : fd_(fd) {}
    ~PosixHandle() override { ::close(fd_); }

    qint64 read(qint64 offset, char* data, qint64 size) override {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd_, data + done, size_t(size - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return fail(errno);
            }
            if (n == 0) {
                break;
            }
            done += n;
        }
        return done;
    }

    qint64 write(qint64 offset, const char* data, qint64 size) override {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, data + done, size_t(size - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                const int error = errno;
                fail(error);
                return done > 0 ? done : -1;
            }
            if (n == 0) {
                fail(EIO);
                return done > 0 ? done : -1;
            }
            done += n;
        }
        return done;
    }

    qint64 size() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            return fail(errno);
        }
        return st.st_size;
    }

    bool truncate(qint64 size) override {
        while (::ftruncate(fd_, off_t(size)) != 0) {
            if (errno != EINTR) {
                return fail(errno) == 0;
            }
        }
        return true;
    }

    bool sync() override {
        if (::fsync(fd_) != 0) {
            return fail(errno) == 0;
        }
        return true;
    }

    bool lock(Lock kind) override {
        const int op = kind == Lock::None     ? LOCK_UN
                       : kind == Lock::Shared ? LOCK_SH | LOCK_NB
                                              : LOCK_EX | LOCK_NB;
        while (::flock(fd_, op) != 0) {
            if (errno != EINTR) {
                return fail(errno) == 0;
            }
        }
        return true;
    }

    QByteArray identity() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            return {};
        }
        QByteArray out(16, '\0');
        const quint64 dev = st.st_dev;
        const quint64 ino = st.st_ino;
        std::memcpy(out.data(), &dev, 8);
        std::memcpy(out.data() + 8, &ino, 8);
        return out;
    }

    QString errorString() const override { return error_; }

private:
    int fail(int error) {
        error_ = errnoText(error);
        return -1;
    }

    int fd_;
    QString error_;
};

class PosixFileIo final : public FileIo {
public:
    std::unique_ptr<FileHandle> open(const QString& path, Mode mode, Links links) override {
        int flags = 0;
        switch (mode) {
            case Mode::ReadOnly:
                flags |= O_RDONLY;
                break;
            case Mode::ReadWrite:
                flags |= O_RDWR;
                break;
            case Mode::Create:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
        }
        const QByteArray name = QFile::encodeName(path);
        if (links == Links::NotFollowed) {
            flags |= O_NOFOLLOW;
            struct stat st {};
            if (mode == Mode::Create && ::lstat(name.constData(), &st) == 0 &&
                S_ISLNK(st.st_mode) && ::unlink(name.constData()) != 0) {
                error_ = errnoText(errno);
                return nullptr;
            }
        }
        const int fd = openRegularFile(path, flags, 0666);
        if (fd < 0) {
            error_ = errnoText(errno);
            return nullptr;
        }
        return std::make_unique<PosixHandle>(fd);
    }

    bool exists(const QString& path) override {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0;
    }

    bool rename(const QString& from, const QString& to) override {
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
            error_ = errnoText(errno);
            return false;
        }
        return true;
    }

    bool remove(const QString& path) override {
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
            error_ = errnoText(errno);
            return false;
        }
        return true;
    }

    bool syncFolderOf(const QString& path) override {
        QString folder = QFileInfo(path).path();
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error_ = errnoText(errno);
            return false;
        }
        const bool ok = ::fsync(fd) == 0;
        if (!ok) {
            error_ = errnoText(errno);
        }
        ::close(fd);
        return ok;
    }

    QString errorString() const override { return error_; }

private:
    QString error_;
};

}  // namespace

std::shared_ptr<FileIo> posixFileIo() {
    static const std::shared_ptr<FileIo> io = std::make_shared<PosixFileIo>();
    return io;
}

}  // namespace kv
