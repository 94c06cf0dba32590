// Opening and closing the client cursor: the source becomes one statement, its rows are
// materialised into typed columns, and the view starts unfiltered on the first record.
#include "ado/engine/cursor/FieldsImpl.h"
#include "ado/engine/cursor/RecordsetImpl.h"

#include "ado/engine/internal/TableName.h"
#include "ado/engine/internal/Text.h"

#include <atomic>

namespace vmado::engine {

RecordsetImpl::RecordsetImpl() = default;
RecordsetImpl::~RecordsetImpl()
{
    EndStream();
}

void RecordsetImpl::CheckOpen(const char* what) const
{
    if (!open_)
        throw EOleException(AnsiString("Cannot ") + what + ": the recordset is closed", "vmado.Cursor");
}

void RecordsetImpl::CheckClosedForSetting(const char* what) const
{
    if (open_)
        throw EOleException(AnsiString("Cannot set ") + what + " while the recordset is open",
                            "vmado.Cursor");
}

std::shared_ptr<ConnectionImpl> RecordsetImpl::Conn(const char* what) const
{
    if (!conn_ || synthetic_)
        throw EOleException(AnsiString("Cannot ") + what +
                                ": the recordset has no connection to send it through",
                            "vmado.Cursor");
    if (conn_->State() == adStateClosed || conn_->Generation() != generation_)
        throw EOleException(AnsiString("Cannot ") + what + ": the recordset's connection was closed",
                            "vmado.Cursor");
    return conn_;
}

void RecordsetImpl::SetCursorType(CursorTypeEnum value)
{
    if (value == cursorType_)
        return;
    CheckClosedForSetting("CursorType");
    cursorType_ = value;
}

void RecordsetImpl::SetLockType(LockTypeEnum value)
{
    if (value == lockType_)
        return;
    CheckClosedForSetting("LockType");
    if (value != adLockReadOnly && value != adLockPessimistic && value != adLockOptimistic &&
        value != adLockBatchOptimistic && value != adLockUnspecified)
        throw EOleException("Cannot set LockType: " + std::to_string(value) + " is not a lock type",
                            "vmado.Cursor");
    lockType_ = value;
}

void RecordsetImpl::SetCursorLocation(CursorLocationEnum value)
{
    if (value == location_ && locationSet_)
        return;
    CheckClosedForSetting("CursorLocation");
    location_ = value;
    locationSet_ = true;
}

void RecordsetImpl::SetMaxRecords(Integer value)
{
    if (value == maxRecords_)
        return;
    CheckClosedForSetting("MaxRecords");
    if (value < 0)
        throw EOleException("Cannot set MaxRecords: " + std::to_string(value) + " is negative",
                            "vmado.Cursor");
    maxRecords_ = value;
}

bool RecordsetImpl::Supports(CursorOptionEnum option) const
{
    const bool writable = open_ && lockType_ != adLockReadOnly && !synthetic_;
    switch (option) {
    case adAddNew:
    case adDelete:
    case adUpdate:
        return writable;
    case adUpdateBatch:
        return writable && lockType_ == adLockBatchOptimistic;
    case adHoldRecords:
    case adMovePrevious:
    case adBookmark:
    case adApproxPosition:
        return !streaming_;
    case adFind:
        return true;
    case adResync:
        return writable;
    default:
        return false;
    }
}

void RecordsetImpl::Reset()
{
    // Shared by every recordset, so that no two stores, even of different recordsets, share a number.
    static std::atomic<std::uint32_t> stores{0};
    peekStore_ = ++stores;
    columns_.clear();
    flags_.clear();
    originals_.clear();
    assigned_.clear();
    view_.clear();
    posOf_.clear();
    posValid_ = false;
    pos_ = 0;
    deletedCurrent_.reset();
    filterText_.clear();
    filterGroup_ = adFilterNone;
    filterExpr_.reset();
    sort_.clear();
    sortKeys_.clear();
    editMode_ = adEditNone;
    editValues_.clear();
    chunkOffsets_.clear();
    chunkRow_ = UINT32_MAX;
    if (fields_)
        fields_->Detach();
    fields_.reset();
    synthetic_ = false;
    EndStream();
    streaming_ = false;
    base_ = 0;
    streamed_ = 0;
    settled_.clear();
}

AnsiString RecordsetImpl::StatementText(const AnsiString& text, Integer command)
{
    if (command & (adCmdTable | adCmdTableDirect))
        return "SELECT * FROM " + QuoteTableName(text);
    if (command & adCmdStoredProc)
        return "{call " + text + "}";
    if (command & adCmdFile)
        throw EOleException("Cannot open the recordset from file '" + text +
                                "': saved recordsets are not available",
                            "vmado.Cursor");
    if (command & adCmdText)
        return text;
    return LooksLikeTableName(text) ? "SELECT * FROM " + QuoteTableName(text) : text;
}

void RecordsetImpl::Open(const AnsiString& source, const ConnectionPtr& activeConnection,
                         CursorTypeEnum cursorType, LockTypeEnum lockType, Integer options)
{
    if (open_)
        throw EOleException("Cannot open the recordset: it is already open", "vmado.Cursor");
    auto conn = std::dynamic_pointer_cast<ConnectionImpl>(activeConnection);
    if (!conn)
        throw EOleException("Cannot open the recordset: no connection was given", "vmado.Cursor");
    const AnsiString text = Trim(source);
    if (text.empty())
        throw EOleException("Cannot open the recordset: the source is empty", "vmado.Cursor");
    if (lockType == adLockUnspecified)
        lockType = lockType_ == adLockUnspecified ? adLockReadOnly : lockType_;
    if (lockType != adLockReadOnly && lockType != adLockPessimistic && lockType != adLockOptimistic &&
        lockType != adLockBatchOptimistic)
        throw EOleException("Cannot open the recordset: " + std::to_string(lockType) + " is not a lock type",
                            "vmado.Cursor");

    const Integer command = options == adCmdUnspecified ? adCmdUnknown : (options & 0x30F);
    const AnsiString sql = StatementText(text, command);

    std::lock_guard guard(conn->Mutex());
    ProviderConnection& link = conn->Link();
    if ((command & adCmdStoredProc) && link.Caps().Dialect == SqlDialect::SQLite)
        throw EOleException("Cannot open stored procedure '" + text + "': SQLite has no stored procedures",
                            "vmado.Cursor");
    observerStopped_ = false;
    fetched_ = 0;
    if (observer_) {
        // Asked while the database works towards the next row too, so that a long-running
        // statement can be stopped before its first row.
        link.SetInterruptCheck([this] {
            return observerStopped_ || (observerStopped_ = !observer_(static_cast<Integer>(fetched_)));
        });
    }
    struct ClearCheck {
        ProviderConnection& Link;
        ~ClearCheck() { Link.SetInterruptCheck(nullptr); }
    } clearCheck{link};
    try {
        auto statement = link.Prepare(conn->Rewrite(sql));
        if (!statement->Execute())
            return; // a statement without rows ran; the recordset stays closed
        cursorType_ = cursorType == adOpenUnspecified ? adOpenStatic : cursorType;
        options_ = options;
        if (WantsStream(*conn, cursorType_)) {
            OpenStream(conn, std::move(statement), text);
            return;
        }
        Materialise(conn, *statement, text, lockType);
    } catch (const EOleException&) {
        if (!observerStopped_)
            throw;
    }
    if (observerStopped_) {
        if (open_)
            Close();
        throw EOleException("Cannot open the recordset: the open was cancelled after " +
                                std::to_string(fetched_) + " rows of '" + text + "'",
                            "vmado.Cursor");
    }
}

void RecordsetImpl::Materialise(const std::shared_ptr<ConnectionImpl>& connection,
                                ProviderStatement& statement, const AnsiString& source, LockTypeEnum lockType)
{
    Reset();
    try {
        for (const ColumnMeta& meta : statement.Columns())
            columns_.emplace_back(meta);
        LoadRows(statement, maxRecords_);
    } catch (...) {
        Reset();
        throw;
    }
    conn_ = connection;
    generation_ = connection->Generation();
    updateCriteria_ = connection->UpdateCriteria();
    source_ = source;
    lockType_ = lockType;
    FinishLoad();
}

void RecordsetImpl::OpenRows(const std::shared_ptr<ConnectionImpl>& connection,
                             std::vector<ColumnMeta> columns, const std::vector<std::vector<CellRef>>& rows)
{
    Reset();
    for (auto& meta : columns)
        columns_.emplace_back(std::move(meta));
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < columns_.size(); ++c)
            columns_[c].Append(c < row.size() ? row[c] : CellRef{});
        flags_.push_back(0);
    }
    conn_ = connection;
    generation_ = connection ? connection->Generation() : 0;
    lockType_ = adLockReadOnly;
    cursorType_ = adOpenStatic;
    FinishLoad();
    synthetic_ = true;
}

