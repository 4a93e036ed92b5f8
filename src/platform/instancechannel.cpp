#include "platform/instancechannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace kv {
namespace {

// The wire format: one window message, as its number and its two parameters, little-endian
// 32-bit each. The second start sends the show request; a tray message carries the mouse message
// on the icon.
constexpr int kPacketSize = 12;
constexpr quint32 kTrayMessage = 1025;  // WM_USER + 1; lParam the mouse message on the icon
constexpr quint32 kShowRequest = 1026;  // WM_USER + 2; both parameters 1
constexpr qint32 kLeftButtonUp = 514;
constexpr qint32 kLeftButtonDoubleClick = 515;
constexpr qint32 kRightButtonUp = 517;

constexpr int kConnectTimeoutMs = 2000;
constexpr int kAnswerTimeoutMs = 10000;

// Holds an exclusive advisory lock on a file while it lives.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                     0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A real folder (not a link to one) of this user alone: owned by the user, mode 0700.
bool isPrivateFolder(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

// Whether the process at the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return socket >= 0 && ::getsockopt(int(socket), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

InstanceChannel::InstanceChannel(QString windowClass, QString caption, QString runtimeFolder,
                                 QObject* parent)
    : QObject(parent),
      windowClass_(std::move(windowClass)),
      caption_(std::move(caption)),
      folder_(std::move(runtimeFolder)) {
    if (folder_.isEmpty()) {
        folder_ = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (folder_.isEmpty() || !isPrivateFolder(folder_)) {
            folder_ = QDir::tempPath() + QStringLiteral("/kelvotrin-%1").arg(::geteuid());
            folderIsOurs_ = true;
        }
    }
}

InstanceChannel::~InstanceChannel() {
    stopListening();
}

QString InstanceChannel::serverPath() const {
    // The caption in a short, file-name-safe form: socket paths are limited to 107 bytes.
    const QByteArray digest =
        QCryptographicHash::hash(caption_.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return folder_ + QStringLiteral("/kelvotrin-") + windowClass_ + u'-' +
           QString::fromLatin1(digest);
}

InstanceChannel::Claim InstanceChannel::claim() {
    if (folderIsOurs_) {
        const QByteArray dir = QFile::encodeName(folder_);
        if (::mkdir(dir.constData(), 0700) == 0) {
            ::chmod(dir.constData(), 0700);  // whatever the umask took away
        }
    }
    // A folder made first by someone else, or shared with others, is never used.
    if (!isPrivateFolder(folder_)) {
        error_ =
            QStringLiteral("%1 is not a folder of this user alone (owner, mode 0700)").arg(folder_);
        return Claim::Failed;
    }
    const QString path = serverPath();
    FileLock lock(path + QStringLiteral(".lock"));
    if (!lock.held()) {
        error_ = QStringLiteral("Cannot lock %1.lock").arg(path);
        return Claim::Failed;
    }

    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
        if (!peerIsThisUser(socket.socketDescriptor())) {
            error_ = QStringLiteral("%1 is held by a process of another user").arg(path);
            return Claim::Failed;
        }
        char packet[kPacketSize];
        qToLittleEndian<quint32>(kShowRequest, packet);
        qToLittleEndian<qint32>(1, packet + 4);
        qToLittleEndian<qint32>(1, packet + 8);
        socket.write(packet, kPacketSize);
        socket.waitForBytesWritten(kConnectTimeoutMs);
        // Like a synchronous send: wait until the other copy has handled the message.
        while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState) {
            if (!socket.waitForReadyRead(kAnswerTimeoutMs)) {
                break;
            }
        }
        if (socket.bytesAvailable() > 0) {
            return Claim::HandedOver;
        }
        if (socket.state() == QLocalSocket::ConnectedState) {
            error_ = QStringLiteral("The copy listening at %1 does not answer").arg(path);
            return Claim::Failed;
        }
        // The copy ended without answering: this one takes its place.
    }
    // Nobody answers: a socket left by a copy that crashed or ended, or none at all.
    QLocalServer::removeServer(path);
    return listen() ? Claim::Listening : Claim::Failed;
}

bool InstanceChannel::listen() {
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::acceptConnections);
    }
    server_->close();
    if (!server_->listen(serverPath())) {
        error_ = server_->errorString();
        return false;
    }
    return true;
}

void InstanceChannel::setCaption(const QString& caption) {
    if (caption == caption_) {
        return;
    }
    const bool wasListening = server_ && server_->isListening();
    if (wasListening) {
        server_->close();
    }
    caption_ = caption;
    if (wasListening) {
        FileLock lock(serverPath() + QStringLiteral(".lock"));
        QLocalServer::removeServer(serverPath());
        listen();
    }
}

void InstanceChannel::stopListening() {
    if (server_) {
        server_->close();
    }
}

void InstanceChannel::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < kPacketSize) {
                return;
            }
            char packet[kPacketSize];
            socket->read(packet, kPacketSize);
            deliver(qFromLittleEndian<quint32>(packet), qFromLittleEndian<qint32>(packet + 8));
            socket->write("\1", 1);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

void InstanceChannel::deliver(quint32 message, qint32 lParam) {
    if (message == kShowRequest) {
        Q_EMIT showRequested();
        return;
    }
    if (message != kTrayMessage) {
        return;
    }
    switch (lParam) {
        case kLeftButtonUp:
            Q_EMIT trayClicked(TrayClick::Click);
            break;
        case kLeftButtonDoubleClick:
            Q_EMIT trayClicked(TrayClick::DoubleClick);
            break;
        case kRightButtonUp:
            Q_EMIT trayClicked(TrayClick::ContextMenu);
            break;
        default:
            break;
    }
}

ProgramFolderLock::ProgramFolderLock(const QString& folder) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

ProgramFolderLock::~ProgramFolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ProgramFolderLock::acquire(int waitMs) {
    if (fd_ < 0) {
        return true;
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return true;  // no locks here: nothing to tell
        }
        if (waited.elapsed() >= waitMs) {
            return false;
        }
        ::usleep(50'000);
    }
}

}  // namespace kv
