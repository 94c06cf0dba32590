// Text helpers of the engine: ASCII case folding for keys and names, and the conversions between
// the process's ANSI code page and the databases' encodings (UTF-8, UTF-16) with an ASCII fast path.
#pragma once

#include "framework/rtl/Types.h"

#include <string>
#include <string_view>

namespace vmado::engine {

AnsiString LowerAscii(std::string_view s);
AnsiString UpperAscii(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
AnsiString Trim(std::string_view s);

// Appends the conversion of utf8 to out; returns false when nothing needed converting (pure
// ASCII), in which case out is untouched and the caller may use the input as it stands.
bool Utf8ToAnsiIfNeeded(std::string_view utf8, std::string& out);
std::string ToUtf8(std::string_view ansi);
// For text read as utf8 and converted to ansi: utf8 when the conversion lost something
// (characters the code page lacks, bytes that are not UTF-8), else empty.
std::string_view StoredWhenLossy(std::string_view utf8, std::string_view ansi);
AnsiString FromUtf8(std::string_view utf8);
std::u16string ToUtf16(std::string_view ansi);
AnsiString FromUtf16(std::u16string_view utf16);

} // namespace vmado::engine
