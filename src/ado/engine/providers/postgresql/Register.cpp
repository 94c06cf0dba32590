// Registers the native PostgreSQL provider under "PostgreSQL".
#include "ado/engine/providers/postgresql/PgPrivate.h"

namespace vmado::engine {

void RegisterPostgresProvider()
{
    RegisterProvider("PostgreSQL", [](const ConnectionParts& parts, const OpenOptions& options) {
        return std::unique_ptr<ProviderConnection>(
            std::make_unique<postgresql::PgConnection>(parts, options));
    });
}

} // namespace vmado::engine
