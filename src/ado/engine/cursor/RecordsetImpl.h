// The engine's Recordset: a client cursor over rows materialised in typed column storage, a view
// (filter, then stable sort) of row ids, edits kept on the row and sent by lock type. Row id + 1
// is the bookmark. Calls that reach the database hold the connection's mutex. A streaming
// recordset holds only a window of the rows: base_ is the row id of the window's first row, the
// store and the view index rows within the window, and bookmarks add base_ back.
#pragma once

#include "ado/ADOApi.h"
#include "ado/engine/ConnectionImpl.h"
#include "ado/engine/cursor/ColumnStore.h"
#include "ado/engine/expression/Expression.h"
#include "ado/engine/internal/CellPeek.h"

#include <optional>
#include <unordered_map>

namespace vmado::engine {

class FieldsImpl;

class RecordsetImpl final : public Recordset,
                            public CellPeekView,
                            public std::enable_shared_from_this<RecordsetImpl> {
public:
    RecordsetImpl();
    ~RecordsetImpl() override;

    void Open(const AnsiString& source, const ConnectionPtr& activeConnection, CursorTypeEnum cursorType,
              LockTypeEnum lockType, Integer options) override;
    void Close() override;
    void Requery() override;
    Integer State() const override { return open_ ? adStateOpen : adStateClosed; }
    ConnectionPtr ActiveConnection() const override { return conn_; }
    AnsiString Source() const override { return source_; }

    CursorTypeEnum CursorType() const override { return cursorType_; }
    void SetCursorType(CursorTypeEnum value) override;
    LockTypeEnum LockType() const override { return lockType_; }
    void SetLockType(LockTypeEnum value) override;
    CursorLocationEnum CursorLocation() const override { return location_; }
    void SetCursorLocation(CursorLocationEnum value) override;
    void SetFetchObserver(std::function<bool(Integer fetched)> observer) override
    {
        observer_ = std::move(observer);
    }
    Integer MaxRecords() const override { return maxRecords_; }
    void SetMaxRecords(Integer value) override;
    Integer CacheSize() const override { return cacheSize_; }
    void SetCacheSize(Integer value) override;
    bool Supports(CursorOptionEnum option) const override;

    bool Bof() const override;
    bool Eof() const override;
    Integer AbsolutePosition() const override;
    void SetAbsolutePosition(Integer value) override;
    Integer RecordCount() const override;
    Variant Bookmark() const override;
    void SetBookmark(const Variant& value) override;
    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    void Move(Integer numRecords, const Variant& start) override;

    void Find(const AnsiString& criteria, Integer skipRecords, SearchDirectionEnum searchDirection,
              const Variant& start) override;
    Variant Filter() const override;
    void SetFilter(const Variant& value) override;
    AnsiString Sort() const override { return sort_; }
    void SetSort(const AnsiString& value) override;

    Integer Status() const override;
    Integer EditMode() const override { return editMode_; }

    void AddNew(const Variant& fieldList, const Variant& values) override;
    void Update(const Variant& fields, const Variant& values) override;
    void CancelUpdate() override;
    void Delete(AffectEnum affectRecords) override;
    void UpdateBatch(AffectEnum affectRecords) override;
    void CancelBatch(AffectEnum affectRecords) override;
    void AcceptUpdate() override;
    void AcceptDelete() override;

    FieldsPtr Fields() const override;
    PropertiesPtr Properties() const override;

    struct Change; // one row to send; defined in Sending.cpp

    // Engine side.
    // Fills the recordset from a statement that has been executed and yields rows.
    void Materialise(const std::shared_ptr<ConnectionImpl>& connection, ProviderStatement& statement,
                     const AnsiString& source, LockTypeEnum lockType);
    // Fills a read-only recordset from rows built in memory (catalogue answers).
    void OpenRows(const std::shared_ptr<ConnectionImpl>& connection, std::vector<ColumnMeta> columns,
                  const std::vector<std::vector<CellRef>>& rows);
    std::size_t MemoryBytes() const; // the storage held by the open recordset
    // A Filter text as a condition on the recordset's base table in its connection's SQL
    // (FilterCondition.cpp); raises when the text is no filter or SQL cannot say the same.
    AnsiString FilterCondition(const AnsiString& filter) const;

    // For the Field objects; col is the field index.
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const ColumnMeta& MetaOf(int col) const;
    Variant FieldValue(int col) const;
    // CellPeekView: the current record's cells for readers that render every cell of every record.
    bool PeekRow(std::uint32_t& row) const override;
    bool PeekCellAt(int col, std::uint32_t row, CellPeek& out) const override
    {
        if (col < 0 || col >= ColumnCount())
            return false;
        row -= base_;
        const Column& c = columns_[static_cast<std::size_t>(col)];
        out = CellPeek{};
        if (row >= c.Size())
            return false;
        if (c.IsNull(row))
            return true;
        // The same reading of the column store as VariantOf.
        switch (c.Kind()) {
        case ValueKind::Integer:
            out.Kind = CellKind::Integer;
            out.Int = c.IntAt(row);
            break;
        case ValueKind::Currency:
            out.Kind = CellKind::Currency;
            out.Int = c.IntAt(row);
            break;
        case ValueKind::Float:
            out.Kind = CellKind::Float;
            out.Real = c.RealAt(row);
            break;
        case ValueKind::Date:
            out.Kind = CellKind::Date;
            out.Real = c.RealAt(row);
            break;
        case ValueKind::Boolean:
            out.Kind = CellKind::Boolean;
            out.Bool = c.BoolAt(row);
            break;
        case ValueKind::Text:
            out.Kind = CellKind::Text;
            out.Text = c.TextAt(row);
            break;
        case ValueKind::Bytes:
            out.Kind = CellKind::Bytes;
            out.Text = c.TextAt(row);
            break;
        default:
            break; // read as Null, as VariantOf reads it
        }
        return true;
    }
    bool PeekRowFits(std::uint32_t row, const Integer* budgets, int count) const override
    {
        if (count > ColumnCount())
            return false;
        row -= base_;
        for (int col = 0; col < count; ++col) {
            const Column& c = columns_[static_cast<std::size_t>(col)];
            if (row >= c.Size())
                return false;
            if (budgets[col] < 0 || c.IsNull(row))
                continue;
            if (c.Kind() == ValueKind::Bytes)
                return false;
            if (c.Kind() != ValueKind::Text)
                continue;
            const std::string_view text = c.TextAt(row);
            if (text.size() * 2 + 3 > static_cast<std::size_t>(budgets[col]) ||
                std::memchr(text.data(), '\0', text.size()) != nullptr)
                return false;
        }
        return true;
    }
    Variant PeekValueAt(int col, std::uint32_t row) const override;
    void SetFieldValue(int col, const Variant& value);
    Variant FieldOriginalValue(int col) const;
    Variant FieldUnderlyingValue(int col) const;
    // True when the current record's text was read with characters the code page cannot hold,
    // so its value is not what the database holds; false off a record.
    bool FieldTextReplaced(int col) const;
    Integer FieldActualSize(int col) const;
    void FieldAppendChunk(int col, const Variant& data);
    Variant FieldGetChunk(int col, Integer length);

private:
    enum RowFlag : std::uint8_t {
        rfGone = 1,          // deleted in the database, or an added row that was cancelled
        rfNew = 2,           // inserted locally, not yet sent (batch)
        rfModified = 4,      // changed locally, not yet sent (batch)
        rfPendingDelete = 8, // deleted locally, not yet sent (batch)
        rfAdding = 16,       // AddNew in progress
    };
    struct SortKey {
        int Column;
        bool Descending;
    };

    // Open.cpp
    void CheckOpen(const char* what) const;
    void CheckClosedForSetting(const char* what) const;
    void Reset();
    void LoadRows(ProviderStatement& statement, Integer limit);
    void FinishLoad();
    std::shared_ptr<ConnectionImpl> Conn(const char* what) const;
    // The SQL a source stands for; command is the CommandTypeEnum bits of the open's options.
    static AnsiString StatementText(const AnsiString& text, Integer command);
    // Streaming.cpp
    bool WantsStream(const ConnectionImpl& connection, CursorTypeEnum cursorType) const;
    void OpenStream(const std::shared_ptr<ConnectionImpl>& connection,
                    std::unique_ptr<ProviderStatement> statement, const AnsiString& source);
    std::size_t WindowRows() const;
    // Reads on until the view holds position pos or the statement has no more rows; returns pos
    // counted in the window as it is afterwards (the rows dropped from its front taken off).
    long ReadAhead(long pos);
    // Appends up to rows rows; false once the statement (or MaxRecords) has no more.
    bool LoadWindow(ProviderStatement& statement, std::size_t rows);
    void EndStream() noexcept;
    void RestartStream(); // runs the statement again, for MoveFirst once row 1 has left the window
    void CheckWholeResult(const char* what) const; // raises on a streaming recordset
    // Raises when the view position pos lies before the window (its row was dropped).
    void CheckBehindWindow(long pos, const char* what) const;
    // Navigation.cpp
    bool OnRecord() const;
    std::uint32_t CurrentRow(const char* what) const; // raises off a record
    void SetPosition(long pos);
    long PositionOf(std::uint32_t row) const; // -1 when not in the view
    std::uint32_t RowOfBookmark(const Variant& bookmark, const char* what) const;
    void LeaveRecord(); // ends an edit in progress before a move
    // View.cpp
    void RebuildView(std::optional<std::uint32_t> keepRow);
    bool RowVisible(std::uint32_t row) const;
    void SortView();
    std::vector<ColumnInfo> ColumnInfos() const;
    int ColumnIndex(std::string_view name) const; // -1 when absent
    // Editing.cpp
    void CheckUpdatable(const char* what) const;
    void BeginEdit();
    CellRef CellFromVariant(int col, const Variant& value, std::string& storage) const;
    void ApplyFieldList(const Variant& fields, const Variant& values);
    Variant VariantOf(int col, std::uint32_t row) const;
    void SaveOriginals(std::uint32_t row);
    void WriteEditToStore(std::uint32_t row);
    void RemoveCurrentFromView(std::uint32_t row); // the deleted record stays current until a move
    // Sending.cpp
    void SendRow(std::uint32_t row, int operation, const std::vector<int>& changed,
                 std::vector<std::pair<int, CellRef>>* generated, std::vector<std::string>* generatedText);
    void SendBatch(const std::vector<std::uint32_t>& rows);

    std::shared_ptr<ConnectionImpl> conn_;
    std::uint64_t generation_ = 0;
    AnsiString source_;
    Integer options_ = adCmdUnknown;
    CursorTypeEnum cursorType_ = adOpenForwardOnly;
    LockTypeEnum lockType_ = adLockReadOnly;
    CursorLocationEnum location_ = adUseServer;
    bool locationSet_ = false; // until set, the connection's location applies at open
    Integer maxRecords_ = 0;
    std::function<bool(Integer)> observer_;
    bool observerStopped_ = false;               // the observer stopped the open under way
    std::size_t fetched_ = 0;                    // rows the open under way has fetched
    Integer updateCriteria_ = adCriteriaUpdCols; // the connection's at open; a property after
    bool open_ = false;
    bool synthetic_ = false; // built in memory: never sent anywhere
    Integer cacheSize_ = 1;
    bool streaming_ = false;
    std::uint64_t streamId_ = 0;      // the connection's statement; 0 once it has no more rows
    std::uint32_t base_ = 0;          // row id of the window's first row
    std::size_t streamed_ = 0;        // rows read from the statement (MaxRecords counts them)
    std::vector<ColumnMeta> settled_; // the columns as the first window settled them

    std::vector<Column> columns_;
    std::vector<std::uint8_t> flags_;
    std::unordered_map<std::uint32_t, std::vector<Variant>> originals_;
    // Per new row waiting for the batch: the columns given a value, Null included, so an
    // explicit Null is sent while a column never set keeps the database's default.
    std::unordered_map<std::uint32_t, std::vector<bool>> assigned_;

    std::vector<std::uint32_t> view_;
    mutable std::vector<std::int32_t> posOf_;
    mutable bool posValid_ = false;
    long pos_ = 0;
    std::optional<std::uint32_t> deletedCurrent_; // the record just deleted stays current until a move

    AnsiString filterText_;
    Integer filterGroup_ = adFilterNone;
    std::shared_ptr<const CompiledExpression> filterExpr_;
    AnsiString sort_;
    std::vector<SortKey> sortKeys_;

    EditModeEnum editMode_ = adEditNone;
    std::uint32_t editRow_ = 0;
    std::vector<std::optional<Variant>> editValues_;
    long addReturnPos_ = 0;
    std::vector<std::size_t> chunkOffsets_;
    std::uint32_t chunkRow_ = UINT32_MAX;

    std::shared_ptr<FieldsImpl> fields_;
};

} // namespace vmado::engine
