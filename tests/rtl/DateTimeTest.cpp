// Calendar arithmetic: encoding limits and messages, decoding of negative values, day of week,
// time stamps and the clock.
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace vmado;

TEST(EncodeDate, KnownDayNumbers)
{
    struct Row {
        Word y, m, d;
        double value;
    } rows[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},   {1900, 1, 1, 2},
        {1899, 12, 29, -1},   {2000, 1, 1, 36526}, {2024, 1, 5, 45296},
        {2024, 2, 29, 45351}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.value);
        EXPECT_EQ(EncodeDate(r.y, r.m, r.d), r.value);
        Word y, m, d;
        DecodeDate(r.value, y, m, d);
        EXPECT_EQ(y, r.y);
        EXPECT_EQ(m, r.m);
        EXPECT_EQ(d, r.d);
    }
}

TEST(EncodeDate, EveryDayOfFourHundredYearsRoundTrips)
{
    double expected = EncodeDate(1800, 1, 1);
    for (Word y = 1800; y < 2200; ++y)
        for (Word m = 1; m <= 12; ++m)
            for (Word d = 1; d <= DaysInAMonth(y, m); ++d) {
                ASSERT_EQ(EncodeDate(y, m, d), expected) << y << "-" << m << "-" << d;
                Word yy, mm, dd;
                DecodeDate(expected, yy, mm, dd);
                ASSERT_TRUE(yy == y && mm == m && dd == d) << y << "-" << m << "-" << d;
                expected += 1;
            }
}

TEST(EncodeDate, RejectsInvalidParts)
{
    struct Row {
        Word y, m, d;
    } rows[] = {{2023, 2, 29}, {2024, 13, 1}, {2024, 0, 1},  {2024, 1, 0},
                {0, 1, 1},     {10000, 1, 1}, {1900, 2, 29}, {2024, 4, 31}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.y) + "-" + std::to_string(r.m) + "-" + std::to_string(r.d));
        TDateTime out = 123;
        EXPECT_FALSE(TryEncodeDate(r.y, r.m, r.d, out));
        EXPECT_EQ(out, 123);
        try {
            EncodeDate(r.y, r.m, r.d);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid argument to date encode"), std::string::npos);
        }
    }
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
}

TEST(EncodeTime, PartsAndLimits)
{
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    Word h, n, s, ms;
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(n, 59);
    EXPECT_EQ(s, 59);
    EXPECT_EQ(ms, 999);
    for (auto parts : {std::array<Word, 4>{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}}) {
        SCOPED_TRACE(parts[0]);
        try {
            EncodeTime(parts[0], parts[1], parts[2], parts[3]);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid argument to time encode"), std::string::npos);
        }
    }
}

TEST(DecodeDate, NegativeValuesKeepDateAndTimeApart)
{
    // -1.25: the day before the base date, a quarter of a day into it.
    Word y, m, d, h, n, s, ms;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(y, 1899);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(DateOf(-1.25), -1);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
}

TEST(DecodeTime, RoundsToTheNearestMillisecondAndCarries)
{
    Word h, n, s, ms, y, m, d;
    const TDateTime almostMidnight = 1 + (MSecsPerDay - 0.4) / MSecsPerDay;
    DecodeTime(almostMidnight, h, n, s, ms);
    DecodeDate(almostMidnight, y, m, d);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(ms, 0);
    EXPECT_EQ(d, 1); // 1900-01-01, carried over from 1899-12-31
    EXPECT_EQ(y, 1900);
}

TEST(DecodeDate, OutOfRangeValuesRaiseInsteadOfWrapping)
{
    Word y, m, d;
    EXPECT_THROW(DecodeDate(1e9, y, m, d), EConvertError); // past year 65535
    EXPECT_THROW(DecodeDate(1e300, y, m, d), EConvertError);
    EXPECT_THROW(DecodeDate(std::nan(""), y, m, d), EConvertError);
    DecodeDate(-700000, y, m, d); // before 0001-01-01: all parts zero
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(d, 0);
}

TEST(DayOfWeek, SundayIsOne)
{
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 5)), 6); // Friday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1); // Sunday
    EXPECT_EQ(DayOfWeek(0), 7);                      // 1899-12-30 was a Saturday
    EXPECT_EQ(DayOfWeek(-1), 6);
}

TEST(TimeStamp, DaysFromYearOneAndMillisecondsFromMidnight)
{
    const TTimeStamp base = DateTimeToTimeStamp(0);
    EXPECT_EQ(base.Date, DateDelta);
    EXPECT_EQ(base.Time, 0);
    const TTimeStamp first = DateTimeToTimeStamp(EncodeDate(1, 1, 1));
    EXPECT_EQ(first.Date, 1);
    const TDateTime value = EncodeDateTime(2024, 1, 5, 15, 4, 5, 678);
    const TTimeStamp stamp = DateTimeToTimeStamp(value);
    EXPECT_EQ(stamp.Time, ((15 * 60 + 4) * 60 + 5) * 1000 + 678);
    EXPECT_EQ(stamp.Date, DateDelta + 45296);
    EXPECT_NEAR(TimeStampToDateTime(stamp), value, 1e-9);
    const double msecs = TimeStampToMSecs(stamp);
    EXPECT_EQ(msecs, double(stamp.Date) * MSecsPerDay + stamp.Time);
    const TTimeStamp back = MSecsToTimeStamp(msecs);
    EXPECT_EQ(back.Date, stamp.Date);
    EXPECT_EQ(back.Time, stamp.Time);
    const TTimeStamp negative = DateTimeToTimeStamp(-1.25);
    EXPECT_EQ(negative.Date, DateDelta - 1);
    EXPECT_EQ(negative.Time, 6 * 3600000);
    EXPECT_EQ(TimeStampToDateTime(negative), -1.25);
}

TEST(TimeStamp, InvalidStampsRaise)
{
    struct Row {
        Integer time, date;
        const char* message;
    } rows[] = {{-1, 1, "'1.-1' is not a valid timestamp"},
                {0, 0, "'0.0' is not a valid timestamp"},
                {MSecsPerDay, 5, "'5.86400000' is not a valid timestamp"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        try {
            TimeStampToDateTime(TTimeStamp{r.time, r.date});
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), r.message);
        }
    }
    EXPECT_THROW(MSecsToTimeStamp(-5), EConvertError);
    EXPECT_THROW(MSecsToTimeStamp(std::nan("")), EConvertError);
}

TEST(Clock, NowIsTodayPlusTime)
{
    const TDateTime before = Now();
    const TDateTime today = Date();
    const TDateTime time = Time();
    const TDateTime after = Now();
    if (std::floor(before) == std::floor(after)) { // not across midnight
        EXPECT_EQ(today, std::floor(before));
    }
    EXPECT_GE(time, 0);
    EXPECT_LT(time, 1);
    EXPECT_GT(before, EncodeDate(2020, 1, 1));
    EXPECT_LE(before, after);
}
