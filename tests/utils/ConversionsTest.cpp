// Value-to-text conversions: fonts, Booleans, alignments, window states, dates, field types and
// variant type codes.
#include "utils/Conversions.h"

#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/Variant.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vmado {
namespace {

template <typename F> void ExpectConvertError(F&& call, const char* fragment)
{
    try {
        call();
        ADD_FAILURE() << "no EConvertError";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
}

TEST(FontText, WritesTheSevenFields)
{
    TFont font;
    font.SetCharset(1);
    font.SetColor(static_cast<TColor>(0x80000008));
    font.SetName("MS Sans Serif");
    font.SetSize(8);
    font.SetPitch(fpDefault);
    TFontStyles bold;
    bold.Include(fsBold);
    font.SetStyle(bold);
    EXPECT_EQ(FontToStr(&font), "1~-2147483640~-11~MS Sans Serif~8~D~BNNN");
    EXPECT_EQ(FontToStr(nullptr), "");
}

TEST(FontText, RoundTripsEveryAttribute)
{
    struct Row {
        Byte Charset;
        TColor Color;
        const char* Name;
        Integer Size;
        TFontPitch Pitch;
        std::vector<TFontStyle> Styles;
    };
    const Row rows[] = {
        {0, 0, "Arial", 10, fpVariable, {}},
        {238, 0x00FF00, "Courier New", 12, fpFixed, {fsItalic, fsStrikeOut}},
        {1,
         static_cast<TColor>(0x80000005),
         "\xC1rv\xEDz",
         9,
         fpDefault,
         {fsBold, fsItalic, fsUnderline, fsStrikeOut}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        TFont font;
        font.SetCharset(row.Charset);
        font.SetColor(row.Color);
        font.SetName(row.Name);
        font.SetSize(row.Size);
        font.SetPitch(row.Pitch);
        TFontStyles style;
        for (TFontStyle s : row.Styles)
            style.Include(s);
        font.SetStyle(style);

        const std::unique_ptr<TFont> back = StrToFont(FontToStr(&font));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Charset(), font.Charset());
        EXPECT_EQ(back->Color(), font.Color());
        EXPECT_EQ(back->Height(), font.Height());
        EXPECT_EQ(back->Size(), font.Size());
        EXPECT_EQ(back->Name(), font.Name());
        EXPECT_EQ(back->Pitch(), font.Pitch());
        EXPECT_TRUE(back->Style() == font.Style());
    }
}

TEST(FontText, EmptyTextGivesTheDefaultFont)
{
    const std::unique_ptr<TFont> font = StrToFont("");
    EXPECT_EQ(font->Charset(), 0);
    EXPECT_EQ(font->Color(), 0);
    EXPECT_EQ(font->Height(), -11);
    EXPECT_EQ(font->Name(), "MS Sans Serif");
    EXPECT_EQ(font->Size(), 8);
    EXPECT_EQ(font->Pitch(), fpDefault);
    EXPECT_TRUE(font->Style() == TFontStyles());
}

TEST(FontText, StyleIsReadByPositionAndPitchLetterIsOptional)
{
    struct Row {
        const char* Text;
        bool Bold, Italic, Underline, StrikeOut;
        TFontPitch Pitch;
    };
    const Row rows[] = {
        {"0~0~-11~Arial~8~F~B", true, false, false, false, fpFixed},
        {"0~0~-11~Arial~8~V~NINS", false, true, false, true, fpVariable},
        {"0~0~-11~Arial~8~D~IBSU", false, false, false, false, fpDefault},
        {"0~0~-11~Arial~8~X~NNU", false, false, true, false, fpDefault},
        {"0~0~-11~Arial~8~~BIUS", true, true, true, true, fpDefault},
        {"0~0~-11~Arial~8", false, false, false, false, fpDefault},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Text);
        const std::unique_ptr<TFont> font = StrToFont(row.Text);
        EXPECT_EQ(font->Style().Contains(fsBold), row.Bold);
        EXPECT_EQ(font->Style().Contains(fsItalic), row.Italic);
        EXPECT_EQ(font->Style().Contains(fsUnderline), row.Underline);
        EXPECT_EQ(font->Style().Contains(fsStrikeOut), row.StrikeOut);
        EXPECT_EQ(font->Pitch(), row.Pitch);
    }
}

TEST(FontText, SizeWinsOverHeight)
{
    const std::unique_ptr<TFont> font = StrToFont("0~0~-40~Arial~8~D~NNNN");
    EXPECT_EQ(font->Size(), 8);
    EXPECT_EQ(font->Height(), -11);
}

TEST(FontText, NonNumericFieldsRaise)
{
    ExpectConvertError([] { StrToFont("x~0~-11~Arial~8~D~NNNN"); }, "'x' is not a valid integer value");
    ExpectConvertError([] { StrToFont("0~red~-11~Arial~8~D~NNNN"); }, "'red'");
    ExpectConvertError([] { StrToFont("0~0~-11~Arial~big~D~NNNN"); }, "'big'");
    ExpectConvertError([] { StrToFont("0~0~-11~Arial"); }, "''");
    ExpectConvertError([] { StrToFont("300~0~-11~Arial~8~D~NNNN"); }, "character set");
}

TEST(Booleans, LogToStrAndStrToLog)
{
    EXPECT_EQ(LogToStr(true), "True");
    EXPECT_EQ(LogToStr(false), "False");
    struct Row {
        const char* Text;
        bool Expected;
    };
    const Row rows[] = {{"t", true},  {"y", true}, {"1", true},      {"true", true}, {"True", true},
                        {"E", true},  {",", true}, {"T,Y", true},    {"YES", false}, {"0", false},
                        {"F", false}, {"", false}, {"false", false}, {" T", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(StrToLog(row.Text), row.Expected);
    }
}

TEST(IIF, PicksByCondition)
{
    EXPECT_EQ(IIF(true, AnsiString("a"), AnsiString("b")), "a");
    EXPECT_EQ(IIF(false, AnsiString("a"), AnsiString("b")), "b");
    EXPECT_EQ(IIF(true, 1, 2), 1);
    EXPECT_EQ(IIF(false, 1, 2), 2);
    EXPECT_EQ(IIF(false, TDateTime(1.5), TDateTime(2.5)), 2.5);
    TFont a, b;
    EXPECT_EQ(IIF(true, &a, &b), &a);
    EXPECT_EQ(IIF(false, &a, &b), &b);
}

TEST(Enumerations, WindowStatesAndAlignments)
{
    EXPECT_EQ(WindowStateToInt(wsMinimized), 1);
    EXPECT_EQ(WindowStateToInt(wsNormal), 2);
    EXPECT_EQ(WindowStateToInt(wsMaximized), 3);
    EXPECT_EQ(IntToWindowState(1), wsMinimized);
    EXPECT_EQ(IntToWindowState(3), wsMaximized);
    EXPECT_EQ(IntToWindowState(2), wsNormal);
    EXPECT_EQ(IntToWindowState(0), wsNormal);
    EXPECT_EQ(IntToWindowState(-7), wsNormal);

    const TAlignment all[] = {taLeftJustify, taCenter, taRightJustify};
    for (TAlignment a : all) {
        SCOPED_TRACE(static_cast<int>(a));
        EXPECT_EQ(IntToAlign(AlignToInt(a)), a);
        EXPECT_EQ(StrToAlign(AlignToStr(a)), a);
    }
    EXPECT_EQ(AlignToInt(taLeftJustify), 0);
    EXPECT_EQ(AlignToInt(taCenter), 1);
    EXPECT_EQ(AlignToInt(taRightJustify), 2);
    EXPECT_EQ(IntToAlign(5), taLeftJustify);
    EXPECT_EQ(AlignToStr(taLeftJustify), "L");
    EXPECT_EQ(AlignToStr(taRightJustify), "R");
    EXPECT_EQ(AlignToStr(taCenter), "C");
    EXPECT_EQ(StrToAlign("r"), taLeftJustify);
    EXPECT_EQ(StrToAlign(""), taLeftJustify);
    EXPECT_EQ(StrToAlign("RC"), taLeftJustify);
}

TEST(Dates, PartsOfADate)
{
    const TDateTime d = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 0, 0);
    EXPECT_EQ(ExtractYear(d), 2024);
    EXPECT_EQ(ExtractMonth(d), 2);
    EXPECT_EQ(ExtractDay(d), 29);
}

TEST(Dates, EuroTimeMovesNineHoursOnWithoutDate)
{
    struct Row {
        Word Hour, Minute;
        Word ExpectedHour;
    };
    const Row rows[] = {{15, 30, 0}, {16, 0, 1}, {8, 0, 17}, {0, 0, 9}, {23, 59, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Hour);
        const TDateTime result = EuroTime(EncodeDate(2024, 1, 5) + EncodeTime(row.Hour, row.Minute, 7, 250));
        EXPECT_LT(result, 1.0);
        Word h, m, s, ms;
        DecodeTime(result, h, m, s, ms);
        EXPECT_EQ(h, row.ExpectedHour);
        EXPECT_EQ(m, row.Minute);
        EXPECT_EQ(s, 7);
        EXPECT_EQ(ms, 250);
    }
}

TEST(Dates, DateTextUsesTheLocaleNames)
{
    EXPECT_EQ(DateText(EncodeDate(2024, 1, 5)), "January 5, 2024  (Friday)");
    EXPECT_EQ(DateText(EncodeDate(999, 12, 31) - 0.5), "December 31, 999  (Tuesday)");
    TFormatSettings hungarian;
    hungarian.LongMonthNames[0] = "janu\xE1r";
    hungarian.LongDayNames[5] = "p\xE9ntek";
    ScopedFormatSettings scope(hungarian);
    EXPECT_EQ(DateText(EncodeDate(2024, 1, 5)), "janu\xE1r 5, 2024  (p\xE9ntek)");
}

TEST(Dates, DateToStdWritesDateAndTwelveHourTime)
{
    struct Row {
        TDateTime Value;
        const char* Expected;
    };
    const Row rows[] = {
        {EncodeDate(2024, 1, 5), "2024-01-05"},
        {EncodeDate(2024, 1, 5) + EncodeTime(15, 4, 5, 0), "2024-01-05 03:04:05 PM"},
        {EncodeDate(2024, 1, 5) + EncodeTime(0, 30, 0, 0), "2024-01-05 12:30:00 AM"},
        {EncodeDate(2024, 1, 5) + EncodeTime(12, 0, 1, 0), "2024-01-05 12:00:01 PM"},
        {EncodeDate(2024, 1, 5) + EncodeTime(11, 59, 59, 0), "2024-01-05 11:59:59 AM"},
        {EncodeTime(9, 0, 0, 0), "1899-12-30 09:00:00 AM"},
        {EncodeDate(1, 1, 1), "0001-01-01"},
        {EncodeDate(1850, 6, 1) - EncodeTime(6, 0, 0, 0), "1850-06-01 06:00:00 AM"},
        // Milliseconds are written only when there are some.
        {EncodeDate(2024, 1, 5) + EncodeTime(13, 45, 10, 123), "2024-01-05 01:45:10.123 PM"},
        {EncodeDate(2024, 1, 5) + EncodeTime(0, 0, 0, 7), "2024-01-05 12:00:00.007 AM"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Expected);
        EXPECT_EQ(DateToStd(row.Value, "ignored"), row.Expected);
        EXPECT_EQ(DateToStd(row.Value), row.Expected);
    }
}

TEST(Dates, DateOutsideTheCalendarRaises)
{
    ExpectConvertError([] { DateToStd(EncodeDate(1, 1, 1) - 1); }, "not a valid date value");
    ExpectConvertError([] { DateText(-700000); }, "not a valid date value");
}

TEST(Dates, StdToDateReadsTheStandardText)
{
    struct Row {
        const char* Text;
        TDateTime Expected;
    };
    const Row rows[] = {
        {"2024-01-05 03:04:05 PM", EncodeDate(2024, 1, 5) + EncodeTime(15, 4, 5, 0)},
        {"2024-01-05", EncodeDate(2024, 1, 5)},
        {"20240105", EncodeDate(2024, 1, 5)},
        {"", EncodeDate(1900, 1, 1)},
        {"2024", EncodeDate(2024, 1, 1)},
        {"2024-03", EncodeDate(2024, 3, 1)},
        {"1850-06-01 06:00:00 AM", EncodeDate(1850, 6, 1) - EncodeTime(6, 0, 0, 0)},
        {"2024-01-05 12:00:00 AM", EncodeDate(2024, 1, 5)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_NEAR(StdToDate(row.Text), row.Expected, 1e-9);
    }
}

TEST(Dates, StandardTextReadsBackUnderAnyTimeSeparator)
{
    TFormatSettings settings;
    settings.TimeSeparator = '.';
    ScopedFormatSettings scope(settings);
    const TDateTime value = EncodeDate(2024, 1, 5) + EncodeTime(15, 4, 5, 0);
    EXPECT_EQ(DateToStd(value), "2024-01-05 03:04:05 PM");
    EXPECT_NEAR(StdToDate("2024-01-05 03:04:05 PM"), value, 1e-9);
    EXPECT_NEAR(StdToDate("2024-01-05 03:04:05.250 PM"), value + EncodeTime(0, 0, 0, 250), 1e-9);
    // Other time forms still go through the locale's parser.
    EXPECT_NEAR(StdToDate("2024-01-05 15.04.05"), value, 1e-9);
}

TEST(Dates, StdToDateRejectsInvalidText)
{
    ExpectConvertError([] { StdToDate("20240105153000"); }, "20240105153000");
    ExpectConvertError([] { StdToDate("abc"); }, "date encode");
    ExpectConvertError([] { StdToDate("2024-1-5"); }, "date encode");
    ExpectConvertError([] { StdToDate("2024-02-30"); }, "date encode");
    ExpectConvertError([] { StdToDate("2024-01-05 noon time"); }, "noon time");
    ExpectConvertError([] { StdToDate("2024-01-05 13:04:05 PM"); }, "13:04:05 PM");
    ExpectConvertError([] { StdToDate("2024-01-05 03:64:05 PM"); }, "03:64:05 PM");
}

TEST(Dates, StandardTextRoundTrips)
{
    for (TDateTime value : {EncodeDate(2024, 1, 5), EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 0),
                            EncodeDate(2000, 2, 29) + EncodeTime(12, 0, 0, 0),
                            EncodeDate(2024, 1, 5) + EncodeTime(13, 45, 10, 123)}) {
        SCOPED_TRACE(DateToStd(value));
        EXPECT_NEAR(StdToDate(DateToStd(value)), value, 1e-9);
    }
}

TEST(LastItem, ReadsAndReplacesTheLastItem)
{
    TStringList list;
    EXPECT_EQ(GetLastItem(list), "");
    SetLastItem(list, "x");
    EXPECT_EQ(list.Count(), 0);
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(GetLastItem(list), "b");
    SetLastItem(list, "c");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list[1], "c");
}

