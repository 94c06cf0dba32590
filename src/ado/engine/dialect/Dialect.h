// The SQL dialect layer: rewrites the SQL this library and its users write (ODBC escapes,
// #date# literals, UCASE/LCASE, Boolean -1/0, [bracketed] names) into what the backend accepts.
// String literals, quoted names and comments pass through untouched.
#pragma once

#include "ado/engine/Provider.h"

#include <string_view>
#include <vector>

namespace vmado::engine {

// booleanColumns: lower-cased names of Boolean columns; a comparison of one of them with -1 or 0
// becomes the backend's true/false. nullptr skips that rewrite.
// caseFunctions: the backend has UCASE/LCASE; without them they become UPPER/LOWER.
AnsiString RewriteSql(std::string_view sql, SqlDialect dialect, const std::vector<AnsiString>* booleanColumns,
                      bool caseFunctions = true);

// True when the text compares something with -1 or 0, so the Boolean column names are needed.
bool MentionsBooleanLiteral(std::string_view sql);

} // namespace vmado::engine
