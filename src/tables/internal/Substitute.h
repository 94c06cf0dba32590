// Putting values into SQL text in one left-to-right pass. Quoted parts ('...', "..." and `...`,
// doubled quotes inside) are copied as they stand, and replacement text is appended to the
// result, never scanned again, so a value holding ":" or "?" cannot be taken for a placeholder.
#pragma once

#include "framework/rtl/Types.h"

#include <functional>

namespace vmado::tables {

// Every ":name" outside quotes, name being identifier characters (letters, digits, "_" and the
// code page's letters) starting with a non-digit, replaced as a whole token by value(name). A ":"
// not followed by such a name stays as it is.
AnsiString SubstituteNames(const AnsiString& text, const std::function<AnsiString(const AnsiString&)>& value);

// The number of "?" outside quotes.
Integer CountMarkers(const AnsiString& text);

// Every "?" outside quotes replaced, in order, by " " + value(index) + " ". Raises EDatabaseError
// before calling value when the text has another number of markers than count.
AnsiString SubstituteMarkers(const AnsiString& text, Integer count,
                             const std::function<AnsiString(Integer)>& value);

} // namespace vmado::tables
