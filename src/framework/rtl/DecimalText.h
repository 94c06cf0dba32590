// Exact decimal numbers as text: the canonical form every layer keeps them in ("-123.45": a
// point whatever the locale, no leading or trailing zeros), so that no digit is lost on the way.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado {

// Reads a decimal number: blanks around it, an optional sign, digits with at most one point
// ('.' or the locale's decimal separator) and an optional exponent ("E", sign, digits). Writes
// the canonical form ("0" for zero, never "-0"). False for any other text.
bool TryDecimalToCanonical(std::string_view text, AnsiString& canonical);
// A canonical decimal rounded half away from zero to at most decimals digits after the point.
AnsiString RoundDecimal(const AnsiString& canonical, Integer decimals);
// The digits before the point of a canonical decimal (0 for "0.5").
Integer DecimalIntegerDigits(const AnsiString& canonical);

} // namespace vmado
