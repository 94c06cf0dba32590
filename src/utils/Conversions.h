// Framework values to short texts and back: fonts, Booleans, alignments, window states, dates,
// field types and variant type codes. The text forms are stored in settings, so they are fixed.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/db/FieldTypes.h"
#include "framework/rtl/Types.h"

#include <memory>

namespace vmado {

class TFont;
class TField;
class TStrings;
class Variant;

// "charset~colour~height~name~size~pitch~style", e.g. 1~-2147483640~-11~MS Sans Serif~8~D~BNNN.
// Empty for an absent font.
AnsiString FontToStr(const TFont* Font);
// A new font from that text; an empty text gives the default font (MS Sans Serif, 8 points).
// Raises EConvertError when a numeric field is not an integer.
std::unique_ptr<TFont> StrToFont(const AnsiString& S);

AnsiString LogToStr(bool B);        // "True" / "False"
bool StrToLog(const AnsiString& S); // upper-cased S is a substring of "T,Y,1,TRUE"

AnsiString IIF(bool Cond, const AnsiString& A, const AnsiString& B);
Integer IIF(bool Cond, Integer A, Integer B);
TFont* IIF(bool Cond, TFont* A, TFont* B);
TDateTime IIF(bool Cond, TDateTime A, TDateTime B);

Integer WindowStateToInt(TWindowState State); // minimised 1, normal 2, maximised 3
TWindowState IntToWindowState(Integer N);     // unknown numbers give wsNormal
Integer AlignToInt(TAlignment A);             // left 0, centre 1, right 2
TAlignment IntToAlign(Integer N);             // unknown numbers give taLeftJustify
AnsiString AlignToStr(TAlignment A);          // "L", "R", "C"
TAlignment StrToAlign(const AnsiString& S);   // "R", "C", anything else taLeftJustify

Word ExtractYear(TDateTime D);
Word ExtractMonth(TDateTime D);
Word ExtractDay(TDateTime D);
TDateTime EuroTime(TDateTime D); // the time of day nine hours on, without a date
// "January 5, 2024  (Friday)" with the locale's long month and day names.
AnsiString DateText(TDateTime D);
// "yyyy-mm-dd", plus " hh:nn:ss AM/PM" when the time is not midnight ("hh:nn:ss.zzz AM/PM" when
// the milliseconds are not zero). Ignored is not used.
AnsiString DateToStd(TDateTime D, const AnsiString& Ignored = {});
// Reads DateToStd's text (digits yyyymmdd, then the time after the first blank through the
// locale's time parser). Raises EConvertError for an invalid date or time.
TDateTime StdToDate(const AnsiString& S);

AnsiString GetLastItem(const TStrings& List);          // empty for an empty list
void SetLastItem(TStrings& List, const AnsiString& S); // nothing for an empty list

AnsiString FieldTypeToText(TFieldType T); // description, "Unknown or undetermined" for unknown
AnsiString FieldTypeToText(const TField* Field);
AnsiString FieldTypeToStr(TFieldType T); // short name, "Default" for unknown
AnsiString FieldTypeToStr(const TField* Field);
TFieldType StrToFieldType(const AnsiString& S); // exact short name, otherwise ftUnknown
void FieldTypeToList(TStrings& List);           // "ftUnknown" .. "ftDataSet"
AnsiString VarToText(const Variant& V);         // name of the exact type code, otherwise "Error"

} // namespace vmado
