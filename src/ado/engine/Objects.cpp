// Creation of the engine's connection and recordset objects.
#include "ado/ADOApi.h"

#include "ado/engine/ConnectionImpl.h"
#include "ado/engine/cursor/RecordsetImpl.h"

namespace vmado {

ConnectionPtr CoConnection::Create()
{
    return std::make_shared<engine::ConnectionImpl>();
}

RecordsetPtr CoRecordset::Create()
{
    return std::make_shared<engine::RecordsetImpl>();
}

} // namespace vmado
