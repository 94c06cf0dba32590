// The master's published properties in their stored order; Connected is applied after loading,
// once the connection string and the machine name have been read.
#include "master/VMaster.h"

#include "framework/classes/PropInfo.h"

namespace vmado {

namespace {

void DeclareMasterClasses()
{
    ClassInfo<TVMaster>("TVMaster")
        .Parent<TVCustomMaster>()
        .String("Connection", &TVMaster::Connection, &TVMaster::SetConnect)
        .Bool("Connected", &TVMaster::GetConnected, &TVMaster::SetConnected)
        .Default(false)
        .String("MachineName", &TVMaster::MachineName, &TVMaster::SetMachine);
}

} // namespace

void RegisterMasterClasses()
{
    static const bool registered = (DeclareMasterClasses(), true);
    (void)registered;
}

} // namespace vmado
