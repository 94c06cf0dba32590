// What the browser asks of a data source's catalogue: its tables, their columns, and how a detail
// table follows a master one.
#pragma once

#include "framework/rtl/Types.h"

#include <vector>

namespace vmado::browser {

// The user tables of the data source (system tables left out), in the catalogue's order. Raises
// the engine's exception when the connection cannot be opened.
std::vector<AnsiString> ListTables(const AnsiString& connection);
// The columns of table, in their order.
std::vector<AnsiString> ListFields(const AnsiString& connection, const AnsiString& table);

// The relation text ("Detail = :Master") that makes the detail follow the master by a column both
// have: the master's first column when the detail has it (its key, in the usual design), else the
// first column they share, names compared without regard to case. Empty when they share none
// that a relation can name.
AnsiString RelationFor(const std::vector<AnsiString>& masterFields,
                       const std::vector<AnsiString>& detailFields);

} // namespace vmado::browser
