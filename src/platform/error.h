#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// The one error of the program: an input or output operation failed (a file that cannot be read
// or written, a damaged table), and the message tells the user which file and why. Whoever
// raises it leaves what is stored as it was before the operation, unless the message says
// otherwise. The main window shows it with the general error report; code below the windows
// catches it only to go on with work of its own and then passes it on or reports it.
//
// Pure parsers return an optional or an expected-like value instead, and programming errors are
// assertions.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace kv
