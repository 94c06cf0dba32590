// Value-to-text conversions. The font, Boolean, alignment and date texts are stored in settings
// files, so writing and reading must stay exact inverses of each other.
#include "utils/Conversions.h"

#include "framework/classes/Strings.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"
#include "framework/rtl/Variant.h"
#include "utils/Strings.h"

#include <array>

namespace vmado {

namespace {

struct FieldTypeName {
    const char* Text;
    const char* Short;
    const char* Enum;
};

constexpr std::array<FieldTypeName, 30> FieldTypeNames = {{
    {"Unknown or undetermined", "Default", "ftUnknown"},
    {"Character or string field", "String", "ftString"},
    {"16-bit integer field", "Smallint", "ftSmallint"},
    {"32-bit integer field", "Integer", "ftInteger"},
    {"16-bit unsigned integer field", "Word", "ftWord"},
    {"Boolean field", "Boolean", "ftBoolean"},
    {"Floating-point numeric field", "Float", "ftFloat"},
    {"Money field", "Currency", "ftCurrency"},
    {"Binary-Coded Decimal field as Currency", "BCD", "ftBCD"},
    {"Date field", "Date", "ftDate"},
    {"Time field", "Time", "ftTime"},
    {"Date and time field", "DateTime", "ftDateTime"},
    {"Fixed number of bytes (binary storage)", "Bytes", "ftBytes"},
    {"Variable number of bytes (binary storage)", "VarBytes", "ftVarBytes"},
    {"Auto-incrementing 32-bit integer counter field", "AutoInc", "ftAutoInc"},
    {"Binary Large OBject field", "Blob", "ftBlob"},
    {"Text memo field", "Memo", "ftMemo"},
    {"Bitmap field", "Graphic", "ftGraphic"},
    {"Formatted text memo field", "FmtMemo", "ftFmtMemo"},
    {"Paradox OLE field", "ParadoxOle", "ftParadoxOle"},
    {"dBASE OLE field", "DBaseOle", "ftDBaseOle"},
    {"Typed binary field", "TypedBinary", "ftTypedBinary"},
    {"Output cursor from an Oracle stored procedure (TParam only)", "Cursor", "ftCursor"},
    {"Fixed character field", "FixedChar", "ftFixedChar"},
    {"Wide string field", "WideString", "ftWideString"},
    {"Large integer field", "LargeInt", "ftLargeInt"},
    {"Abstract Data Type field", "ADT", "ftADT"},
    {"Array field", "Array", "ftArray"},
    {"REF field", "Reference", "ftReference"},
    {"DataSet field", "DataSet", "ftDataSet"},
}};

const FieldTypeName& NameOf(TFieldType T)
{
    const auto ordinal = static_cast<int>(T);
    if (ordinal < 0 || ordinal >= static_cast<int>(FieldTypeNames.size()))
        return FieldTypeNames[0];
    return FieldTypeNames[ordinal];
}

// The variant type codes that have a name of their own; "Curreny" is the stored spelling.
struct VarTypeText {
    Word Code;
    const char* Text;
};

constexpr std::array<VarTypeText, 19> VarTypeTexts = {{
    {varEmpty, "Empty"},       {varNull, "Null"},         {varSmallint, "Smallint"}, {varInteger, "Integer"},
    {varSingle, "Single"},     {varDouble, "Double"},     {varCurrency, "Curreny"},  {varDate, "Date"},
    {varOleStr, "OleStr"},     {varDispatch, "Dispatch"}, {varError, "Error"},       {varBoolean, "Boolean"},
    {varVariant, "Variant"},   {varUnknown, "Unknown"},   {varByte, "Byte"},         {varString, "String"},
    {varTypeMask, "TypeMask"}, {varArray, "Array"},       {varByRef, "ByRef"},
}};

// The next "~"-separated field of a font text; without a further "~" the rest is the field.
AnsiString TakeField(AnsiString& rest)
{
    const std::size_t tilde = rest.find('~');
    AnsiString field = rest.substr(0, tilde);
    rest = tilde == AnsiString::npos ? AnsiString() : rest.substr(tilde + 1);
    return field;
}

// Year, month and day of a value the calendar can show (years 1 to 9999).
void DecodeCalendarDate(TDateTime D, Word& year, Word& month, Word& day)
{
    DecodeDate(D, year, month, day);
    if (month == 0 || year > 9999)
        throw EConvertError("'" + FloatToStr(D) + "' is not a valid date value (years 1 to 9999)");
}

// The time DateToStd writes ("hh:nn:ss AM" or "PM", "hh:nn:ss.zzz AM" with milliseconds) read
// whatever the locale's separators, so a stored text reads back under any settings. False for
// any other form.
bool ReadStandardTime(const AnsiString& text, TDateTime& time)
{
    auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    const bool msecs = text.size() == 15 && text[8] == '.';
    if ((text.size() != 11 && !msecs) || text[2] != ':' || text[5] != ':' || text[text.size() - 3] != ' ')
        return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7})
        if (!digit(i))
            return false;
    Word msec = 0;
    if (msecs) {
        for (std::size_t i : {9, 10, 11}) {
            if (!digit(i))
                return false;
            msec = static_cast<Word>(msec * 10 + (text[i] - '0'));
        }
    }
    const AnsiString mark = text.substr(text.size() - 2);
    if (mark != "AM" && mark != "PM")
        return false;
    auto number = [&](std::size_t i) {
        return static_cast<Word>((text[i] - '0') * 10 + (text[i + 1] - '0'));
    };
    const Word hour12 = number(0);
    if (hour12 < 1 || hour12 > 12)
        return false;
    const Word hour = static_cast<Word>(hour12 % 12 + (mark == "PM" ? 12 : 0));
    return TryEncodeTime(hour, number(3), number(6), msec, time);
}

} // namespace

