// The recordset's side of writing a filter as SQL: its columns by their base-table names, and the
// dialect of the connection that will run the statement.
#include "ado/engine/ConnectionImpl.h"
#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/expression/SqlCondition.h"

namespace vmado {

namespace engine {

namespace {

AnsiString QuotedName(const AnsiString& name, const AnsiString& quote)
{
    const char q = quote.empty() || quote == " " ? '"' : quote[0];
    AnsiString out(1, q);
    for (char c : name) {
        if (c == q)
            out += c;
        out += c;
    }
    return out + q;
}

} // namespace

AnsiString RecordsetImpl::FilterCondition(const AnsiString& filter) const
{
    CheckOpen("write the filter as SQL");
    const auto connection = Conn("write the filter as SQL");
    const Capabilities& caps = connection->Link().Caps();
    const auto compiled = CompileFilter(filter, ColumnInfos());
    std::vector<SqlColumn> columns;
    columns.reserve(columns_.size());
    for (const auto& c : columns_) {
        const ColumnMeta& m = c.Meta();
        SqlColumn column;
        if (!m.BaseTable.empty() && !m.BaseColumn.empty())
            column.Name = QuotedName(m.BaseColumn, caps.IdentifierQuote);
        column.Label = m.Name;
        column.Kind = c.Kind();
        column.Type = m.Type;
        columns.push_back(std::move(column));
    }
    return engine::FilterCondition(*compiled, columns, caps.Dialect);
}

} // namespace engine

AnsiString FilterAsCondition(const RecordsetPtr& recordset, const AnsiString& filter)
{
    const auto* impl = dynamic_cast<const engine::RecordsetImpl*>(recordset.get());
    if (impl == nullptr)
        throw EOleException("Cannot write the filter as SQL: the recordset is not the engine's",
                            "vmado.Cursor");
    return impl->FilterCondition(filter);
}

} // namespace vmado
