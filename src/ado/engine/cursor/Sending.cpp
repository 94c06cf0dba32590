// Sending a row's change to the database: one parameterised INSERT, UPDATE or DELETE on the
// row's base table, keyed by its primary key or else by every original value (NULL as IS NULL).
// Each send runs inside a transaction (or a savepoint of the caller's) and must touch exactly one
// row; anything else is rolled back and reported, so no half-written record remains.
#include "ado/engine/cursor/RecordsetImpl.h"

#include "ado/engine/internal/Text.h"

#include <algorithm>
#include <deque>

namespace vmado::engine {

namespace {

const char* const OperationNames[] = {"INSERT", "UPDATE", "DELETE"};

AnsiString QuoteName(const AnsiString& name, const AnsiString& quote)
{
    if (quote.empty() || quote == " ")
        return name;
    AnsiString out = quote;
    for (char c : name) {
        if (c == quote[0])
            out += c;
        out += c;
    }
    return out + quote;
}

// The columns that find the row: the primary key when the recordset holds all of it (keyed set
// true), else every column of the table but its blobs (a memo may be all the table has: SQLite's
// and PostgreSQL's TEXT).
std::vector<int> KeyColumns(ProviderConnection& link, const std::vector<Column>& columns,
                            const AnsiString& schema, const AnsiString& table, bool* keyed = nullptr)
{
    auto fromTable = [&](const ColumnMeta& m) { return EqualsIgnoreCase(m.BaseTable, table); };
    std::vector<int> key;
    for (const auto& name : link.PrimaryKey(schema, table)) {
        int found = -1;
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (fromTable(columns[c].Meta()) && EqualsIgnoreCase(columns[c].Meta().BaseColumn, name))
                found = static_cast<int>(c);
        if (found < 0) {
            key.clear();
            break;
        }
        key.push_back(found);
    }
    if (keyed)
        *keyed = !key.empty();
    if (key.empty())
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (fromTable(columns[c].Meta()) && columns[c].Meta().Kind != ValueKind::Bytes)
                key.push_back(static_cast<int>(c));
    return key;
}

// What an update or delete compares besides the key, by the update criteria: the columns the
// update changes, or every column, so that a row someone else changed meanwhile is not found
// rather than overwritten. Blobs and memos are never compared.
std::vector<int> WhereColumns(ProviderConnection& link, const std::vector<Column>& columns,
                              const AnsiString& schema, const AnsiString& table,
                              const std::vector<int>& changed, Integer criteria)
{
    bool keyed = false;
    std::vector<int> where = KeyColumns(link, columns, schema, table, &keyed);
    if (!keyed || criteria == adCriteriaKey)
        return where;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ColumnMeta& m = columns[c].Meta();
        const int col = static_cast<int>(c);
        if (!EqualsIgnoreCase(m.BaseTable, table) || m.Long ||
            std::find(where.begin(), where.end(), col) != where.end())
            continue;
        if (criteria == adCriteriaUpdCols && std::find(changed.begin(), changed.end(), col) == changed.end())
            continue;
        where.push_back(col);
    }
    return where;
}

// "col = ?", or "col IS NULL" for a NULL original. SQLite holds dates as text that may be
// written in more than one form ("...00:00:00" and "...00:00:00.000"), so they compare as
// day numbers there.
AnsiString KeyTerm(const ColumnMeta& m, const CellRef& original, const Capabilities& caps)
{
    const AnsiString name = QuoteName(m.BaseColumn, caps.IdentifierQuote);
    if (original.Kind == ValueKind::Null)
        return name + " IS NULL";
    if (original.Kind == ValueKind::Date && caps.Dialect == SqlDialect::SQLite)
        return "julianday(" + name + ") = julianday(?)";
    return name + " = ?";
}

// Opens a transaction, or a savepoint inside the caller's; rolls back unless committed. Without
// savepoints a failed send could only be undone with the caller's whole transaction, so nothing
// is sent inside one.
class SendScope {
public:
    SendScope(ProviderConnection& link) : link_(link)
    {
        if (!link_.InTransaction()) {
            link_.Begin(adXactReadCommitted);
            own_ = true;
        } else if (link_.Caps().Savepoints) {
            Run("SAVEPOINT vmado_send");
            savepoint_ = true;
        } else {
            throw EOleException("Cannot send the change inside the transaction: the database (" +
                                    link_.Caps().DbmsName +
                                    ") has no savepoints, so a failed send could not be undone on its own; "
                                    "send it outside the transaction",
                                "vmado.Cursor");
        }
    }
    ~SendScope()
    {
        if (!done_)
            Undo();
    }
    // Takes back what the send wrote. False when the savepoint had gone (a driver that sets
    // savepoints of its own may drop ours): the caller's whole transaction is rolled back then,
    // as the only way to leave no half-written change in it.
    bool Undo() noexcept
    {
        if (done_)
            return true;
        done_ = true;
        try {
            if (own_)
                link_.Rollback();
            else if (savepoint_) {
                Run("ROLLBACK TO SAVEPOINT vmado_send");
                Run("RELEASE SAVEPOINT vmado_send");
            }
            return true;
        } catch (...) {
            // the original failure is what the caller must see
        }
        if (savepoint_) {
            try {
                link_.Rollback();
            } catch (...) {
                // nothing more can be done; the caller is told the transaction is gone
            }
        }
        return !savepoint_;
    }
    // For a catch handler: raises in place of the failure being handled when undoing it took the
    // caller's whole transaction.
    void UndoOrRaise()
    {
        if (!Undo())
            throw EOleException(
                "The change could not be sent, and the database lost the savepoint that would "
                "have undone it alone: the whole transaction was rolled back",
                "vmado.Cursor");
    }
    void Commit()
    {
        if (own_)
            link_.Commit();
        else if (savepoint_)
            Run("RELEASE SAVEPOINT vmado_send");
        done_ = true;
    }

private:
    void Run(const char* sql)
    {
        auto s = link_.Prepare(sql);
        s->Execute();
    }
    ProviderConnection& link_;
    bool own_ = false;
    bool savepoint_ = false;
    bool done_ = false;
};

} // namespace

