// Prints an open dataset's records as a text table on a UTF-8 terminal.
#pragma once

#include "framework/db/DataSet.h"

#include <ostream>

namespace vmado::app {

// Every record from the first, each field in its display text; the dataset ends at EOF.
void PrintDataSet(TDataSet& dataSet, std::ostream& out);

} // namespace vmado::app
