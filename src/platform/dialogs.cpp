#include "platform/dialogs.h"

#include <QDir>

namespace kv {
namespace {
DialogService* service = nullptr;

QStringList show(const DialogRequest& request) {
    return service ? service->show(request) : QStringList();
}

std::optional<QString> showOne(const DialogRequest& request) {
    const QStringList chosen = show(request);
    return chosen.isEmpty() ? std::nullopt : std::optional(chosen.constFirst());
}
}  // namespace

ScopedDialogService::ScopedDialogService(DialogService& s) : ScopedValue(service, &s) {}

std::optional<QString> selectFolder(const QString& title) {
    return showOne({DialogRequest::Kind::SelectFolder, title, {}, {}, {}});
}

std::optional<QString> openFile(const QString& title, const QString& filter,
                                const QString& initialFile, const QString& executablesChoice) {
    return showOne({DialogRequest::Kind::OpenFile, title, filter, initialFile, executablesChoice});
}

QStringList openFiles(const QString& title) {
    return show({DialogRequest::Kind::OpenFiles, title, {}, QDir::homePath(), {}});
}

}  // namespace kv
