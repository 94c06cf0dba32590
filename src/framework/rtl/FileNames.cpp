// File-name helpers on the library's 8-bit names: '/' separates folders, and every call to the
// file system converts the name to the operating system's UTF-8 first.
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/CodePage.h"

#include <filesystem>
#include <system_error>

namespace vmado {

namespace fs = std::filesystem;

namespace {

std::size_t LastSlash(std::string_view s)
{
    return s.rfind(PathDelim);
}

} // namespace

AnsiString ExtractFilePath(std::string_view fileName)
{
    const std::size_t at = LastSlash(fileName);
    return at == std::string_view::npos ? AnsiString() : AnsiString(fileName.substr(0, at + 1));
}

AnsiString ExtractFileDir(std::string_view fileName)
{
    const std::size_t at = LastSlash(fileName);
    if (at == std::string_view::npos)
        return {};
    // The root keeps its slash: the directory of "/x" is "/".
    return AnsiString(fileName.substr(0, at == 0 ? 1 : at));
}

AnsiString ExtractFileName(std::string_view fileName)
{
    const std::size_t at = LastSlash(fileName);
    return AnsiString(at == std::string_view::npos ? fileName : fileName.substr(at + 1));
}

AnsiString ExtractFileExt(std::string_view fileName)
{
    const std::size_t dot = fileName.find_last_of("./");
    if (dot == std::string_view::npos || fileName[dot] != '.')
        return {};
    return AnsiString(fileName.substr(dot));
}

AnsiString ChangeFileExt(std::string_view fileName, std::string_view extension)
{
    const std::size_t dot = fileName.find_last_of("./");
    const std::size_t stem = (dot == std::string_view::npos || fileName[dot] != '.') ? fileName.size() : dot;
    return AnsiString(fileName.substr(0, stem)) + AnsiString(extension);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view s)
{
    AnsiString out(s);
    if (out.empty() || out.back() != PathDelim)
        out += PathDelim;
    return out;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view s)
{
    AnsiString out(s);
    if (out.size() > 1 && out.back() == PathDelim)
        out.pop_back();
    return out;
}

AnsiString ExpandFileName(std::string_view fileName)
{
    std::error_code ec;
    fs::path p = fs::absolute(AnsiToPath(fileName), ec);
    if (ec)
        return AnsiString(fileName);
    return PathToAnsi(p.lexically_normal());
}

bool FileExists(std::string_view fileName)
{
    if (fileName.empty())
        return false;
    std::error_code ec;
    const fs::file_status st = fs::status(AnsiToPath(fileName), ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool DirectoryExists(std::string_view directory)
{
    if (directory.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(AnsiToPath(directory), ec);
}

bool DeleteFile(std::string_view fileName)
{
    if (!FileExists(fileName))
        return false;
    std::error_code ec;
    return fs::remove(AnsiToPath(fileName), ec) && !ec;
}

AnsiString GetCurrentDir()
{
    std::error_code ec;
    const fs::path p = fs::current_path(ec);
    return ec ? AnsiString() : PathToAnsi(p);
}

} // namespace vmado
