// Literal readers for criteria texts. They accept whole texts only (a trailing remainder fails)
// and never allocate, so the evaluator may use them on text cells row by row.
#include "ado/engine/expression/internal/Literals.h"

#include "ado/engine/expression/internal/LocaleView.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vmado::engine::internal {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (prefix.empty() || s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(s[i]) != Upper(prefix[i]))
            return false;
    return true;
}

// Reads up to maxDigits digits; returns the count read.
int ReadUnsigned(std::string_view s, size_t& pos, int maxDigits, int& value)
{
    int n = 0;
    value = 0;
    while (pos < s.size() && IsDigit(s[pos]) && n < maxDigits) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    return n;
}

Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const Int64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, int& y, int& m, int& d)
{
    z += 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<Int64>(yoe) + era * 400 + (m <= 2));
}

const Int64 kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool IsDateSeparator(char c, const LocaleView& loc)
{
    return c == '-' || c == '/' || c == '.' || c == loc.DateSeparator;
}

// Time of day starting at pos: h[:nn[:ss[.zzz]]] [AM|PM]. Consumes to the end or fails.
bool ParseTimePart(std::string_view s, size_t pos, double& fraction)
{
    const LocaleView& loc = CurrentLocale();
    int h = 0, n = 0, sec = 0, ms = 0;
    if (ReadUnsigned(s, pos, 2, h) == 0)
        return false;
    if (pos >= s.size() || s[pos] != ':')
        return false; // a lone number is not a time
    ++pos;
    if (ReadUnsigned(s, pos, 2, n) == 0)
        return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (ReadUnsigned(s, pos, 2, sec) == 0)
            return false;
        if (pos < s.size() && (s[pos] == '.' || s[pos] == loc.DecimalSeparator)) {
            ++pos;
            int digits = 0;
            int scale = 100;
            while (pos < s.size() && IsDigit(s[pos])) {
                if (digits < 3)
                    ms += (s[pos] - '0') * scale;
                scale /= 10;
                ++digits;
                ++pos;
            }
            if (digits == 0)
                return false;
        }
    }
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    std::string_view rest = s.substr(pos);
    int ampm = 0; // 0 none, 1 am, 2 pm
    if (!rest.empty()) {
        if (StartsWithNoCase(rest, loc.TimeAMString) && rest.size() == loc.TimeAMString.size())
            ampm = 1;
        else if (StartsWithNoCase(rest, loc.TimePMString) && rest.size() == loc.TimePMString.size())
            ampm = 2;
        else if (rest.size() == 2 && Upper(rest[0]) == 'A' && Upper(rest[1]) == 'M')
            ampm = 1;
        else if (rest.size() == 2 && Upper(rest[0]) == 'P' && Upper(rest[1]) == 'M')
            ampm = 2;
        else if (rest.size() == 1 && Upper(rest[0]) == 'A')
            ampm = 1;
        else if (rest.size() == 1 && Upper(rest[0]) == 'P')
            ampm = 2;
        else
            return false;
    }
    if (ampm != 0) {
        if (h < 1 || h > 12)
            return false;
        if (h == 12)
            h = 0;
        if (ampm == 2)
            h += 12;
    }
    if (h > 23 || n > 59 || sec > 59)
        return false;
    fraction = (h * 3600000.0 + n * 60000.0 + sec * 1000.0 + ms) / 86400000.0;
    return true;
}

} // namespace

bool EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec, double& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    const double days = static_cast<double>(DaysFromCivil(year, month, day) - kEpochDays);
    const double frac = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
    // Before the epoch the day counts down while the time of day still counts up.
    out = days < 0 ? days - frac : days + frac;
    return true;
}

bool ParseNumber(std::string_view text, double& out)
{
    text = Trim(text);
    if (text.empty())
        return false;
    const char dec = CurrentLocale().DecimalSeparator;
    char buf[128];
    if (text.size() >= sizeof buf)
        return false;
    size_t n = 0;
    size_t i = 0;
    if (text[0] == '+')
        i = 1;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == dec)
            c = '.';
        const bool ok = IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!ok)
            return false;
        buf[n++] = c;
    }
    if (n == 0 || !(IsDigit(buf[0]) || buf[0] == '.' || buf[0] == '-'))
        return false;
    double v = 0;
    auto [p, ec] = std::from_chars(buf, buf + n, v, std::chars_format::general);
    if (ec != std::errc() || p != buf + n || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool ParseInteger(std::string_view text, Int64& out)
{
    text = Trim(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    Int64 v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size())
        return false;
    out = v;
    return true;
}

bool ParseCurrency(std::string_view text, Int64& raw)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    const char dec = CurrentLocale().DecimalSeparator;
    constexpr Int64 kMax = std::numeric_limits<Int64>::max();
    Int64 whole = 0;
    size_t i = 0;
    int digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
        const int d = text[i] - '0';
        if (whole > (kMax / 10000 - d) / 10)
            return false;
        whole = whole * 10 + d;
    }
    Int64 frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (i < text.size() && (text[i] == '.' || text[i] == dec)) {
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
            if (fracDigits < 4) {
                frac = frac * 10 + (text[i] - '0');
                ++fracDigits;
            } else if (fracDigits == 4) {
                roundUp = text[i] >= '5';
                ++fracDigits;
            }
        }
    }
    if (i != text.size() || digits == 0)
        return false; // exponents are not currency amounts
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    Int64 value = whole * 10000 + frac;
    if (roundUp) {
        if (value == kMax)
            return false;
        ++value;
    }
    raw = negative ? -value : value;
    return true;
}

