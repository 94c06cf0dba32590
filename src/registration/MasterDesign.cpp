#include "registration/MasterDesign.h"

#include "ado/ADOBase.h"
#include "framework/classes/Strings.h"
#include "master/VMaster.h"
#include "tables/VTables.h"

namespace vmado {

void TVMasterConnectionProperty::Edit()
{
    SetStrValue(dynamic_cast<TVMaster&>(*Instance()).Editor());
    Modified();
}

void TVMasterEditor::ExecuteVerb(Integer index)
{
    if (index != 0)
        return;
    auto& master = dynamic_cast<TVMaster&>(*Component());
    master.SetConnect(master.Editor());
    if (Designer())
        Designer()->Modified();
}

void TVTableNameProperty::GetValues(const TGetStrProc& proc)
{
    auto& table = dynamic_cast<TVTable&>(*Instance());
    if (TVCustomMaster* master = table.Master())
        table.SetConnection(master->Connection());
    if (!table.GetConnection().empty()) {
        TVConnection connection(true);
        connection.SetConnect(table.GetConnection());
        TStringList names;
        connection.GetADOTableNames(names);
        for (Integer i = 0; i < names.Count(); ++i)
            proc(names.Strings(i));
    }
    Modified();
}

} // namespace vmado
