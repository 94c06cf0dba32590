// ISO date text <-> day numbers, by civil-calendar arithmetic (proleptic Gregorian).
#include "ado/engine/internal/IsoDate.h"

#include <cmath>
#include <cstdio>

namespace vmado::engine {

namespace {

constexpr long long UnixToDelphi = 25569; // 1970-01-01 as a day number

long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysIn(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Reads exactly `count` digits.
bool Digits(std::string_view s, std::size_t& i, int count, int& out)
{
    out = 0;
    for (int k = 0; k < count; ++k, ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

bool ParseTime(std::string_view s, std::size_t& i, double& fraction)
{
    int h = 0, n = 0, sec = 0, ms = 0;
    // one or two hour digits
    if (i >= s.size() || s[i] < '0' || s[i] > '9')
        return false;
    h = s[i++] - '0';
    if (i < s.size() && s[i] >= '0' && s[i] <= '9')
        h = h * 10 + (s[i++] - '0');
    if (i >= s.size() || s[i] != ':')
        return false;
    ++i;
    if (!Digits(s, i, 2, n))
        return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!Digits(s, i, 2, sec))
            return false;
        if (i < s.size() && s[i] == '.') {
            ++i;
            int scale = 100;
            bool any = false;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                ms += (s[i] - '0') * scale;
                scale /= 10;
                ++i;
                any = true;
            }
            if (!any)
                return false;
        }
    }
    std::size_t j = i;
    while (j < s.size() && s[j] == ' ')
        ++j;
    if (j + 2 <= s.size()) {
        const char a = static_cast<char>(s[j] & ~0x20), b = static_cast<char>(s[j + 1] & ~0x20);
        if ((a == 'A' || a == 'P') && b == 'M') {
            if (h < 1 || h > 12)
                return false;
            if (a == 'A' && h == 12)
                h = 0;
            else if (a == 'P' && h != 12)
                h += 12;
            i = j + 2;
        }
    }
    if (h > 23 || n > 59 || sec > 59)
        return false;
    fraction = (h * 3600000.0 + n * 60000.0 + sec * 1000.0 + ms) / 86400000.0;
    return true;
}

} // namespace

bool DateFromParts(int year, int month, int day, double& value)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysIn(year, month))
        return false;
    value = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + UnixToDelphi);
    return true;
}

void DateToParts(double value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                 int& msec)
{
    // Day numbers below zero keep the time as a positive fraction after the (negative) day.
    double dayPart = std::trunc(value);
    long long totalMs = std::llround(std::fabs(value - dayPart) * 86400000.0);
    if (totalMs >= 86400000) {
        totalMs -= 86400000;
        dayPart += value < 0 ? -1 : 1;
    }
    CivilFromDays(static_cast<long long>(dayPart) - UnixToDelphi, year, month, day);
    hour = static_cast<int>(totalMs / 3600000);
    minute = static_cast<int>(totalMs / 60000 % 60);
    second = static_cast<int>(totalMs / 1000 % 60);
    msec = static_cast<int>(totalMs % 1000);
}

bool ParseIsoDateTime(std::string_view text, double& value)
{
    // The form every DATE column holds, read without the general scanner.
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        int y = 0, m = 0, d = 0;
        bool digits = true;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
            digits = digits && text[static_cast<std::size_t>(i)] >= '0' &&
                     text[static_cast<std::size_t>(i)] <= '9';
        if (digits) {
            y = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
            m = (text[5] - '0') * 10 + (text[6] - '0');
            d = (text[8] - '0') * 10 + (text[9] - '0');
            return DateFromParts(y, m, d, value);
        }
    }
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::size_t start = i;
    int y = 0, m = 0, d = 0;
    double date = 0, time = 0;
    bool haveDate = false;
    if (Digits(text, i, 4, y) && i < text.size() && (text[i] == '-' || text[i] == '/')) {
        const char sep = text[i++];
        if (!Digits(text, i, 2, m) || i >= text.size() || text[i] != sep)
            return false;
        ++i;
        if (!Digits(text, i, 2, d) || !DateFromParts(y, m, d, date))
            return false;
        haveDate = true;
        if (i < text.size() && (text[i] == ' ' || text[i] == 'T')) {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] == ' ')
                ++j;
            if (j < text.size()) {
                i = j;
                if (!ParseTime(text, i, time))
                    return false;
            }
        }
    } else {
        i = start;
        if (!ParseTime(text, i, time))
            return false;
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size())
        return false;
    value = haveDate ? (date < 0 ? date - time : date + time) : time;
    return true;
}

AnsiString FormatIsoDateTime(double value, DataTypeEnum type)
{
    int y, m, d, h, n, s, ms;
    DateToParts(value, y, m, d, h, n, s, ms);
    char buf[40];
    if (type == adDBDate)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    else if (type == adDBTime)
        std::snprintf(buf, sizeof buf, ms ? "%02d:%02d:%02d.%03d" : "%02d:%02d:%02d", h, n, s, ms);
    else if (ms)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, n, s, ms);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
    return buf;
}

} // namespace vmado::engine