bool ParseTime(std::string_view text, double& out)
{
    text = Trim(text);
    return ParseTimePart(text, 0, out);
}

bool ParseDateTime(std::string_view text, double& out)
{
    text = Trim(text);
    if (text.empty())
        return false;
    const LocaleView& loc = CurrentLocale();
    size_t pos = 0;
    int a = 0, b = 0, c = 0;
    const int na = ReadUnsigned(text, pos, 4, a);
    if (na == 0)
        return false;
    if (pos < text.size() && text[pos] == ':')
        return ParseTimePart(text, 0, out);
    if (pos >= text.size() || !IsDateSeparator(text[pos], loc))
        return false;
    const char sep = text[pos++];
    if (ReadUnsigned(text, pos, 2, b) == 0)
        return false;
    if (pos >= text.size() || text[pos] != sep)
        return false;
    ++pos;
    const int nc = ReadUnsigned(text, pos, 4, c);
    if (nc == 0)
        return false;
    int y, m, d;
    if (na == 4) {
        y = a, m = b, d = c;
    } else {
        // Month-first unless the locale's short date puts the day or the year first.
        switch (loc.DateOrder) {
        case LocaleView::Order::DMY:
            d = a, m = b, y = c;
            break;
        case LocaleView::Order::YMD:
            y = a, m = b, d = c;
            break;
        default:
            m = a, d = b, y = c;
            break;
        }
        const bool shortYear = (loc.DateOrder == LocaleView::Order::YMD) ? na <= 2 : nc <= 2;
        if (shortYear) {
            const int end = loc.CenturyEnd;
            y = end - ((end % 100 - y) % 100 + 100) % 100;
        }
    }
    if (pos < text.size() && text[pos] == sep && sep == '.')
        ++pos; // "2024.01.05."
    double day = 0;
    if (!EncodeDateTime(y, m, d, 0, 0, 0, 0, day))
        return false;
    if (pos == text.size()) {
        out = day;
        return true;
    }
    if (text[pos] != ' ' && text[pos] != 'T')
        return false;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T'))
        ++pos;
    double frac = 0;
    if (!ParseTimePart(text, pos, frac))
        return false;
    out = day < 0 ? day - frac : day + frac;
    return true;
}

Int64 DateToMilliseconds(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 1e8)
        return value < 0 ? INT64_MIN / 2 : INT64_MAX / 2;
    return std::llround(value * 86400000.0);
}

std::string_view FormatDateTime(double value, char* buf)
{
    if (!std::isfinite(value) || std::fabs(value) > 3e6) {
        buf[0] = '?';
        return std::string_view(buf, 1);
    }
    double days = std::trunc(value);
    Int64 ms = std::llround(std::fabs(value - days) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    int y, m, d;
    CivilFromDays(static_cast<Int64>(days) + kEpochDays, y, m, d);
    int len = std::snprintf(buf, 32, "%04d-%02d-%02d", y, m, d);
    const Int64 secs = ms / 1000;
    if (ms != 0) {
        int h = static_cast<int>(secs / 3600);
        const int n = static_cast<int>(secs / 60 % 60);
        const int s = static_cast<int>(secs % 60);
        const bool pm = h >= 12;
        h %= 12;
        if (h == 0)
            h = 12;
        const int z = static_cast<int>(ms % 1000);
        if (z != 0)
            len +=
                std::snprintf(buf + len, 32 - len, " %02d:%02d:%02d.%03d %s", h, n, s, z, pm ? "PM" : "AM");
        else
            len += std::snprintf(buf + len, 32 - len, " %02d:%02d:%02d %s", h, n, s, pm ? "PM" : "AM");
    }
    return std::string_view(buf, static_cast<size_t>(len));
}

} // namespace vmado::engine::internal
