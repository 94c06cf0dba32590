// Dates as the engine stores them in text form (ISO 8601: "yyyy-mm-dd", "hh:nn:ss",
// "yyyy-mm-dd hh:nn:ss[.zzz]") and their day numbers (days since 1899-12-30, the time as fraction).
#pragma once

#include "ado/ADOApi.h"

#include <string_view>

namespace vmado::engine {

// Accepts a date, a time, or both separated by a blank or "T"; seconds and fractions optional;
// a 12-hour time may end in AM or PM. Returns false for anything else or an impossible date.
bool ParseIsoDateTime(std::string_view text, double& value);
// Renders the value for a column of the given type: adDBDate the date, adDBTime the time,
// anything else the date and time (milliseconds only when not zero).
AnsiString FormatIsoDateTime(double value, DataTypeEnum type);

bool DateFromParts(int year, int month, int day, double& value);
void DateToParts(double value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                 int& msec);

} // namespace vmado::engine
