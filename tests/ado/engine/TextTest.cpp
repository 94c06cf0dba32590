// The engine's UTF-8 reading: text with a byte outside ASCII anywhere in it is converted, pure
// ASCII is passed through untouched, whatever its length.
#include "ado/engine/internal/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace vmado::engine {

namespace {

TEST(EngineText, ConvertsTextWithAHighByteAtAnyPosition)
{
    // Lengths around the word size the ASCII check reads at a time.
    for (std::size_t length = 0; length <= 26; ++length) {
        const std::string ascii(length, 'a');
        std::string out = "untouched";
        EXPECT_FALSE(Utf8ToAnsiIfNeeded(ascii, out)) << length;
        EXPECT_EQ(out, "untouched") << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (const unsigned char high : {0x80, 0xC3, 0xFF}) {
                std::string text = ascii;
                text[at] = static_cast<char>(high);
                std::string converted;
                EXPECT_TRUE(Utf8ToAnsiIfNeeded(text, converted))
                    << "byte " << int{high} << " at " << at << " of " << length;
            }
        }
    }
}

} // namespace

} // namespace vmado::engine
