// Cursor moves, counts and bookmarks: every position is the recordset's, and a bookmark is its
// 32-bit integer stamped behind each buffer's text area.
#include "dataset/DataSetPrivate.h"
#include "dataset/VDB.h"

#include "framework/rtl/SysUtils.h"

#include <cstring>

namespace vmado {

using dataset::ReadInt32;
using dataset::WriteInt32;

void TVADODataSet::InternalFirst()
{
    if (cursorOpen_)
        records_->First();
}

void TVADODataSet::InternalLast()
{
    if (cursorOpen_)
        records_->Last();
}

Integer TVADODataSet::GetRecordCount()
{
    return records_ ? records_->GetRecordCount() : -1;
}

Integer TVADODataSet::GetRecNo()
{
    // The recordset's cursor stands on the last record fetched into the buffers, which is not
    // the active one when a grid shows several: put it on the active record first.
    if (records_ && State() == dsBrowse && !IsEmpty() && cursorOpen_)
        UpdateCursorPos();
    return records_ ? records_->GetRecNo() : -1;
}

void TVADODataSet::GetBookmarkData(TRecordBuffer buffer, void* data)
{
    std::memcpy(data, buffer + bookmarkOffset_, sizeof(Integer));
}

void TVADODataSet::SetBookmarkData(TRecordBuffer buffer, void* data)
{
    if (HoldsRecord(buffer))
        std::memcpy(buffer + bookmarkOffset_, data, sizeof(Integer));
}

TBookmarkFlag TVADODataSet::GetBookmarkFlag(TRecordBuffer buffer)
{
    return static_cast<TBookmarkFlag>(buffer[bookmarkOffset_ + 4]);
}

void TVADODataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value)
{
    buffer[bookmarkOffset_ + 4] = static_cast<char>(value);
}

void TVADODataSet::InternalGotoBookmark(void* bookmark)
{
    if (!cursorOpen_)
        return;
    Integer value;
    std::memcpy(&value, bookmark, sizeof value);
    records_->SetBookmark(value);
}

void TVADODataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    if (records_ != nullptr && buffer != nullptr && HoldsRecord(buffer)) {
        // Every scroll and every blob read lands here, mostly for the record the cursor already
        // stands on and the framework knows it: a move there would only make the next fetch
        // move the cursor back.
        if (cursorOpen_ && CurrentRecord() >= 0 && CurrentRecord() <= BufferCount() &&
            Buffers(CurrentRecord()) == buffer && HoldsEngineRow(buffer)) {
            std::uint32_t row = 0, store = 0;
            std::memcpy(&row, buffer + 1, sizeof row);
            std::memcpy(&store, buffer + 5, sizeof store);
            if (records_->IsOnRow(row, store))
                return;
        }
        records_->SetBookmark(ReadInt32(buffer + bookmarkOffset_));
        // The data events and blob streams call this behind the framework's back: its idea of the
        // cursor's record no longer holds, or its next fetch would step on from this record
        // instead of the last buffer. SetCurrentRecord records the new index itself afterwards.
        CursorPosChanged();
    }
}

void TVADODataSet::InternalBookmark(TBookmarkFlag flag)
{
    const TRecordBuffer active = TDataSet::ActiveBuffer(); // only its bookmark changes
    if (active == nullptr || records_ == nullptr)
        return;
    WriteInt32(active + bookmarkOffset_, records_->GetBookmark());
    active[bookmarkOffset_ + 4] = static_cast<char>(flag);
}

TBookmarkStr TVADODataSet::GetBookmarkStr()
{
    if (!cursorOpen_)
        return {};
    return IntToStr(records_->GetBookmark());
}

void TVADODataSet::SetBookmarkStr(const TBookmarkStr& value)
{
    if (!cursorOpen_)
        return;
    const Integer current = records_->GetBookmark();
    const Integer target = value.empty() ? current : StrToInt(value);
    if (target == current)
        return;
    records_->SetBookmark(target);
    InternalRefresh();
}

void TVADODataSet::InternalRefresh()
{
    Resync(ResyncMode);
}

} // namespace vmado
