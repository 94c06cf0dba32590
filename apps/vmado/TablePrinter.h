// Prints an open recordset's current view as a text table on a UTF-8 terminal.
#pragma once

#include "ado/ADOApi.h"

#include <ostream>

namespace vmado::app {

void PrintRecordset(const RecordsetPtr& rs, std::ostream& out);

} // namespace vmado::app
