// The record-buffer ring: BufferCount buffers plus one spare at index BufferCount that each
// fetch fills before it is rotated in. Buffers [0, recordCount_) hold consecutive records,
// activeRecord_ is the one fields read, currentRecord_ the one the descendant's cursor is on
// (-1 when unknown).
#include "framework/db/DataSet.h"

#include "framework/db/DataSource.h"
#include "framework/db/Fields.h"

#include <algorithm>

namespace vmado {

TRecordBuffer TDataSet::ActiveBuffer() const
{
    if (activeRecord_ < 0 || activeRecord_ >= static_cast<Integer>(buffers_.size()))
        return nullptr;
    return buffers_[activeRecord_];
}

void TDataSet::SetBufListSize(Integer value)
{
    const auto current = static_cast<Integer>(buffers_.size());
    if (current == value)
        return;
    if (value < current) {
        for (Integer i = value; i < current; ++i)
            FreeRecordBuffer(buffers_[i]);
        buffers_.resize(value);
        return;
    }
    buffers_.reserve(value);
    try {
        while (static_cast<Integer>(buffers_.size()) < value)
            buffers_.push_back(AllocRecordBuffer());
    } catch (...) {
        // Give back what this call allocated, so the list is as it was.
        while (static_cast<Integer>(buffers_.size()) > current) {
            FreeRecordBuffer(buffers_.back());
            buffers_.pop_back();
        }
        throw;
    }
}

void TDataSet::SetBufferCount(Integer value)
{
    if (bufferCount_ == value)
        return;
    std::vector<TDataLink*> links = ActiveLinks();
    auto adjustFirstRecord = [&links](Integer delta) {
        if (delta != 0)
            for (TDataLink* link : links)
                link->firstRecord_ += delta;
    };
    if (bufferCount_ > value && recordCount_ > 0) {
        // Keep the records the links look at: drop from the front up to the first record any
        // link still shows, then from the back.
        Integer delta = activeRecord_;
        for (TDataLink* link : links)
            delta = std::min(delta, link->firstRecord_);
        for (Integer i = 0; i < value; ++i)
            MoveBuffer(i + delta, i);
        activeRecord_ -= delta;
        if (currentRecord_ != -1)
            currentRecord_ -= delta;
        if (recordCount_ > value)
            recordCount_ = value;
        adjustFirstRecord(-delta);
    }
    SetBufListSize(value + 1);
    bufferCount_ = value;
    GetNextRecords();
    adjustFirstRecord(GetPriorRecords());
}

void TDataSet::UpdateBufferCount()
{
    if (!IsCursorOpen())
        return;
    Integer maxBufferCount = 1;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->dataLinks_)
            maxBufferCount = std::max(maxBufferCount, link->BufferCount());
    SetBufferCount(maxBufferCount);
}

void TDataSet::ActivateBuffers()
{
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::ClearBuffers()
{
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::MoveBuffer(Integer curIndex, Integer newIndex)
{
    if (curIndex == newIndex)
        return;
    TRecordBuffer buffer = buffers_.at(curIndex);
    if (curIndex < newIndex)
        std::move(buffers_.begin() + curIndex + 1, buffers_.begin() + newIndex + 1,
                  buffers_.begin() + curIndex);
    else
        std::move_backward(buffers_.begin() + newIndex, buffers_.begin() + curIndex,
                           buffers_.begin() + curIndex + 1);
    buffers_.at(newIndex) = buffer;
}

void TDataSet::SetCurrentRecord(Integer index)
{
    // A descendant whose open made no cursor has no buffers; there is no record to stand on.
    if (currentRecord_ == index || index < 0 || index >= static_cast<Integer>(buffers_.size()))
        return;
    TRecordBuffer buffer = buffers_.at(index);
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(buffer);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    currentRecord_ = index;
}

void TDataSet::UpdateCursorPos()
{
    if (recordCount_ > 0)
        SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord()
{
    if (buffers_.empty())
        return false; // no cursor: the end of the data
    TGetMode getMode = gmNext;
    if (recordCount_ > 0) {
        SetCurrentRecord(recordCount_ - 1);
        // A record being inserted at the end is not in the cursor yet: the cursor's current
        // record is the one after it.
        if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            getMode = gmCurrent;
    }
    const bool ok = FetchInto(buffers_.at(recordCount_), getMode);
    if (ok) {
        if (recordCount_ == 0) {
            ActivateBuffers();
        } else {
            if (recordCount_ < bufferCount_)
                ++recordCount_;
            else
                MoveBuffer(0, recordCount_);
        }
        currentRecord_ = recordCount_ - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord()
{
    if (buffers_.empty())
        return false;
    if (recordCount_ > 0)
        SetCurrentRecord(0);
    const bool ok = FetchInto(buffers_.at(recordCount_), gmPrior);
    if (ok) {
        if (recordCount_ == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(recordCount_, 0);
            if (recordCount_ < bufferCount_) {
                ++recordCount_;
                ++activeRecord_;
            }
        }
        currentRecord_ = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::FetchInto(TRecordBuffer buffer, TGetMode getMode)
{
    try {
        return GetRecord(buffer, getMode, true) == grOK;
    } catch (...) {
        // The descendant's cursor may have moved before it failed: no buffer is known to match it.
        CursorPosChanged();
        throw;
    }
}

Integer TDataSet::GetNextRecords()
{
    Integer result = 0;
    while (recordCount_ < bufferCount_ && GetNextRecord())
        ++result;
    return result;
}

Integer TDataSet::GetPriorRecords()
{
    Integer result = 0;
    while (recordCount_ < bufferCount_ && GetPriorRecord())
        ++result;
    return result;
}

void TDataSet::InitRecord(TRecordBuffer buffer)
{
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::FreeFieldBuffers()
{
    for (TField* field : *fields_)
        field->FreeBuffers();
}

bool TDataSet::BookmarkAvailable()
{
    return (state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert) && !IsEmpty() &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

} // namespace vmado
