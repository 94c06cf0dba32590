// Reading and writing the literal forms of criteria texts: numbers, currency amounts, dates and
// times. Readers take views and never allocate, so run-time conversions of text cells can use them.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado::engine::internal {

// Whole text must be a number: optional sign, digits, '.' or the locale's decimal separator,
// optional exponent. Surrounding blanks are ignored.
bool ParseNumber(std::string_view text, double& out);
bool ParseInteger(std::string_view text, Int64& out);  // no fraction, no overflow
bool ParseCurrency(std::string_view text, Int64& raw); // exact to 4 places, rounded half away
// A date, date and time, or time of day: ISO (yyyy-mm-dd, 'T' or blank before the time), the
// standard text with AM/PM, the locale's short date (and '/' dates month first when the locale
// has no other order); a time alone gives the fraction of a day.
bool ParseDateTime(std::string_view text, double& out);
bool ParseTime(std::string_view text, double& out);
// Standard date text: yyyy-mm-dd, then " hh:nn:ss AM/PM" unless midnight, with ".zzz" after the
// seconds when the milliseconds are not zero. buf holds 32 bytes.
std::string_view FormatDateTime(double value, char* buf);
// Encodes a calendar date and time; false when out of range.
bool EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec, double& out);
Int64 DateToMilliseconds(double value); // for exact comparison of dates at millisecond grain

} // namespace vmado::engine::internal
