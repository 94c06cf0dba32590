// Floating-point and currency text in the locale settings: parsing (StrToFloat, StrToCurr),
// the framework's general/exponent/fixed/number/currency forms, and FormatFloat sections.
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/internal/FloatText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vmado {

namespace internal {

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
        case 1: return amount + c;
        case 2: return c + " " + amount;
        case 3: return amount + " " + c;
        default: return c + amount;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1: return "-" + c + amount;
    case 2: return c + "-" + amount;
    case 3: return c + amount + "-";
    case 4: return "(" + amount + c + ")";
    case 5: return "-" + amount + c;
    case 6: return amount + "-" + c;
    case 7: return amount + c + "-";
    case 8: return "-" + amount + " " + c;
    case 9: return "-" + c + " " + amount;
    case 10: return amount + " " + c + "-";
    case 11: return c + " " + amount + "-";
    case 12: return c + " -" + amount;
    case 13: return amount + "- " + c;
    case 14: return "(" + c + " " + amount + ")";
    case 15: return "(" + amount + " " + c + ")";
    default: return "(" + c + amount + ")";
    }
}

} // namespace internal

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

AnsiString SpecialText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

AnsiString ExponentText(int exponent, int minDigits, bool plusSign)
{
    AnsiString out = "E";
    if (exponent < 0)
        out += '-';
    else if (plusSign)
        out += '+';
    AnsiString digits = std::to_string(std::abs(exponent));
    while (static_cast<int>(digits.size()) < minDigits)
        digits.insert(digits.begin(), '0');
    return out + digits;
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
            return AnsiString(probe.Negative ? "-" : "") +
                   ScientificText(probe, 0, false, 0, true);
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

// ---- FormatFloat -------------------------------------------------------------------------------

namespace {

// Splits a format at ';' outside quotes.
std::vector<std::string> SplitSections(std::string_view format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct SectionInfo {
    int IntegerPlaces = 0;   // '0' and '#' before the point
    int IntegerZeros = 0;    // digits forced from the first '0' before the point
    int MinDecimals = 0;     // '0' after the point (up to the last one)
    int MaxDecimals = 0;     // '0' and '#' after the point
    bool Thousands = false;
    bool Scientific = false;
    bool ExpPlus = false;
    int ExpDigits = 0;
    bool AnyPlaceholder = false;
};

SectionInfo Analyse(const std::string& f)
{
    SectionInfo info;
    bool afterPoint = false;
    bool firstZeroSeen = false;
    int lastZeroAfter = 0;
    char quote = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            info.AnyPlaceholder = true;
            if (afterPoint) {
                ++info.MaxDecimals;
                if (c == '0')
                    lastZeroAfter = info.MaxDecimals;
            } else {
                ++info.IntegerPlaces;
                if (c == '0')
                    firstZeroSeen = true;
                if (firstZeroSeen)
                    ++info.IntegerZeros;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            info.Thousands = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
            info.Scientific = true;
            info.ExpPlus = f[i + 1] == '+';
            std::size_t j = i + 2;
            while (j < f.size() && f[j] == '0') {
                ++info.ExpDigits;
                ++j;
            }
            break;
        }
    }
    info.MinDecimals = lastZeroAfter;
    return info;
}

AnsiString ApplySection(const std::string& f, double value)
{
    const TFormatSettings& fs = FormatSettings();
    const SectionInfo info = Analyse(f);
    const double magnitude = std::fabs(value);

    std::string integerDigits;
    std::string decimalDigits;
    AnsiString exponentText;
    if (info.Scientific) {
        const int intPlaces = std::max(info.IntegerPlaces, 1);
        const int significant = std::clamp(intPlaces + info.MaxDecimals, 1, 18);
        FloatDecimal d = internal::ToDecimalSignificant(magnitude, significant);
        std::string digits = d.Digits;
        digits.resize(static_cast<std::size_t>(significant), '0');
        integerDigits = digits.substr(0, static_cast<std::size_t>(intPlaces));
        decimalDigits = digits.substr(static_cast<std::size_t>(intPlaces));
        const int exponent = d.Digits.empty() ? 0 : d.Exponent - intPlaces;
        exponentText = ExponentText(exponent, info.ExpDigits, info.ExpPlus).substr(1);
    } else {
        const FloatDecimal d = internal::ToDecimalFixed(magnitude, 18, info.MaxDecimals);
        const int n = static_cast<int>(d.Digits.size());
        for (int i = 0; i < d.Exponent; ++i)
            integerDigits += i < n ? d.Digits[i] : '0';
        for (int i = 0; i < info.MaxDecimals; ++i) {
            const int index = d.Exponent + i;
            decimalDigits += (index >= 0 && index < n) ? d.Digits[index] : '0';
        }
    }
    while (static_cast<int>(decimalDigits.size()) > info.MinDecimals && !decimalDigits.empty() &&
           decimalDigits.back() == '0')
        decimalDigits.pop_back();
    const auto firstNonZero = integerDigits.find_first_not_of('0');
    integerDigits = firstNonZero == std::string::npos ? std::string() : integerDigits.substr(firstNonZero);
    while (static_cast<int>(integerDigits.size()) < info.IntegerZeros)
        integerDigits.insert(integerDigits.begin(), '0');

    AnsiString out;
    const int intLen = static_cast<int>(integerDigits.size());
    int intPlace = 0;
    int decPlace = 0;
    bool afterPoint = false;
    char quote = 0;
    auto emitIntegerDigit = [&](int index) {
        out += integerDigits[static_cast<std::size_t>(index)];
        const int remaining = intLen - 1 - index;
        if (info.Thousands && remaining > 0 && remaining % 3 == 0)
            out += fs.ThousandSeparator;
    };
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (!afterPoint) {
                // Digits are right-aligned to the placeholders; the first takes any surplus.
                const int first = intLen - info.IntegerPlaces + intPlace;
                if (intPlace == 0)
                    for (int k = 0; k < first; ++k)
                        emitIntegerDigit(k);
                if (first >= 0)
                    emitIntegerDigit(first);
                ++intPlace;
            } else {
                if (decPlace < static_cast<int>(decimalDigits.size()))
                    out += decimalDigits[static_cast<std::size_t>(decPlace)];
                ++decPlace;
            }
        } else if (c == '.') {
            if (!afterPoint && !decimalDigits.empty())
                out += fs.DecimalSeparator;
            afterPoint = true;
        } else if (c == ',') {
            // grouping is applied to the digits themselves
        } else if (info.Scientific && (c == 'E' || c == 'e') && i + 1 < f.size() &&
                   (f[i + 1] == '+' || f[i + 1] == '-')) {
            out += c;
            out += exponentText;
            i += 2;
            while (i < f.size() && f[i] == '0')
                ++i;
            --i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

AnsiString FormatFloat(std::string_view format, double value)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    if (format.empty())
        return FloatToStr(value);
    const std::vector<std::string> sections = SplitSections(format);
    std::string section = sections[0];
    bool addMinus = value < 0;
    if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
        section = sections[1];
        addMinus = false;
    } else if (value == 0 && sections.size() > 2 && !sections[2].empty()) {
        section = sections[2];
        addMinus = false;
    }
    AnsiString body = ApplySection(section, value);
    // A negative value that rounds to all zeros shows no minus sign.
    if (addMinus && body.find_first_of("123456789") != AnsiString::npos)
        return "-" + body;
    return body;
}

} // namespace vmado
