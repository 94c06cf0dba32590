// The process-wide locale settings record that every text<->value conversion reads. Defaults are
// the English (United States) values; tests change them only through ScopedFormatSettings.
#pragma once

#include "framework/rtl/Types.h"

#include <array>

namespace vmado {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    AnsiString CurrencyString = "$";
    Byte CurrencyFormat = 0; // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    Byte NegCurrFormat = 0;  // 0 "($1)" ... 15 "(1 $)", the framework's sixteen forms
    Byte CurrencyDecimals = 2;
    AnsiString ShortDateFormat = "M/d/yyyy";
    AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
    AnsiString ShortTimeFormat = "h:mm AMPM";
    AnsiString LongTimeFormat = "h:mm:ss AMPM";
    AnsiString TimeAMString = "AM";
    AnsiString TimePMString = "PM";
    std::array<AnsiString, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<AnsiString, 12> LongMonthNames{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    // Index 0 is Sunday, as the framework's DayOfWeek 1.
    std::array<AnsiString, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<AnsiString, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
    // A two-digit year falls in the hundred years that start this many years before the current
    // one: with 50 in 2026, "76".."99" are 1976-1999 and "00".."75" are 2000-2075. With 0 it is
    // always the current century.
    Word TwoDigitYearCenturyWindow = 50;

    static TFormatSettings EnglishUS() { return {}; }
};

// The live settings. Read them freely; change them only at start-up or in a test, while no
// other thread converts values.
TFormatSettings& FormatSettings() noexcept;

// Installs settings for the lifetime of the object and puts the previous ones back.
class ScopedFormatSettings {
public:
    ScopedFormatSettings() : saved_(FormatSettings()) {}
    explicit ScopedFormatSettings(const TFormatSettings& settings) : saved_(FormatSettings())
    {
        FormatSettings() = settings;
    }
    ~ScopedFormatSettings() { FormatSettings() = saved_; }
    ScopedFormatSettings(const ScopedFormatSettings&) = delete;
    ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

private:
    TFormatSettings saved_;
};

} // namespace vmado
