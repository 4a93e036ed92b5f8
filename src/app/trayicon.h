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
// show(), turns the desktop's clicks on it into signals and pops up the window's menu for it;
// the main window decides what the clicks do (SetTrayIcon, trayCallback).
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
    // Opens the menu where the mouse pointer is.
    void popUpMenu();
    // The icon once it has been shown (it may be hidden again), else nullptr.
    QSystemTrayIcon* icon() const { return icon_; }

Q_SIGNALS:
    void clicked(TrayClick click);

private:
    QPointer<QMenu> menu_;
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace kv
