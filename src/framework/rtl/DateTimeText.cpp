// Date-time text in the locale settings: FormatDateTime's tokens, and the scanners behind
// StrToDate/StrToTime/StrToDateTime (numbers split by the locale separators, AM/PM marks).
#include "framework/rtl/DateTime.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

namespace vmado {

namespace {

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view prefix)
{
    if (pos + prefix.size() > s.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (UpperAscii(s[pos + i]) != UpperAscii(prefix[i]))
            return false;
    return true;
}

AnsiString Number(int value, int minDigits)
{
    AnsiString s = std::to_string(value);
    while (static_cast<int>(s.size()) < minDigits)
        s.insert(s.begin(), '0');
    return s;
}

struct Parts {
    Word Year, Month, Day, DayOfWeek, Hour, Min, Sec, MSec;
};

class DateTimeFormatter {
public:
    explicit DateTimeFormatter(TDateTime value)
    {
        DecodeDateFully(value, p_.Year, p_.Month, p_.Day, p_.DayOfWeek);
        DecodeTime(value, p_.Hour, p_.Min, p_.Sec, p_.MSec);
    }

    AnsiString Run(std::string_view format)
    {
        Append(format.empty() ? std::string_view("c") : format, 0);
        return out_;
    }

private:
    // Locale formats may name other locale formats ("c" is ShortDateFormat and LongTimeFormat);
    // two levels are enough for every real format and stop a format that names itself.
    void Append(std::string_view f, int level)
    {
        if (level >= 2)
            return;
        const TFormatSettings& fs = FormatSettings();
        char lastToken = ' ';
        std::size_t i = 0;
        while (i < f.size()) {
            const char starter = f[i];
            if (starter == '\'' || starter == '"') {
                const std::size_t close = f.find(starter, i + 1);
                const std::size_t end = close == std::string_view::npos ? f.size() : close;
                out_.append(f.substr(i + 1, end - i - 1));
                i = end == f.size() ? end : end + 1;
                continue;
            }
            char token = UpperAscii(starter);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H')
                    token = 'N';
                lastToken = token;
            }
            std::size_t count = 1;
            while (i + count < f.size() && f[i + count] == starter)
                ++count;
            switch (token) {
            case 'Y':
                out_ += count <= 2 ? Number(p_.Year % 100, 2) : Number(p_.Year, 4);
                i += count;
                break;
            case 'M':
                if (count <= 2)
                    out_ += Number(p_.Month, static_cast<int>(count));
                else if (p_.Month >= 1)
                    out_ += count == 3 ? fs.ShortMonthNames[p_.Month - 1] : fs.LongMonthNames[p_.Month - 1];
                i += count;
                break;
            case 'D':
                if (count <= 2)
                    out_ += Number(p_.Day, static_cast<int>(count));
                else if (count == 3 && p_.DayOfWeek >= 1)
                    out_ += fs.ShortDayNames[p_.DayOfWeek - 1];
                else if (count == 4 && p_.DayOfWeek >= 1)
                    out_ += fs.LongDayNames[p_.DayOfWeek - 1];
                else if (count == 5)
                    Append(fs.ShortDateFormat, level + 1);
                else if (count >= 6)
                    Append(fs.LongDateFormat, level + 1);
                i += count;
                break;
            case 'H': {
                int hour = p_.Hour;
                if (TwelveHourClockFollows(f, i + count)) {
                    if (hour == 0)
                        hour = 12;
                    else if (hour > 12)
                        hour -= 12;
                }
                out_ += Number(hour, count >= 2 ? 2 : 1);
                i += count;
                break;
            }
            case 'N':
                out_ += Number(p_.Min, count >= 2 ? 2 : 1);
                i += count;
                break;
            case 'S':
                out_ += Number(p_.Sec, count >= 2 ? 2 : 1);
                i += count;
                break;
            case 'Z':
                out_ += Number(p_.MSec, count >= 2 ? 3 : 1);
                i += count;
                break;
            case 'T':
                Append(count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, level + 1);
                i += count;
                break;
            case 'C':
                Append(fs.ShortDateFormat, level + 1);
                if (p_.Hour != 0 || p_.Min != 0 || p_.Sec != 0) {
                    out_ += ' ';
                    Append(fs.LongTimeFormat, level + 1);
                }
                i += count;
                break;
            case 'A':
                i += AppendAmPm(f, i);
                break;
            case '/':
                out_ += fs.DateSeparator;
                ++i;
                break;
            case ':':
                out_ += fs.TimeSeparator;
                ++i;
                break;
            default:
                out_ += starter;
                ++i;
                break;
            }
        }
    }

    // The hour is on the 12-hour clock when the next 'a' outside quotes, before any other hour
    // token, starts an AM/PM mark.
    static bool TwelveHourClockFollows(std::string_view f, std::size_t from)
    {
        char quote = 0;
        for (std::size_t j = from; j < f.size(); ++j) {
            const char c = f[j];
            if (quote) {
                if (c == quote)
                    quote = 0;
                continue;
            }
            if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == 'a' || c == 'A') {
                return StartsWithNoCase(f, j, "am/pm") || StartsWithNoCase(f, j, "a/p") ||
                       StartsWithNoCase(f, j, "ampm");
            } else if (c == 'h' || c == 'H') {
                return false;
            }
        }
        return false;
    }