AnsiString FontToStr(const TFont* Font)
{
    if (Font == nullptr)
        return {};
    AnsiString pitch = "D";
    if (Font->Pitch() == fpVariable)
        pitch = "V";
    else if (Font->Pitch() == fpFixed)
        pitch = "F";
    const TFontStyles style = Font->Style();
    AnsiString styleText;
    styleText += style.Contains(fsBold) ? 'B' : 'N';
    styleText += style.Contains(fsItalic) ? 'I' : 'N';
    styleText += style.Contains(fsUnderline) ? 'U' : 'N';
    styleText += style.Contains(fsStrikeOut) ? 'S' : 'N';
    return IntToStr(static_cast<Integer>(Font->Charset())) + "~" + IntToStr(Font->Color()) + "~" +
           IntToStr(Font->Height()) + "~" + Font->Name() + "~" + IntToStr(Font->Size()) + "~" + pitch + "~" +
           styleText;
}

std::unique_ptr<TFont> StrToFont(const AnsiString& S)
{
    auto font = std::make_unique<TFont>();
    if (S.empty()) {
        font->SetCharset(0);
        font->SetColor(0);
        font->SetHeight(-11);
        font->SetName("MS Sans Serif");
        font->SetSize(8);
        font->SetPitch(fpDefault);
        font->SetStyle(TFontStyles());
        return font;
    }
    AnsiString rest = S;
    const Integer charset = StrToInt(TakeField(rest));
    if (charset < 0 || charset > 255)
        throw EConvertError("'" + IntToStr(charset) + "' is not a valid font character set (0 to 255)");
    font->SetCharset(static_cast<Byte>(charset));
    font->SetColor(StrToInt(TakeField(rest)));
    font->SetHeight(StrToInt(TakeField(rest)));
    font->SetName(TakeField(rest));
    font->SetSize(StrToInt(TakeField(rest)));

    const AnsiString pitch = TakeField(rest);
    if (!pitch.empty()) {
        if (pitch[0] == 'D')
            font->SetPitch(fpDefault);
        else if (pitch[0] == 'V')
            font->SetPitch(fpVariable);
        else if (pitch[0] == 'F')
            font->SetPitch(fpFixed);
    }

    TFontStyles style;
    static constexpr std::array<std::pair<char, TFontStyle>, 4> letters = {
        {{'B', fsBold}, {'I', fsItalic}, {'U', fsUnderline}, {'S', fsStrikeOut}}};
    for (std::size_t i = 0; i < letters.size() && i < rest.size(); ++i)
        if (rest[i] == letters[i].first)
            style.Include(letters[i].second);
    font->SetStyle(style);
    return font;
}

AnsiString LogToStr(bool B)
{
    return B ? "True" : "False";
}

bool StrToLog(const AnsiString& S)
{
    if (S.empty())
        return false;
    return AnsiString("T,Y,1,TRUE").find(AnsiUpperCase(S)) != AnsiString::npos;
}

AnsiString IIF(bool Cond, const AnsiString& A, const AnsiString& B)
{
    return Cond ? A : B;
}
Integer IIF(bool Cond, Integer A, Integer B)
{
    return Cond ? A : B;
}
TFont* IIF(bool Cond, TFont* A, TFont* B)
{
    return Cond ? A : B;
}
TDateTime IIF(bool Cond, TDateTime A, TDateTime B)
{
    return Cond ? A : B;
}

Integer WindowStateToInt(TWindowState State)
{
    switch (State) {
    case wsMinimized:
        return 1;
    case wsMaximized:
        return 3;
    default:
        return 2;
    }
}

TWindowState IntToWindowState(Integer N)
{
    if (N == 1)
        return wsMinimized;
    if (N == 3)
        return wsMaximized;
    return wsNormal;
}

