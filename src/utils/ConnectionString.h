// One key of an ADO connection string ("Key=Value" parts joined by ";"), read and written.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado {

// The value after the first exact occurrence of Key; empty when Key does not occur.
AnsiString GetADOPart(const AnsiString& CS, const AnsiString& Key);
// CS with Key (found ignoring case) set to the trimmed Value; a missing key is appended only
// when Add is true. Empty parts are dropped; no leading or trailing ";".
AnsiString SetADOPart(const AnsiString& CS, const AnsiString& Key, const AnsiString& Value, bool Add);

} // namespace vmado
