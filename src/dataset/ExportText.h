// Records as lines of a text file, and the file that receives them. The three layouts of the
// export form (fixed width, tab- and comma-separated, in the library's code page) and RFC-4180
// CSV (UTF-8, a header row, a chosen NULL token) share the quoting and the writing, so the form
// and the command-line tool write the same bytes.
#pragma once

#include "framework/rtl/Types.h"

#include <string>
#include <string_view>
#include <vector>

namespace vmado {

class TField;

enum class TExportLayout { elFixed, elTab, elComma };

// The line end every layout writes.
constexpr std::string_view kExportLineEnd = "\r\n";

// One record's values in fields' order, without the line end. Fixed gives each value padded or
// cut to its display width, a line break in it made a blank; the delimited layouts join the
// values with their separator, quoting a value that holds the separator, a quote or a line
// break, its quotes doubled, so the file reads back.
AnsiString ExportLine(const std::vector<TField*>& fields, TExportLayout layout);
// The same with any separator; fixed ignores it.
AnsiString ExportLine(const std::vector<TField*>& fields, char sep, bool fixed);

// RFC-4180 CSV in UTF-8, without the line end: the field names, and one record's values with
// nullToken (given in UTF-8) for a NULL. Quoting as for the comma layout.
std::string Rfc4180Header(const std::vector<TField*>& fields);
std::string Rfc4180Line(const std::vector<TField*>& fields, const std::string& nullToken);

// A file written beside its target under a temporary name and renamed over it by Commit, so a
// failed or abandoned export never leaves a half-written file, nor an old one that looks current.
// Without Commit the temporary file is removed and the target stays as it was.
class TExportFile {
public:
    // Raises EFCreateError naming the file when it cannot be created (a missing folder is not
    // made).
    explicit TExportFile(const AnsiString& path);
    ~TExportFile();
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;

    void Write(std::string_view bytes); // EWriteError naming the file
    void Commit();                      // EWriteError; the target is then replaced
    void Cancel();                      // drops what was written

private:
    [[noreturn]] void Fail(int error);

    AnsiString path_;
    AnsiString tempName_;
    int fd_ = -1;
};

} // namespace vmado
