// Registers the ODBC provider under "MSDASQL" (also the provider of a string without Provider=).
#include "ado/engine/providers/odbc/OdbcPrivate.h"

namespace vmado::engine {

void RegisterOdbcProvider()
{
    RegisterProvider("MSDASQL", [](const ConnectionParts& parts, const OpenOptions& options) {
        return std::unique_ptr<ProviderConnection>(std::make_unique<odbc::OdbcConnection>(parts, options));
    });
}

} // namespace vmado::engine
