// Registers the ODBC provider under "MSDASQL" (also the provider of a string without Provider=).
#include "ado/engine/Provider.h"

namespace vmado::engine {

void RegisterOdbcProvider()
{
    // The driver-manager provider lands next; until then a string for it fails clearly.
    RegisterProvider("MSDASQL", [](const ConnectionParts&, const OpenOptions&) -> std::unique_ptr<ProviderConnection> {
        throw EOleException("Cannot open the ODBC connection: the ODBC provider is not built yet", "vmado.ODBC");
    });
}

} // namespace vmado::engine
