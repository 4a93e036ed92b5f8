#pragma once

#include <QList>
#include <functional>

#include "platform/messagebox.h"

namespace kv::test {

// Stands in for the user in front of message boxes: records every box and answers from a queue.
// An answer may be a function, which runs while the box would be open (so a test can let timers
// fire "inside" a box). With the queue empty the cancelling answer is given.
// It answers the boxes while it lives and puts the previous service back when it goes.
class ScriptedMessageBoxes final : public MessageBoxService {
public:
    using Answer = std::function<MbResult(const MessageBoxRequest&)>;

    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;

    void answer(MbResult result);
    void answer(Answer answer);

    MbResult show(const MessageBoxRequest& request) override;

    QList<MessageBoxRequest> shown;
    QStringList texts() const;

private:
    QList<Answer> queue_;
    ScopedMessageBoxService inUse_{*this};
};

}  // namespace kv::test
