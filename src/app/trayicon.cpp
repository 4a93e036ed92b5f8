#include "app/trayicon.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace kv {

TrayIcon::TrayIcon(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) {}

TrayIcon::~TrayIcon() {
    hide();
}

void TrayIcon::show(const QIcon& icon, const QString& toolTip) {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        // Before the icon is shown, so that it registers with its menu.
        icon_->setContextMenu(menu_);
        connect(icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        Q_EMIT clicked(TrayClick::Click);
                    } else if (reason == QSystemTrayIcon::DoubleClick) {
                        Q_EMIT clicked(TrayClick::DoubleClick);
                    }
                });
    }
    icon_->setIcon(icon);
    icon_->setToolTip(toolTip);
    icon_->show();
}

void TrayIcon::update(const QIcon& icon, const QString& toolTip) {
    if (icon_) {
        icon_->setIcon(icon);
        icon_->setToolTip(toolTip);
    }
}

void TrayIcon::hide() {
    if (icon_) {
        icon_->hide();
    }
}

bool TrayIcon::isVisible() const {
    return icon_ && icon_->isVisible();
}

void TrayIcon::popUpMenu() {
    if (menu_) {
        menu_->popup(QCursor::pos());
    }
}

}  // namespace kv
