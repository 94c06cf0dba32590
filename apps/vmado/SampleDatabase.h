// The bundled sample database: made by the library's own engine, so the main job needs no data
// files from elsewhere.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado::app {

// Creates (or re-creates) the sample SQLite database at path.
void CreateSampleDatabase(const AnsiString& path);

} // namespace vmado::app
