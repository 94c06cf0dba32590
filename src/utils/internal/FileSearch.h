// Directory search by a wildcard mask: "*" any run of characters, "?" one character, everything
// else literal and case-sensitive; the mask "*.*" matches every name. Entries come sorted by name.
#pragma once

#include "framework/rtl/Types.h"

#include <vector>

namespace vmado::internal {

struct MaskParts {
    AnsiString Directory; // up to and including the last "/"; empty for the current directory
    AnsiString NameMask;  // after the last "/"
};

struct DirEntry {
    AnsiString Name;
    bool IsDirectory = false;
    Int64 Size = 0; // 0 for directories
};

MaskParts SplitMask(const AnsiString& mask);
bool MatchesMask(const AnsiString& name, const AnsiString& nameMask);
// Every entry of the mask's directory whose name matches, "." and ".." included when they
// match. A directory that cannot be read gives no entries.
std::vector<DirEntry> FindEntries(const AnsiString& mask);

} // namespace vmado::internal
