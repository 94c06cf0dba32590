// Keyed scrambling: the key value, known outputs, round trips at every length.
#include "utils/Scramble.h"
#include "utils/Strings.h"

#include <gtest/gtest.h>

namespace vmado {
namespace {

AnsiString Bytes(std::size_t length, unsigned seed)
{
    AnsiString s(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>((i * 131 + seed) & 0xFF);
    return s;
}

TEST(DecodePassword, SumsBytesTimesPositionsModulo65536)
{
    EXPECT_EQ(DecodePassword(""), 0);
    EXPECT_EQ(DecodePassword("41"), 52 * 1 + 49 * 2);
    EXPECT_EQ(DecodePassword(AnsiString("\xFF")), 255);
    // 300 bytes of 0xFF: 255 * (300 * 301 / 2) = 11,513,250, which is 43,426 modulo 65536.
    EXPECT_EQ(DecodePassword(AnsiString(300, '\xFF')), 11513250 % 65536);
}

TEST(Scramble, KnownOutputs)
{
    EXPECT_EQ(EnCrypt("AB", "A"), "A\xF4");
    EXPECT_EQ(StrToHex(EnCrypt("Secret text", "key")), "57F706DD09FEF7E4AFD2E4");
    EXPECT_EQ(EnCrypt("", "key"), "");
    EXPECT_EQ(DeCrypt("", "key"), "");
}

TEST(Scramble, RoundTripsTextsOfAnyLength)
{
    for (std::size_t length : {1u, 2u, 255u, 256u, 257u, 511u, 1000u, 70000u}) {
        SCOPED_TRACE(length);
        const AnsiString plain = Bytes(length, 7);
        const AnsiString scrambled = EnCrypt(plain, "secret");
        ASSERT_EQ(scrambled.size(), plain.size());
        EXPECT_EQ(DeCrypt(scrambled, "secret"), plain);
        EXPECT_NE(DeCrypt(scrambled, "other"), plain);
    }
}

TEST(Scramble, LongTextIsScrambledWholeNotJustItsFirstBytes)
{
    const AnsiString plain(600, 'x');
    const AnsiString scrambled = EnCrypt(plain, "k");
    // A stream scrambling: each prefix scrambles the same, so the tail is really processed.
    EXPECT_EQ(EnCrypt(plain.substr(0, 300), "k"), scrambled.substr(0, 300));
    EXPECT_NE(scrambled.substr(256), plain.substr(256));
    std::size_t unchanged = 0;
    for (std::size_t i = 256; i < plain.size(); ++i)
        if (scrambled[i] == plain[i])
            ++unchanged;
    EXPECT_LT(unchanged, 20u);
}

TEST(Scramble, EmptyKeyStillRoundTrips)
{
    const AnsiString plain = Bytes(50, 3);
    EXPECT_EQ(DeCrypt(EnCrypt(plain, ""), ""), plain);
}

} // namespace
} // namespace vmado
