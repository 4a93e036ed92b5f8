#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "platform/dialogs.h"

namespace kv::test {

// Stands in for the user in front of folder and file dialogs: records every dialog and answers
// from a queue (the paths chosen, or nothing for Cancel). With the queue empty the dialog is
// cancelled.
// Installs itself on construction and puts the previous service back on destruction.
class ScriptedDialogs final : public DialogService {
public:
    void answer(const std::optional<QString>& path);
    void answerFiles(const QStringList& paths);  // several files in one dialog

    QStringList show(const DialogRequest& request) override;

    QList<DialogRequest> shown;

private:
    QList<QStringList> queue_;
    ScopedDialogService inUse_{*this};
};

}  // namespace kv::test
