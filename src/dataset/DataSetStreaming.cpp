// The dataset's published properties in their stored order, so a dataset (and its descendants)
// reads and writes as a component; events are code and are not streamed. The settings-file
// wrapper and its column collection are declared here too.
#include "dataset/VDB.h"

#include "framework/classes/PropInfo.h"

namespace vmado {

namespace {

void DeclareDataSetClasses()
{
    ClassInfo<TVUpdateObject>("TVUpdateObject").Parent<TComponent>();
    ClassInfo<TVCustomMaster>("TVCustomMaster").Parent<TComponent>();
    ClassInfo<TVSubItem>("TVSubItem")
        .Parent<TCollectionItem>()
        .Component("DataSource", &TVSubItem::GetDataSource,
                   [](TVSubItem& i, TComponent* c) { i.SetDataSource(dynamic_cast<TDataSource*>(c)); })
        .Bool("Background", &TVSubItem::Background, &TVSubItem::SetBackground)
        .Default(true);
    ClassInfo<TVSubList>("TVSubList").Parent<TCollection>();
    ClassInfo<TVADODataSet>("TVADODataSet")
        .Parent<TDataSet>()
        .Bool("Active", &TVADODataSet::GetActive, &TVADODataSet::SetActive)
        .Default(false)
        .String("Connection", &TVADODataSet::GetConnection, &TVADODataSet::SetConnection)
        .String("Sort", &TVADODataSet::Sort, &TVADODataSet::SetSortStr)
        .String(
            "Filter", [](const TVADODataSet& d) { return d.Filter(); }, &TVADODataSet::SetFilterStr)
        .Component("Master", &TVADODataSet::Master,
                   [](TVADODataSet& d, TComponent* c) { d.SetMaster(dynamic_cast<TVCustomMaster*>(c)); })
        .Int("MaxRecords", &TVADODataSet::GetMaxRecords, &TVADODataSet::SetMaxRecords)
        .Default(0)
        .Collection("SubList", &TVADODataSet::SubList)
        .Bool("ReadOnly", &TVADODataSet::ReadOnly, &TVADODataSet::SetReadOnly)
        .Default(false)
        .Enum("UpdateMode", &TVADODataSet::UpdateMode, &TVADODataSet::SetUpdateMode,
              {"upWhereAll", "upWhereChanged", "upWhereKeyOnly"})
        .Default(upWhereAll)
        .Component(
            "UpdateObject", &TVADODataSet::UpdateObject,
            [](TVADODataSet& d, TComponent* c) { d.SetUpdateObject(dynamic_cast<TVUpdateObject*>(c)); })
        .String("MarkerField", &TVADODataSet::GetMarkerField, &TVADODataSet::SetMarkerField)
        .String("PrimaryKey", &TVADODataSet::GetPrimaryKey, &TVADODataSet::SetPrimaryKey)
        .String("FileName", &TVADODataSet::FileName, &TVADODataSet::SetFileName)
        .Bool("StoreDefs", &TVADODataSet::StoreDefs, &TVADODataSet::SetStoreDefs)
        .Default(false)
        .Set("Options", &TVADODataSet::Options, &TVADODataSet::SetOptions,
             {"opDialog", "opFilter", "opSubList", "opConnection"})
        .Default(TVOptions{opDialog, opFilter, opConnection})
        .Set(
            "FilterOptions", [](const TVADODataSet& d) { return d.FilterOptions(); },
            [](TVADODataSet& d, TFilterOptions v) { d.SetFilterOptions(v); },
            {"foCaseInsensitive", "foNoPartialCompare"})
        .Default(TFilterOptions{});

    ClassInfo<TColumnData>("TColumnData").Parent<TCollection>();
    // Sort and Filter follow the collections and are left out when empty.
    ClassInfo<TVADOWrapper>("TVADOWrapper")
        .Parent<TComponent>()
        .Collection("Colors", &TVADOWrapper::Colors)
        .Collection("Filters", &TVADOWrapper::Filters)
        .Collection("Columns", &TVADOWrapper::Columns)
        .String("Sort", &TVADOWrapper::Sort, &TVADOWrapper::SetSort)
        .String("Filter", &TVADOWrapper::Filter, &TVADOWrapper::SetFilter);
}

} // namespace

void RegisterDataSetClasses()
{
    static const bool registered = (DeclareDataSetClasses(), true);
    (void)registered;
}

} // namespace vmado
