// Moving through the records: First, Last and MoveBy scroll the buffer ring and tell the links
// how far it scrolled; Resync rebuilds it around the cursor; bookmarks reposition by the
// descendant's bookmark data.
#include "framework/db/DataSet.h"

#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"

#include <cstring>

namespace vmado {

void TDataSet::First()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        // As the framework's finally block: the controls and AfterScroll hear of it regardless.
        bof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
        throw;
    }
    bof_ = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

void TDataSet::Last()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        eof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
        throw;
    }
    eof_ = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

Integer TDataSet::MoveBy(Integer distance)
{
    CheckBrowseMode();
    Integer result = 0;
    DoBeforeScroll();
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        // How far the ring itself scrolled, negative when records fell off its front: the
        // links shift their windows by it.
        Integer scrollCount = 0;
        auto notify = [&] { DataEvent(deDataSetScroll, scrollCount); };
        try {
            while (distance > 0) {
                if (activeRecord_ < recordCount_ - 1) {
                    ++activeRecord_;
                } else {
                    const Integer shift = recordCount_ < bufferCount_ ? 0 : 1;
                    if (GetNextRecord()) {
                        scrollCount -= shift;
                        if (activeRecord_ < recordCount_ - 1)
                            ++activeRecord_;
                    } else {
                        eof_ = true;
                        break;
                    }
                }
                --distance;
                ++result;
            }
            while (distance < 0) {
                if (activeRecord_ > 0) {
                    --activeRecord_;
                } else {
                    const Integer shift = recordCount_ < bufferCount_ ? 0 : 1;
                    if (GetPriorRecord()) {
                        scrollCount += shift;
                        if (activeRecord_ > 0)
                            --activeRecord_;
                    } else {
                        bof_ = true;
                        break;
                    }
                }
                ++distance;
                --result;
            }
        } catch (...) {
            notify();
            DoAfterScroll();
            throw;
        }
        notify();
        DoAfterScroll();
    }
    return result;
}

void TDataSet::Resync(TResyncMode mode)
{
    CheckActive();
    if (buffers_.empty()) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    TRecordBuffer spare = buffers_.at(recordCount_);
    if (mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK)
            DatabaseError(dbmsg::RecordNotFound, this);
    } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    Integer count = mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveBuffer(recordCount_, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord())
            --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync(TResyncMode{});
}

TBookmark TDataSet::GetBookmark()
{
    TBookmark result;
    if (BookmarkAvailable() && bookmarkSize_ > 0) {
        result.assign(bookmarkSize_, 0);
        GetBookmarkData(ActiveBuffer(), result.data());
    }
    return result;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.empty())
        return;
    CheckBrowseMode();
    DoBeforeScroll();
    // The descendant may read a full bookmark block: hand it one even for short data.
    TBookmark data = bookmark;
    if (static_cast<Integer>(data.size()) < bookmarkSize_)
        data.resize(bookmarkSize_, 0);
    InternalGotoBookmark(data.data());
    Resync(TResyncMode{rmExact, rmCenter});
    DoAfterScroll();
}

Integer TDataSet::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2)
{
    if (bookmark1.empty() || bookmark2.empty())
        return (bookmark1.empty() ? 0 : 1) - (bookmark2.empty() ? 0 : 1);
    return 0;
}

TBookmarkStr TDataSet::GetBookmarkStr()
{
    if (!BookmarkAvailable() || bookmarkSize_ <= 0)
        return {};
    TBookmarkStr result(bookmarkSize_, '\0');
    GetBookmarkData(ActiveBuffer(), result.data());
    return result;
}

void TDataSet::SetBookmarkStr(const TBookmarkStr& value)
{
    GotoBookmark(TBookmark(value.begin(), value.end()));
}

bool TDataSet::Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    return false;
}

Variant TDataSet::Lookup(const AnsiString& keyFields, const Variant& keyValues,
                         const AnsiString& resultFields)
{
    return Variant::Null();
}

} // namespace vmado
