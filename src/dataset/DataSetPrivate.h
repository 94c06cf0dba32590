// Helpers the dataset's files share: the record line's comma-text entries read and rewritten in
// place, and the bookmark stamp behind the text area. A line never leaves its text area.
#pragma once

#include "framework/classes/Strings.h"
#include "framework/rtl/Types.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vmado::dataset {

// The entries of a comma-text line, as the framework's CommaText reads it: an entry in double
// quotes keeps blanks and commas and has its inner quotes doubled; an unquoted one ends at a
// comma or a blank.
std::vector<AnsiString> SplitLine(std::string_view line);
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

// A settings file name as given, possibly written on Windows, as a path here: backslashes become
// '/' and a leading drive letter is dropped.
AnsiString SettingsFilePath(const AnsiString& fileName);
// Replaces the file at path with size bytes: written to a new file in the same folder (created
// with its missing parents), flushed, then renamed over path. On any failure the old file stays
// byte for byte and the new one is removed; raises EFCreateError or EWriteError naming the file.
void ReplaceFile(const AnsiString& path, const void* data, Int64 size);

inline std::string_view TextArea(const char* buffer)
{
    return std::string_view(buffer);
}

// Where each entry of one buffer's line starts, found in one walk and kept while the dataset reads
// that buffer's fields. The dataset forgets it whenever it writes, allocates or frees a text area,
// so an index never outlives the line it describes.
class LineIndex {
public:
    void Forget() { buffer_ = nullptr; }
    // Entry index of the zero-terminated line at buffer, empty when the line has fewer entries:
    // a view into the line, or into scratch for a quoted entry, valid while both stay unchanged.
    std::string_view Entry(const char* buffer, Integer index, AnsiString& scratch);

private:
    const char* buffer_ = nullptr;
    std::size_t length_ = 0;
    std::vector<std::uint32_t> starts_;
};

// The dataset's BlobValues: name=value lines a blob read rewrites for every record. Finding a
// line by name compares every line case-insensitively, so where it was found is remembered until
// the list changes other than through SetValueAt, or its separator or case rule does.
class BlobValueList final : public TStringList {
public:
    // IndexOfName(name), -1 when absent.
    Integer IndexOfBlob(const AnsiString& name);
    // Line index becomes its own name, the separator and value, with object as its object.
    void SetValueAt(Integer index, std::string_view value, TObject* object);

protected:
    void Changing() override;

private:
    struct Slot {
        AnsiString Name;
        Integer Index = -1;
        AnsiString Prefix; // the line's name and separator, once a value was set
    };
    std::uint64_t version_ = 0;                      // bumped by every change
    std::uint64_t slotsVersion_ = ~std::uint64_t{0}; // the version slots_ were found in
    char slotsSeparator_ = '\0';
    bool slotsCaseSensitive_ = false;
    std::vector<Slot> slots_;
};

inline Integer ReadInt32(const char* p)
{
    Integer v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void WriteInt32(char* p, Integer v)
{
    std::memcpy(p, &v, sizeof v);
}

} // namespace vmado::dataset