struct RecordsetImpl::Change {
    int Operation = 0; // 0 insert, 1 update, 2 delete
    std::uint32_t Row = 0;
    std::vector<int> Columns;       // the columns set by an insert or update
    std::vector<CellRef> NewCells;  // parallel to Columns
    std::vector<CellRef> Originals; // per column: the values the database should hold now
};

namespace {

// Runs one change; returns generated values (RETURNING) through generated.
void SendChange(ProviderConnection& link, const std::vector<Column>& columns,
                const RecordsetImpl::Change& change, Integer criteria,
                std::vector<std::pair<int, CellRef>>* generated, std::deque<std::string>& keep);

} // namespace

void RecordsetImpl::SendRow(std::uint32_t row, int operation, const std::vector<int>& changed,
                            std::vector<std::pair<int, CellRef>>* generated,
                            std::vector<std::string>* generatedText)
{
    auto conn = Conn(operation == 2 ? "delete the record" : "update the record");
    std::lock_guard guard(conn->Mutex());
    ProviderConnection& link = conn->Link();
    Change change;
    change.Operation = operation;
    change.Row = row;
    std::deque<std::string> storage;
    for (int col : changed) {
        change.Columns.push_back(col);
        storage.emplace_back();
        CellRef cell = CellFromVariant(col, *editValues_[static_cast<std::size_t>(col)], storage.back());
        // Set to the very text it was loaded as: what the database holds stays.
        if (cell.Kind == ValueKind::Text)
            cell.Stored = columns_[static_cast<std::size_t>(col)].StoredFor(row, cell.Text);
        change.NewCells.push_back(cell);
    }
    for (std::size_t c = 0; c < columns_.size(); ++c)
        change.Originals.push_back(columns_[c].Get(row));
    SendScope scope(link);
    std::deque<std::string> keep;
    std::vector<std::pair<int, CellRef>> got;
    try {
        SendChange(link, columns_, change, updateCriteria_, &got, keep);
        scope.Commit();
    } catch (...) {
        scope.UndoOrRaise();
        throw;
    }
    for (std::size_t i = 0; i < change.Columns.size(); ++i)
        if (change.NewCells[i].Stored.empty())
            columns_[static_cast<std::size_t>(change.Columns[i])].ForgetStored(row);
    if (generated && generatedText) {
        generatedText->reserve(got.size());
        for (auto [col, cell] : got) {
            if (cell.Kind == ValueKind::Text || cell.Kind == ValueKind::Bytes) {
                generatedText->emplace_back(cell.Text);
                cell.Text = generatedText->back();
            }
            generated->emplace_back(col, cell);
        }
    }
}

