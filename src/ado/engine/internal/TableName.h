// Table names given where a statement is expected (adCmdTable, or a bare name to open): how to
// recognise one and how to write it into a SELECT so that blanks and quotes inside it survive.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado::engine {

// True for a name already in brackets or double quotes, or one made only of name characters
// (letters, digits, '_', '.', '$', bytes above ASCII).
bool LooksLikeTableName(std::string_view text);
// The name in double quotes, each part of schema.table on its own; a name already in brackets or
// double quotes is returned as it stands. name must not be empty.
AnsiString QuoteTableName(std::string_view name);

} // namespace vmado::engine
