// The provider registry keyed by Provider= and the connection-string parser. Built-in providers
// register themselves on the first lookup, so static-library linking cannot drop them.
#include "ado/engine/Provider.h"

#include "ado/engine/internal/Text.h"

#include <map>
#include <mutex>

namespace vmado::engine {

namespace {

struct Registry {
    std::mutex Lock;
    std::map<AnsiString, ProviderFactory> Factories; // keys lower-cased
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

void RegisterProvider(const AnsiString& name, ProviderFactory factory)
{
    auto& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    r.Factories[LowerAscii(name)] = std::move(factory);
}

void UnregisterProvider(const AnsiString& name)
{
    auto& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    r.Factories.erase(LowerAscii(name));
}

ProviderFactory FindProvider(const AnsiString& name)
{
    static std::once_flag builtIns;
    std::call_once(builtIns, [] {
        RegisterSqliteProvider();
#if VMADO_WITH_ODBC
        RegisterOdbcProvider();
#endif
#if VMADO_WITH_POSTGRESQL
        RegisterPostgresProvider();
#endif
    });
    auto& r = TheRegistry();
    {
        std::lock_guard guard(r.Lock);
        auto it = r.Factories.find(LowerAscii(name));
        if (it != r.Factories.end())
            return it->second;
    }
    throw EOleException("Provider cannot be found: '" + name + "' is not a registered provider",
                        "vmado.Engine");
}

const AnsiString* ConnectionParts::Find(std::string_view key) const
{
    for (const auto& [k, v] : Items)
        if (EqualsIgnoreCase(k, key))
            return &v;
    return nullptr;
}

AnsiString ConnectionParts::Value(std::string_view key) const
{
    const AnsiString* v = Find(key);
    return v ? *v : AnsiString();
}

void ConnectionParts::Set(const AnsiString& key, const AnsiString& value)
{
    for (auto& [k, v] : Items)
        if (EqualsIgnoreCase(k, key)) {
            v = value;
            return;
        }
    Items.emplace_back(key, value);
}

void ConnectionParts::Remove(std::string_view key)
{
    std::erase_if(Items, [&](const auto& item) { return EqualsIgnoreCase(item.first, key); });
}

ConnectionParts ParseConnectionString(std::string_view text)
{
    ConnectionParts parts;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
    };
    while (i < n) {
        skipBlanks();
        if (i < n && text[i] == ';') {
            ++i;
            continue;
        }
        if (i >= n)
            break;
        std::size_t keyStart = i;
        while (i < n && text[i] != '=' && text[i] != ';')
            ++i;
        AnsiString key = Trim(text.substr(keyStart, i - keyStart));
        AnsiString value;
        if (i < n && text[i] == '=') {
            ++i;
            skipBlanks();
            if (i < n && (text[i] == '{' || text[i] == '"' || text[i] == '\'')) {
                const char close = text[i] == '{' ? '}' : text[i];
                const std::size_t quoteAt = i;
                ++i;
                for (;;) {
                    if (i >= n)
                        throw EOleException("Connection string is malformed: the value of '" + key +
                                                "' opened at position " + std::to_string(quoteAt + 1) +
                                                " is not closed",
                                            "vmado.Engine");
                    if (text[i] == close) {
                        if (i + 1 < n && text[i + 1] == close) { // doubled: a literal character
                            value += close;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    value += text[i++];
                }
                while (i < n && text[i] != ';')
                    ++i;
            } else {
                std::size_t valueStart = i;
                while (i < n && text[i] != ';')
                    ++i;
                value = Trim(text.substr(valueStart, i - valueStart));
            }
        }
        if (!key.empty())
            parts.Items.emplace_back(std::move(key), std::move(value));
    }
    return parts;
}

} // namespace vmado::engine
