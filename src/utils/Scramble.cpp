// Keyed stream scrambling. The key schedule runs on 16 bits and every byte position is
// processed, whatever the text's length.
#include "utils/Scramble.h"

#include "utils/Strings.h"

#include <cstdint>

namespace vmado {

namespace {

constexpr std::uint32_t Multiplier = 52845;
constexpr std::uint32_t Increment = 22719;

// Forward: the key advances on the scrambled byte, which is the output when scrambling and the
// input when unscrambling, so both directions walk the same key sequence.
AnsiString Scramble(const AnsiString& S, const AnsiString& Key, bool forward)
{
    std::uint32_t key = DecodePassword(StrToHex(Key));
    AnsiString result(S.size(), '\0');
    for (std::size_t i = 0; i < S.size(); ++i) {
        const auto in = static_cast<unsigned char>(S[i]);
        const auto out = static_cast<unsigned char>(in ^ (key >> 8));
        result[i] = static_cast<char>(out);
        const std::uint32_t scrambled = forward ? out : in;
        key = ((key + scrambled) * Multiplier + Increment) & 0xFFFF;
    }
    return result;
}

} // namespace

Word DecodePassword(const AnsiString& S)
{
    // Unsigned arithmetic wraps, and only the low 16 bits are kept, so overflow cannot hurt.
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < S.size(); ++i)
        sum +=
            static_cast<std::uint32_t>(static_cast<unsigned char>(S[i])) * static_cast<std::uint32_t>(i + 1);
    return static_cast<Word>(sum & 0xFFFF);
}

AnsiString EnCrypt(const AnsiString& S, const AnsiString& Key)
{
    return Scramble(S, Key, true);
}

AnsiString DeCrypt(const AnsiString& S, const AnsiString& Key)
{
    return Scramble(S, Key, false);
}

} // namespace vmado
