#include "registration/RegVMADO.h"

#include "registration/DataSetProperties.h"
#include "registration/MasterDesign.h"

#include <memory>

namespace vmado {

namespace {

template <class E> TPropertyEditorFactory Editor()
{
    return [](TFormDesigner* d, TPersistent* i, const TPropInfo* p) { return std::make_unique<E>(d, i, p); };
}

} // namespace

void RegisterPalette()
{
    RegisterComponents("Velmar", {"TVMaster", "TVTable", "TVQuery", "TVUpdateSQL"});
}

void RegisterDataSetDesign()
{
    RegisterPropertyEditor("string", "TVADODataSet", "Connection", "TVADOConnectionProperty",
                           Editor<TVADOConnectionProperty>());
    RegisterPropertyEditor("string", "TVADODataSet", "PrimaryKey", "TVADOPrimaryKeyProperty",
                           Editor<TVADOPrimaryKeyProperty>());
    RegisterPropertyEditor("string", "TVADODataSet", "MarkerField", "TVADOMarkerFieldProperty",
                           Editor<TVADOMarkerFieldProperty>());
    RegisterPropertyEditor("string", "TVADODataSet", "FileName", "TVADOFileNameProperty",
                           Editor<TVADOFileNameProperty>());
}

void RegisterMasterDesign()
{
    RegisterPropertyEditor("string", "TVMaster", "Connection", "TVMasterConnectionProperty",
                           Editor<TVMasterConnectionProperty>());
    RegisterComponentEditor("TVMaster", "TVMasterEditor", [](TComponent* c, TFormDesigner* d) {
        return std::make_unique<TVMasterEditor>(c, d);
    });
}

void RegisterTablesDesign()
{
    RegisterPropertyEditor("TFileName", "TVTable", "TableName", "TVTableNameProperty",
                           Editor<TVTableNameProperty>());
}

void RegisterAll()
{
    RegisterPalette();
    RegisterDataSetDesign();
    RegisterMasterDesign();
    RegisterTablesDesign();
}

} // namespace vmado
