#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/trayclick.h"

class QMenu;
class QSystemTrayIcon;

namespace kv {

// The program's icon in the notification area. It owns the QSystemTrayIcon, made at the first
// show() with the window's menu as its own: a tray of today's desktops (StatusNotifierItem)
// shows that menu itself, from the copy that Qt exports over D-Bus, and an older tray has Qt
// pop it up; either way its captions and check marks are the menu's as they stand. The clicks
// that are left become signals; the main window decides what they do (SetTrayIcon,
// trayCallback).
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    // `menu`: the window's tray menu, not owned.
    explicit TrayIcon(QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;  // takes the icon out of the notification area

    // Shows the icon with `toolTip`.
    void show(const QIcon& icon, const QString& toolTip);
    // Changes the icon and the tooltip of an icon shown before; nothing otherwise.
    void update(const QIcon& icon, const QString& toolTip);
    void hide();
    bool isVisible() const;
    // Opens the menu where the mouse pointer is, for a click that did not reach the desktop's
    // tray (another program's tray message).
    void popUpMenu();
    // The icon once it has been shown (it may be hidden again), else nullptr.
    QSystemTrayIcon* icon() const { return icon_; }

Q_SIGNALS:
    // A click or a double click; the menu's click opens the menu and is not told.
    void clicked(TrayClick click);

private:
    QPointer<QMenu> menu_;
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace kv
