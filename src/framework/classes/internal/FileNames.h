// The operating-system boundary for file names and system error texts used by the file streams.
#pragma once

#include "framework/rtl/Types.h"

#include <string>

namespace vmado::internal {

// The ANSI-code-page file name as the operating system spells it (UTF-8).
std::string FileNameToOs(const AnsiString& fileName);

// The system's text for an errno value, in the ANSI code page.
AnsiString SystemErrorText(int error);

} // namespace vmado::internal
