#include "widgets/filedialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStandardPaths>

namespace kv {
namespace {

// Shows folders and the files the user may run, while `active`; everything otherwise.
class ExecutablesOnly final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setActive(bool active) {
        if (active != active_) {
            active_ = active;
            invalidateFilter();
        }
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!active_ || !files) {
            return true;
        }
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool active_ = true;
};

// The text of a filter choice before its patterns: "Programs (*)" -> "Programs".
QString choiceName(const QString& filter) {
    const qsizetype open = filter.indexOf(QStringLiteral(" ("));
    return open < 0 ? filter : filter.left(open);
}

QString openFileWithExecutablesChoice(QWidget* owner, const DialogRequest& request) {
    // Only the dialog of Qt's own takes a filtering model.
    QFileDialog dialog(owner, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    auto* proxy = new ExecutablesOnly(&dialog);
    dialog.setProxyModel(proxy);
    const auto follow = [proxy, &request](const QString& filter) {
        proxy->setActive(choiceName(filter) == request.executablesChoice);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy, follow);
    follow(dialog.selectedNameFilter());
    if (!request.initialFile.isEmpty()) {
        dialog.selectFile(request.initialFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QStringList QtDialogService::show(const DialogRequest& request) {
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
            chosen = request.executablesChoice.isEmpty()
                         ? QFileDialog::getOpenFileName(owner, request.title, request.initialFile,
                                                        request.filter)
                         : openFileWithExecutablesChoice(owner, request);
            break;
        case DialogRequest::Kind::OpenFiles:
            return QFileDialog::getOpenFileNames(owner, request.title, request.initialFile,
                                                 request.filter);
    }
    if (chosen.isEmpty()) {
        return {};
    }
    return {chosen};
}

}  // namespace kv
