// The streaming recordset: a forward-only server cursor that reads rows from its open statement as
// it moves and holds a window of them, so memory stays bounded whatever the size of the result.
// The window's rows are the store's rows 0..n-1 and the view is always all of them, in order.
#include "ado/engine/cursor/FieldsImpl.h"
#include "ado/engine/cursor/RecordsetImpl.h"

#include <algorithm>

namespace vmado::engine {

namespace {

// The window when CacheSize is left at ADO's default of one row: a single row could not keep the
// record behind the current one, which a dataset's buffers go back to.
constexpr std::size_t DefaultWindowRows = 4096;

} // namespace

void RecordsetImpl::SetCacheSize(Integer value)
{
    // As in ADO, a change while open applies from the next rows read.
    if (value < 1)
        throw EOleException("Cannot set CacheSize: " + std::to_string(value) + " is less than one row",
                            "vmado.Cursor");
    cacheSize_ = value;
}

std::size_t RecordsetImpl::WindowRows() const
{
    return cacheSize_ > 1 ? static_cast<std::size_t>(cacheSize_) : DefaultWindowRows;
}

bool RecordsetImpl::WantsStream(const ConnectionImpl& connection, CursorTypeEnum cursorType) const
{
    const CursorLocationEnum location = locationSet_ ? location_ : connection.CursorLocation();
    return cursorType == adOpenForwardOnly && location == adUseServer;
}

void RecordsetImpl::OpenStream(const std::shared_ptr<ConnectionImpl>& connection,
                               std::unique_ptr<ProviderStatement> statement, const AnsiString& source)
{
    Reset();
    bool more = false;
    try {
        for (const ColumnMeta& meta : statement->Columns())
            columns_.emplace_back(meta);
        streaming_ = true;
        more = LoadWindow(*statement, WindowRows());
    } catch (...) {
        Reset();
        throw;
    }
    conn_ = connection;
    generation_ = connection->Generation();
    updateCriteria_ = connection->UpdateCriteria();
    source_ = source;
    lockType_ = adLockReadOnly; // the provider's substitute for a lock type it cannot give
    location_ = adUseServer;
    FinishLoad();
    // Later windows keep the types and sizes the first one settled, which the fields report.
    settled_.clear();
    for (const Column& column : columns_) {
        settled_.push_back(column.Meta());
        settled_.back().KindFromData = false;
    }
    if (more)
        streamId_ = connection->AdoptStream(std::move(statement));
}

bool RecordsetImpl::LoadWindow(ProviderStatement& statement, std::size_t rows)
{
    std::vector<CellRef> row;
    const std::size_t n = columns_.size();
    for (std::size_t got = 0; got < rows; ++got) {
        if (maxRecords_ > 0 && streamed_ >= static_cast<std::size_t>(maxRecords_))
            return false;
        if (!statement.Step(row))
            return false;
        if (base_ + flags_.size() >= 0xFFFFFFF0u)
            throw EOleException("Cannot read on: the recordset holds more rows than a cursor can address",
                                "vmado.Cursor");
        for (std::size_t c = 0; c < n; ++c)
            columns_[c].Append(row[c]);
        flags_.push_back(0);
        ++streamed_;
    }
    return true;
}

long RecordsetImpl::ReadAhead(long pos)
{
    while (streamId_ != 0 && pos >= static_cast<long>(view_.size())) {
        auto conn = Conn("read the next records");
        std::lock_guard guard(conn->Mutex());
        ProviderStatement* statement = conn->Stream(streamId_);
        if (statement == nullptr)
            throw EOleException("Cannot read the next records: the statement was ended", "vmado.Cursor");
        // Keep the window's last quarter: the rows just behind the cursor stay reachable.
        const std::size_t window = WindowRows();
        const std::size_t held = flags_.size();
        const std::size_t keep = std::min(held, std::max<std::size_t>(1, window / 4));
        const std::size_t drop = held - keep;
        std::vector<Column> next;
        next.reserve(columns_.size());
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            next.emplace_back(settled_[c]);
            for (std::size_t r = drop; r < held; ++r)
                next.back().Append(columns_[c].Get(static_cast<std::uint32_t>(r)));
        }
        columns_.swap(next);
        base_ += static_cast<std::uint32_t>(drop);
        pos -= static_cast<long>(drop);
        pos_ -= static_cast<long>(drop);
        flags_.assign(keep, 0);
        const long current = pos_;
        bool more = false;
        try {
            more = LoadWindow(*statement, window - keep);
        } catch (...) {
            // The rows read before the failure stay and the cursor where it was.
            RebuildView(std::nullopt);
            pos_ = current;
            throw;
        }
        if (!more)
            EndStream();
        RebuildView(std::nullopt);
        pos_ = current;
    }
    return pos;
}

void RecordsetImpl::EndStream() noexcept
{
    if (streamId_ != 0 && conn_)
        conn_->EndStream(streamId_);
    streamId_ = 0;
}

void RecordsetImpl::RestartStream()
{
    auto conn = Conn("move to the first record");
    std::lock_guard guard(conn->Mutex());
    EndStream();
    const Integer command = options_ == adCmdUnspecified ? adCmdUnknown : (options_ & 0x30F);
    auto statement = conn->Link().Prepare(conn->Rewrite(StatementText(source_, command)));
    if (!statement->Execute())
        throw EOleException("Cannot move to the first record: the source no longer yields rows",
                            "vmado.Cursor");
    std::vector<Column> fresh;
    for (const ColumnMeta& meta : settled_)
        fresh.emplace_back(meta);
    columns_.swap(fresh);
    flags_.clear();
    base_ = 0;
    streamed_ = 0;
    const bool more = LoadWindow(*statement, WindowRows());
    RebuildView(std::nullopt);
    if (more)
        streamId_ = conn->AdoptStream(std::move(statement));
}

void RecordsetImpl::CheckWholeResult(const char* what) const
{
    if (streaming_)
        throw EOleException(AnsiString("Cannot ") + what +
                                ": a forward-only server cursor holds only a window of the rows; open "
                                "it with the client cursor location or a static cursor",
                            "vmado.Cursor");
}

void RecordsetImpl::CheckBehindWindow(long pos, const char* what) const
{
    if (streaming_ && base_ > 0 && pos < 0)
        throw EOleException(AnsiString("Cannot ") + what + ": record " + std::to_string(base_ + pos + 1) +
                                " has left the window of " + std::to_string(WindowRows()) +
                                " rows this forward-only cursor holds",
                            "vmado.Cursor");
}

} // namespace vmado::engine
