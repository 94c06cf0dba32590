// Cursor position over the view: BOF/EOF, absolute position, bookmarks (row id + 1, numeric),
// moves and Find. The record deleted last stays current (between its neighbours) until a move.
#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/cursor/StoreRowPrivate.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vmado::engine {

namespace {

bool IsBookmarkVariant(const Variant& v)
{
    const Word t = v.VarType();
    return t == varDouble || t == varSingle || t == varCurrency;
}

} // namespace

bool RecordsetImpl::OnRecord() const
{
    return open_ && !deletedCurrent_ && pos_ >= 0 && pos_ < static_cast<long>(view_.size());
}

std::uint32_t RecordsetImpl::CurrentRow(const char* what) const
{
    CheckOpen(what);
    if (deletedCurrent_)
        throw EOleException(AnsiString("Cannot ") + what + ": the current record has been deleted",
                            "vmado.Cursor");
    if (!OnRecord())
        throw EOleException(AnsiString("Cannot ") + what +
                                ": there is no current record (BOF or EOF is true)",
                            "vmado.Cursor");
    return view_[static_cast<std::size_t>(pos_)];
}

bool RecordsetImpl::Bof() const
{
    CheckOpen("read BOF");
    if (deletedCurrent_)
        return false;
    return view_.empty() || pos_ < 0;
}

bool RecordsetImpl::Eof() const
{
    CheckOpen("read EOF");
    if (deletedCurrent_)
        return false;
    return view_.empty() || pos_ >= static_cast<long>(view_.size());
}

Integer RecordsetImpl::AbsolutePosition() const
{
    CheckOpen("read AbsolutePosition");
    if (deletedCurrent_ || view_.empty())
        return adPosUnknown;
    if (pos_ < 0)
        return adPosBOF;
    if (pos_ >= static_cast<long>(view_.size()))
        return adPosEOF;
    return static_cast<Integer>(base_ + pos_ + 1);
}

void RecordsetImpl::SetAbsolutePosition(Integer value)
{
    CheckOpen("set AbsolutePosition");
    if (streaming_ && value >= 1) {
        const long pos = static_cast<long>(value) - 1 - static_cast<long>(base_);
        CheckBehindWindow(pos, "set AbsolutePosition");
        LeaveRecord();
        SetPosition(pos);
        if (pos_ >= static_cast<long>(view_.size()))
            throw EOleException("Cannot set AbsolutePosition to " + std::to_string(value) +
                                    ": the recordset has only " + std::to_string(base_ + view_.size()) +
                                    " records",
                                "vmado.Cursor");
        return;
    }
    if (value < 1 || value > static_cast<Integer>(view_.size()))
        throw EOleException("Cannot set AbsolutePosition to " + std::to_string(value) +
                                ": the recordset has " + std::to_string(view_.size()) + " records",
                            "vmado.Cursor");
    LeaveRecord();
    SetPosition(value - 1);
}

Integer RecordsetImpl::RecordCount() const
{
    CheckOpen("read RecordCount");
    if (streaming_)
        return -1; // unknown until the statement has been read to its end
    return static_cast<Integer>(view_.size());
}

Variant RecordsetImpl::Bookmark() const
{
    CheckOpen("read the bookmark");
    if (deletedCurrent_)
        return Variant(static_cast<double>(*deletedCurrent_) + 1);
    return Variant(static_cast<double>(CurrentRow("read the bookmark")) + base_ + 1);
}

std::uint32_t RecordsetImpl::RowOfBookmark(const Variant& bookmark, const char* what) const
{
    double v = 0;
    try {
        v = bookmark.AsFloat();
    } catch (const Exception&) {
        throw EOleException(AnsiString("Cannot ") + what + ": the bookmark is not a number", "vmado.Cursor");
    }
    if (streaming_ && v >= 1 && v == std::floor(v)) {
        const double row = v - 1 - base_;
        if (row < 0)
            CheckBehindWindow(static_cast<long>(row), what);
        if (row >= static_cast<double>(flags_.size()))
            throw EOleException(AnsiString("Cannot ") + what + ": record " + VarToStr(bookmark) +
                                    " has not been read yet by this forward-only cursor",
                                "vmado.Cursor");
        return static_cast<std::uint32_t>(row);
    }
    if (!(v >= 1) || v != std::floor(v) || v > static_cast<double>(flags_.size()))
        throw EOleException(AnsiString("Cannot ") + what + ": bookmark " + VarToStr(bookmark) +
                                " does not belong to this recordset",
                            "vmado.Cursor");
    return static_cast<std::uint32_t>(v) - 1;
}

