// What the master's connection string says about its data source: how it is reached, which kind
// of database it names, and the folders an application keeps beside it.
#include "master/VMaster.h"

#include "framework/rtl/SysUtils.h"
#include "utils/Files.h"

#include <utility>

namespace vmado {

TConnectMode TVMaster::GetConnectMode() const
{
    if (!GetServer().empty())
        return cmServer;
    if (!GetDriver().empty())
        return cmFile;
    if (!GetSysDSN().empty())
        return cmSystem;
    return cmNone;
}

TSourceType TVMaster::GetSourceType() const
{
    static const std::pair<TSourceType, const char*> keywords[] = {
        {stDB2, "DB2"},
        {stIngres, "INGRES"},
        {stInformix, "INFORMIX"},
        {stSybase, "SYBASE"},
        {stMsSQL, "SQL SERVER"},
        {stOracle, "ORACLE"},
        {stVisualFoxPro, "VISUAL FOXPRO"},
        {stText, "TEXT"},
        {stParadox, "PARADOX"},
        {stFoxPro, "FOXPRO"},
        {stExcel, "EXCEL"},
        {stDbase, "DBASE"},
        {stAccess, "ACCESS"},
    };
    const AnsiString text = AnsiUpperCase(connection_);
    TSourceType found = stUnknown;
    for (const auto& [type, keyword] : keywords)
        if (type > found && text.find(keyword) != AnsiString::npos)
            found = type;
    return found;
}

AnsiString TVMaster::GetBaseDir() const
{
    if (ComponentState().Contains(csDesigning))
        return GetWorkDir("Source");
    return GetExeDir();
}

AnsiString TVMaster::GetSystemDir() const
{
    return GetBaseDir() + "System/";
}

} // namespace vmado
