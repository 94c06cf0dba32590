// ODBC lookups of TVConnection, read from unixODBC's configuration files as the driver manager
// itself finds them. Missing files are not errors: the lists stay as the lookups describe.
#include "ado/ADOBase.h"
#include "ado/ADOBasePrivate.h"

#include "framework/rtl/CodePage.h"
#include "framework/rtl/SysUtils.h"

#include <cstdlib>
#include <fstream>

namespace vmado {
namespace adobase {
namespace {

std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::filesystem::path SystemDir()
{
    const char* dir = std::getenv("ODBCSYSINI");
    return (dir && *dir) ? std::filesystem::path(dir) : std::filesystem::path("/etc");
}

// Section names of a file, leaving out the driver manager's own sections.
bool SectionNames(const std::filesystem::path& path, std::vector<AnsiString>& names)
{
    std::vector<IniSection> sections;
    if (!ReadIniFile(path, sections))
        return false;
    for (const auto& s : sections) {
        if (SameText(s.Name, "ODBC") || SameText(s.Name, "ODBC Drivers") ||
            SameText(s.Name, "ODBC Data Sources") || s.Name.empty())
            continue;
        names.push_back(s.Name);
    }
    return true;
}

} // namespace

bool ReadIniFile(const std::filesystem::path& path, std::vector<IniSection>& sections)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    IniSection* current = nullptr;
    while (std::getline(in, line)) {
        std::string_view s = TrimView(line);
        if (s.empty() || s.front() == ';' || s.front() == '#')
            continue;
        if (s.front() == '[') {
            const size_t close = s.find(']');
            const std::string_view name =
                TrimView(s.substr(1, close == std::string_view::npos ? s.npos : close - 1));
            sections.push_back(IniSection{Utf8ToAnsi(name), {}});
            current = &sections.back();
            continue;
        }
        if (!current)
            continue; // entries before the first section belong to nothing
        const size_t eq = s.find('=');
        const std::string_view key = TrimView(s.substr(0, eq));
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : TrimView(s.substr(eq + 1));
        current->Entries.emplace_back(Utf8ToAnsi(key), Utf8ToAnsi(value));
    }
    return true;
}

std::filesystem::path OdbcInstIniPath()
{
    const char* file = std::getenv("ODBCINSTINI");
    if (file && *file) {
        std::filesystem::path p(file);
        return p.is_absolute() ? p : SystemDir() / p;
    }
    return SystemDir() / "odbcinst.ini";
}

std::filesystem::path OdbcSystemIniPath()
{
    return SystemDir() / "odbc.ini";
}

std::filesystem::path OdbcUserIniPath()
{
    const char* file = std::getenv("ODBCINI");
    if (file && *file)
        return std::filesystem::path(file);
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".odbc.ini";
}

} // namespace adobase

using namespace adobase;

void TVConnection::GetOdbcDriverList(TStrings& list)
{
    std::vector<AnsiString> names;
    if (!SectionNames(OdbcInstIniPath(), names))
        return;
    list.Clear();
    for (const auto& n : names)
        list.Add(n);
}

AnsiString TVConnection::GetOdbcDriverExt(const AnsiString& driverName)
{
    std::vector<IniSection> sections;
    if (!ReadIniFile(OdbcInstIniPath(), sections))
        return {};
    for (const auto& s : sections) {
        if (!SameText(s.Name, driverName))
            continue; // registry keys ignore case too
        for (const auto& [key, value] : s.Entries)
            if (SameText(key, "FileExtns"))
                return value;
    }
    return {};
}

namespace {

// Every occurrence of what in s (ignoring case) replaced by with; an empty what gives an empty
// text, as the string helper the filter text was first built with does.
AnsiString ReplaceNoCase(const AnsiString& s, const AnsiString& what, const AnsiString& with)
{
    if (what.empty())
        return {};
    AnsiString out;
    size_t i = 0;
    while (i < s.size()) {
        if (i + what.size() <= s.size() && SameText(std::string_view(s).substr(i, what.size()), what)) {
            out += with;
            i += what.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

} // namespace

AnsiString TVConnection::GetOdbcDriverFilter(const AnsiString& driverName)
{
    const AnsiString ext = GetOdbcDriverExt(driverName);
    std::vector<AnsiString> patterns;
    size_t start = 0;
    while (start <= ext.size() && !ext.empty()) {
        const size_t comma = ext.find(',', start);
        const AnsiString item(TrimView(std::string_view(ext).substr(
            start, comma == AnsiString::npos ? AnsiString::npos : comma - start)));
        if (comma == AnsiString::npos) {
            if (!item.empty())
                patterns.push_back(item);
            break;
        }
        patterns.push_back(item);
        start = comma + 1;
    }
    const size_t star = driverName.find("*.");
    const AnsiString namePattern = star == AnsiString::npos ? AnsiString() : driverName.substr(star, 5);
    AnsiString result;
    for (const auto& p : patterns)
        result += ReplaceNoCase(driverName, namePattern, p) + "|" + p + "|";
    result += " All Files (*.*)  |*.*";
    return result;
}

void TVConnection::GetOdbcDSNList(TStrings& list)
{
    list.Clear();
    std::vector<AnsiString> names;
    SectionNames(OdbcSystemIniPath(), names);
    SectionNames(OdbcUserIniPath(), names);
    for (const auto& n : names)
        list.Add(n);
}

} // namespace vmado