void RecordsetImpl::SetBookmark(const Variant& value)
{
    CheckOpen("set the bookmark");
    const std::uint32_t row = RowOfBookmark(value, "set the bookmark");
    const long pos = PositionOf(row);
    if (pos < 0)
        throw EOleException("Cannot set the bookmark: record " + VarToStr(value) +
                                " is deleted or outside the current filter",
                            "vmado.Cursor");
    LeaveRecord();
    SetPosition(pos);
}

long RecordsetImpl::PositionOf(std::uint32_t row) const
{
    // Unsorted, the view is in row order (rows are only appended, and the view only loses rows or
    // gains the newest as its last): a binary search needs no index of every row.
    if (sortKeys_.empty()) {
        if (!posOf_.empty())
            posOf_ = {};
        const auto it = std::lower_bound(view_.begin(), view_.end(), row);
        return it != view_.end() && *it == row ? static_cast<long>(it - view_.begin()) : -1;
    }
    if (!posValid_) {
        posOf_.assign(flags_.size(), -1);
        for (std::size_t i = 0; i < view_.size(); ++i)
            posOf_[view_[i]] = static_cast<std::int32_t>(i);
        posValid_ = true;
    }
    return row < posOf_.size() ? posOf_[row] : -1;
}

void RecordsetImpl::SetPosition(long pos)
{
    if (streamId_ != 0 && pos >= static_cast<long>(view_.size()))
        pos = ReadAhead(pos);
    const long n = static_cast<long>(view_.size());
    pos_ = pos < -1 ? -1 : (pos > n ? n : pos);
    deletedCurrent_.reset();
}

void RecordsetImpl::LeaveRecord()
{
    if (editMode_ != adEditNone)
        Update(Variant(), Variant());
}

void RecordsetImpl::MoveFirst()
{
    CheckOpen("move to the first record");
    LeaveRecord();
    if (streaming_ && base_ > 0)
        RestartStream();
    SetPosition(0);
}

void RecordsetImpl::MoveLast()
{
    CheckOpen("move to the last record");
    LeaveRecord();
    if (streamId_ != 0)
        SetPosition(LONG_MAX); // reads through to the last row
    SetPosition(static_cast<long>(view_.size()) - (view_.empty() ? 0 : 1));
}

void RecordsetImpl::MoveNext()
{
    CheckOpen("move to the next record");
    LeaveRecord();
    if (deletedCurrent_) {
        SetPosition(pos_);
        return;
    }
    if (Eof())
        throw EOleException("Cannot move to the next record: EOF is already true", "vmado.Cursor");
    SetPosition(pos_ + 1);
}

void RecordsetImpl::MovePrevious()
{
    CheckOpen("move to the previous record");
    LeaveRecord();
    if (deletedCurrent_) {
        SetPosition(pos_ - 1);
        return;
    }
    if (Bof())
        throw EOleException("Cannot move to the previous record: BOF is already true", "vmado.Cursor");
    CheckBehindWindow(pos_ - 1, "move to the previous record");
    SetPosition(pos_ - 1);
}

