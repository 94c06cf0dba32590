// Decimal digits of binary floating-point values and the pieces every float text is built from
// (fixed digits, grouping, exponents, currency patterns), shared so that all of them round alike.
#include "framework/rtl/internal/FloatText.h"

#include "framework/rtl/Locale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vmado::internal {

namespace {

// Rounds to `significant` digits from a longer correctly rounded expansion, so that exact ties
// (2.25 to one decimal) go away from zero instead of to even as printf would round them.
FloatDecimal FromScientific(double value, int significant)
{
    constexpr int kGuard = 20;
    FloatDecimal d;
    d.Negative = std::signbit(value);
    if (value == 0)
        return d;
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1 + kGuard, std::fabs(value));
    // buf: d.ddddde[+-]xx
    const char* p = buf;
    std::string digits;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exponent = std::atoi(p + 1) + 1;
    const bool roundUp = digits[static_cast<std::size_t>(significant)] >= '5';
    digits.resize(static_cast<std::size_t>(significant));
    if (roundUp) {
        int i = significant - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
            digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    d.Digits = digits;
    d.Exponent = exponent;
    return d;
}

} // namespace

FloatDecimal ToDecimalSignificant(double value, int precision)
{
    precision = std::clamp(precision, 1, 18);
    return FromScientific(value, precision);
}

FloatDecimal ToDecimalFixed(double value, int precision, int decimals)
{
    precision = std::clamp(precision, 1, 18);
    decimals = std::max(decimals, 0);
    FloatDecimal probe = FromScientific(value, 17);
    if (probe.Digits.empty())
        return probe;
    const int keep = std::min(precision, probe.Exponent + decimals);
    if (keep >= 1)
        return FromScientific(value, keep);
    FloatDecimal d;
    d.Negative = probe.Negative;
    // Nothing survives at this many decimals unless the value rounds up to one unit of the last.
    if (keep == 0 && probe.Digits[0] >= '5') {
        d.Digits = "1";
        d.Exponent = probe.Exponent + 1;
    }
    return d;
}

std::string GroupThousands(const std::string& integerDigits, char separator)
{
    std::string out;
    const std::size_t n = integerDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += integerDigits[i];
        const std::size_t remaining = n - 1 - i;
        if (remaining > 0 && remaining % 3 == 0)
            out += separator;
    }
    return out;
}

std::string FixedText(const FloatDecimal& d, int decimals, bool thousands)
{
    std::string integer;
    std::string fraction;
    const int n = static_cast<int>(d.Digits.size());
    for (int i = 0; i < std::max(d.Exponent, 0); ++i)
        integer += i < n ? d.Digits[i] : '0';
    if (integer.empty())
        integer = "0";
    for (int i = 0; i < decimals; ++i) {
        const int index = d.Exponent + i;
        fraction += (index >= 0 && index < n) ? d.Digits[index] : '0';
    }
    const TFormatSettings& fs = FormatSettings();
    std::string out = thousands ? GroupThousands(integer, fs.ThousandSeparator) : integer;
    if (decimals > 0) {
        out += fs.DecimalSeparator;
        out += fraction;
    }
    return out;
}

std::string CurrencyPattern(const std::string& amount, bool negative)
{
    const TFormatSettings& fs = FormatSettings();
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1:
            return amount + c;
        case 2:
            return c + " " + amount;
        case 3:
            return amount + " " + c;
        default:
            return c + amount;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1:
        return "-" + c + amount;
    case 2:
        return c + "-" + amount;
    case 3:
        return c + amount + "-";
    case 4:
        return "(" + amount + c + ")";
    case 5:
        return "-" + amount + c;
    case 6:
        return amount + "-" + c;
    case 7:
        return amount + c + "-";
    case 8:
        return "-" + amount + " " + c;
    case 9:
        return "-" + c + " " + amount;
    case 10:
        return amount + " " + c + "-";
    case 11:
        return c + " " + amount + "-";
    case 12:
        return c + " -" + amount;
    case 13:
        return amount + "- " + c;
    case 14:
        return "(" + c + " " + amount + ")";
    case 15:
        return "(" + amount + " " + c + ")";
    default:
        return "(" + c + amount + ")";
    }
}

std::string SpecialText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string ExponentText(int exponent, int minDigits, bool plusSign)
{
    std::string out = "E";
    if (exponent < 0)
        out += '-';
    else if (plusSign)
        out += '+';
    std::string digits = std::to_string(std::abs(exponent));
    while (static_cast<int>(digits.size()) < minDigits)
        digits.insert(digits.begin(), '0');
    return out + digits;
}

} // namespace vmado::internal
