#include "platform/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/platformtexts.h"

namespace kv {

int openRegularFile(const QString& path, int flags, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
    } else if ((flags & O_NONBLOCK) == 0) {
        const int status = ::fcntl(fd, F_GETFL);
        if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

QString fileErrorText(int error) {
    if (error == ENXIO || error == EISDIR) {
        return platformText(PlatformText::NotARegularFile);
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

FileRead readRegularFile(const QString& path, qint64 maxSize) {
    FileRead out;
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0) {
        out.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Failed;
        out.error = fileErrorText(errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > maxSize) {
        ::close(fd);
        out.status = FileRead::Status::TooLarge;
        return out;
    }
    // The size may change while the file is read: never more than the limit is taken in.
    QByteArray bytes;
    bytes.resize(qsizetype(std::min<qint64>(st.st_size, maxSize)) + 1);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > maxSize) {
                ::close(fd);
                out.status = FileRead::Status::TooLarge;
                return out;
            }
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, qsizetype(maxSize) + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            out.error = fileErrorText(errno);
            ::close(fd);
            return out;
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    ::close(fd);
    bytes.truncate(done);
    out.status = FileRead::Status::Read;
    out.bytes = std::move(bytes);
    return out;
}

}  // namespace kv
