// Floating-point and currency text in the locale settings: parsing (StrToFloat, StrToCurr) and
// the framework's general, exponent, fixed, number and currency forms.
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/internal/FloatText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vmado {

using internal::ExponentText;
using internal::SpecialText;

namespace {

using internal::FloatDecimal;

// A number as written: sign, the digits (leading zeros dropped) and the power of ten that scales
// them to the value. Accepts the locale decimal separator and an E exponent; blanks around.
struct DecimalText {
    bool Negative = false;
    std::string Digits;
    long Exponent = 0; // value = Digits x 10^Exponent
};

bool ParseDecimal(std::string_view s, DecimalText& out)
{
    const char sep = FormatSettings().DecimalSeparator;
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    std::size_t end = s.size();
    while (end > i && s[end - 1] == ' ')
        --end;
    s = s.substr(0, end);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        out.Negative = s[i] == '-';
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    long fractionDigits = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!(out.Digits.empty() && c == '0'))
                out.Digits += c;
            if (seenPoint)
                ++fractionDigits;
        } else if (c == sep && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExp = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negativeExp = s[i] == '-';
            ++i;
        }
        if (i >= s.size())
            return false;
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            if (exponent < 100000)
                exponent = exponent * 10 + (s[i] - '0');
        }
        if (negativeExp)
            exponent = -exponent;
    }
    if (i != s.size())
        return false;
    out.Exponent = exponent - fractionDigits;
    return true;
}

[[noreturn]] void InvalidFloat(std::string_view s)
{
    throw EConvertError("'" + AnsiString(s) + "' is not a valid floating point value");
}

// d1.d2d3...E±x with `mantissaDigits` digits after the first (padded with zeros when fixed).
AnsiString ScientificText(const FloatDecimal& d, int mantissaDecimals, bool padMantissa, int expDigits,
                          bool plusSign)
{
    const char sep = FormatSettings().DecimalSeparator;
    const std::string digits = d.Digits.empty() ? std::string("0") : d.Digits;
    AnsiString out(1, digits[0]);
    AnsiString rest = digits.substr(1);
    if (padMantissa)
        rest.resize(static_cast<std::size_t>(std::max(mantissaDecimals, 0)), '0');
    if (!rest.empty()) {
        out += sep;
        out += rest;
    }
    const int exponent = d.Digits.empty() ? 0 : d.Exponent - 1;
    return out + ExponentText(exponent, expDigits, plusSign);
}

AnsiString GeneralText(double value, int precision, int digits)
{
    precision = std::clamp(precision, 1, 18);
    const FloatDecimal d = internal::ToDecimalSignificant(value, precision);
    if (d.Digits.empty())
        return "0";
    AnsiString out = d.Negative ? "-" : "";
    if (d.Exponent > precision || d.Exponent < -3)
        return out + ScientificText(d, 0, false, std::clamp(digits, 0, 4), false);
    const int decimals = std::max(static_cast<int>(d.Digits.size()) - d.Exponent, 0);
    return out + internal::FixedText(d, decimals, false);
}

} // namespace

bool TryStrToFloat(std::string_view s, double& value)
{
    DecimalText t;
    if (!ParseDecimal(s, t))
        return false;
    if (t.Digits.empty()) {
        value = t.Negative ? -0.0 : 0.0;
        return true;
    }
    const std::string text = t.Digits + "e" + std::to_string(t.Exponent);
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v))
        return false;
    value = t.Negative ? -v : v;
    return true;
}

double StrToFloat(std::string_view s)
{
    double v;
    if (!TryStrToFloat(s, v))
        InvalidFloat(s);
    return v;
}

double StrToFloatDef(std::string_view s, double defaultValue)
{
    double v;
    return TryStrToFloat(s, v) ? v : defaultValue;
}

AnsiString FloatToStr(double value)
{
    return FloatToStrF(value, ffGeneral, 15, 0);
}

