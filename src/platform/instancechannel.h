#pragma once

#include <QObject>
#include <QString>

#include "platform/trayclick.h"

class QLocalServer;

namespace kv {

// Finds a running copy of the program and talks to it: the stand-in for looking up the main
// window by its class and caption and sending it a window message.
//
// The channel is a local socket in the user's runtime folder, named from the window class and
// the window's caption. claim() either hands the request to show the window to the copy that
// already listens under that name or starts listening itself; a lock file makes two copies started
// at the same moment end up with exactly one listener. A socket left behind by a crashed copy is
// noticed (nobody answers) and replaced.
//
// Only the same user takes part. The folder is used only when it is the user's own with mode
// 0700 (a shared runtime folder would let another user listen first and swallow the message),
// and both ends check the other's user id before a message passes.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // `runtimeFolder` empty: $XDG_RUNTIME_DIR when it is private, or else the folder
    // "kelvotrin-<uid>" under the temporary folder, made private when this copy creates it.
    InstanceChannel(QString windowClass, QString caption, QString runtimeFolder = {},
                    QObject* parent = nullptr);
    ~InstanceChannel() override;

    enum class Claim {
        HandedOver,  // a copy of this user listens and handled the message: end this copy
        Listening,   // this copy is the first; other copies' requests arrive as signals
        // No channel and nothing sent: no private folder, the name held by another user, a copy
        // that does not answer, socket errors. Whether this copy may run is for ProgramFolderLock
        // to tell.
        Failed,
    };
    Claim claim();

    // Follows the window's caption (a language change): listens under the new name.
    void setCaption(const QString& caption);

    // A copy that is ending stops answering, so that a new start does not hand over to it.
    void stopListening();

    QString serverPath() const;  // full path of the socket for the current caption
    QString errorText() const { return error_; }

Q_SIGNALS:
    // Another copy asks to show the window. The sender waits until the handlers have run.
    void showRequested();
    // A tray message from another program: a click on the tray icon. Other messages are answered
    // and dropped.
    void trayClicked(TrayClick click);

private:
    bool listen();
    void acceptConnections();
    void deliver(quint32 message, qint32 lParam);

    QString windowClass_;
    QString caption_;
    QString folder_;
    bool folderIsOurs_ = false;  // the fallback folder, which this copy may create
    QString error_;
    QLocalServer* server_ = nullptr;
};

// An advisory lock on the program folder, held by the running copy for its whole life. It needs
// no private place, so a copy that could not reach a running one through the channel still
// learns that one runs on the same tables. The lock is not inherited by programs the copy starts.
class ProgramFolderLock {
public:
    explicit ProgramFolderLock(const QString& folder);
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

    // Takes the lock, waiting up to `waitMs` for a copy that is just ending to let go. False when
    // another copy holds it. A folder that cannot be locked at all (a file system without locks)
    // counts as free: the channel alone then keeps copies apart.
    bool acquire(int waitMs);

private:
    int fd_ = -1;
};

}  // namespace kv
