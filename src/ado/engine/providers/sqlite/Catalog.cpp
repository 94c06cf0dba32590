// The SQLite catalogue: tables and views from sqlite_master, columns and keys from
// pragma_table_info, mapped through the provider's type table.
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include "ado/engine/internal/Text.h"

namespace vmado::engine::sqlite {

namespace {

AnsiString ColumnText(sqlite3_stmt* s, int col)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? FromUtf8(p) : AnsiString();
}

StmtHandle PrepareRaw(sqlite3* db, const char* sql)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    StmtHandle stmt(raw);
    if (rc != SQLITE_OK)
        Raise(db, rc, "Cannot read the database catalogue");
    return stmt;
}

} // namespace

std::vector<CatalogTable> SqliteConnection::Tables()
{
    std::vector<CatalogTable> tables;
    StmtHandle s =
        PrepareRaw(db_.get(), "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') "
                              "ORDER BY name");
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        CatalogTable t;
        t.Name = ColumnText(s.get(), 0);
        const AnsiString type = ColumnText(s.get(), 1);
        t.Type = type == "view" ? "VIEW" : (t.Name.rfind("sqlite_", 0) == 0 ? "SYSTEM TABLE" : "TABLE");
        tables.push_back(std::move(t));
    }
    Check(db_.get(), rc, "Cannot read the list of tables");
    // sqlite_master describes itself but does not list itself.
    tables.push_back({"", "", "sqlite_master", "SYSTEM TABLE"});
    return tables;
}

std::vector<CatalogColumn> SqliteConnection::Columns(const AnsiString& table)
{
    std::vector<CatalogColumn> columns;
    std::vector<AnsiString> names;
    if (table.empty()) {
        for (const auto& t : Tables())
            if (t.Type != "SYSTEM TABLE")
                names.push_back(t.Name);
    } else {
        names.push_back(table);
    }
    StmtHandle s =
        PrepareRaw(db_.get(), "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)");
    for (const auto& name : names) {
        sqlite3_reset(s.get());
        const std::string utf8 = ToUtf8(name);
        sqlite3_bind_text(s.get(), 1, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        int rc;
        Integer ordinal = 0;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            CatalogColumn c;
            c.Table = name;
            c.Name = ColumnText(s.get(), 0);
            c.Ordinal = ++ordinal;
            ColumnMeta meta;
            MapDeclaredType(ColumnText(s.get(), 1), meta);
            c.Type = meta.Type;
            c.Size = meta.DefinedSize;
            c.Precision = meta.Precision;
            c.Scale = meta.Scale;
            c.Nullable = sqlite3_column_int(s.get(), 2) == 0;
            c.HasDefault = sqlite3_column_type(s.get(), 3) != SQLITE_NULL;
            c.Default = ColumnText(s.get(), 3);
            columns.push_back(std::move(c));
        }
        Check(db_.get(), rc, "Cannot read the columns of table '" + name + "'");
    }
    return columns;
}

std::vector<AnsiString> SqliteConnection::PrimaryKey(const AnsiString& schema, const AnsiString& table)
{
    const AnsiString cacheKey = LowerAscii(schema + "." + table);
    if (auto it = keys_.find(cacheKey); it != keys_.end())
        return it->second;
    const AnsiString sql = "SELECT name, pk FROM pragma_table_info(?, ?) WHERE pk > 0 ORDER BY pk";
    StmtHandle s = PrepareRaw(db_.get(), sql.c_str());
    const std::string t = ToUtf8(table), d = ToUtf8(schema.empty() ? AnsiString("main") : schema);
    sqlite3_bind_text(s.get(), 1, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s.get(), 2, d.data(), static_cast<int>(d.size()), SQLITE_TRANSIENT);
    std::vector<AnsiString> key;
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW)
        key.push_back(ColumnText(s.get(), 0));
    Check(db_.get(), rc, "Cannot read the primary key of table '" + table + "'");
    keys_[cacheKey] = key;
    return key;
}

std::vector<AnsiString> SqliteConnection::BooleanColumns()
{
    std::vector<AnsiString> result;
    for (const auto& c : Columns({}))
        if (c.Type == adBoolean)
            result.push_back(LowerAscii(c.Name));
    return result;
}

} // namespace vmado::engine::sqlite
