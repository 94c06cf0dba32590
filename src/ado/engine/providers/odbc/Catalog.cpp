// The ODBC catalogue: SQLTables, SQLColumns and SQLPrimaryKeys read into plain records.
#include "ado/engine/providers/odbc/OdbcPrivate.h"

#include "ado/engine/internal/Text.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace vmado::engine::odbc {

namespace {

using CatalogRow = std::vector<std::optional<AnsiString>>;

// Runs one catalogue function on a fresh statement and reads every column of every row as text.
std::vector<CatalogRow> ReadCatalog(SQLHDBC dbc, const char* what,
                                    const std::function<SQLRETURN(SQLHSTMT)>& call)
{
    Handle stmt(SQL_HANDLE_STMT, dbc);
    auto h = static_cast<SQLHSTMT>(stmt.Get());
    if (!SQL_SUCCEEDED(call(h)))
        Raise(SQL_HANDLE_STMT, h, what);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(h, &columns);
    std::vector<CatalogRow> rows;
    SQLRETURN rc;
    while ((rc = SQLFetch(h)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, h, what);
        CatalogRow row(static_cast<std::size_t>(columns));
        for (SQLSMALLINT c = 0; c < columns; ++c) {
            SQLWCHAR buffer[1024] = {};
            SQLLEN indicator = 0;
            if (SQL_SUCCEEDED(SQLGetData(h, static_cast<SQLUSMALLINT>(c + 1), SQL_C_WCHAR, buffer,
                                         sizeof buffer, &indicator)) &&
                indicator != SQL_NULL_DATA) {
                const std::size_t chars =
                    indicator == SQL_NO_TOTAL
                        ? 1023
                        : std::min<std::size_t>(static_cast<std::size_t>(indicator) / 2, 1023);
                row[static_cast<std::size_t>(c)] = Narrow(buffer, chars);
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

AnsiString At(const CatalogRow& row, std::size_t i)
{
    return i < row.size() && row[i] ? *row[i] : AnsiString();
}

SQLWCHAR* Arg(std::u16string& s)
{
    return s.empty() ? nullptr : reinterpret_cast<SQLWCHAR*>(s.data());
}

} // namespace

std::vector<CatalogTable> OdbcConnection::Tables()
{
    std::u16string types = Wide("TABLE,VIEW,SYSTEM TABLE");
    const auto rows = ReadCatalog(Dbc(), "Cannot read the list of tables", [&](SQLHSTMT h) {
        return SQLTablesW(h, nullptr, 0, nullptr, 0, nullptr, 0, Arg(types), SQL_NTS);
    });
    std::vector<CatalogTable> tables;
    for (const auto& r : rows)
        tables.push_back({At(r, 0), At(r, 1), At(r, 2), At(r, 3)});
    return tables;
}

std::vector<CatalogColumn> OdbcConnection::Columns(const AnsiString& table)
{
    std::u16string name = Wide(table);
    const AnsiString what = "Cannot read the columns of '" + table + "'";
    const auto rows = ReadCatalog(Dbc(), what.c_str(), [&](SQLHSTMT h) {
        return SQLColumnsW(h, nullptr, 0, nullptr, 0, Arg(name), name.empty() ? 0 : SQL_NTS, nullptr, 0);
    });
    std::vector<CatalogColumn> columns;
    for (const auto& r : rows) {
        CatalogColumn c;
        c.Catalog = At(r, 0);
        c.Schema = At(r, 1);
        c.Table = At(r, 2);
        c.Name = At(r, 3);
        ColumnMeta meta;
        MapSqlType(static_cast<SQLSMALLINT>(std::atoi(At(r, 4).c_str())),
                   static_cast<SQLULEN>(std::atol(At(r, 6).c_str())),
                   static_cast<SQLSMALLINT>(std::atoi(At(r, 8).c_str())), meta);
        c.Type = meta.Type;
        c.Size = meta.DefinedSize;
        c.Precision = meta.Precision;
        c.Scale = meta.Scale;
        c.Nullable = At(r, 10) != "0";
        c.Default = At(r, 12);
        c.HasDefault = r.size() > 12 && r[12].has_value();
        c.Ordinal = r.size() > 16 ? std::atoi(At(r, 16).c_str()) : 0;
        columns.push_back(std::move(c));
    }
    return columns;
}

std::vector<AnsiString> OdbcConnection::PrimaryKey(const AnsiString& schema, const AnsiString& table)
{
    const AnsiString cacheKey = LowerAscii(schema + "." + table);
    if (auto it = keys_.find(cacheKey); it != keys_.end())
        return it->second;
    std::u16string s = Wide(schema), t = Wide(table);
    const AnsiString what = "Cannot read the primary key of '" + table + "'";
    const auto rows = ReadCatalog(Dbc(), what.c_str(), [&](SQLHSTMT h) {
        return SQLPrimaryKeysW(h, nullptr, 0, Arg(s), s.empty() ? 0 : SQL_NTS, Arg(t), SQL_NTS);
    });
    std::vector<std::pair<int, AnsiString>> ordered;
    for (const auto& r : rows)
        ordered.emplace_back(std::atoi(At(r, 4).c_str()), At(r, 3));
    std::sort(ordered.begin(), ordered.end());
    std::vector<AnsiString> key;
    for (auto& [seq, name] : ordered)
        key.push_back(name);
    keys_[cacheKey] = key;
    return key;
}

std::vector<AnsiString> OdbcConnection::BooleanColumns()
{
    std::vector<AnsiString> result;
    const auto rows = ReadCatalog(Dbc(), "Cannot read the columns", [&](SQLHSTMT h) {
        return SQLColumnsW(h, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    });
    for (const auto& r : rows) {
        const AnsiString typeName = LowerAscii(At(r, 5));
        if (std::atoi(At(r, 4).c_str()) == SQL_BIT || typeName == "bool" || typeName == "boolean")
            result.push_back(LowerAscii(At(r, 3)));
    }
    return result;
}

} // namespace vmado::engine::odbc
