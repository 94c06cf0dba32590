// Name comparison, UTF-16 handling and the stream-format error shared by the filer's parts.
#include "framework/classes/internal/FilerPrivate.h"

#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

namespace vmado {

namespace internal {

std::u32string Utf16ToUtf32(std::u16string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            out.push_back(U'\uFFFD'); // a lone surrogate
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::u16string Utf32ToUtf16(std::u32string_view text)
{
    std::u16string out;
    for (char32_t c : text) {
        if (c >= 0x10000 && c < 0x110000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c < 0x110000 ? c : 0xFFFD));
        }
    }
    return out;
}

[[noreturn]] void InvalidStreamFormat()
{
    throw EReadError("Invalid stream format");
}

} // namespace internal

} // namespace vmado
