// The 8-bit text layer: Windows-1250 and Windows-1252 byte tables (one byte is one character), the
// UTF-8 code page (bytes pass every boundary unchanged), and the conversions at every boundary.
#pragma once

#include "framework/rtl/Types.h"

#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace vmado {

// The code pages the library can run in. 1250 (Central European) is the default; the environment
// variable VMADO_CODEPAGE (1250, 1252 or 65001), read at the first use of text, chooses another
// for the whole process. An unsupported value there stops the process with a message at that use.
constexpr Integer CP_1250 = 1250;
constexpr Integer CP_1252 = 1252;
constexpr Integer CP_UTF8 = 65001;

// Stands for every character a conversion to a single-byte code page cannot carry over: a Unicode
// character the code page has no byte for, or a malformed UTF-8 sequence (one per bad sequence).
// The other way nothing is lost: bytes a code page leaves unassigned map to the C1 control of the
// same number, as the platform does, so every byte survives a round trip through UTF-8.
// In UTF-8 nothing is replaced: text, even malformed, passes through as it stands.
constexpr char AnsiReplacementChar = '?';

// The process-wide ANSI code page every Ansi* function uses. Safe to read from any thread.
Integer GetACP() noexcept;
// Raises EConvertError naming the code page for anything other than 1250, 1252 or 65001, and
// while a CodePageLock is held (an open database connection): text already read would otherwise
// be shown and written back in a different encoding. Choose the code page before use.
void SetACP(Integer codePage);
bool IsSupportedCodePage(Integer codePage) noexcept;
bool IsUtf8CodePage(Integer codePage = 0); // 0: the current one

// Held by whatever keeps text of the current code page across calls (an open connection).
class CodePageLock {
public:
    CodePageLock() noexcept;
    ~CodePageLock();
    CodePageLock(const CodePageLock&) = delete;
    CodePageLock& operator=(const CodePageLock&) = delete;
};

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

// Characters in text of the current code page: its bytes, or in UTF-8 its code points (a malformed
// byte counts as one). AnsiMaxCharSize is the most bytes one character takes (1, or 4 in UTF-8):
// buffers for n characters hold n times that, so no character is ever cut.
Integer AnsiCharCount(std::string_view s);
Integer AnsiMaxCharSize(Integer codePage = 0);

// Byte <-> code point of one code page (codePage 0 means the current one, as everywhere below;
// an unsupported code page raises EConvertError). UnicodeToAnsiChar returns false for a code
// point the code page cannot hold. In UTF-8 only ASCII is one byte: a byte from 0x80 on is part
// of a character and maps to the escape U+DC00 + byte (see the whole-text conversions).
char32_t AnsiCharToUnicode(unsigned char c, Integer codePage = 0);
bool UnicodeToAnsiChar(char32_t codePoint, char& out, Integer codePage = 0);

// Case mapping of one byte through the code page's full tables (every accented letter that has
// a counterpart in the same code page; letters without one, such as sharp s, stay as they are).
// In UTF-8 these see ASCII only; the whole-text functions (AnsiUpperCase ...) map every letter.
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

// Code-point forms of the case and letter functions, the same in every code page: Unicode's
// simple case mappings between characters of the same UTF-8 length (so the Turkish dotted and
// dotless i, long s and the Kelvin sign keep their case), without the process locale.
char32_t UnicodeUpperChar(char32_t codePoint);
char32_t UnicodeLowerChar(char32_t codePoint);
bool IsUnicodeLetter(char32_t codePoint);

// Whole-text conversions. In a single-byte code page characters that cannot be converted become
// AnsiReplacementChar; bad text never raises. In UTF-8 AnsiToUtf8 and Utf8ToAnsi return their
// input unchanged, malformed bytes included; AnsiToUtf32 turns each malformed byte into the escape
// U+DC00 + byte, which Utf32ToAnsi turns back into that byte, so no byte is ever lost.
std::string AnsiToUtf8(std::string_view ansi, Integer codePage = 0);
AnsiString Utf8ToAnsi(std::string_view utf8, Integer codePage = 0);
std::u32string AnsiToUtf32(std::string_view ansi, Integer codePage = 0);
AnsiString Utf32ToAnsi(std::u32string_view text, Integer codePage = 0);
// True when every character of the UTF-8 text has a byte in the code page (always in UTF-8).
bool Utf8FitsCodePage(std::string_view utf8, Integer codePage = 0);

// File names: the operating system's names are UTF-8 here, so the library's 8-bit names are
// converted on the way out and back.
std::filesystem::path AnsiToPath(std::string_view ansiName);
AnsiString PathToAnsi(const std::filesystem::path& path);

// Text printed to a UTF-8 terminal or log.
std::string AnsiToConsole(std::string_view ansi);
void WriteAnsi(std::ostream& out, std::string_view ansi);

} // namespace vmado
