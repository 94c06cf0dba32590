// The PostgreSQL catalogue: tables, columns, primary keys, Boolean columns and the origins of
// result columns, read from pg_catalog (which, unlike information_schema, shows every table
// whatever the privileges and answers by OID).
#include "ado/engine/providers/postgresql/PgPrivate.h"

#include "ado/engine/internal/Text.h"

#include <climits>
#include <cstdlib>

namespace vmado::engine::postgresql {

namespace {

// The schemas that hold the server's own tables and the sessions' temporary ones.
constexpr const char* UserSchemas =
    "n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT LIKE 'pg\\_toast%' "
    "AND n.nspname NOT LIKE 'pg\\_temp%'";

} // namespace

std::vector<CatalogTable> PgConnection::Tables()
{
    const auto rows =
        Query("SELECT current_database(), n.nspname, c.relname, "
              "CASE WHEN n.nspname IN ('pg_catalog', 'information_schema') THEN 'SYSTEM TABLE' "
              "WHEN c.relkind IN ('v', 'm') THEN 'VIEW' ELSE 'TABLE' END "
              "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
              "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND n.nspname NOT LIKE 'pg\\_toast%' "
              "AND n.nspname NOT LIKE 'pg\\_temp%' ORDER BY 4, 2, 3",
              {}, "Cannot read the list of tables");
    std::vector<CatalogTable> tables;
    for (const auto& r : rows)
        tables.push_back({FromUtf8(r[0]), FromUtf8(r[1]), FromUtf8(r[2]), r[3]});
    return tables;
}

std::vector<CatalogColumn> PgConnection::Columns(const AnsiString& table)
{
    // A named table is the one the search path finds, unless its schema is given with it; no
    // name means every table of every schema.
    AnsiString schema, name = table;
    if (const std::size_t dot = table.find('.'); dot != AnsiString::npos) {
        schema = table.substr(0, dot);
        name = table.substr(dot + 1);
    }
    const auto rows = Query(
        std::string("SELECT current_database(), n.nspname, c.relname, a.attname, a.attnum, a.atttypid, "
                    "a.atttypmod, a.attnotnull, d.adrelid IS NOT NULL, "
                    "coalesce(pg_get_expr(d.adbin, d.adrelid), '') "
                    "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                    "JOIN pg_namespace n ON n.oid = c.relnamespace "
                    "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
                    "WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r', 'p', 'v', 'm', 'f') "
                    "AND ($2::text = '' OR c.relname::text = $2::text) "
                    "AND ($1::text = n.nspname::text OR ($1::text = '' AND ($2::text = '' OR "
                    "pg_table_is_visible(c.oid)))) AND ") +
            UserSchemas + " ORDER BY 2, 3, 5",
        {ToUtf8(schema), ToUtf8(name)}, "Cannot read the columns of '" + table + "'");
    std::vector<CatalogColumn> columns;
    for (const auto& r : rows) {
        CatalogColumn c;
        c.Catalog = FromUtf8(r[0]);
        c.Schema = FromUtf8(r[1]);
        c.Table = FromUtf8(r[2]);
        c.Name = FromUtf8(r[3]);
        c.Ordinal = std::atoi(r[4].c_str());
        ColumnMeta meta;
        MapPgType(static_cast<Oid>(std::strtoul(r[5].c_str(), nullptr, 10)), std::atoi(r[6].c_str()), meta);
        c.Type = meta.Type;
        c.Size = meta.DefinedSize;
        c.Precision = meta.Precision;
        c.Scale = meta.Scale;
        c.Nullable = r[7] != "t";
        c.HasDefault = r[8] == "t";
        c.Default = FromUtf8(r[9]);
        columns.push_back(std::move(c));
    }
    return columns;
}

std::vector<AnsiString> PgConnection::PrimaryKey(const AnsiString& schema, const AnsiString& table)
{
    const AnsiString cacheKey = LowerAscii(schema + "." + table);
    if (auto it = keys_.find(cacheKey); it != keys_.end())
        return it->second;
    // Without a schema, the table the search path finds.
    const auto rows =
        Query("SELECT a.attname FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid "
              "JOIN pg_namespace n ON n.oid = c.relnamespace "
              "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY (i.indkey) "
              "WHERE i.indisprimary AND c.relname::text = $2::text "
              "AND (n.nspname::text = $1::text OR ($1::text = '' AND pg_table_is_visible(c.oid))) "
              "ORDER BY array_position(i.indkey::int2[], a.attnum)",
              {ToUtf8(schema), ToUtf8(table)}, "Cannot read the primary key of '" + table + "'");
    std::vector<AnsiString> key;
    for (const auto& r : rows)
        key.push_back(FromUtf8(r[0]));
    keys_[cacheKey] = key;
    return key;
}

std::vector<AnsiString> PgConnection::BooleanColumns()
{
    const auto rows =
        Query(std::string("SELECT DISTINCT lower(a.attname) FROM pg_attribute a "
                          "JOIN pg_class c ON c.oid = a.attrelid "
                          "JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE a.atttypid = 16 AND a.attnum > 0 AND NOT a.attisdropped AND ") +
                  UserSchemas,
              {}, "Cannot read the columns");
    std::vector<AnsiString> result;
    for (const auto& r : rows)
        result.push_back(FromUtf8(r[0]));
    return result;
}

const PgConnection::Origin* PgConnection::OriginOf(Oid table, int column)
{
    auto it = origins_.find(table);
    if (it == origins_.end()) {
        LoadOrigins(table);
        it = origins_.find(table);
    }
    const auto found = it->second.find(column);
    return found == it->second.end() ? nullptr : &found->second;
}

void PgConnection::LoadOrigins(Oid table)
{
    const auto rows =
        Query("SELECT n.nspname, c.relname, a.attnum, a.attname, a.attnotnull, "
              "a.attidentity <> '' OR coalesce(pg_get_expr(d.adbin, d.adrelid), '') LIKE 'nextval(%' "
              "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
              "JOIN pg_namespace n ON n.oid = c.relnamespace "
              "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
              "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped",
              {std::to_string(table)}, "Cannot read where the result columns come from");
    auto& columns = origins_[table];
    for (const auto& r : rows) {
        Origin o;
        o.Schema = FromUtf8(r[0]);
        o.Table = FromUtf8(r[1]);
        o.Column = FromUtf8(r[3]);
        o.NotNull = r[4] == "t";
        o.Generated = r[5] == "t";
        columns[std::atoi(r[2].c_str())] = std::move(o);
    }
}

} // namespace vmado::engine::postgresql