void RecordsetImpl::SendBatch(const std::vector<std::uint32_t>& rows)
{
    auto conn = Conn("send the batch");
    std::lock_guard guard(conn->Mutex());
    ProviderConnection& link = conn->Link();
    std::deque<std::string> storage;
    std::vector<std::vector<std::pair<int, CellRef>>> generatedPerRow(rows.size());
    std::vector<std::pair<std::uint32_t, int>> overwritten; // cells now holding another value
    {
        SendScope scope(link);
        try {
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const std::uint32_t row = rows[i];
                const std::uint8_t f = flags_[row];
                Change change;
                change.Row = row;
                change.Operation = (f & rfPendingDelete) ? 2 : (f & rfNew) ? 0 : 1;
                auto orig = originals_.find(row);
                const auto given = assigned_.find(row);
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    if (orig != originals_.end()) {
                        storage.emplace_back();
                        CellRef was = CellFromVariant(static_cast<int>(c), orig->second[c], storage.back());
                        if (was.Kind == ValueKind::Text)
                            was.Stored = columns_[c].StoredFor(row, was.Text);
                        change.Originals.push_back(was);
                    } else {
                        change.Originals.push_back(columns_[c].Get(row));
                    }
                }
                for (std::size_t c = 0; c < columns_.size() && change.Operation != 2; ++c) {
                    const CellRef now = columns_[c].Get(row);
                    if (change.Operation == 0) {
                        const bool set =
                            given != assigned_.end() && c < given->second.size() && given->second[c];
                        if (now.Kind == ValueKind::Null && !set)
                            continue; // never given a value: the database's default applies
                    } else {
                        const CellRef& was = change.Originals[c];
                        const bool same =
                            was.Kind == now.Kind && (now.Kind == ValueKind::Null ||
                                                     (was.B == now.B && was.I == now.I && was.F == now.F &&
                                                      was.Cur == now.Cur && was.Text == now.Text));
                        if (same)
                            continue;
                    }
                    change.Columns.push_back(static_cast<int>(c));
                    change.NewCells.push_back(now);
                    if (now.Stored.empty())
                        overwritten.emplace_back(row, static_cast<int>(c));
                }
                if (change.Operation == 1 && change.Columns.empty())
                    continue;
                SendChange(link, columns_, change, updateCriteria_, &generatedPerRow[i], storage);
            }
            scope.Commit();
        } catch (...) {
            scope.UndoOrRaise();
            throw;
        }
    }
    // Only now, with everything committed, does the cursor take the new state.
    for (const auto& [row, col] : overwritten)
        columns_[static_cast<std::size_t>(col)].ForgetStored(row);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::uint32_t row = rows[i];
        for (const auto& [col, cell] : generatedPerRow[i])
            columns_[static_cast<std::size_t>(col)].Set(row, cell);
        flags_[row] = (flags_[row] & rfPendingDelete) ? std::uint8_t{rfGone} : std::uint8_t{0};
        originals_.erase(row);
        assigned_.erase(row);
    }
}

