// Helpers shared by the reader, the writer and the text converter.
#pragma once

#include "framework/rtl/Types.h"

#include <string>
#include <string_view>

namespace vmado::internal {

std::u32string Utf16ToUtf32(std::u16string_view text);
std::u16string Utf32ToUtf16(std::u32string_view text);
// UTF-8 of code points (surrogate pairs of UTF-16 combined first); each malformed sequence, lone
// surrogate or code point beyond Unicode stands as U+FFFD, so nothing is dropped silently.
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
[[noreturn]] void InvalidStreamFormat();           // EReadError "Invalid stream format"
std::u16string AnsiToUtf16(std::string_view ansi); // through the current code page

// Floats in the text form: the framework's general format (15 significant digits, "." as the
// separator, "1E20" / "1.5E-7" exponents), widened to 16 or 17 digits only when 15 would not give
// back the same double (the same float, for single); with markIntegral an integral value keeps a ".0" so that
// it reads back as a float rather than an integer.
AnsiString FloatToText(double value, bool markIntegral, bool single = false);
// Reads what FloatToText writes (and any plain decimal); false when the text is not a number.
bool TextToFloat(std::string_view text, double& value);

} // namespace vmado::internal
