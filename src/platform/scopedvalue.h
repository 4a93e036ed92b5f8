#pragma once

#include <utility>

namespace kv {

// Puts `value` into `slot` while the object lives, and what the slot held back afterwards: how a
// process-wide service (the clock, message boxes, dialogs, the launch hook) is replaced for a
// while. Scopes nest; they must end in the reverse order of their start.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& slot, T value) : slot_(slot), previous_(std::exchange(slot, std::move(value))) {}
    ~ScopedValue() { slot_ = std::move(previous_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

    // What the slot held before this scope.
    const T& previous() const { return previous_; }

private:
    T& slot_;
    T previous_;
};

}  // namespace kv