AnsiString FloatToStrF(double value, TFloatFormat format, Integer precision, Integer digits)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    precision = std::clamp(precision, 1, 18);
    switch (format) {
    case ffGeneral:
        return GeneralText(value, precision, digits);
    case ffExponent: {
        const FloatDecimal d = internal::ToDecimalSignificant(value, precision);
        return AnsiString(d.Negative && !d.Digits.empty() ? "-" : "") +
               ScientificText(d, precision - 1, true, std::clamp(digits, 0, 4), true);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        digits = std::clamp(digits, 0, 18);
        const FloatDecimal probe = internal::ToDecimalSignificant(value, precision);
        // Too many integer digits for the precision: the framework falls back to scientific.
        if (probe.Exponent > precision && !probe.Digits.empty())
            return AnsiString(probe.Negative ? "-" : "") + ScientificText(probe, 0, false, 0, true);
        const FloatDecimal d = internal::ToDecimalFixed(value, precision, digits);
        const bool negative = d.Negative && !d.Digits.empty();
        const AnsiString amount = internal::FixedText(d, digits, format != ffFixed);
        if (format == ffCurrency)
            return internal::CurrencyPattern(amount, negative);
        return (negative ? "-" : "") + amount;
    }
    }
    return GeneralText(value, precision, digits);
}

// ---- Currency ----------------------------------------------------------------------------------

bool TryStrToCurr(std::string_view s, Currency& value)
{
    DecimalText t;
    if (!ParseDecimal(s, t))
        return false;
    if (t.Digits.empty()) {
        value = Currency{};
        return true;
    }
    // Scale to ten-thousandths exactly, rounding half away from zero at the fifth decimal.
    const long scale = t.Exponent + 4;
    std::string digits = t.Digits;
    bool roundUp = false;
    if (scale < 0) {
        const long drop = -scale;
        if (drop > static_cast<long>(digits.size())) {
            digits.clear();
        } else {
            roundUp = digits[digits.size() - static_cast<std::size_t>(drop)] >= '5';
            digits.resize(digits.size() - static_cast<std::size_t>(drop));
        }
    } else {
        if (static_cast<long>(digits.size()) + scale > 19)
            return false;
        digits.append(static_cast<std::size_t>(scale), '0');
    }
    if (digits.size() > 19)
        return false;
    unsigned __int128 magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (roundUp)
        ++magnitude;
    const unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + (t.Negative ? 1 : 0);
    if (magnitude > limit)
        return false;
    value.Raw = t.Negative ? static_cast<Int64>(0 - static_cast<std::uint64_t>(magnitude))
                           : static_cast<Int64>(magnitude);
    return true;
}

Currency StrToCurr(std::string_view s)
{
    Currency v;
    if (!TryStrToCurr(s, v))
        InvalidFloat(s);
    return v;
}

Currency StrToCurrDef(std::string_view s, Currency defaultValue)
{
    Currency v;
    return TryStrToCurr(s, v) ? v : defaultValue;
}

namespace {

// The decimal digits of a currency rounded to `decimals` (0-4) places, half away from zero.
FloatDecimal CurrencyDecimal(Currency value, int decimals)
{
    FloatDecimal d;
    d.Negative = value.Raw < 0;
    const std::uint64_t raw = static_cast<std::uint64_t>(value.Raw);
    unsigned __int128 magnitude = value.Raw < 0 ? 0 - raw : raw; // INT64_MIN included
    int dropped = 4 - std::clamp(decimals, 0, 4);
    unsigned __int128 unit = 1;
    for (int i = 0; i < dropped; ++i)
        unit *= 10;
    magnitude = (magnitude + unit / 2) / unit * unit;
    std::string digits;
    while (magnitude != 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    }
    if (digits.empty())
        return FloatDecimal{};
    d.Exponent = static_cast<int>(digits.size()) - 4;
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    d.Digits = digits;
    return d;
}

} // namespace

AnsiString CurrToStr(Currency value)
{
    return CurrToStrF(value, ffGeneral, 0);
}

AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits)
{
    switch (format) {
    case ffGeneral: {
        const FloatDecimal d = CurrencyDecimal(value, 4);
        if (d.Digits.empty())
            return "0";
        const int decimals = std::max(static_cast<int>(d.Digits.size()) - d.Exponent, 0);
        return (d.Negative ? "-" : "") + internal::FixedText(d, decimals, false);
    }
    case ffExponent:
        return FloatToStrF(value.ToDouble(), ffExponent, 19, digits);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        digits = std::clamp(digits, 0, 18);
        const FloatDecimal d = CurrencyDecimal(value, std::min(digits, 4));
        const bool negative = d.Negative && !d.Digits.empty();
        const AnsiString amount = internal::FixedText(d, digits, format != ffFixed);
        if (format == ffCurrency)
            return internal::CurrencyPattern(amount, negative);
        return (negative ? "-" : "") + amount;
    }
    }
    return CurrToStr(value);
}

} // namespace vmado
