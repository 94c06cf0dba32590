// FormatFloat: the framework's picture formats ("#,##0.00", up to three ";" sections for
// positive, negative and zero values, quoted literals, E+/E- exponents).
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/Locale.h"
#include "framework/rtl/internal/FloatText.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vmado {

using internal::ExponentText;
using internal::FloatDecimal;
using internal::SpecialText;

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
    int IntegerPlaces = 0; // '0' and '#' before the point
    int IntegerZeros = 0;  // digits forced from the first '0' before the point
    int MinDecimals = 0;   // '0' after the point (up to the last one)
    int MaxDecimals = 0;   // '0' and '#' after the point
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
