// Helpers the field classes share: which types the dataset converts between native and outside
// forms, and a zeroed scratch buffer big enough for any fixed-size native value.
#pragma once

#include "framework/db/FieldTypes.h"

#include <cstring>
#include <vector>

namespace vmado::internal {

bool NeedsNativeConversion(TFieldType type);

// A zero-filled buffer of at least size bytes (never less than 8, so a 32-bit or 64-bit slot
// read from a descendant that writes wider integers stays inside it).
class ScratchBuffer {
public:
    // Field reads run per value: fixed-size values and short strings stay on the stack.
    explicit ScratchBuffer(std::size_t size) : size_(size < 16 ? 16 : size + 1)
    {
        if (size_ > sizeof inline_)
            heap_.assign(size_, 0);
        else
            std::memset(inline_, 0, size_);
    }
    void* data() { return heap_.empty() ? static_cast<void*>(inline_) : heap_.data(); }
    const char* chars() const { return heap_.empty() ? inline_ : heap_.data(); }
    std::size_t size() const { return size_; }
    template <class T> T As() const
    {
        T value;
        std::memcpy(&value, chars(), sizeof value);
        return value;
    }

private:
    std::size_t size_;
    alignas(8) char inline_[320]; // a 255-character text column and its terminator fit
    std::vector<char> heap_;
};

} // namespace vmado::internal
