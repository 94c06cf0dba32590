// Text helpers: searching, cutting, padding, case mapping of the Hungarian letters, hex and Roman
// numerals, splitting and joining lists. Stateless; positions are 1-based, 0 means "not found".
#pragma once

#include "framework/rtl/Types.h"

#include <vector>

namespace vmado {

class TStrings;

// Every occurrence of Old replaced by New, ignoring case, left to right, without rescanning the
// replacement. Empty S or empty Old gives an empty text (not S).
AnsiString StrTran(const AnsiString& S, const AnsiString& Old, const AnsiString& New);
// Character arguments (C, Sep) match only when they are exactly one character long.
Integer StrCount(const AnsiString& S, const AnsiString& C);
Integer StrPos(const AnsiString& S, const AnsiString& C, Integer N); // N-th occurrence, N <= 1: first
// The N-th field of S separated by Sep; empty for N <= 0, when Sep does not occur in S, and for a
// field number past the last field.
AnsiString GetSubStr(const AnsiString& S, Integer N, const AnsiString& Sep);
AnsiString Equalize(const AnsiString& S); // runs of blanks become one blank; no trimming

AnsiString LeftStr(const AnsiString& S, Integer N);
AnsiString RightStr(const AnsiString& S, Integer N);
AnsiString SubStr(const AnsiString& S, Integer Start, Integer Count);
bool IsSub(const AnsiString& Sub, const AnsiString& S); // false when either is empty
bool IsEmptyStr(const AnsiString& S);                   // empty or blanks only
bool IsDigits(const AnsiString& S);                     // non-empty, only "0123456789.,"

// Longer texts are cut on the right to N characters.
AnsiString PadR(const AnsiString& S, Integer N, char Ch);
AnsiString PadL(const AnsiString& S, Integer N, char Ch);
AnsiString PadC(const AnsiString& S, Integer N, char Ch); // odd padding: the extra one on the right

// Position just after the N-th occurrence of C counted from the right (N <= 1: the last one).
Integer RPos(const AnsiString& S, const AnsiString& C, Integer N);
// N = 0: position of the substring C; otherwise of the N-th occurrence of character C (N < 0: 1).
Integer LPos(const AnsiString& S, const AnsiString& C, Integer N);

AnsiString FillZero(const AnsiString& S, Integer N); // zeros in front, or cut to N characters
AnsiString FillZero(Integer Value, Integer N);       // a minus sign counts: (-5, 4) gives "00-5"
AnsiString ClearZero(const AnsiString& S);           // all-zero texts come back unchanged

// Code-page-1250 letters: StrConvert strips the accents of the nine upper-case Hungarian vowels;
// HunUpperCase/HunLowerCase map those vowel pairs and plain a-z, nothing else.
AnsiString StrConvert(const AnsiString& S);
AnsiString UpperFirst(const AnsiString& S); // lower-cased, then the first letter up
AnsiString InitCap(const AnsiString& S);    // first letter of every blank-separated word up
char HunUpperCase(char Ch);
char HunLowerCase(char Ch);

AnsiString StrToHex(const AnsiString& S); // two upper-case hex digits per byte
// Pairs of hex digits to bytes; a trailing single digit is ignored. Raises EConvertError for a
// pair that is not hexadecimal.
AnsiString HexToStr(const AnsiString& S);
AnsiString DecToRoman(Word N);           // 1..20, otherwise empty
Integer RomanToDec(const AnsiString& S); // exact upper-case numerals I..XX, otherwise 0

AnsiString ExtractDigits(const AnsiString& S, const AnsiString& Default);
// S cut before the earliest stop word found in it, ignoring case (also inside longer words).
AnsiString ExtractText(const AnsiString& S, const std::vector<AnsiString>& Stops);
AnsiString CleanText(const AnsiString& S);   // line breaks to blanks, blanks collapsed, trimmed
AnsiString CleanNumber(const AnsiString& S); // locale currency text and thousands separator removed

// Appends the trimmed items of S split at Sep; empty items between two separators are kept, a
// trailing separator adds nothing, and S made of one blank adds nothing.
void StrToStrings(const AnsiString& S, TStrings& List, const AnsiString& Sep);
// Every item preceded by Sep (so the result starts with Sep); with All false empty items are left out.
AnsiString StringsToStr(const TStrings& List, const AnsiString& Sep, bool All);

} // namespace vmado