Variant RecordsetImpl::FieldUnderlyingValue(int col) const
{
    const ColumnMeta& m = MetaOf(col);
    const std::uint32_t row = CurrentRow("read the underlying value");
    if (m.BaseTable.empty() || (flags_[row] & (rfNew | rfAdding)))
        return FieldOriginalValue(col);
    auto conn = Conn("read the underlying value");
    std::lock_guard guard(conn->Mutex());
    ProviderConnection& link = conn->Link();
    const AnsiString quote = link.Caps().IdentifierQuote;
    // Key the row as an update would, then read the one column.
    const std::vector<int> key = KeyColumns(link, columns_, m.BaseSchema, m.BaseTable);
    std::deque<std::string> storage;
    std::vector<CellRef> originals;
    auto orig = originals_.find(row);
    for (int c = 0; c < ColumnCount(); ++c) {
        if (orig != originals_.end()) {
            storage.emplace_back();
            CellRef was = CellFromVariant(c, orig->second[static_cast<std::size_t>(c)], storage.back());
            if (was.Kind == ValueKind::Text)
                was.Stored = columns_[static_cast<std::size_t>(c)].StoredFor(row, was.Text);
            originals.push_back(was);
        } else {
            originals.push_back(columns_[static_cast<std::size_t>(c)].Get(row));
        }
    }
    AnsiString table = QuoteName(m.BaseTable, quote);
    if (!m.BaseSchema.empty() && !EqualsIgnoreCase(m.BaseSchema, "main"))
        table = QuoteName(m.BaseSchema, quote) + "." + table;
    AnsiString sql = "SELECT " + QuoteName(m.BaseColumn, quote) + " FROM " + table + " WHERE ";
    std::vector<BoundValue> binds;
    for (std::size_t k = 0; k < key.size(); ++k) {
        const ColumnMeta& km = columns_[static_cast<std::size_t>(key[k])].Meta();
        if (k)
            sql += " AND ";
        const CellRef& cell = originals[static_cast<std::size_t>(key[k])];
        sql += KeyTerm(km, cell, link.Caps());
        if (cell.Kind != ValueKind::Null)
            binds.push_back({cell, km.Type});
    }
    auto statement = link.Prepare(sql);
    for (std::size_t b = 0; b < binds.size(); ++b)
        statement->Bind(static_cast<int>(b + 1), binds[b]);
    statement->Execute();
    std::vector<CellRef> values;
    if (!statement->Step(values))
        return Variant::Null(); // the row is gone from the database
    ColumnMeta scratchMeta = m;
    scratchMeta.KindFromData = false;
    Column scratch(scratchMeta);
    scratch.Append(values[0]);
    if (scratch.IsNull(0))
        return Variant::Null();
    switch (scratch.Kind()) {
    case ValueKind::Integer:
        return Variant(scratch.IntAt(0));
    case ValueKind::Float:
        return Variant(scratch.RealAt(0));
    case ValueKind::Currency:
        return Variant(Currency::FromRaw(scratch.IntAt(0)));
    case ValueKind::Date:
        return Variant::FromDate(scratch.RealAt(0));
    case ValueKind::Boolean:
        return Variant(scratch.BoolAt(0));
    case ValueKind::Bytes:
        return VarByteArray(scratch.TextAt(0).data(), scratch.TextAt(0).size());
    default:
        return Variant(AnsiString(scratch.TextAt(0)));
    }
}

