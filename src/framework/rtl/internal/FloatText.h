// Decimal digit strings of binary floating-point values, shared by FloatToStrF, FormatFloat and
// Format so that every float text rounds the same way.
#pragma once

#include "framework/rtl/Types.h"

#include <string>

namespace vmado::internal {

// value = 0.<Digits> x 10^Exponent; Digits has no trailing zeros and is empty for zero.
struct FloatDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

// Rounded to `precision` significant digits (1-18), ties away from zero as the framework rounds.
FloatDecimal ToDecimalSignificant(double value, int precision);
// Rounded to at most `precision` significant digits and at most `decimals` digits after the point.
FloatDecimal ToDecimalFixed(double value, int precision, int decimals);

// Inserts the locale thousand separator every three digits of an integer digit string.
std::string GroupThousands(const std::string& integerDigits, char separator);

// Fixed text of a decimal: integer digits (at least "0"), then, when decimals > 0, the decimal
// separator and exactly `decimals` digits. No sign.
std::string FixedText(const FloatDecimal& d, int decimals, bool thousands);

// "NAN", "INF" or "-INF".
std::string SpecialText(double value);
// "E", the sign ("-", or "+" when plusSign), at least minDigits digits of the exponent.
std::string ExponentText(int exponent, int minDigits, bool plusSign);

// Places a currency amount text (no sign) into the locale's positive or negative pattern.
std::string CurrencyPattern(const std::string& amount, bool negative);

} // namespace vmado::internal
