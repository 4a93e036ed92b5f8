#pragma once

#include "platform/error.h"

namespace kv {

// Raised by the table engine when an operation cannot be done: a file that cannot be read or
// written, a file that is not a table or is damaged, an unknown field, an operation on a closed
// table. The message is meant for the user and names the file. An operation that raises leaves
// the file as it was before the operation, and the table object in a usable state (closed, or
// open in browse state).
class StoreError final : public Error {
public:
    using Error::Error;
};

}  // namespace kv