void RecordsetImpl::LoadRows(ProviderStatement& statement, Integer limit)
{
    std::vector<CellRef> row;
    const std::size_t n = columns_.size();
    std::size_t count = 0;
    while ((limit <= 0 || count < static_cast<std::size_t>(limit)) && statement.Step(row)) {
        if (count >= 0xFFFFFFF0u)
            throw EOleException("Cannot open the recordset: it holds more rows than a cursor can address",
                                "vmado.Cursor");
        for (std::size_t c = 0; c < n; ++c)
            columns_[c].Append(row[c]);
        ++count;
        fetched_ = count;
        if (observer_ && count % 64 == 0 && !observer_(static_cast<Integer>(count)))
            observerStopped_ = true;
        if (observerStopped_)
            throw EOleException("Cannot open the recordset: the open was cancelled", "vmado.Cursor");
    }
    if (observer_ && !observer_(static_cast<Integer>(count)))
        observerStopped_ = true;
    if (observerStopped_)
        throw EOleException("Cannot open the recordset: the open was cancelled", "vmado.Cursor");
    flags_.assign(count, 0);
}

void RecordsetImpl::FinishLoad()
{
    for (auto& column : columns_)
        column.Finish();
    fields_ = std::make_shared<FieldsImpl>(weak_from_this(), static_cast<int>(columns_.size()));
    open_ = true;
    RebuildView(std::nullopt);
    pos_ = 0;
}

