// Creation of the engine's connection and recordset objects.
#include "ado/ADOApi.h"

namespace vmado {

// The object classes arrive with the providers and the cursor; until then creation says so.
ConnectionPtr CoConnection::Create()
{
    throw EOleException("Cannot create the Connection object: the engine is not built yet", "vmado.Engine");
}

RecordsetPtr CoRecordset::Create()
{
    throw EOleException("Cannot create the Recordset object: the engine is not built yet", "vmado.Engine");
}

} // namespace vmado
