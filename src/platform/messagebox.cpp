#include "platform/messagebox.h"

#include <cstdio>

#include "platform/error.h"
#include "platform/platformtexts.h"

namespace kv {
namespace {
MessageBoxService* service = nullptr;
}

ScopedMessageBoxService::ScopedMessageBoxService(MessageBoxService& s) : ScopedValue(service, &s) {}

MbResult cancellingAnswer(MbButtons buttons) {
    switch (buttons) {
        case MbButtons::Ok:
            return MbResult::Ok;
        case MbButtons::YesNo:
            return MbResult::No;
        case MbButtons::OkCancel:
        case MbButtons::YesNoCancel:
            return MbResult::Cancel;
    }
    return MbResult::Cancel;
}

MbResult messageBox(const QString& text, const QString& caption, MbButtons buttons, MbIcon icon) {
    if (service) {
        return service->show({text, caption, buttons, icon});
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    return cancellingAnswer(buttons);
}

void reportError(const QString& text) {
    messageBox(text, platformText(PlatformText::ErrorCaption), MbButtons::Ok, MbIcon::Critical);
}

void runReportingErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& e) {
        reportError(e.message());
    }
}

}  // namespace kv
