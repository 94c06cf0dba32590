// OpenSchema: the provider's catalogue answered as read-only recordsets with the standard
// column names (TABLE_NAME, COLUMN_NAME, ...), filtered by the restriction array.
#include "ado/engine/ConnectionImpl.h"

#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/internal/Text.h"

#include <algorithm>
#include <deque>

namespace vmado::engine {

namespace {

// Restriction i as text; empty when absent, Null or Empty.
AnsiString Restriction(const Variant& restrictions, Integer i)
{
    if (!restrictions.IsArray())
        return {};
    const Integer lo = VarArrayLowBound(restrictions, 1), hi = VarArrayHighBound(restrictions, 1);
    if (lo + i > hi)
        return {};
    const Variant v = restrictions.GetElement(lo + i);
    return VarIsNullOrEmpty(v) ? AnsiString() : VarToStr(v);
}

bool Passes(const AnsiString& restriction, const AnsiString& value)
{
    return restriction.empty() || EqualsIgnoreCase(restriction, value);
}

ColumnMeta TextColumn(const char* name)
{
    ColumnMeta m;
    m.Name = name;
    m.Type = adVarWChar;
    m.Kind = ValueKind::Text;
    return m;
}

ColumnMeta IntColumn(const char* name, DataTypeEnum type = adInteger)
{
    ColumnMeta m;
    m.Name = name;
    m.Type = type;
    m.Kind = ValueKind::Integer;
    m.DefinedSize = type == adUnsignedSmallInt ? 2 : 4;
    return m;
}

ColumnMeta BoolColumn(const char* name)
{
    ColumnMeta m;
    m.Name = name;
    m.Type = adBoolean;
    m.Kind = ValueKind::Boolean;
    m.DefinedSize = 2;
    return m;
}

CellRef Text(const AnsiString& s, bool nullWhenEmpty = false)
{
    CellRef c;
    if (nullWhenEmpty && s.empty())
        return c;
    c.Kind = ValueKind::Text;
    c.Text = s;
    return c;
}

CellRef Int(Int64 v)
{
    CellRef c;
    c.Kind = ValueKind::Integer;
    c.I = v;
    return c;
}

CellRef Bool(bool v)
{
    CellRef c;
    c.Kind = ValueKind::Boolean;
    c.B = v;
    return c;
}

} // namespace

RecordsetPtr ConnectionImpl::OpenSchema(SchemaEnum schema, const Variant& restrictions, const Variant&)
{
    std::lock_guard g(mutex_);
    Link();
    if (!restrictions.IsEmpty() && !restrictions.IsNull() && !restrictions.IsArray())
        throw EOleException("Cannot open the schema: the restrictions are not an array", "vmado.Connection");
    switch (schema) {
    case adSchemaTables:
        return SchemaTables(restrictions);
    case adSchemaColumns:
        return SchemaColumns(restrictions);
    case adSchemaPrimaryKeys:
        return SchemaPrimaryKeys(restrictions);
    default:
        throw EOleException("Cannot open schema " + std::to_string(schema) +
                                ": only tables, columns and primary keys are available",
                            "vmado.Connection");
    }
}

RecordsetPtr ConnectionImpl::SchemaTables(const Variant& restrictions)
{
    auto tables = Link().Tables();
    const AnsiString rCatalog = Restriction(restrictions, 0), rSchema = Restriction(restrictions, 1),
                     rName = Restriction(restrictions, 2), rType = Restriction(restrictions, 3);
    std::erase_if(tables, [&](const CatalogTable& t) {
        return !Passes(rCatalog, t.Catalog) || !Passes(rSchema, t.Schema) || !Passes(rName, t.Name) ||
               !Passes(rType, t.Type);
    });
    std::stable_sort(tables.begin(), tables.end(), [](const CatalogTable& a, const CatalogTable& b) {
        if (a.Type != b.Type)
            return a.Type < b.Type;
        if (a.Schema != b.Schema)
            return a.Schema < b.Schema;
        return a.Name < b.Name;
    });
    std::vector<ColumnMeta> columns = {TextColumn("TABLE_CATALOG"), TextColumn("TABLE_SCHEMA"),
                                       TextColumn("TABLE_NAME"), TextColumn("TABLE_TYPE"),
                                       TextColumn("DESCRIPTION")};
    std::vector<std::vector<CellRef>> rows;
    for (const auto& t : tables)
        rows.push_back({Text(t.Catalog, true), Text(t.Schema, true), Text(t.Name), Text(t.Type), CellRef{}});
    auto recordset = std::make_shared<RecordsetImpl>();
    recordset->OpenRows(shared_from_this(), std::move(columns), rows);
    return recordset;
}

RecordsetPtr ConnectionImpl::SchemaColumns(const Variant& restrictions)
{
    const AnsiString rCatalog = Restriction(restrictions, 0), rSchema = Restriction(restrictions, 1),
                     rTable = Restriction(restrictions, 2), rColumn = Restriction(restrictions, 3);
    auto list = Link().Columns(rTable);
    std::erase_if(list, [&](const CatalogColumn& c) {
        return !Passes(rCatalog, c.Catalog) || !Passes(rSchema, c.Schema) || !Passes(rTable, c.Table) ||
               !Passes(rColumn, c.Name);
    });
    std::vector<ColumnMeta> columns = {TextColumn("TABLE_CATALOG"),
                                       TextColumn("TABLE_SCHEMA"),
                                       TextColumn("TABLE_NAME"),
                                       TextColumn("COLUMN_NAME"),
                                       IntColumn("ORDINAL_POSITION", adUnsignedInt),
                                       BoolColumn("COLUMN_HASDEFAULT"),
                                       TextColumn("COLUMN_DEFAULT"),
                                       BoolColumn("IS_NULLABLE"),
                                       IntColumn("DATA_TYPE", adUnsignedSmallInt),
                                       IntColumn("CHARACTER_MAXIMUM_LENGTH", adUnsignedInt),
                                       IntColumn("NUMERIC_PRECISION", adUnsignedSmallInt),
                                       IntColumn("NUMERIC_SCALE", adSmallInt)};
    std::vector<std::vector<CellRef>> rows;
    for (const auto& c : list) {
        const bool text = c.Type == adChar || c.Type == adVarChar || c.Type == adLongVarChar ||
                          c.Type == adWChar || c.Type == adVarWChar || c.Type == adLongVarWChar ||
                          c.Type == adBinary || c.Type == adVarBinary || c.Type == adLongVarBinary;
        rows.push_back({Text(c.Catalog, true), Text(c.Schema, true), Text(c.Table), Text(c.Name),
                        Int(c.Ordinal), Bool(c.HasDefault), c.HasDefault ? Text(c.Default) : CellRef{},
                        Bool(c.Nullable), Int(c.Type), text && c.Size > 0 ? Int(c.Size) : CellRef{},
                        c.Precision != 255 ? Int(c.Precision) : CellRef{},
                        c.Scale != 255 ? Int(c.Scale) : CellRef{}});
    }
    auto recordset = std::make_shared<RecordsetImpl>();
    recordset->OpenRows(shared_from_this(), std::move(columns), rows);
    return recordset;
}

RecordsetPtr ConnectionImpl::SchemaPrimaryKeys(const Variant& restrictions)
{
    const AnsiString rSchema = Restriction(restrictions, 1), rTable = Restriction(restrictions, 2);
    std::vector<ColumnMeta> columns = {TextColumn("TABLE_CATALOG"), TextColumn("TABLE_SCHEMA"),
                                       TextColumn("TABLE_NAME"), TextColumn("COLUMN_NAME"),
                                       IntColumn("ORDINAL", adUnsignedInt)};
    std::deque<AnsiString> texts;
    std::vector<std::vector<CellRef>> rows;
    for (const auto& t : Link().Tables()) {
        if (t.Type != "TABLE" || !Passes(rTable, t.Name) || !Passes(rSchema, t.Schema))
            continue;
        Integer ordinal = 0;
        for (const auto& name : Link().PrimaryKey(t.Schema, t.Name)) {
            texts.push_back(t.Schema);
            const AnsiString& schema = texts.back();
            texts.push_back(t.Name);
            const AnsiString& table = texts.back();
            texts.push_back(name);
            rows.push_back({CellRef{}, Text(schema, true), Text(table), Text(texts.back()), Int(++ordinal)});
        }
    }
    auto recordset = std::make_shared<RecordsetImpl>();
    recordset->OpenRows(shared_from_this(), std::move(columns), rows);
    return recordset;
}

} // namespace vmado::engine
