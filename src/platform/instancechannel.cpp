#include "platform/instancechannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {
namespace {

constexpr int kPacketSize = 12;  // message, wParam, lParam: little-endian 32-bit each
constexpr int kConnectTimeoutMs = 2000;
constexpr int kAnswerTimeoutMs = 10000;

// Holds an exclusive advisory lock on a file while it lives.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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

// A folder of our own that only this user can enter.
bool ensurePrivateFolder(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat st {};
    return ::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

InstanceChannel::InstanceChannel(QString windowClass, QString caption, QString runtimeFolder,
                                 QObject* parent)
    : QObject(parent),
      windowClass_(std::move(windowClass)),
      caption_(std::move(caption)),
      runtimeFolder_(std::move(runtimeFolder)) {}

InstanceChannel::~InstanceChannel() {
    if (server_) {
        server_->close();
    }
}

QString InstanceChannel::folder() const {
    if (!runtimeFolder_.isEmpty()) {
        return runtimeFolder_;
    }
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir()) {
        return xdg;
    }
    return QDir::tempPath() + QStringLiteral("/kelvotrin-%1").arg(::getuid());
}

QString InstanceChannel::serverPath() const {
    // The caption in a short, file-name-safe form: socket paths are limited to 107 bytes.
    const QByteArray digest =
        QCryptographicHash::hash(caption_.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return folder() + QStringLiteral("/kelvotrin-") + windowClass_ + u'-' +
           QString::fromLatin1(digest);
}

InstanceChannel::Claim InstanceChannel::claim(quint32 message, qint32 wParam, qint32 lParam) {
    const QString dir = folder();
    if (runtimeFolder_.isEmpty() && dir != qEnvironmentVariable("XDG_RUNTIME_DIR") &&
        !ensurePrivateFolder(dir)) {
        error_ = QStringLiteral("Cannot use the folder %1").arg(dir);
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
        char packet[kPacketSize];
        qToLittleEndian<quint32>(message, packet);
        qToLittleEndian<qint32>(wParam, packet + 4);
        qToLittleEndian<qint32>(lParam, packet + 8);
        socket.write(packet, kPacketSize);
        socket.waitForBytesWritten(kConnectTimeoutMs);
        // Like a synchronous send: wait until the other copy has handled the message.
        while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState) {
            if (!socket.waitForReadyRead(kAnswerTimeoutMs)) {
                break;
            }
        }
        return Claim::HandedOver;
    }
    // Nobody answers: a socket left by a copy that crashed, or none at all.
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

void InstanceChannel::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < kPacketSize) {
                return;
            }
            char packet[kPacketSize];
            socket->read(packet, kPacketSize);
            Q_EMIT messageReceived(qFromLittleEndian<quint32>(packet),
                                   qFromLittleEndian<qint32>(packet + 4),
                                   qFromLittleEndian<qint32>(packet + 8));
            socket->write("\1", 1);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

}  // namespace kv
