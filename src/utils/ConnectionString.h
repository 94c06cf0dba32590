// One key of an ADO connection string ("Key=Value" parts joined by ";"), read and written.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>
#include <vector>

namespace vmado {

// A value that opens with a double or single quote right after its "=" (blanks between allowed)
// runs to the same quote not doubled, or to the end when unclosed: it is one value, whatever
// ";", "=" or blanks it holds, and keys are never looked for inside it.

// The parts of CS split at each ";" outside quoted values, each trimmed of the blanks around it;
// empty parts between two ";" are kept, a final ";" adds none.
std::vector<AnsiString> SplitADOParts(std::string_view CS);

// The value after the first exact occurrence of Key outside quoted values; empty when Key does
// not occur.
AnsiString GetADOPart(const AnsiString& CS, const AnsiString& Key);
// CS with Key (found ignoring case) set to the trimmed Value; a missing key is appended only
// when Add is true. Empty parts are dropped; no leading or trailing ";".
AnsiString SetADOPart(const AnsiString& CS, const AnsiString& Key, const AnsiString& Value, bool Add);

} // namespace vmado
