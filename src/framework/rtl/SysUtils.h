// The framework's text and number conversions and string helpers. Numbers read and write through
// the locale settings (Locale.h); Ansi* case handling goes through the current code page's tables.
// Every parse failure raises EConvertError with the framework's message text.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado {

// ---- Integers ----------------------------------------------------------------------------------
// Leading spaces, an optional sign, then decimal digits or hexadecimal after "$", "x" or "0x"
// (any case); nothing may follow, not even a blank. Hexadecimal fills the whole width ("$FFFFFFFF"
// is -1); decimal out of range fails. Failures raise "'abc' is not a valid integer value".
Integer StrToInt(std::string_view s);
Int64 StrToInt64(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer defaultValue);
Int64 StrToInt64Def(std::string_view s, Int64 defaultValue);
bool TryStrToInt(std::string_view s, Integer& value);
bool TryStrToInt64(std::string_view s, Int64& value);
AnsiString IntToStr(Integer value);
AnsiString IntToStr(Int64 value);
// Upper-case hexadecimal of the two's complement, at least `digits` digits (zero-padded).
AnsiString IntToHex(Integer value, Integer digits);
AnsiString IntToHex(Int64 value, Integer digits);

// ---- Floating point ----------------------------------------------------------------------------
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// An optional sign, digits with at most one locale decimal separator, an optional exponent
// ("E", "e", sign, digits); blanks around it. Raises "'abc' is not a valid floating point value".
double StrToFloat(std::string_view s);
double StrToFloatDef(std::string_view s, double defaultValue);
bool TryStrToFloat(std::string_view s, double& value);
// General format, 15 significant digits: fixed notation while the value has at most 15 integer
// digits and is at least 0.0001 in size, else "1E20", "1.5E-5". Locale decimal separator.
AnsiString FloatToStr(double value);
// precision: significant digits (general, exponent) or at most 18 digits kept (fixed, number,
// currency); digits: exponent digits (general, exponent) or decimals (fixed, number, currency).
AnsiString FloatToStrF(double value, TFloatFormat format, Integer precision, Integer digits);
// Section syntax of the framework's format strings: 0 # . , E+ E- quoted literals, up to three
// ";"-separated sections (positive; negative; zero).
AnsiString FormatFloat(std::string_view format, double value);

// ---- Currency (four decimals) ------------------------------------------------------------------
// Like StrToFloat but rounded to four decimals; raises the floating point message on bad text
// and EConvertError on values beyond the Currency range.
Currency StrToCurr(std::string_view s);
Currency StrToCurrDef(std::string_view s, Currency defaultValue);
bool TryStrToCurr(std::string_view s, Currency& value);
// Up to four decimals, trailing zeros dropped, locale decimal separator: 1.5 gives "1.5".
AnsiString CurrToStr(Currency value);
AnsiString CurrToStrF(Currency value, TFloatFormat format, Integer digits);

// ---- Booleans ----------------------------------------------------------------------------------
AnsiString BoolToStr(bool value, bool useBoolStrs = false); // "-1"/"0", or "True"/"False"
bool StrToBool(std::string_view s); // "True"/"False" (any case) or a number; else EConvertError
bool TryStrToBool(std::string_view s, bool& value);

// ---- Trimming and case -------------------------------------------------------------------------
// Remove characters up to and including space (control characters and blanks).
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

// ASCII letters only; every other byte stays.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);
// Byte-wise ordinal comparisons; negative, zero or positive.
Integer CompareStr(std::string_view a, std::string_view b);
Integer CompareText(std::string_view a, std::string_view b); // ASCII case ignored
bool SameText(std::string_view a, std::string_view b);

// Through the current code page: every letter with a case counterpart is mapped (UTF-8: see CodePage.h).
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
// Linguistic order of the code page (see AnsiSortKey): AnsiCompareStr puts lower case before
// upper case of the same letters; AnsiCompareText ignores case. Negative, zero or positive.
Integer AnsiCompareStr(std::string_view a, std::string_view b);
Integer AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);  // byte-equal
bool AnsiSameText(std::string_view a, std::string_view b); // equal after AnsiUpperCase

// ---- Quoting -----------------------------------------------------------------------------------
AnsiString QuotedStr(std::string_view s); // 'it''s'
AnsiString AnsiQuotedStr(std::string_view s, char quote);
// Removes the quotes and undoubles inner ones; text not starting with the quote comes back as is;
// a missing closing quote takes the rest of the text.
AnsiString AnsiDequotedStr(std::string_view s, char quote);

// ---- Searching and replacing (1-based positions, 0 = not found) -------------------------------
Integer Pos(std::string_view substr, std::string_view s);
Integer PosEx(std::string_view substr, std::string_view s, Integer offset = 1);
Integer AnsiPos(std::string_view substr, std::string_view s);
// The framework's Copy: index from 1; out-of-range index or count is clipped, never raises.
AnsiString Copy(std::string_view s, Integer index, Integer count);
AnsiString StringOfChar(char c, Integer count);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned; // rfReplaceAll | rfIgnoreCase
// rfIgnoreCase compares through AnsiUpperCase; an empty oldPattern leaves s unchanged.
AnsiString StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags);

// ---- File names (the 8-bit names of the library; '/' separates folders) ------------------------
constexpr char PathDelim = '/';
AnsiString ExtractFilePath(std::string_view fileName); // up to and including the last '/'
AnsiString ExtractFileDir(std::string_view fileName);  // without the trailing '/'
AnsiString ExtractFileName(std::string_view fileName);
AnsiString ExtractFileExt(std::string_view fileName); // with the dot; "" when none
AnsiString ChangeFileExt(std::string_view fileName, std::string_view extension);
AnsiString IncludeTrailingPathDelimiter(std::string_view s);
AnsiString ExcludeTrailingPathDelimiter(std::string_view s);
AnsiString ExpandFileName(std::string_view fileName); // absolute, "." and ".." resolved
bool FileExists(std::string_view fileName);           // a file, not a directory
bool DirectoryExists(std::string_view directory);
bool DeleteFile(std::string_view fileName); // false when it could not be removed
AnsiString GetCurrentDir();

} // namespace vmado
