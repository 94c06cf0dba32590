// The published properties of the table, query and update-SQL components in their stored order.
// A query's parameters are not a published property: they stream as "ParamData".
#include "tables/VTables.h"

#include "framework/classes/PropInfo.h"

namespace vmado {

namespace {

void DeclareTablesClasses()
{
    RegisterDataSetClasses();
    ClassInfo<TVTable>("TVTable")
        .Parent<TVADODataSet>()
        .String("TableName", &TVTable::TableName, &TVTable::SetTableName)
        .TypeName("TFileName")
        .Component(
            "DataSource", [](const TVTable& t) { return const_cast<TVTable&>(t).GetDataSource(); },
            &TVTable::SetDataSource)
        .String("Relation", &TVTable::Relation, &TVTable::SetRelation);
    ClassInfo<TVQuery>("TVQuery")
        .Parent<TVADODataSet>()
        .Component(
            "DataSource", [](const TVQuery& q) { return const_cast<TVQuery&>(q).GetDataSource(); },
            &TVQuery::SetDataSource)
        .Bool("ParamCheck", &TVQuery::ParamCheck, &TVQuery::SetParamCheck)
        .Default(true)
        .Object("SQL", &TVQuery::SQL);
    ClassInfo<TVUpdateSQL>("TVUpdateSQL")
        .Parent<TVUpdateObject>()
        .Object("ModifySQL", &TVUpdateSQL::ModifySQL)
        .Object("InsertSQL", &TVUpdateSQL::InsertSQL)
        .Object("DeleteSQL", &TVUpdateSQL::DeleteSQL);
}

} // namespace

void RegisterTablesClasses()
{
    static const bool registered = (DeclareTablesClasses(), true);
    (void)registered;
}

} // namespace vmado