namespace {

void SendChange(ProviderConnection& link, const std::vector<Column>& columns,
                const RecordsetImpl::Change& change, Integer criteria,
                std::vector<std::pair<int, CellRef>>* generated, std::deque<std::string>& keep)
{
    const AnsiString quote = link.Caps().IdentifierQuote;
    const char* op = OperationNames[change.Operation];
    // The base table: the one every set column comes from (any column's for a delete).
    AnsiString table, schema;
    auto take = [&](const ColumnMeta& m) {
        if (m.BaseTable.empty())
            throw EOleException(AnsiString("Cannot ") + op + " the record: field '" + m.Name +
                                    "' is not a column of a table",
                                "vmado.Cursor");
        if (table.empty()) {
            table = m.BaseTable;
            schema = m.BaseSchema;
        } else if (!EqualsIgnoreCase(table, m.BaseTable)) {
            throw EOleException(AnsiString("Cannot ") + op + " the record: its fields come from tables '" +
                                    table + "' and '" + m.BaseTable + "'",
                                "vmado.Cursor");
        }
    };
    for (int col : change.Columns)
        take(columns[static_cast<std::size_t>(col)].Meta());
    if (table.empty())
        for (const auto& c : columns)
            if (!c.Meta().BaseTable.empty()) {
                take(c.Meta());
                break;
            }
    if (table.empty())
        throw EOleException(AnsiString("Cannot ") + op +
                                " the record: none of its fields is a column of a table",
                            "vmado.Cursor");
    auto fromTable = [&](const ColumnMeta& m) { return EqualsIgnoreCase(m.BaseTable, table); };

    AnsiString target = QuoteName(table, quote);
    if (!schema.empty() && !EqualsIgnoreCase(schema, "main"))
        target = QuoteName(schema, quote) + "." + target;

    std::vector<BoundValue> binds;
    AnsiString sql;
    std::vector<int> returning;
    if (change.Operation == 0) {
        AnsiString names, marks;
        for (std::size_t i = 0; i < change.Columns.size(); ++i) {
            const ColumnMeta& m = columns[static_cast<std::size_t>(change.Columns[i])].Meta();
            names += (i ? ", " : "") + QuoteName(m.BaseColumn, quote);
            marks += i ? ", ?" : "?";
            binds.push_back({change.NewCells[i], m.Type});
        }
        sql = "INSERT INTO " + target +
              (names.empty() ? AnsiString(" DEFAULT VALUES") : " (" + names + ") VALUES (" + marks + ")");
        if (link.Caps().Returning) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const ColumnMeta& m = columns[c].Meta();
                const bool set = std::find(change.Columns.begin(), change.Columns.end(),
                                           static_cast<int>(c)) != change.Columns.end();
                if (fromTable(m) && !set && (m.AutoIncrement || m.PrimaryKey))
                    returning.push_back(static_cast<int>(c));
            }
            for (std::size_t i = 0; i < returning.size(); ++i)
                sql += (i ? ", " : " RETURNING ") +
                       QuoteName(columns[static_cast<std::size_t>(returning[i])].Meta().BaseColumn, quote);
        }
    } else {
        const std::vector<int> key = WhereColumns(link, columns, schema, table, change.Columns, criteria);
        if (change.Operation == 1) {
            sql = "UPDATE " + target + " SET ";
            for (std::size_t i = 0; i < change.Columns.size(); ++i) {
                const ColumnMeta& m = columns[static_cast<std::size_t>(change.Columns[i])].Meta();
                sql += (i ? ", " : "") + QuoteName(m.BaseColumn, quote) + " = ?";
                binds.push_back({change.NewCells[i], m.Type});
            }
        } else {
            sql = "DELETE FROM " + target;
        }
        sql += " WHERE ";
        for (std::size_t k = 0; k < key.size(); ++k) {
            const ColumnMeta& m = columns[static_cast<std::size_t>(key[k])].Meta();
            const CellRef& was = change.Originals[static_cast<std::size_t>(key[k])];
            if (k)
                sql += " AND ";
            sql += KeyTerm(m, was, link.Caps());
            if (was.Kind != ValueKind::Null)
                binds.push_back({was, m.Type});
        }
    }

    auto statement = link.Prepare(sql);
    for (std::size_t b = 0; b < binds.size(); ++b)
        statement->Bind(static_cast<int>(b + 1), binds[b]);
    Int64 affected = 0;
    if (statement->Execute()) {
        std::vector<CellRef> values;
        while (statement->Step(values)) {
            if (affected++ == 0 && generated) {
                for (std::size_t i = 0; i < returning.size() && i < values.size(); ++i) {
                    // Copy into the column's kind, keeping text alive in keep.
                    ColumnMeta scratchMeta = columns[static_cast<std::size_t>(returning[i])].Meta();
                    scratchMeta.KindFromData = false;
                    Column scratch(scratchMeta);
                    scratch.Append(values[i]);
                    CellRef cell = scratch.Get(0);
                    cell.Stored = {}; // would outlive scratch; a generated key is never replaced text
                    if (cell.Kind == ValueKind::Text || cell.Kind == ValueKind::Bytes) {
                        keep.emplace_back(cell.Text);
                        cell.Text = keep.back();
                    }
                    if (cell.Kind == columns[static_cast<std::size_t>(returning[i])].Kind() ||
                        cell.Kind == ValueKind::Null)
                        generated->emplace_back(returning[i], cell);
                }
            }
        }
    } else {
        affected = statement->RowsAffected();
        // Without RETURNING, SQLite still tells the rowid it gave the new row.
        if (change.Operation == 0 && affected == 1 && generated &&
            link.Caps().Dialect == SqlDialect::SQLite) {
            int rowidColumn = -1, candidates = 0;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const ColumnMeta& m = columns[c].Meta();
                const bool set = std::find(change.Columns.begin(), change.Columns.end(),
                                           static_cast<int>(c)) != change.Columns.end();
                if (fromTable(m) && (m.AutoIncrement || m.PrimaryKey) && m.Kind == ValueKind::Integer) {
                    ++candidates;
                    if (!set)
                        rowidColumn = static_cast<int>(c);
                }
            }
            if (rowidColumn >= 0 && candidates == 1) {
                auto last = link.Prepare("SELECT last_insert_rowid()");
                last->Execute();
                std::vector<CellRef> values;
                if (last->Step(values) && !values.empty() && values[0].Kind == ValueKind::Integer) {
                    CellRef cell;
                    cell.Kind = ValueKind::Integer;
                    cell.I = values[0].I;
                    generated->emplace_back(rowidColumn, cell);
                }
            }
        }
    }
    // The texts ADO gives, so callers that test for them keep working.
    if (affected == 0)
        throw EOleException("Row cannot be located for updating. Some values may have been changed since it "
                            "was last read.",
                            "vmado.Cursor");
    if (affected != 1)
        throw EOleException("Key column information is insufficient or incorrect. Too many rows were "
                            "affected by update.",
                            "vmado.Cursor");
}

} // namespace

} // namespace vmado::engine
