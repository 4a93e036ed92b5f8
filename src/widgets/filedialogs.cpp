#include "widgets/filedialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QStandardPaths>

namespace kv {

std::optional<QString> QtDialogService::show(const DialogRequest& request) {
    QWidget* owner = QApplication::activeWindow();
    QString chosen;
    switch (request.kind) {
        case DialogRequest::Kind::SelectFolder:
            // Starts on the desktop, nothing chosen beforehand.
            chosen = QFileDialog::getExistingDirectory(
                owner, request.title,
                QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
            break;
        case DialogRequest::Kind::OpenFile:
            chosen = QFileDialog::getOpenFileName(owner, request.title, request.initialFile,
                                                  request.filter);
            break;
    }
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

}  // namespace kv
