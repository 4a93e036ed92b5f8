#include "support/scripteddialogs.h"

namespace kv::test {

void ScriptedDialogs::answer(std::optional<QString> path) {
    queue_.append(std::move(path));
}

std::optional<QString> ScriptedDialogs::show(const DialogRequest& request) {
    shown.append(request);
    return queue_.isEmpty() ? std::nullopt : queue_.takeFirst();
}

}  // namespace kv::test
