#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace kv {

// Finds a running copy of the program and talks to it: the stand-in for looking up the main
// window by its class and caption and sending it a window message.
//
// The channel is a local socket in the user's runtime folder, named from the window class and
// the window's caption, reachable by the same user only. claim() either hands a message to the
// copy that already listens under that name or starts listening itself; a lock file makes two
// copies started at the same moment end up with exactly one listener. A socket left behind by a
// crashed copy is noticed (nobody answers) and replaced.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // `runtimeFolder` empty: $XDG_RUNTIME_DIR, or a private folder under the temporary folder.
    InstanceChannel(QString windowClass, QString caption, QString runtimeFolder = {},
                    QObject* parent = nullptr);
    ~InstanceChannel() override;

    enum class Claim {
        HandedOver,  // another copy listens and answered the message: end this copy
        Listening,   // this copy is the first; messages arrive through messageReceived()
        Failed,      // neither (no runtime folder, socket errors); the program may go on alone
    };
    Claim claim(quint32 message, qint32 wParam, qint32 lParam);

    // Follows the window's caption (a language change): listens under the new name.
    void setCaption(const QString& caption);

    QString serverPath() const;  // full path of the socket for the current caption
    QString errorText() const { return error_; }

Q_SIGNALS:
    // A message from another copy. The sender waits until the handlers have run.
    void messageReceived(quint32 message, qint32 wParam, qint32 lParam);

private:
    bool listen();
    void acceptConnections();
    QString folder() const;

    QString windowClass_;
    QString caption_;
    QString runtimeFolder_;
    QString error_;
    QLocalServer* server_ = nullptr;
};

}  // namespace kv