    // Writes the AM/PM mark starting at f[i]; returns how many format characters it used.
    std::size_t AppendAmPm(std::string_view f, std::size_t i)
    {
        const bool pm = p_.Hour >= 12;
        if (StartsWithNoCase(f, i, "am/pm")) {
            out_.append(f.substr(pm ? i + 3 : i, 2)); // the letters keep the case they were written in
            return 5;
        }
        if (StartsWithNoCase(f, i, "a/p")) {
            out_ += f[pm ? i + 2 : i];
            return 3;
        }
        if (StartsWithNoCase(f, i, "ampm")) {
            const TFormatSettings& fs = FormatSettings();
            out_ += pm ? fs.TimePMString : fs.TimeAMString;
            return 4;
        }
        out_ += f[i];
        return 1;
    }

    Parts p_{};
    AnsiString out_;
};

// ---- Scanning ----------------------------------------------------------------------------------

class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {}

    bool AtEnd() const { return pos_ >= s_.size(); }
    std::size_t Position() const { return pos_; }
    void Reset() { pos_ = 0; }

    void SkipBlanks()
    {
        while (pos_ < s_.size() && s_[pos_] == ' ')
            ++pos_;
    }

    // Up to four significant digits are read (the framework stops accumulating at 1000).
    bool Number(Word& value, int& length)
    {
        SkipBlanks();
        const std::size_t start = pos_;
        unsigned v = 0;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9' && v < 1000) {
            v = v * 10 + static_cast<unsigned>(s_[pos_] - '0');
            ++pos_;
        }
        length = static_cast<int>(pos_ - start);
        if (length == 0)
            return false;
        value = static_cast<Word>(v);
        return true;
    }

    bool Char(char c)
    {
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Text(std::string_view text)
    {
        SkipBlanks();
        if (text.empty() || !StartsWithNoCase(s_, pos_, text))
            return false;
        pos_ += text.size();
        return true;
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view shortDateFormat)
{
    for (char c : shortDateFormat) {
        switch (UpperAscii(c)) {
        case 'E':
        case 'Y':
            return DateOrder::YMD;
        case 'M':
            return DateOrder::MDY;
        case 'D':
            return DateOrder::DMY;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

Word CurrentYear()
{
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool ScanDate(Scanner& sc, TDateTime& date)
{
    const TFormatSettings& fs = FormatSettings();
    const DateOrder order = OrderOf(fs.ShortDateFormat);
    Word n1, n2, n3;
    int l1, l2, l3;
    if (!(sc.Number(n1, l1) && sc.Char(fs.DateSeparator) && sc.Number(n2, l2)))
        return false;
    Word y, m, d;
    int yearLength;
    if (sc.Char(fs.DateSeparator)) {
        if (!sc.Number(n3, l3))
            return false;
        switch (order) {
        case DateOrder::MDY:
            y = n3, yearLength = l3, m = n1, d = n2;
            break;
        case DateOrder::DMY:
            y = n3, yearLength = l3, m = n2, d = n1;
            break;
        default:
            y = n1, yearLength = l1, m = n2, d = n3;
            break;
        }
        if (yearLength <= 2) {
            const int window = fs.TwoDigitYearCenturyWindow;
            const int centuryBase = CurrentYear() - window;
            int year = y + centuryBase / 100 * 100;
            if (window > 0 && year < centuryBase)
                year += 100;
            y = static_cast<Word>(year);
        }
    } else {
        y = CurrentYear();
        if (order == DateOrder::DMY)
            d = n1, m = n2;
        else
            m = n1, d = n2;
    }
    sc.Char(fs.DateSeparator); // a trailing separator is allowed
    sc.SkipBlanks();
    return TryEncodeDate(y, m, d, date);
}

bool ScanAmPm(Scanner& sc, int& baseHour)
{
    const TFormatSettings& fs = FormatSettings();
    if (sc.Text(fs.TimeAMString) || sc.Text("AM")) {
        baseHour = 0;
        return true;
    }
    if (sc.Text(fs.TimePMString) || sc.Text("PM")) {
        baseHour = 12;
        return true;
    }
    return false;
}

bool ScanTime(Scanner& sc, TDateTime& time)
{
    const TFormatSettings& fs = FormatSettings();
    int baseHour = -1;
    if (ScanAmPm(sc, baseHour))
        sc.SkipBlanks();
    Word hour, min = 0, sec = 0, msec = 0;
    int length;
    if (!sc.Number(hour, length))
        return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(min, length))
            return false;
        if (sc.Char(fs.TimeSeparator)) {
            if (!sc.Number(sec, length))
                return false;
            if (sc.Char(fs.DecimalSeparator) && !sc.Number(msec, length))
                return false;
        }
    }
    if (baseHour < 0)
        ScanAmPm(sc, baseHour);
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (hour == 12)
            hour = 0;
        hour = static_cast<Word>(hour + baseHour);
    }
    sc.SkipBlanks();
    return TryEncodeTime(hour, min, sec, msec, time);
}

[[noreturn]] void Fail(std::string_view s, const char* what)
{
    throw EConvertError("'" + AnsiString(s) + "' is not a valid " + what);
}

} // namespace

AnsiString FormatDateTime(std::string_view format, TDateTime value)
{
    return DateTimeFormatter(value).Run(format);
}

AnsiString DateToStr(TDateTime value)
{
    return FormatDateTime("ddddd", value);
}

AnsiString TimeToStr(TDateTime value)
{
    return FormatDateTime("tt", value);
}

AnsiString DateTimeToStr(TDateTime value)
{
    return FormatDateTime("c", value);
}

bool TryStrToDate(std::string_view s, TDateTime& value)
{
    Scanner sc(s);
    TDateTime date;
    if (!ScanDate(sc, date) || !sc.AtEnd())
        return false;
    value = date;
    return true;
}

bool TryStrToTime(std::string_view s, TDateTime& value)
{
    Scanner sc(s);
    TDateTime time;
    if (!ScanTime(sc, time) || !sc.AtEnd())
        return false;
    value = time;
    return true;
}

bool TryStrToDateTime(std::string_view s, TDateTime& value)
{
    Scanner sc(s);
    TDateTime date;
    TDateTime time = 0;
    if (ScanDate(sc, date) && (sc.AtEnd() || ScanTime(sc, time)) && sc.AtEnd()) {
        value = ComposeDateTime(date, time);
        return true;
    }
    sc.Reset();
    if (ScanTime(sc, time) && sc.AtEnd()) {
        value = time;
        return true;
    }
    return false;
}

TDateTime StrToDate(std::string_view s)
{
    TDateTime v;
    if (!TryStrToDate(s, v))
        Fail(s, "date");
    return v;
}

TDateTime StrToTime(std::string_view s)
{
    TDateTime v;
    if (!TryStrToTime(s, v))
        Fail(s, "time");
    return v;
}

TDateTime StrToDateTime(std::string_view s)
{
    TDateTime v;
    if (!TryStrToDateTime(s, v))
        Fail(s, "date and time");
    return v;
}

TDateTime StrToDateDef(std::string_view s, TDateTime defaultValue)
{
    TDateTime v;
    return TryStrToDate(s, v) ? v : defaultValue;
}

TDateTime StrToDateTimeDef(std::string_view s, TDateTime defaultValue)
{
    TDateTime v;
    return TryStrToDateTime(s, v) ? v : defaultValue;
}

} // namespace vmado
