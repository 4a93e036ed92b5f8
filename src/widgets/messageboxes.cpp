#include "widgets/messageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace kv {

MbResult QtMessageBoxService::show(const MessageBoxRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(request.text);
    box.setWindowTitle(request.caption);
    switch (request.icon) {
        case MbIcon::None:
            break;
        case MbIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MbIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MbIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MbIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    switch (request.buttons) {
        case MbButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MbButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MbButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MbButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MbResult::Ok;
        case QMessageBox::Yes:
            return MbResult::Yes;
        case QMessageBox::No:
            return MbResult::No;
        default:
            return cancellingAnswer(request.buttons);
    }
}

}  // namespace kv
