// Single keys of the master's connection string as properties. A value is written so that it
// stays one value: whatever ";", "=" or quotes it holds, it never adds or replaces another key.
#include "master/VMaster.h"

#include "framework/rtl/SysUtils.h"
#include "utils/ConnectionString.h"

namespace vmado {

namespace {

// A plain value would be cut at ";", read as a key at "=", trimmed, or taken as the start of a
// quoted value; such a value goes between double quotes, inner ones doubled, which is how the
// connection-string readers of this library and of the engine take one quoted value.
bool NeedsQuotes(const AnsiString& value)
{
    if (value.empty())
        return false;
    if (value.find_first_of(";=") != AnsiString::npos)
        return true;
    const char first = value.front();
    const char last = value.back();
    return first == '"' || first == '\'' || static_cast<unsigned char>(first) <= ' ' ||
           static_cast<unsigned char>(last) <= ' ';
}

AnsiString Unquoted(const AnsiString& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
        return AnsiDequotedStr(value, value.front());
    return value;
}

} // namespace

AnsiString TVMaster::Key(const char* key) const
{
    // A whole-name match: a key name inside another key's value ("UID" in "GUID=..." or in a
    // password) is not the key.
    for (const AnsiString& part : SplitADOParts(connection_)) {
        const std::size_t eq = part.find('=');
        if (eq != AnsiString::npos && SameText(Trim(part.substr(0, eq)), key))
            return Unquoted(Trim(part.substr(eq + 1)));
    }
    return {};
}

void TVMaster::SetKey(const char* key, const AnsiString& value)
{
    const AnsiString stored = NeedsQuotes(value) ? AnsiQuotedStr(value, '"') : value;
    SetConnect(SetADOPart(connection_, key, stored, true));
}

AnsiString TVMaster::GetFileDSN() const
{
    return Key("DBQ");
}

void TVMaster::SetFileDSN(const AnsiString& value)
{
    SetKey("DBQ", value);
}

AnsiString TVMaster::GetSysDSN() const
{
    return Key("DSN");
}

void TVMaster::SetSysDSN(const AnsiString& value)
{
    SetKey("DSN", value);
}

AnsiString TVMaster::GetDriver() const
{
    return Key("DRIVER");
}

void TVMaster::SetDriver(const AnsiString& value)
{
    SetKey("DRIVER", value);
}

AnsiString TVMaster::GetServer() const
{
    return Key("SERVER");
}

void TVMaster::SetServer(const AnsiString& value)
{
    SetKey("SERVER", value);
}

AnsiString TVMaster::GetDatabase() const
{
    return Key("DATABASE");
}

void TVMaster::SetDatabase(const AnsiString& value)
{
    SetKey("DATABASE", value);
}

AnsiString TVMaster::GetUsername() const
{
    return Key("UID");
}

void TVMaster::SetUsername(const AnsiString& value)
{
    SetKey("UID", value);
}

AnsiString TVMaster::GetPassword() const
{
    return Key("PWD");
}

void TVMaster::SetPassword(const AnsiString& value)
{
    SetKey("PWD", value);
}

AnsiString TVMaster::GetProvider() const
{
    return Key("Provider");
}

void TVMaster::SetProvider(const AnsiString& value)
{
    SetKey("Provider", value.empty() ? AnsiString("MSDASQL") : value);
}

} // namespace vmado
