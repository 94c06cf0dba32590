// Helpers of the connection and recordset wrappers that need no engine object: unixODBC
// configuration files, data-link file decoding, and the comma-text form of record lines.
#pragma once

#include "ado/ADOApi.h"

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace vmado::adobase {

struct IniSection {
    AnsiString Name;
    std::vector<std::pair<AnsiString, AnsiString>> Entries; // key, value; trimmed, file order
};

// Reads an ini file in unixODBC's syntax ([Section], Key = Value, ';' and '#' comments).
// False when the file cannot be read; names and values are converted to the ANSI code page.
bool ReadIniFile(const std::filesystem::path& path, std::vector<IniSection>& sections);

// Where unixODBC looks: ODBCSYSINI (default /etc) holds odbcinst.ini (or the file ODBCINSTINI
// names) and the system odbc.ini; the user's odbc.ini is ODBCINI, else ~/.odbc.ini.
std::filesystem::path OdbcInstIniPath();
std::filesystem::path OdbcSystemIniPath();
std::filesystem::path OdbcUserIniPath();

// The data-link file's text in the ANSI code page: UTF-16 (LE or BE by its byte-order mark,
// surrogate pairs decoded) or, without a mark, UTF-16 LE when every second byte is zero, else
// UTF-8 (with or without its mark). Raises EReadError for bytes that are none of these.
AnsiString DecodeUdlText(std::string_view bytes);
// The connection line: the first line of the [oledb] section that is neither blank nor a
// ';' comment; without that section, the text from the first "Provider" to the end of its line.
AnsiString UdlConnectionLine(const AnsiString& text);
// Puts "User ID=" and "Password=" entries in (in place, names ignoring case, else appended)
// when userName is not empty; drops "Integrated Security" when both are given.
AnsiString ApplyUdlCredentials(const AnsiString& line, const AnsiString& userName,
                               const AnsiString& password);

// The longest text a value of the field can render to (before quoting).
Integer FieldTextBound(DataTypeEnum type, Integer definedSize);

// FloatToStr's text of value, built from its shortest round-trip digits; false (leaving out
// alone) when FloatToStr would write it otherwise than in fixed notation with at most 15
// significant digits, or for infinities and NaN: the caller then uses FloatToStr.
bool ShortFloatText(double value, AnsiString& out);
// The engine's standard text of a whole day number, yyyy-mm-dd and a terminator into buf (11
// bytes), for years 1 to 9999; false for other values, which take the engine's formatter.
bool DayText(double day, char* buf);

// Builds one record line entry by entry, each checked against its share of the text area
// (budgets by field position), then writes it with its terminator. Both raise EDatabaseError
// naming what does not fit; nothing is written to the buffer unless all of it fits.
class RecordLineWriter {
public:
    // storage, when given, holds the line instead of the writer (emptied first), so that a caller
    // writing many lines keeps one allocation.
    RecordLineWriter(const std::vector<Integer>& budgets, Integer recSize, AnsiString* storage = nullptr)
        : budgets_(budgets), recSize_(recSize), line_(storage ? *storage : own_)
    {
        line_.clear();
        line_.reserve(static_cast<size_t>(recSize > 0 ? recSize : 0));
    }
    RecordLineWriter(const RecordLineWriter&) = delete;
    RecordLineWriter& operator=(const RecordLineWriter&) = delete;
    void Add(const AnsiString& fieldName, std::string_view text);
    void Write(char* buffer) const; // buffer holds recSize bytes
    const AnsiString& Line() const { return line_; }

private:
    const std::vector<Integer>& budgets_;
    Integer recSize_;
    AnsiString own_;
    AnsiString& line_;
    size_t count_ = 0;
};

} // namespace vmado::adobase
