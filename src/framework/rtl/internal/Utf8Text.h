// The Ansi* case and order functions for the UTF-8 code page: by code point, from Unicode data,
// with malformed bytes kept as they are and ordered after every character.
#pragma once

#include <string>
#include <string_view>

namespace vmado::internal {

// Same byte length as the input, malformed bytes unchanged.
std::string Utf8UpperCase(std::string_view s);
std::string Utf8LowerCase(std::string_view s);
// Word sort in three levels as for the single-byte code pages: base letters and symbols, then
// accents, then (withCase) case; equal weights fall back to the bytes, so only equal texts (equal
// after upper-casing without case) compare equal. Negative, zero or positive.
int Utf8Collate(std::string_view a, std::string_view b, bool withCase);

} // namespace vmado::internal
