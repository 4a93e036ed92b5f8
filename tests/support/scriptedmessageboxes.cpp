#include "support/scriptedmessageboxes.h"

#include <QStringList>

namespace kv::test {

ScriptedMessageBoxes::ScriptedMessageBoxes() = default;
ScriptedMessageBoxes::~ScriptedMessageBoxes() = default;

void ScriptedMessageBoxes::answer(MbResult result) {
    queue_.append([result](const MessageBoxRequest&) { return result; });
}

void ScriptedMessageBoxes::answer(Answer answer) {
    queue_.append(std::move(answer));
}

MbResult ScriptedMessageBoxes::show(const MessageBoxRequest& request) {
    shown.append(request);
    if (queue_.isEmpty()) {
        return cancellingAnswer(request.buttons);
    }
    Answer next = queue_.takeFirst();
    return next(request);
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList out;
    for (const auto& r : shown) {
        out << r.text;
    }
    return out;
}

}  // namespace kv::test