TEST(FieldTypes, NamesDescriptionsAndListEntries)
{
    struct Row {
        TFieldType Type;
        const char* Text;
        const char* Short;
    };
    const Row rows[] = {
        {ftUnknown, "Unknown or undetermined", "Default"},
        {ftString, "Character or string field", "String"},
        {ftWord, "16-bit unsigned integer field", "Word"},
        {ftBCD, "Binary-Coded Decimal field as Currency", "BCD"},
        {ftCursor, "Output cursor from an Oracle stored procedure (TParam only)", "Cursor"},
        {ftLargeint, "Large integer field", "LargeInt"},
        {ftDataSet, "DataSet field", "DataSet"},
        {ftOraBlob, "Unknown or undetermined", "Default"},
        {ftGuid, "Unknown or undetermined", "Default"},
        {static_cast<TFieldType>(-1), "Unknown or undetermined", "Default"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Short);
        EXPECT_EQ(FieldTypeToText(row.Type), row.Text);
        EXPECT_EQ(FieldTypeToStr(row.Type), row.Short);
    }
    for (int t = ftString; t <= ftDataSet; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(StrToFieldType(FieldTypeToStr(static_cast<TFieldType>(t))), t);
    }
    EXPECT_EQ(StrToFieldType("string"), ftUnknown);
    EXPECT_EQ(StrToFieldType("Default"), ftUnknown);
    EXPECT_EQ(StrToFieldType(""), ftUnknown);

    TStringList list;
    list.Add("stale");
    FieldTypeToList(list);
    ASSERT_EQ(list.Count(), 30);
    EXPECT_EQ(list[0], "ftUnknown");
    EXPECT_EQ(list[25], "ftLargeInt");
    EXPECT_EQ(list[29], "ftDataSet");
}

