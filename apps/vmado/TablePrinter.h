// Prints an open dataset's records as a text table on a UTF-8 terminal.
#pragma once

#include "framework/db/DataSet.h"

#include <ostream>

namespace vmado::app {

// The records from the first, each field in its display text: all of them, or at most limit
// when it is not negative. The footer says how many were shown and, when cut, of how many.
void PrintDataSet(TDataSet& dataSet, std::ostream& out, Integer limit = -1);

} // namespace vmado::app