Integer AlignToInt(TAlignment A)
{
    switch (A) {
    case taCenter:
        return 1;
    case taRightJustify:
        return 2;
    default:
        return 0;
    }
}

TAlignment IntToAlign(Integer N)
{
    if (N == 1)
        return taCenter;
    if (N == 2)
        return taRightJustify;
    return taLeftJustify;
}

AnsiString AlignToStr(TAlignment A)
{
    switch (A) {
    case taRightJustify:
        return "R";
    case taCenter:
        return "C";
    default:
        return "L";
    }
}

TAlignment StrToAlign(const AnsiString& S)
{
    if (S == "R")
        return taRightJustify;
    if (S == "C")
        return taCenter;
    return taLeftJustify;
}

Word ExtractYear(TDateTime D)
{
    Word year, month, day;
    DecodeDate(D, year, month, day);
    return year;
}

Word ExtractMonth(TDateTime D)
{
    Word year, month, day;
    DecodeDate(D, year, month, day);
    return month;
}

Word ExtractDay(TDateTime D)
{
    Word year, month, day;
    DecodeDate(D, year, month, day);
    return day;
}

TDateTime EuroTime(TDateTime D)
{
    Word hour, minute, second, msec;
    DecodeTime(D, hour, minute, second, msec);
    const Word shifted = hour <= 15 ? static_cast<Word>((hour + 9) % 24) : static_cast<Word>(hour - 15);
    return EncodeTime(shifted, minute, second, msec);
}

AnsiString DateText(TDateTime D)
{
    Word year, month, day;
    DecodeCalendarDate(D, year, month, day);
    const auto& settings = FormatSettings();
    return settings.LongMonthNames[month - 1] + " " + IntToStr(day) + ", " + IntToStr(year) + "  (" +
           settings.LongDayNames[DayOfWeek(D) - 1] + ")";
}

AnsiString DateToStd(TDateTime D, const AnsiString& /*Ignored*/)
{
    Word year, month, day, hour, minute, second, msec;
    DecodeCalendarDate(D, year, month, day);
    DecodeTime(D, hour, minute, second, msec);
    AnsiString result = FillZero(year, 4) + "-" + FillZero(month, 2) + "-" + FillZero(day, 2);
    if (hour == 0 && minute == 0 && second == 0 && msec == 0)
        return result;
    const Integer hour12 = hour % 12 == 0 ? 12 : hour % 12;
    // Milliseconds only when there are some, so that a whole second keeps its usual text.
    return result + " " + FillZero(hour12, 2) + ":" + FillZero(minute, 2) + ":" + FillZero(second, 2) +
           (msec != 0 ? "." + FillZero(msec, 3) : AnsiString()) + (hour < 12 ? " AM" : " PM");
}

TDateTime StdToDate(const AnsiString& S)
{
    if (S.empty())
        return EncodeDate(1900, 1, 1);
    const AnsiString digits = ExtractDigits(S, "0");
    auto part = [&](std::size_t from, std::size_t count, const char* missing) {
        const AnsiString text = from < digits.size() ? digits.substr(from, count) : AnsiString();
        return StrToInt(text.empty() ? AnsiString(missing) : text);
    };
    const Integer year = part(0, 4, "1900");
    const Integer month = part(4, 2, "1");
    const Integer day = part(6, 2, "1");
    TDateTime result = EncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day));
    if (S.size() > 10) {
        const std::size_t blank = S.find(' ');
        const AnsiString time = blank == AnsiString::npos ? S : S.substr(blank + 1);
        TDateTime timeOfDay = 0;
        if (!ReadStandardTime(time, timeOfDay))
            timeOfDay = StrToTime(time);
        result = ComposeDateTime(result, timeOfDay);
    }
    return result;
}

AnsiString GetLastItem(const TStrings& List)
{
    const Integer count = List.Count();
    return count > 0 ? List[count - 1] : AnsiString();
}

void SetLastItem(TStrings& List, const AnsiString& S)
{
    const Integer count = List.Count();
    if (count > 0)
        List.Put(count - 1, S);
}

AnsiString FieldTypeToText(TFieldType T)
{
    return NameOf(T).Text;
}
AnsiString FieldTypeToStr(TFieldType T)
{
    return NameOf(T).Short;
}

TFieldType StrToFieldType(const AnsiString& S)
{
    for (std::size_t i = 1; i < FieldTypeNames.size(); ++i)
        if (S == FieldTypeNames[i].Short)
            return static_cast<TFieldType>(i);
    return ftUnknown;
}

void FieldTypeToList(TStrings& List)
{
    List.Clear();
    for (const FieldTypeName& name : FieldTypeNames)
        List.Add(name.Enum);
}

AnsiString VarToText(const Variant& V)
{
    const Word code = V.VarType();
    for (const VarTypeText& entry : VarTypeTexts)
        if (entry.Code == code)
            return entry.Text;
    return "Error";
}

} // namespace vmado
