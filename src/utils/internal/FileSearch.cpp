// Directory search by wildcard mask over opendir/readdir; names are matched in the ANSI code
// page, one byte one character, so "?" stands for one letter of a Windows-1250 name.
#include "utils/internal/FileSearch.h"

#include "framework/rtl/CodePage.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace vmado::internal {

MaskParts SplitMask(const AnsiString& mask)
{
    const std::size_t slash = mask.rfind('/');
    if (slash == AnsiString::npos)
        return {AnsiString(), mask};
    return {mask.substr(0, slash + 1), mask.substr(slash + 1)};
}

bool MatchesMask(const AnsiString& name, const AnsiString& nameMask)
{
    if (nameMask == "*.*")
        return true;
    // Greedy matching with one backtrack point: the last "*" seen.
    std::size_t n = 0, m = 0;
    std::size_t starMask = AnsiString::npos, starName = 0;
    while (n < name.size()) {
        if (m < nameMask.size() && (nameMask[m] == '?' || nameMask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < nameMask.size() && nameMask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != AnsiString::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < nameMask.size() && nameMask[m] == '*')
        ++m;
    return m == nameMask.size();
}

std::vector<DirEntry> FindEntries(const AnsiString& mask)
{
    const MaskParts parts = SplitMask(mask);
    std::vector<DirEntry> entries;
    if (parts.NameMask.empty())
        return entries;
    const std::string directory = AnsiToUtf8(parts.Directory);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.empty() ? "." : directory.c_str()),
                                            &::closedir);
    if (!dir)
        return entries;
    while (const dirent* item = ::readdir(dir.get())) {
        const AnsiString name = Utf8ToAnsi(item->d_name);
        if (!MatchesMask(name, parts.NameMask))
            continue;
        DirEntry entry;
        entry.Name = name;
        struct stat info {};
        const std::string path = directory + item->d_name;
        // A dangling link still is an entry; it is counted as an empty file.
        if (::stat(path.c_str(), &info) == 0 || ::lstat(path.c_str(), &info) == 0) {
            entry.IsDirectory = S_ISDIR(info.st_mode);
            entry.Size = entry.IsDirectory ? 0 : static_cast<Int64>(info.st_size);
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.Name < b.Name; });
    return entries;
}

} // namespace vmado::internal
