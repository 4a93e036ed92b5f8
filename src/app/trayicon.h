#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace kv {

// The program's icon in the notification area. It owns the QSystemTrayIcon, made at the first
// show(), and turns the desktop's clicks on it into signals; the main window decides what they
// do (SetTrayIcon, trayCallback).
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;  // takes the icon out of the notification area

    // Shows the icon with `toolTip`.
    void show(const QIcon& icon, const QString& toolTip);
    // Changes the icon and the tooltip of an icon shown before; nothing otherwise.
    void update(const QIcon& icon, const QString& toolTip);
    void hide();
    bool isVisible() const;
    // The icon once it has been shown (it may be hidden again), else nullptr.
    QSystemTrayIcon* icon() const { return icon_; }

Q_SIGNALS:
    void clicked();
    void doubleClicked();
    void contextMenuRequested();

private:
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace kv