void RecordsetImpl::Close()
{
    CheckOpen("close the recordset");
    Reset();
    open_ = false;
    conn_.reset();
}

void RecordsetImpl::Requery()
{
    CheckOpen("requery the recordset");
    auto conn = Conn("requery the recordset");
    const AnsiString source = source_;
    const CursorTypeEnum cursorType = cursorType_;
    const LockTypeEnum lockType = lockType_;
    const Integer options = options_;
    Close();
    Open(source, conn, cursorType, lockType, options);
}

std::size_t RecordsetImpl::MemoryBytes() const
{
    std::size_t total = flags_.capacity() + view_.capacity() * 4 + posOf_.capacity() * 4;
    for (const auto& column : columns_)
        total += column.MemoryBytes();
    return total;
}

FieldsPtr RecordsetImpl::Fields() const
{
    if (!fields_)
        return std::make_shared<FieldsImpl>(std::weak_ptr<RecordsetImpl>(), 0);
    return fields_;
}

PropertiesPtr RecordsetImpl::Properties() const
{
    auto list = std::make_shared<PropertyList>();
    list->Add("Updatability", Variant(static_cast<Integer>(Supports(adUpdate) ? 7 : 0)), adInteger);
    list->Add("Unique Table", Variant(columns_.empty() ? AnsiString() : columns_[0].Meta().BaseTable));
    list->Add("Maximum Rows", Variant(maxRecords_), adInteger);
    std::weak_ptr<RecordsetImpl> self = std::const_pointer_cast<RecordsetImpl>(shared_from_this());
    list->AddSettable(
        "Update Criteria",
        [self] {
            auto rs = self.lock();
            return Variant(rs ? rs->updateCriteria_ : static_cast<Integer>(adCriteriaUpdCols));
        },
        [self](const Variant& value) {
            const Integer criteria = ConnectionImpl::CheckUpdateCriteria(value);
            if (auto rs = self.lock())
                rs->updateCriteria_ = criteria;
        },
        adInteger);
    return list;
}

} // namespace vmado::engine
