// The XDG folders and the settings file names. The hash is FNV-1a, written out here so a file
// name stays the same whichever standard library built the program.
#include "SettingsPaths.h"

#include "framework/rtl/CodePage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vmado::browser {

namespace {

AnsiString XdgDir(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return PathToAnsi(std::filesystem::path(value) / "vmado-browser");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = home != nullptr && home[0] != '\0' ? home : ".";
    return PathToAnsi(base / fallback / "vmado-browser");
}

std::uint32_t Fnv1a(const AnsiString& text, std::uint32_t hash = 2166136261u)
{
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

AnsiString DefaultSettingsDir()
{
    return XdgDir("XDG_CONFIG_HOME", ".config");
}

AnsiString DefaultSamplePath()
{
    return PathToAnsi(std::filesystem::path(AnsiToPath(XdgDir("XDG_DATA_HOME", ".local/share"))) /
                      "sample.db");
}

AnsiString SettingsFileFor(const AnsiString& dir, const AnsiString& connection, const AnsiString& table,
                           const AnsiString& role)
{
    AnsiString stem;
    for (const char c : table) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.';
        stem += plain ? c : '_';
    }
    if (stem.size() > 48)
        stem.resize(48);
    // The separators keep ("ab", "c") and ("a", "bc") apart.
    const std::uint32_t hash = Fnv1a(role, Fnv1a("\x1f", Fnv1a(table, Fnv1a("\x1f", Fnv1a(connection)))));
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", hash);
    const AnsiString name = (stem.empty() ? AnsiString("table") : stem) + "." + role + "." + suffix + ".vset";
    return PathToAnsi(std::filesystem::path(AnsiToPath(dir)) / AnsiToPath(name));
}

} // namespace vmado::browser
