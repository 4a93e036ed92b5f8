#include "support/scripteddialogs.h"

namespace kv::test {

void ScriptedDialogs::answer(const std::optional<QString>& path) {
    queue_.append(path ? QStringList{*path} : QStringList());
}

void ScriptedDialogs::answerFiles(const QStringList& paths) {
    queue_.append(paths);
}

QStringList ScriptedDialogs::show(const DialogRequest& request) {
    shown.append(request);
    return queue_.isEmpty() ? QStringList() : queue_.takeFirst();
}

}  // namespace kv::test
