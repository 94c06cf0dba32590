// Registers the SQLite provider under "SQLite".
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

namespace vmado::engine {

void RegisterSqliteProvider()
{
    RegisterProvider("SQLite", [](const ConnectionParts& parts, const OpenOptions& options) {
        return std::unique_ptr<ProviderConnection>(
            std::make_unique<sqlite::SqliteConnection>(parts, options));
    });
}

} // namespace vmado::engine