TEST(FieldTypes, AFieldIsNamedByItsDataType)
{
    TStringField name(nullptr);
    TIntegerField count(nullptr);
    TSmallintField small(nullptr);
    EXPECT_EQ(FieldTypeToText(&name), "Character or string field");
    EXPECT_EQ(FieldTypeToStr(&name), "String");
    EXPECT_EQ(FieldTypeToStr(&count), "Integer");
    EXPECT_EQ(FieldTypeToText(&small), "16-bit integer field");
    EXPECT_EQ(FieldTypeToStr(static_cast<const TField*>(nullptr)), "Default");
    EXPECT_EQ(FieldTypeToText(static_cast<const TField*>(nullptr)), "Unknown or undetermined");
}

TEST(Variants, TypeNames)
{
    EXPECT_EQ(VarToText(Variant()), "Empty");
    EXPECT_EQ(VarToText(Variant::Null()), "Null");
    EXPECT_EQ(VarToText(Variant(AnsiString("x"))), "String");
    EXPECT_EQ(VarToText(Variant(Integer(1))), "Integer");
    EXPECT_EQ(VarToText(Variant(1.5)), "Double");
    EXPECT_EQ(VarToText(Variant(Currency::FromRaw(1))), "Curreny");
    EXPECT_EQ(VarToText(Variant(true)), "Boolean");
    EXPECT_EQ(VarToText(Variant::FromDate(1.0)), "Date");
    EXPECT_EQ(VarToText(Variant::FromByte(1)), "Byte");
    EXPECT_EQ(VarToText(Variant::FromSmallint(1)), "Smallint");
    EXPECT_EQ(VarToText(Variant::FromSingle(1.0f)), "Single");
    EXPECT_EQ(VarToText(Variant::FromOleStr("x")), "OleStr");
    EXPECT_EQ(VarToText(Variant::FromWord(1)), "Error");
    EXPECT_EQ(VarToText(Variant(Int64(1))), "Error");
    EXPECT_EQ(VarToText(VarArrayCreate({0, 2}, varInteger)), "Error");
    EXPECT_EQ(VarToText(VarArrayOf({Variant(1), Variant(2)})), "Error");
}

} // namespace
} // namespace vmado
