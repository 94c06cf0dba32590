// File-system helpers over POSIX: directory search by wildcard mask, host directories, the
// environment and file-system ids. Names cross to the operating system in its encoding (UTF-8).
#include "utils/Files.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "utils/internal/FileSearch.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vmado {

namespace {

AnsiString SystemError(int error)
{
    return Utf8ToAnsi(std::strerror(error));
}

// The masks a search visits: Mask itself and, with Sub, Mask applied inside every matching
// sub-directory one level down (names starting with "." are not entered).
std::vector<AnsiString> SearchMasks(const AnsiString& Mask, bool Sub)
{
    std::vector<AnsiString> masks{Mask};
    if (!Sub)
        return masks;
    const internal::MaskParts parts = internal::SplitMask(Mask);
    for (const internal::DirEntry& entry : internal::FindEntries(Mask))
        if (entry.IsDirectory && !entry.Name.starts_with("."))
            masks.push_back(parts.Directory + entry.Name + "/" + parts.NameMask);
    return masks;
}

std::vector<AnsiString> ListFiles(const AnsiString& Mask, TDirFile Mode, bool Sub)
{
    std::vector<AnsiString> files;
    for (const AnsiString& mask : SearchMasks(Mask, Sub)) {
        const AnsiString directory = internal::SplitMask(mask).Directory;
        for (const internal::DirEntry& entry : internal::FindEntries(mask)) {
            if (entry.IsDirectory)
                continue;
            AnsiString text;
            switch (Mode) {
            case dfName: {
                const std::size_t dot = entry.Name.find('.');
                text = dot == AnsiString::npos ? AnsiString() : entry.Name.substr(0, dot);
                break;
            }
            case dfFile:
                text = entry.Name;
                break;
            case dfFull:
                text = directory + entry.Name;
                break;
            }
            if (text.empty() || text.back() == '.' || ExtractName(text).empty())
                continue;
            files.push_back(std::move(text));
        }
    }
    return files;
}

} // namespace

AnsiString GetExeDir()
{
    std::string path(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            const int error = errno;
            throw EFOpenError("Cannot read the executable's path from /proc/self/exe: " + SystemError(error));
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2); // the link may have been cut; read it again with more room
    }
    const std::size_t slash = path.rfind('/');
    return Utf8ToAnsi(path.substr(0, slash == std::string::npos ? 0 : slash + 1));
}

AnsiString GetWorkDir(const AnsiString& Name)
{
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    if (!cwd) {
        const int error = errno;
        throw EFOpenError("Cannot read the current directory: " + SystemError(error));
    }
    AnsiString directory = Utf8ToAnsi(cwd.get());
    if (!Name.empty()) {
        const std::size_t at = AnsiUpperCase(directory).find(AnsiUpperCase(Name));
        if (at != AnsiString::npos)
            directory.erase(at);
    }
    if (directory.empty() || directory.back() != '/')
        directory += '/';
    return directory;
}

AnsiString GetEnviroment(const AnsiString& Name)
{
    // A name with "=" can never be set, and getenv would match a prefix of another variable.
    if (Name.empty() || Name.find('=') != AnsiString::npos)
        return {};
    const char* value = std::getenv(AnsiToUtf8(Name).c_str());
    return value == nullptr ? AnsiString() : AnsiUpperCase(Utf8ToAnsi(value));
}

void DirToStrings(const AnsiString& Mask, TStrings& List, TDirFile Mode, bool Sub)
{
    for (const AnsiString& file : ListFiles(Mask, Mode, Sub))
        List.Add(file);
}

bool DeleteFiles(const AnsiString& Mask)
{
    const std::vector<AnsiString> files = ListFiles(Mask, dfFull, false);
    for (const AnsiString& file : files)
        ::unlink(AnsiToUtf8(file).c_str()); // a failure is ignored
    return !files.empty();
}

Int64 FileNumbers(const AnsiString& Mask, bool Sub, bool Sizes)
{
    Int64 total = 0;
    for (const AnsiString& mask : SearchMasks(Mask, Sub))
        for (const internal::DirEntry& entry : internal::FindEntries(mask))
            total += Sizes ? entry.Size : 1;
    return total;
}

AnsiString ExtractName(const AnsiString& Path)
{
    const std::size_t slash = Path.rfind('/');
    const AnsiString name = slash == AnsiString::npos ? Path : Path.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

Cardinal GetVolumeID(const AnsiString& Path)
{
    const AnsiString path = Path.empty() ? AnsiString("/") : Path;
    struct statvfs info {};
    if (::statvfs(AnsiToUtf8(path).c_str(), &info) != 0) {
        const int error = errno;
        throw EFOpenError("Cannot read the file system of '" + path + "': " + SystemError(error));
    }
    const auto id = static_cast<std::uint64_t>(info.f_fsid);
    return static_cast<Cardinal>((id ^ (id >> 32)) & 0xFFFFFFFFu);
}

Cardinal GetVolumeID(char /*Drive*/)
{
    return GetVolumeID(AnsiString("/"));
}

} // namespace vmado
