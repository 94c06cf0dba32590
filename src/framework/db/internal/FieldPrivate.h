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
    explicit ScratchBuffer(std::size_t size) : bytes_(size < 16 ? 16 : size + 1, 0) {}
    void* data() { return bytes_.data(); }
    const char* chars() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    template <class T>
    T As() const
    {
        T value;
        std::memcpy(&value, bytes_.data(), sizeof value);
        return value;
    }

private:
    std::vector<char> bytes_;
};

} // namespace vmado::internal
