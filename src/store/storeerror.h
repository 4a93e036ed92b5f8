#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// Raised by the table engine when an operation cannot be done: a file that cannot be read or
// written, a file that is not a table or is damaged, an unknown field, an operation on a closed
// table. The message is meant for the user and names the file. An operation that raises leaves
// the file as it was before the operation, and the table object in a usable state (closed, or
// open in browse state).
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace kv
