#pragma once

#include <QString>
#include <functional>

#include "platform/scopedvalue.h"

namespace kv {

// Every question and every report reaches the user through messageBox(). The program installs a
// service that shows real boxes; tests put a scripted one in its place (tests/support) that
// records each box and answers from a queue, so no test ever blocks on a modal window.

enum class MbButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MbIcon { None, Information, Warning, Question, Critical };
enum class MbResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    QString text;
    QString caption;
    MbButtons buttons = MbButtons::Ok;
    MbIcon icon = MbIcon::None;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual MbResult show(const MessageBoxRequest& request) = 0;
};

// Puts `service` in place while the object lives, and the one before it back afterwards. Not
// owned. Without a service, boxes are written to stderr and answered with the cancelling choice
// (Ok for a box that has only Ok), so that nothing destructive happens unasked.
class ScopedMessageBoxService : ScopedValue<MessageBoxService*> {
public:
    explicit ScopedMessageBoxService(MessageBoxService& service);
};

MbResult messageBox(const QString& text, const QString& caption = {},
                    MbButtons buttons = MbButtons::Ok, MbIcon icon = MbIcon::None);

// The answer given when nobody can be asked: Ok for an OK box, otherwise Cancel or No.
MbResult cancellingAnswer(MbButtons buttons);

// The program's general error report: an operation failed and ended; the text says why (the
// message of an Error).
void reportError(const QString& text);

// Runs a window's handler; an Error that ends it is shown with the general error report. Every
// handler of a window runs through this, the one place where windows catch errors.
void runReportingErrors(const std::function<void()>& handler);

}  // namespace kv