void RecordsetImpl::Move(Integer numRecords, const Variant& start)
{
    CheckOpen("move");
    LeaveRecord();
    long from = pos_;
    if (!start.IsEmpty() && !start.IsNull()) {
        if (IsBookmarkVariant(start)) {
            from = PositionOf(RowOfBookmark(start, "move"));
            if (from < 0)
                throw EOleException("Cannot move: the start bookmark is outside the current view",
                                    "vmado.Cursor");
        } else {
            switch (start.AsInteger()) {
            case adBookmarkCurrent:
                break;
            case adBookmarkFirst:
                from = 0;
                break;
            case adBookmarkLast:
                from = static_cast<long>(view_.size()) - 1;
                break;
            default:
                throw EOleException("Cannot move: " + VarToStr(start) + " is not a bookmark", "vmado.Cursor");
            }
        }
    } else if (deletedCurrent_) {
        // the deleted record sat just before pos_
        from = numRecords > 0 ? pos_ - 1 : pos_;
    }
    if (numRecords == 0) {
        SetPosition(from);
        return;
    }
    if ((numRecords < 0 && from < 0) || (numRecords > 0 && from >= static_cast<long>(view_.size())))
        throw EOleException("Cannot move " + std::to_string(numRecords) +
                                " records: the cursor is already at " + (numRecords < 0 ? "BOF" : "EOF"),
                            "vmado.Cursor");
    CheckBehindWindow(from + numRecords, "move back");
    SetPosition(from + numRecords);
}

void RecordsetImpl::Find(const AnsiString& criteria, Integer skipRecords, SearchDirectionEnum searchDirection,
                         const Variant& start)
{
    CheckOpen("find a record");
    if (searchDirection != adSearchForward && searchDirection != adSearchBackward)
        throw EOleException("Cannot find a record: " + std::to_string(searchDirection) +
                                " is not a search direction",
                            "vmado.Cursor");
    auto expression = CompileFind(criteria, ColumnInfos());
    if (streaming_ && searchDirection == adSearchBackward)
        throw EOleException("Cannot find a record backward: a forward-only server cursor only reads on",
                            "vmado.Cursor");
    LeaveRecord();
    const long n = static_cast<long>(view_.size());
    long from = pos_;
    if (!start.IsEmpty() && !start.IsNull()) {
        if (IsBookmarkVariant(start)) {
            from = PositionOf(RowOfBookmark(start, "find a record"));
            if (from < 0)
                throw EOleException("Cannot find a record: the start bookmark is outside the current view",
                                    "vmado.Cursor");
        } else {
            const Integer which = start.AsInteger();
            from = which == adBookmarkFirst ? 0 : which == adBookmarkLast ? n - 1 : pos_;
        }
    } else if (deletedCurrent_ && searchDirection == adSearchBackward) {
        from = pos_ - 1;
    }
    const long step = searchDirection == adSearchForward ? 1 : -1;
    from += static_cast<long>(skipRecords) * step;
    if (from < 0 && step > 0)
        from = 0;
    if (from >= n && step < 0)
        from = n - 1;
    StoreRow reader(columns_);
    if (streamId_ != 0) {
        // Reads on through the statement; the window slides under the search.
        for (long i = std::max(from, 0L);; ++i) {
            if (i >= static_cast<long>(view_.size()) && (i = ReadAhead(i)) >= static_cast<long>(view_.size()))
                break;
            reader.Point(view_[static_cast<std::size_t>(i)]);
            if (expression->Matches(reader)) {
                SetPosition(i);
                return;
            }
        }
        SetPosition(static_cast<long>(view_.size()));
        return;
    }
    for (long i = from; i >= 0 && i < n; i += step) {
        reader.Point(view_[static_cast<std::size_t>(i)]);
        if (expression->Matches(reader)) {
            SetPosition(i);
            return;
        }
    }
    SetPosition(step > 0 ? n : -1);
}

} // namespace vmado::engine

namespace vmado::engine {

Integer RecordsetImpl::Status() const
{
    CheckOpen("read the record status");
    if (deletedCurrent_)
        return adRecDeleted;
    const std::uint32_t row = CurrentRow("read the record status");
    const std::uint8_t f = flags_[row];
    if (f & (rfAdding | rfNew))
        return adRecNew;
    if (f & rfPendingDelete)
        return adRecDeleted;
    if (f & rfModified)
        return adRecModified;
    if (editMode_ == adEditInProgress && editRow_ == row)
        return adRecModified;
    return adRecUnmodified;
}

} // namespace vmado::engine
