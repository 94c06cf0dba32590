// When a typed value may go into a statement without quotes. The fill-up writes such a value as
// a number and the command-line tool checks it before asking anything, so both read this one
// rule and cannot disagree.
#pragma once

#include "framework/rtl/Types.h"

#include <optional>

namespace vmado {

// text as an SQL number: blanks around it dropped, an optional sign, digits with at most one
// decimal separator (a point, or the locale's DecimalSeparator, written as a point) and an
// optional exponent with at least one digit. Nothing when text is anything else (empty, a
// thousands separator, hexadecimal, a second sign, letters), so the result cannot carry SQL.
std::optional<AnsiString> SqlNumberLiteral(const AnsiString& text);

} // namespace vmado
