#pragma once

#include "platform/dialogs.h"

namespace kv {

// Real folder and file dialogs (QFileDialog), owned by the active window of the program, which
// takes no input while one is open.
class QtDialogService final : public DialogService {
public:
    QStringList show(const DialogRequest& request) override;
};

}  // namespace kv
