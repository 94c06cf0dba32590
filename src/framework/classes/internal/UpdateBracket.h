// A scope guard for BeginUpdate/EndUpdate pairs, so an exception cannot leave a list or a
// collection stuck in its update state.
#pragma once

#include <exception>

namespace vmado::internal {

template <typename T> class UpdateBracket {
public:
    explicit UpdateBracket(T& target) : target_(target), pending_(std::uncaught_exceptions())
    {
        target_.BeginUpdate();
    }
    // EndUpdate fires change events that may raise: that propagates on the normal path, but is
    // dropped while another exception is already on its way out.
    ~UpdateBracket() noexcept(false)
    {
        if (std::uncaught_exceptions() > pending_) {
            try {
                target_.EndUpdate();
            } catch (...) {
            }
        } else {
            target_.EndUpdate();
        }
    }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    T& target_;
    int pending_;
};

} // namespace vmado::internal
