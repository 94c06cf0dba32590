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

std::u32string Utf8ToUtf32(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        const int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                          : lead >= 0xE0 && lead <= 0xEF ? 2
                          : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                         : 0;
        char32_t code = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : lead & 0x1F;
        int taken = 0;
        while (taken < extra && i + 1 + taken < utf8.size() && (byte(i + 1 + taken) & 0xC0) == 0x80) {
            code = (code << 6) | (byte(i + 1 + taken) & 0x3F);
            ++taken;
        }
        // Overlong forms, surrogates and values past U+10FFFF are as malformed as a cut sequence.
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        const bool good = extra > 0 && taken == extra && code >= kMin[extra] && code <= 0x10FFFF &&
                          !(code >= 0xD800 && code < 0xE000);
        out.push_back(good ? code : U'\uFFFD');
        i += 1 + static_cast<std::size_t>(taken);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : Utf16ToUtf32(text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
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
