#pragma once

#include "platform/messagebox.h"

namespace kv {

// Real message boxes (QMessageBox), owned by the active window of the program.
class QtMessageBoxService final : public MessageBoxService {
public:
    MbResult show(const MessageBoxRequest& request) override;
};

}  // namespace kv
