// Per-code-page lookup tables built once from the byte-to-Unicode maps; shared by the case and
// comparison functions so that each byte costs one array read.
#pragma once

#include "framework/rtl/CodePage.h"

#include <array>
#include <utility>
#include <vector>

namespace vmado::internal {

struct CodePageTables {
    std::array<char32_t, 256> ToUnicode{};
    std::vector<std::pair<char32_t, unsigned char>> FromUnicode; // bytes 0x80-0xFF, by code point
    std::array<unsigned char, 256> Upper{};
    std::array<unsigned char, 256> Lower{};
    std::array<bool, 256> Letter{};
    std::array<AnsiSortKey, 256> Sort{};
};

// codePage 0 means the current one; raises EConvertError for an unsupported code page.
const CodePageTables& TablesFor(Integer codePage);

} // namespace vmado::internal
