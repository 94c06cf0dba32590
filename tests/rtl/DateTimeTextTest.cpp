// Date-time text: every FormatDateTime token, the locale's default forms, and StrToDate /
// StrToTime / StrToDateTime in an English (United States) and a Hungarian-style locale.
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {

TFormatSettings Hungarian()
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = ' ';
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.ShortDateFormat = "yyyy.MM.dd.";
    fs.LongDateFormat = "yyyy. MMMM d.";
    fs.ShortTimeFormat = "H:mm";
    fs.LongTimeFormat = "H:mm:ss";
    fs.TimeAMString = "de.";
    fs.TimePMString = "du.";
    return fs;
}

TFormatSettings British()
{
    TFormatSettings fs;
    fs.ShortDateFormat = "dd/MM/yyyy";
    fs.LongTimeFormat = "hh:mm:ss";
    fs.ShortTimeFormat = "hh:mm";
    return fs;
}

const TDateTime kSample = EncodeDateTime(2024, 1, 5, 15, 4, 5, 67); // a Friday afternoon

} // namespace

TEST(FormatDateTime, EveryToken)
{
    struct Row {
        const char* format;
        const char* text;
    } rows[] = {
        {"yyyy", "2024"},
        {"yy", "24"},
        {"y", "24"},
        {"yyy", "2024"},
        {"m", "1"},
        {"mm", "01"},
        {"mmm", "Jan"},
        {"mmmm", "January"},
        {"d", "5"},
        {"dd", "05"},
        {"ddd", "Fri"},
        {"dddd", "Friday"},
        {"ddddd", "1/5/2024"},
        {"dddddd", "Friday, January 5, 2024"},
        {"h", "15"},
        {"hh", "15"},
        {"n", "4"},
        {"nn", "04"},
        {"s", "5"},
        {"ss", "05"},
        {"z", "67"},
        {"zzz", "067"},
        {"hh:mm", "15:04"},
        {"h:m", "15:4"},
        {"hh:nn:ss.zzz", "15:04:05.067"},
        {"h:nn AM/PM", "3:04 PM"},
        {"h:nn am/pm", "3:04 pm"},
        {"hh:nn a/p", "03:04 p"},
        {"h:nn ampm", "3:04 PM"},
        {"AM/PM h", "PM 15"},
        {"h 'AM/PM' am/pm", "3 AM/PM pm"},
        {"t", "3:04 PM"},
        {"tt", "3:04:05 PM"},
        {"c", "1/5/2024 3:04:05 PM"},
        {"yyyy/mm/dd", "2024/01/05"},
        {"'y'yyyy\"m\"", "y2024m"},
        {"dd.mm.yyyy", "05.01.2024"},
        {"yyyy-mm-dd hh:nn:ss", "2024-01-05 15:04:05"},
        {"[dddd]", "[Friday]"},
        {"", "1/5/2024 3:04:05 PM"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(FormatDateTime(r.format, kSample), r.text);
    }
}

TEST(FormatDateTime, TwelveHourClockAroundMidnightAndNoon)
{
    struct Row {
        Word hour;
        const char* text;
    } rows[] = {{0, "12:30 AM"},  {1, "01:30 AM"},  {11, "11:30 AM"},
                {12, "12:30 PM"}, {13, "01:30 PM"}, {23, "11:30 PM"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.hour);
        EXPECT_EQ(FormatDateTime("hh:nn AM/PM", EncodeTime(r.hour, 30, 0, 0)), r.text);
    }
}

TEST(FormatDateTime, DefaultFormsOfTheLocale)
{
    EXPECT_EQ(DateToStr(kSample), "1/5/2024");
    EXPECT_EQ(TimeToStr(kSample), "3:04:05 PM");
    EXPECT_EQ(DateTimeToStr(kSample), "1/5/2024 3:04:05 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 1, 5)), "1/5/2024"); // midnight: no time
    EXPECT_EQ(DateTimeToStr(EncodeTime(9, 0, 0, 0)), "12/30/1899 9:00:00 AM");
    EXPECT_EQ(DateToStr(-1.25), "12/29/1899");
    EXPECT_EQ(TimeToStr(-1.25), "6:00:00 AM");

    ScopedFormatSettings scope(Hungarian());
    EXPECT_EQ(DateToStr(kSample), "2024.01.05.");
    EXPECT_EQ(TimeToStr(kSample), "15:04:05");
    EXPECT_EQ(FormatDateTime("dddddd", kSample), "2024. January 5.");
    EXPECT_EQ(FormatDateTime("hh:nn ampm", kSample), "03:04 du.");
}

TEST(FormatDateTime, SelfReferencingLocaleFormatStops)
{
    ScopedFormatSettings scope;
    FormatSettings().ShortDateFormat = "ddddd";
    EXPECT_EQ(DateToStr(kSample), "");
}

TEST(StrToDate, EnglishUnitedStates)
{
    struct Row {
        const char* text;
        Word y, m, d;
    } rows[] = {
        {"1/5/2024", 2024, 1, 5},     {"01/05/2024", 2024, 1, 5}, {" 1 / 5 / 2024 ", 2024, 1, 5},
        {"12/31/1999", 1999, 12, 31}, {"2/29/2024", 2024, 2, 29}, {"1/5/24", 2024, 1, 5},
        {"1/5/0024", 24, 1, 5},       {"1/5/2024/", 2024, 1, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(StrToDate(r.text), EncodeDate(r.y, r.m, r.d));
    }
}

TEST(StrToDate, DayMonthYearOrderAndOtherSeparators)
{
    {
        ScopedFormatSettings scope(British());
        EXPECT_EQ(StrToDate("05/01/2024"), EncodeDate(2024, 1, 5));
        EXPECT_EQ(StrToDate("31/12/1999"), EncodeDate(1999, 12, 31));
        EXPECT_THROW(StrToDate("12/31/1999"), EConvertError);
    }
    ScopedFormatSettings scope(Hungarian());
    EXPECT_EQ(StrToDate("2024.01.05."), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDate("2024.1.5"), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDateTime("2024.01.05. 15:04:05"), EncodeDateTime(2024, 1, 5, 15, 4, 5, 0));
    EXPECT_EQ(StrToTime("du. 3:04"), EncodeTime(15, 4, 0, 0));
    EXPECT_EQ(StrToTime("3:04:05,250"), EncodeTime(3, 4, 5, 250));
    EXPECT_THROW(StrToDate("1/5/2024"), EConvertError);
}

TEST(StrToDate, TwoDigitYearsFollowTheCenturyWindow)
{
    Word thisYear, m, d;
    DecodeDate(Date(), thisYear, m, d);
    ScopedFormatSettings scope;
    FormatSettings().TwoDigitYearCenturyWindow = 50;
    // Within fifty years before this year, or after it: the year closest in that window.
    const int windowStart = thisYear - 50;
    for (int yy : {0, 24, 49, 50, 75, 99}) {
        SCOPED_TRACE(yy);
        int expected = yy + windowStart / 100 * 100;
        if (expected < windowStart)
            expected += 100;
        Word y;
        DecodeDate(StrToDate("1/1/" + std::to_string(yy)), y, m, d);
        EXPECT_EQ(y, expected);
    }
    FormatSettings().TwoDigitYearCenturyWindow = 0;
    Word y;
    DecodeDate(StrToDate("1/1/99"), y, m, d);
    EXPECT_EQ(y, thisYear / 100 * 100 + 99);
}

TEST(StrToDate, MissingYearIsThisYear)
{
    Word thisYear, m, d, y;
    DecodeDate(Date(), thisYear, m, d);
    DecodeDate(StrToDate("3/4"), y, m, d);
    EXPECT_EQ(y, thisYear);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 4);
}

TEST(StrToDate, FailuresCarryTheFrameworkTexts)
{
    const char* badDates[] = {"",         "abc",        "13/1/2024",     "2/30/2024",
                              "1-5-2024", "1/5/2024 x", "1/5/2024 3:00", "5"};
    for (const char* text : badDates) {
        SCOPED_TRACE(text);
        try {
            StrToDate(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid date");
        }
        EXPECT_EQ(StrToDateDef(text, 7), 7);
    }
    const char* badTimes[] = {"", "x", "25:00", "10:60", "13:00 PM", "0:30 AM", "10:", "10:30 x"};
    for (const char* text : badTimes) {
        SCOPED_TRACE(text);
        try {
            StrToTime(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid time");
        }
    }
    const char* badDateTimes[] = {"", "1/5/2024 25:00", "1/5/2024 3:04:05 PM x", "x 3:00"};
    for (const char* text : badDateTimes) {
        SCOPED_TRACE(text);
        try {
            StrToDateTime(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid date and time");
        }
    }
}

TEST(StrToTime, HoursMinutesSecondsAndMarks)
{
    struct Row {
        const char* text;
        Word h, n, s;
    } rows[] = {
        {"15:04", 15, 4, 0},   {"15:04:05", 15, 4, 5},  {"3:04:05 PM", 15, 4, 5}, {"3:04 pm", 15, 4, 0},
        {"12:00 AM", 0, 0, 0}, {"12:30 PM", 12, 30, 0}, {"PM 3:04", 15, 4, 0},    {"10", 10, 0, 0},
        {"11 AM", 11, 0, 0},   {" 7:05 ", 7, 5, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(StrToTime(r.text), EncodeTime(r.h, r.n, r.s, 0));
    }
}

TEST(StrToDateTime, DateTimeOrTimeAlone)
{
    EXPECT_EQ(StrToDateTime("1/5/2024 3:04:05 PM"), EncodeDateTime(2024, 1, 5, 15, 4, 5, 0));
    EXPECT_EQ(StrToDateTime("1/5/2024"), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDateTime("3:04 PM"), EncodeTime(15, 4, 0, 0));
    EXPECT_EQ(StrToDateTime("12/29/1899 6:00 AM"), -1.25);
    // What the locale writes, it reads back.
    for (TDateTime v :
         {kSample - 0.067 / 86400, EncodeDate(1999, 12, 31), EncodeDateTime(2000, 2, 29, 0, 0, 1, 0)}) {
        SCOPED_TRACE(v);
        EXPECT_NEAR(StrToDateTime(DateTimeToStr(v)), v, 1e-9);
    }
    ScopedFormatSettings scope(Hungarian());
    EXPECT_NEAR(StrToDateTime(DateTimeToStr(kSample)), EncodeDateTime(2024, 1, 5, 15, 4, 5, 0), 1e-9);
}
