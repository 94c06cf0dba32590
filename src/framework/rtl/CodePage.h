// The 8-bit text layer: Windows-1250 and Windows-1252 byte tables, their case mappings, and the
// conversions at every boundary (UTF-8 text, file names, terminal). One byte is one character.
#pragma once

#include "framework/rtl/Types.h"

#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace vmado {

// The code pages the library can run in. 1250 (Central European) is the default.
constexpr Integer CP_1250 = 1250;
constexpr Integer CP_1252 = 1252;

// Stands for every character a conversion to the code page cannot carry over: a Unicode
// character the code page has no byte for, or a malformed UTF-8 sequence (one per bad sequence).
// The other way nothing is lost: bytes a code page leaves unassigned map to the C1 control of the
// same number, as the platform does, so every byte survives a round trip through UTF-8.
constexpr char AnsiReplacementChar = '?';

// The process-wide ANSI code page every Ansi* function uses. Safe to read from any thread;
// switch it only while no other thread is converting text.
Integer GetACP() noexcept;
// Raises EConvertError naming the code page for anything other than 1250 or 1252.
void SetACP(Integer codePage);
bool IsSupportedCodePage(Integer codePage) noexcept;

// Restores the previous code page when it leaves scope (tests, tools).
class ScopedCodePage {
public:
    explicit ScopedCodePage(Integer codePage) : saved_(GetACP()) { SetACP(codePage); }
    ~ScopedCodePage() { SetACP(saved_); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    Integer saved_;
};

// Byte <-> code point of one code page (codePage 0 means the current one, as everywhere below;
// an unsupported code page raises EConvertError). UnicodeToAnsiChar returns false for a code
// point the code page cannot hold.
char32_t AnsiCharToUnicode(unsigned char c, Integer codePage = 0);
bool UnicodeToAnsiChar(char32_t codePoint, char& out, Integer codePage = 0);

// Case mapping of one byte through the code page's full tables (every accented letter that has
// a counterpart in the same code page; letters without one, such as sharp s, stay as they are).
char AnsiUpperChar(char c, Integer codePage = 0);
char AnsiLowerChar(char c, Integer codePage = 0);
bool IsAnsiLetter(char c, Integer codePage = 0);
bool IsAnsiUpper(char c, Integer codePage = 0);
bool IsAnsiLower(char c, Integer codePage = 0);

// Collation weights used by AnsiCompareStr/AnsiCompareText: letters sort by their base letter
// first (a < á < b), accents break ties, and case breaks the remaining ties (lower first).
// Symbols sort before digits and digits before letters; hyphens, apostrophes and control
// characters (Primary 0) are passed over until everything else is equal.
struct AnsiSortKey {
    Word Primary;   // base character; 0 for characters passed over
    Byte Secondary; // accent
    Byte Tertiary;  // case: 0 lower or caseless, 1 upper
};
AnsiSortKey AnsiCharSortKey(char c, Integer codePage = 0);

// Whole-text conversions. Characters that cannot be converted become AnsiReplacementChar;
// bad text never raises.
std::string AnsiToUtf8(std::string_view ansi, Integer codePage = 0);
AnsiString Utf8ToAnsi(std::string_view utf8, Integer codePage = 0);
std::u32string AnsiToUtf32(std::string_view ansi, Integer codePage = 0);
AnsiString Utf32ToAnsi(std::u32string_view text, Integer codePage = 0);
// True when every character of the UTF-8 text has a byte in the code page.
bool Utf8FitsCodePage(std::string_view utf8, Integer codePage = 0);

// File names: the operating system's names are UTF-8 here, so the library's 8-bit names are
// converted on the way out and back.
std::filesystem::path AnsiToPath(std::string_view ansiName);
AnsiString PathToAnsi(const std::filesystem::path& path);

// Text printed to a UTF-8 terminal or log.
std::string AnsiToConsole(std::string_view ansi);
void WriteAnsi(std::ostream& out, std::string_view ansi);

} // namespace vmado
