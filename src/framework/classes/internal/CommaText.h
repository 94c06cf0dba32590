// The framework's comma-text quoting, in one place for the string list and both record lines: an
// item is quoted, its quotes doubled, exactly when splitting would not otherwise give it back.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado::internal {

// Whether c forces quotes around a delimited item: the quote, the delimiter, or (unless strict)
// a blank or control character, every byte up to space. Inline: record lines test every byte.
inline bool ForcesQuotes(char c, char delimiter = ',', char quote = '"', bool strict = false)
{
    return c == quote || c == delimiter || (!strict && static_cast<unsigned char>(c) <= ' ');
}

// An empty item is quoted too, so that splitting keeps it.
bool NeedsQuotes(std::string_view item, char delimiter = ',', char quote = '"', bool strict = false);

// Appends item in quotes with its inner quotes doubled.
void AppendQuoted(AnsiString& out, std::string_view item, char quote = '"');

// Appends item as one delimited entry: quoted when NeedsQuotes, else as it stands.
void AppendDelimitedItem(AnsiString& out, std::string_view item, char delimiter = ',', char quote = '"',
                         bool strict = false);

} // namespace vmado::internal
