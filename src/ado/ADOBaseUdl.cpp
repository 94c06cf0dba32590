// Data-link (.udl) files: decoded from UTF-16 or UTF-8 into the ANSI code page, the connection line taken
// from the [oledb] section, the caller's credentials put in. Launching the editor never waits.
#include "ado/ADOBase.h"
#include "ado/ADOBasePrivate.h"

#include "framework/rtl/CodePage.h"
#include "utils/ConnectionString.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vmado {
namespace adobase {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char x = s[i], y = prefix[i];
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// Entry name of "Name=Value" (the whole entry when there is no "=").
std::string_view EntryName(std::string_view entry)
{
    const size_t eq = entry.find('=');
    return Trim(entry.substr(0, eq));
}

void SetEntry(std::vector<AnsiString>& entries, std::string_view name, const AnsiString& line)
{
    for (auto& e : entries) {
        const std::string_view n = EntryName(e);
        if (n.size() == name.size() && StartsWithNoCase(n, name)) {
            e = line;
            return;
        }
    }
    entries.push_back(line);
}

// Well-formed UTF-8: no stray continuation bytes, no cut, overlong or surrogate sequences,
// nothing past U+10FFFF.
bool IsUtf8(std::string_view s)
{
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char lead = b(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t extra = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        if (b(i + 1) < low || b(i + 1) > high)
            return false;
        for (size_t k = 2; k <= extra; ++k)
            if ((b(i + k) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

AnsiString DecodeUdlText(std::string_view bytes)
{
    const auto b = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool utf16 = false, bigEndian = false;
    size_t pos = 0;
    if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        utf16 = true;
        pos = 2;
    } else if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        utf16 = bigEndian = true;
        pos = 2;
    } else if (bytes.size() >= 2 && bytes.size() % 2 == 0) {
        utf16 = true;
        for (size_t i = 1; i < bytes.size(); i += 2)
            if (b(i) != 0)
                utf16 = false;
    }
    if (!utf16) {
        if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF)
            bytes.remove_prefix(3);
        // Plain ASCII is UTF-8 too; anything else must be well-formed UTF-8, for bytes of some
        // unknown 8-bit code page cannot be read back faithfully.
        if (!IsUtf8(bytes))
            throw EReadError("The data-link text is neither UTF-16 nor UTF-8");
        return Utf8ToAnsi(bytes);
    }
    std::u32string text;
    text.reserve(bytes.size() / 2);
    const auto unit = [&](size_t i) -> char32_t {
        return bigEndian ? (char32_t(b(i)) << 8 | b(i + 1)) : (char32_t(b(i + 1)) << 8 | b(i));
    };
    for (; pos + 1 < bytes.size(); pos += 2) {
        char32_t u = unit(pos);
        if (u >= 0xD800 && u <= 0xDBFF && pos + 3 < bytes.size()) {
            const char32_t low = unit(pos + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                pos += 2;
            }
        }
        if (u == 0)
            continue;
        text.push_back(u);
    }
    return Utf32ToAnsi(text);
}

AnsiString UdlConnectionLine(const AnsiString& text)
{
    bool inOledb = false, sawSection = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == AnsiString::npos)
            end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        if (!line.empty() && line.front() == '[') {
            inOledb = StartsWithNoCase(line, "[oledb]");
            sawSection = sawSection || inOledb;
        } else if (inOledb && !line.empty() && line.front() != ';') {
            return AnsiString(line);
        }
        start = end + 1;
    }
    if (sawSection)
        return {};
    const size_t p = text.find("Provider");
    if (p == AnsiString::npos)
        return {};
    const size_t end = text.find_first_of("\r\n", p);
    return text.substr(p, end == AnsiString::npos ? AnsiString::npos : end - p);
}

AnsiString ApplyUdlCredentials(const AnsiString& line, const AnsiString& userName, const AnsiString& password)
{
    // The entries split at ";" and trimmed, as the string-list helper does, but a quoted value
    // (Extended Properties="...;...") stays one entry, untouched; empty ones vanish when joined.
    std::vector<AnsiString> entries = SplitADOParts(line);
    if (!userName.empty()) {
        SetEntry(entries, "User ID", "User ID=" + userName);
        SetEntry(entries, "Password", "Password=" + password);
    }
    if (!userName.empty() && !password.empty()) {
        std::erase_if(entries, [](const AnsiString& e) {
            const std::string_view n = EntryName(e);
            return n.size() == 19 && StartsWithNoCase(n, "Integrated Security");
        });
    }
    AnsiString out;
    for (const auto& e : entries) {
        if (e.empty())
            continue;
        if (!out.empty())
            out += ';';
        out += e;
    }
    return out;
}

} // namespace adobase

AnsiString TVConnection::LoadUDLFile(const AnsiString& fileName, const AnsiString& userName,
                                     const AnsiString& password)
{
    std::ifstream in(AnsiToPath(fileName), std::ios::binary);
    if (!in)
        return {};
    // A data-link file holds one short line; a file far beyond that is not one.
    constexpr std::size_t kMaxBytes = 1 << 20;
    std::string bytes;
    bytes.resize(kMaxBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxBytes)
        return {};
    AnsiString text;
    try {
        text = adobase::DecodeUdlText(bytes);
    } catch (const EReadError& e) {
        throw EReadError("Cannot read the data-link file '" + fileName + "': " + e.what());
    }
    const AnsiString line = adobase::UdlConnectionLine(text);
    if (line.empty())
        return {};
    return adobase::ApplyUdlCredentials(line, userName, password);
}

void TVConnection::UDLEditor(const AnsiString& fileName)
{
    std::error_code ec;
    const std::filesystem::path path = AnsiToPath(fileName);
    if (fileName.empty() || !std::filesystem::exists(path, ec))
        return;
    // A shell puts the opener in the background and ends at once, so the wait below is short,
    // no zombie is left and the editor outlives nothing of ours. posix_spawn, not fork, because
    // the caller may have threads.
    const std::string file = path.string();
    char* const argv[] = {const_cast<char*>("sh"),
                          const_cast<char*>("-c"),
                          const_cast<char*>("xdg-open \"$1\" >/dev/null 2>&1 </dev/null &"),
                          const_cast<char*>("sh"),
                          const_cast<char*>(file.c_str()),
                          nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, argv, environ) != 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace vmado
