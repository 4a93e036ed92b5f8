#include "platform/dialogs.h"

namespace kv {
namespace {
DialogService* service = nullptr;

std::optional<QString> show(const DialogRequest& request) {
    return service ? service->show(request) : std::nullopt;
}
}  // namespace

ScopedDialogService::ScopedDialogService(DialogService& s) : ScopedValue(service, &s) {}

std::optional<QString> selectFolder(const QString& title) {
    return show({DialogRequest::Kind::SelectFolder, title, {}, {}, {}});
}

std::optional<QString> openFile(const QString& title, const QString& filter,
                                const QString& initialFile, const QString& executablesChoice) {
    return show({DialogRequest::Kind::OpenFile, title, filter, initialFile, executablesChoice});
}

}  // namespace kv
