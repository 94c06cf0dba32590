// The bundled sample database: made by the library's own engine, so the programs need no data
// files from elsewhere. Its tables show what the library handles: a table name with a blank,
// real dates and times, blobs and Central European text.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado::app {

// The tables of the sample, masters before their details.
inline constexpr const char* kSampleTables[] = {"Customers", "Orders", "Order Details", "Readings"};
// Rows of the largest sample table, the one worth opening in the background.
inline constexpr int kSampleReadings = 20000;

// Creates (or re-creates) the sample SQLite database at path. The database is built in a file
// beside path and renamed over it once complete, so a failure leaves no half-made sample and an
// older sample stays as it was. Raises the engine's exception on failure.
void CreateSampleDatabase(const AnsiString& path);

// Creates the sample at path unless a file is already there; true when it was created.
bool EnsureSampleDatabase(const AnsiString& path);

} // namespace vmado::app
