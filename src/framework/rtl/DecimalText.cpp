// Exact decimal numbers as canonical text: reading any plain or exponent form, rounding to a
// number of decimals. No value ever passes through a double here.
#include "framework/rtl/DecimalText.h"

#include "framework/rtl/Locale.h"

#include <string>

namespace vmado {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// sign, all digits and the position of the point among them, to the canonical text.
AnsiString Canonical(bool negative, std::string digits, long point)
{
    // point: how many of the digits lie before the decimal point (may be negative or beyond).
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    if (point > static_cast<long>(digits.size()))
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    std::string whole = digits.substr(0, static_cast<std::size_t>(point));
    std::string fraction = digits.substr(static_cast<std::size_t>(point));
    const std::size_t lead = whole.find_first_not_of('0');
    whole = lead == std::string::npos ? "0" : whole.substr(lead);
    const std::size_t trail = fraction.find_last_not_of('0');
    fraction = trail == std::string::npos ? std::string() : fraction.substr(0, trail + 1);
    AnsiString result = whole;
    if (!fraction.empty())
        result += "." + fraction;
    if (negative && result != "0")
        result.insert(0, 1, '-');
    return result;
}

} // namespace

bool TryDecimalToCanonical(std::string_view text, AnsiString& canonical)
{
    std::size_t i = 0, n = text.size();
    while (i < n && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    while (n > i && static_cast<unsigned char>(text[n - 1]) <= ' ')
        --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const char separator = FormatSettings().DecimalSeparator;
    std::string digits;
    long point = -1;
    for (; i < n; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            digits += c;
        } else if ((c == '.' || c == separator) && point < 0) {
            point = static_cast<long>(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty())
        return false;
    if (point < 0)
        point = static_cast<long>(digits.size());
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '-' || text[i] == '+'))
            negativeExponent = text[i++] == '-';
        long exponent = 0;
        const std::size_t first = i;
        for (; i < n && IsDigit(text[i]); ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > 1000)
                return false;
        }
        if (i == first)
            return false;
        point += negativeExponent ? -exponent : exponent;
    }
    if (i != n)
        return false;
    canonical = Canonical(negative, digits, point);
    return true;
}

AnsiString RoundDecimal(const AnsiString& canonical, Integer decimals)
{
    const std::size_t dot = canonical.find('.');
    if (dot == AnsiString::npos || decimals < 0 ||
        canonical.size() - dot - 1 <= static_cast<std::size_t>(decimals))
        return canonical;
    const bool negative = !canonical.empty() && canonical[0] == '-';
    std::string digits = canonical.substr(negative ? 1 : 0, dot - (negative ? 1 : 0)) +
                         canonical.substr(dot + 1, static_cast<std::size_t>(decimals));
    const bool up = canonical[dot + 1 + static_cast<std::size_t>(decimals)] >= '5';
    long point = static_cast<long>(dot - (negative ? 1 : 0));
    if (up) {
        std::size_t k = digits.size();
        while (k > 0 && digits[k - 1] == '9')
            digits[--k] = '0';
        if (k == 0) {
            digits.insert(0, 1, '1');
            ++point;
        } else {
            ++digits[k - 1];
        }
    }
    return Canonical(negative, digits, point);
}

Integer DecimalIntegerDigits(const AnsiString& canonical)
{
    std::size_t start = !canonical.empty() && canonical[0] == '-' ? 1 : 0;
    std::size_t dot = canonical.find('.');
    if (dot == AnsiString::npos)
        dot = canonical.size();
    if (dot - start == 1 && canonical[start] == '0')
        return 0;
    return static_cast<Integer>(dot - start);
}

} // namespace vmado
