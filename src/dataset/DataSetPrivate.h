// Helpers the dataset's files share: the record line's comma-text entries read and rewritten in
// place, and the bookmark stamp behind the text area. A line never leaves its text area.
#pragma once

#include "framework/rtl/Types.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vmado::dataset {

// The entries of a comma-text line, as the framework's CommaText reads it: an entry in double
// quotes keeps blanks and commas and has its inner quotes doubled; an unquoted one ends at a
// comma or a blank.
std::vector<AnsiString> SplitLine(std::string_view line);
// Entry index of a line, or empty when the line has fewer entries; reads without building a list.
AnsiString LineEntry(std::string_view line, Integer index);
// The same entry without building a string when it needs no unquoting: a view into line, or
// into scratch for a quoted entry. Valid while both live unchanged.
std::string_view LineEntryView(std::string_view line, Integer index, AnsiString& scratch);
// A valid yyyy-mm-dd date (the engine's date text) as a time stamp's day number, days since
// 0001-01-01 plus one, as DateTimeToTimeStamp gives it; false for any other text, which then
// takes the general date reader.
bool PlainDateStamp(std::string_view text, Integer& date);
// Joins entries as comma-text, quoting every entry that needs it (and empty ones, so that a
// split gives back the same number of entries).
AnsiString JoinLine(const std::vector<AnsiString>& entries);
// Copies line and its terminator into a text area of areaSize bytes; raises EDatabaseError naming
// what (a field, a record) when it does not fit, leaving the area untouched.
void StoreLine(char* area, Integer areaSize, const AnsiString& line, const AnsiString& what);

inline std::string_view TextArea(const char* buffer) { return std::string_view(buffer); }

inline Integer ReadInt32(const char* p) {
    Integer v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void WriteInt32(char* p, Integer v) { std::memcpy(p, &v, sizeof v); }

} // namespace vmado::dataset
