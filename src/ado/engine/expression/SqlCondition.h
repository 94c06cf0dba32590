// A compiled Filter written again as an SQL condition for one backend, so that a statement can
// reach exactly the rows the filter lets through. Only what SQL says with the very same meaning
// is written; anything else is refused, never approximated.
#pragma once

#include "ado/engine/Provider.h"

#include <vector>

namespace vmado::engine {

struct SqlColumn {
    AnsiString Name;  // as the statement writes it (quoted); empty when no table column is behind it
    AnsiString Label; // the name messages give
    ValueKind Kind = ValueKind::Null;
    DataTypeEnum Type = adEmpty;
};

// The condition in the library's SQL (quoted names, ISO dates, -1/0 Booleans) that the dialect
// layer takes on to the backend; columns match the compile-time columns by index. Throws
// EOleException naming the part of the filter that cannot be said for this backend. A filter
// that restricts nothing gives an empty text.
AnsiString FilterCondition(const CompiledExpression& filter, const std::vector<SqlColumn>& columns,
                           SqlDialect dialect);

} // namespace vmado::engine
