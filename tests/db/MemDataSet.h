// TMemDataSet: a TDataSet over rows held in memory, for tests of anything built on datasets.
// Rows keep every data field in its native format (a has-value byte, then DataSize bytes), blobs
// beside them; bookmarks are stable 32-bit row ids that survive inserts and deletes.
#pragma once

#include "framework/classes/Streams.h"
#include "framework/db/DataSet.h"
#include "framework/db/DataSource.h"
#include "framework/db/FieldDefs.h"
#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vmado::test {

// Supports OnFilterRecord filtering, a master-detail range (MasterSource, MasterFields,
// DetailFields), Locate/Lookup, blob streams and old values while editing.
// Use: put FieldDefs (or persistent fields) in place, Open(), then AppendRecord({...}).
class TMemDataSet : public TDataSet {
public:
    explicit TMemDataSet(TComponent* owner = nullptr) : TDataSet(owner), masterLink_(this)
    {
        masterLink_.OnMasterChange = [this](TObject*) { MasterChanged(); };
        masterLink_.OnMasterDisable = [this](TObject*) { MasterChanged(); };
    }

    ~TMemDataSet() override
    {
        Destroying();
        Close();
    }

    AnsiString ClassName() const override { return "TMemDataSet"; }

    // ---- rows as the tests see them -------------------------------------------------------
    Integer RowCount() const { return static_cast<Integer>(rows_.size()); }
    // The native bytes of row index (in insertion order) and where a data field sits in them:
    // the has-value byte at FieldSlot, the value right after it.
    const std::vector<char>& RowData(Integer index) const { return rows_.at(index).data; }
    Integer FieldSlot(const TField* field) const { return slotOffset_.at(field->FieldNo()); }
    void EmptyDataSet()
    {
        rows_.clear();
        if (Active()) {
            RebuildView();
            First();
        }
    }
    // Re-filters at once when open.
    void SetFiltered(bool value) override
    {
        if (value == Filtered())
            return;
        TDataSet::SetFiltered(value);
        if (Active()) {
            RebuildView();
            First();
        }
    }

    // How often the cursor fetched a record (GetRecord with an OK result), for ring tests.
    Integer FetchCount() const { return fetchCount_; }

    // ---- master-detail --------------------------------------------------------------------
    TDataSource* GetDataSource() override { return masterLink_.DataSource(); }
    TDataSource* MasterSource() const { return masterLink_.DataSource(); }
    void SetMasterSource(TDataSource* value)
    {
        if (IsLinkedTo(value))
            DatabaseError("Circular datalinks are not allowed", this);
        masterLink_.SetDataSource(value);
    }
    const AnsiString& MasterFields() const { return masterLink_.FieldNames(); }
    void SetMasterFields(const AnsiString& value) { masterLink_.SetFieldNames(value); }
    const AnsiString& DetailFields() const { return detailFields_; }
    void SetDetailFields(const AnsiString& value) { detailFields_ = value; }
    TMasterDataLink& MasterLink() { return masterLink_; }
    void GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields) override
    {
        masterFields.clear();
        detailFields.clear();
        if (masterLink_.Active() && !detailFields_.empty()) {
            masterFields = masterLink_.Fields();
            GetFieldList(detailFields, detailFields_);
        }
    }

    // ---- searching --------------------------------------------------------------------------
    bool Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options) override
    {
        CheckBrowseMode();
        const Integer position = FindRow(keyFields, keyValues, options);
        if (position < 0)
            return false;
        DoBeforeScroll();
        cursor_ = position;
        Resync(TResyncMode{rmExact, rmCenter});
        DoAfterScroll();
        return true;
    }

    Variant Lookup(const AnsiString& keyFields, const Variant& keyValues,
                   const AnsiString& resultFields) override
    {
        if (!Active())
            return Variant::Null();
        const Integer position = FindRow(keyFields, keyValues, TLocateOptions{});
        if (position < 0)
            return Variant::Null();
        FilterScope scope(*this, rows_[view_[position]]);
        return FieldValues(resultFields);
    }

    bool BookmarkValid(const TBookmark& bookmark) override
    {
        return Active() && bookmark.size() >= sizeof(std::int32_t) &&
               ViewPosition(IdOf(bookmark.data())) >= 0;
    }

    Integer CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) override
    {
        if (bookmark1.empty() || bookmark2.empty())
            return TDataSet::CompareBookmarks(bookmark1, bookmark2);
        const Integer a = RowIndex(IdOf(bookmark1.data()));
        const Integer b = RowIndex(IdOf(bookmark2.data()));
        return a < b ? -1 : (a > b ? 1 : 0);
    }

    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override
    {
        auto* blob = dynamic_cast<TBlobField*>(field);
        if (blob == nullptr || blob->DataSet() != this)
            throw EInvalidCast("Invalid class typecast");
        return std::make_unique<BlobStream>(*this, *blob, mode);
    }

    bool GetFieldData(TField* field, void* buffer) override
    {
        TRecordBuffer record = ActiveRecBuf();
        if (record == nullptr)
            return false;
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
            const char* slot = record + CalcOffset() + field->Offset();
            if (slot[0] == 0)
                return false;
            if (buffer != nullptr)
                std::memcpy(buffer, slot + 1, static_cast<std::size_t>(field->DataSize()));
            return true;
        }
        if (field->IsBlob()) {
            const auto& blobs = blobCache_.at(record);
            const auto& content = blobs.at(static_cast<std::size_t>(field->Offset()));
            return content.has_value() && !content->empty();
        }
        const char* slot = record + FieldSlot(field);
        if (slot[0] == 0)
            return false;
        if (buffer != nullptr)
            std::memcpy(buffer, slot + 1, static_cast<std::size_t>(field->DataSize()));
        return true;
    }

protected:
    // ---- buffers --------------------------------------------------------------------------
    TRecordBuffer AllocRecordBuffer() override
    {
        auto* buffer = new char[static_cast<std::size_t>(BufferSize())]();
        blobCache_[buffer].assign(static_cast<std::size_t>(BlobFieldCount()), std::nullopt);
        return buffer;
    }

    void FreeRecordBuffer(TRecordBuffer& buffer) override
    {
        blobCache_.erase(buffer);
        delete[] buffer;
        buffer = nullptr;
    }

    Word GetRecordSize() override { return static_cast<Word>(recordSize_); }

    void InternalInitRecord(TRecordBuffer buffer) override
    {
        std::memset(buffer, 0, static_cast<std::size_t>(recordSize_));
        for (auto& content : blobCache_.at(buffer))
            content.reset();
    }

    void ClearCalcFields(TRecordBuffer buffer) override
    {
        if (CalcFieldsSize() > 0)
            std::memset(buffer + CalcOffset(), 0, static_cast<std::size_t>(CalcFieldsSize()));
    }

    void GetBookmarkData(TRecordBuffer buffer, void* data) override
    {
        std::memcpy(data, buffer + recordSize_, sizeof(std::int32_t));
    }

    void SetBookmarkData(TRecordBuffer buffer, void* data) override
    {
        std::memcpy(buffer + recordSize_, data, sizeof(std::int32_t));
    }

    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override
    {
        return static_cast<TBookmarkFlag>(buffer[recordSize_ + 4]);
    }

    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override
    {
        buffer[recordSize_ + 4] = static_cast<char>(value);
    }

    TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override
    {
        const auto count = static_cast<Integer>(view_.size());
        switch (getMode) {
        case gmCurrent:
            if (cursor_ < 0)
                return grBOF;
            if (cursor_ >= count)
                return grEOF;
            break;
        case gmNext:
            if (cursor_ >= count - 1) {
                cursor_ = count;
                return grEOF;
            }
            ++cursor_;
            break;
        case gmPrior:
            if (cursor_ <= 0) {
                cursor_ = -1;
                return grBOF;
            }
            --cursor_;
            break;
        }
        LoadRow(buffer, rows_[view_[cursor_]]);
        ++fetchCount_;
        ClearCalcFields(buffer);
        GetCalcFields(buffer);
        return grOK;
    }

    void SetFieldData(TField* field, void* buffer) override
    {
        TRecordBuffer record = ActiveRecBuf();
        if (record == nullptr)
            DatabaseError("Dataset not in edit or insert mode", this);
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
            char* slot = record + CalcOffset() + field->Offset();
            WriteSlot(slot, buffer, field->DataSize());
        } else {
            WriteSlot(record + FieldSlot(field), buffer, field->DataSize());
        }
        if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
            DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
    }

    // ---- cursor -----------------------------------------------------------------------------
    bool IsCursorOpen() override { return open_; }

    void InternalOpen() override
    {
        InternalInitFieldDefs();
        if (DefaultFields())
            CreateFields();
        BindFields(true);
        std::map<Integer, Integer> slotOffset;
        std::map<Integer, Integer> slotSize;
        Integer offset = 0;
        for (TField* field : *Fields()) {
            if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc)
                continue;
            slotOffset[field->FieldNo()] = offset;
            slotSize[field->FieldNo()] = field->DataSize();
            offset += 1 + field->DataSize();
        }
        // Rows made with another layout mean nothing now.
        if (slotSize != slotSize_ || offset != recordSize_)
            rows_.clear();
        slotOffset_ = std::move(slotOffset);
        slotSize_ = std::move(slotSize);
        recordSize_ = offset;
        SetBookmarkSize(sizeof(std::int32_t));
        open_ = true;
        filterBuffer_ = AllocRecordBuffer();
        oldBuffer_ = AllocRecordBuffer();
        RebuildView();
        cursor_ = -1;
    }

    void InternalClose() override
    {
        if (filterBuffer_ != nullptr)
            FreeRecordBuffer(filterBuffer_);
        if (oldBuffer_ != nullptr)
            FreeRecordBuffer(oldBuffer_);
        oldValid_ = false;
        open_ = false;
        view_.clear();
        BindFields(false);
        if (DefaultFields())
            DestroyFields();
    }

    void InternalInitFieldDefs() override
    {
        if (FieldDefs()->Count() > 0)
            return;
        // Persistent data fields describe the columns when no definitions were given.
        for (TField* field : *Fields())
            if (field->FieldKind() == fkData)
                FieldDefs()->Add(field->FieldName(), field->DataType(),
                                 field->IsBlob() || field->DataType() == ftString ||
                                         field->DataType() == ftBytes || field->DataType() == ftVarBytes
                                     ? field->Size()
                                     : 0,
                                 field->Required());
    }

    void InternalHandleException() override {}
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<Integer>(view_.size()); }

    void InternalGotoBookmark(void* bookmark) override { cursor_ = ViewPosition(IdOf(bookmark)); }

    void InternalSetToRecord(TRecordBuffer buffer) override { InternalGotoBookmark(buffer + recordSize_); }

    void InternalRefresh() override
    {
        const std::int32_t id =
            cursor_ >= 0 && cursor_ < static_cast<Integer>(view_.size()) ? rows_[view_[cursor_]].id : -1;
        RebuildView();
        cursor_ = id >= 0 ? ViewPosition(id) : -1;
    }

    void InternalEdit() override
    {
        std::memcpy(oldBuffer_, ActiveBuffer(), static_cast<std::size_t>(BufferSize()));
        blobCache_.at(oldBuffer_) = blobCache_.at(ActiveBuffer());
        oldValid_ = true;
    }

    void InternalCancel() override { oldValid_ = false; }

    void InternalPost() override
    {
        TRecordBuffer buffer = ActiveBuffer();
        if (State() == dsEdit) {
            Row& row = rows_.at(RowIndex(IdOf(buffer + recordSize_)));
            row.data.assign(buffer, buffer + recordSize_);
            row.blobs = blobCache_.at(buffer);
            oldValid_ = false;
            RebuildView();
            cursor_ = ViewPosition(row.id);
            return;
        }
        Integer before = -1;
        if (GetBookmarkFlag(buffer) == bfInserted)
            before = RowIndex(IdOf(buffer + recordSize_));
        AddRow(buffer, before);
    }

    void InternalAddRecord(void* buffer, bool append) override
    {
        Integer before = -1;
        if (!append && cursor_ >= 0 && cursor_ < static_cast<Integer>(view_.size()))
            before = static_cast<Integer>(view_[cursor_]);
        AddRow(static_cast<TRecordBuffer>(buffer), before);
    }

    void InternalDelete() override
    {
        const Integer index = static_cast<Integer>(view_.at(cursor_));
        rows_.erase(rows_.begin() + index);
        const Integer position = cursor_;
        RebuildView();
        cursor_ = std::min(position, static_cast<Integer>(view_.size()));
    }

    Integer GetRecordCount() override { return open_ ? static_cast<Integer>(view_.size()) : -1; }

    Integer GetRecNo() override
    {
        if (!open_ || IsEmpty() || State() == dsInsert)
            return -1;
        const Integer position = ViewPosition(IdOf(ActiveBuffer() + recordSize_));
        return position < 0 ? -1 : position + 1;
    }

    void SetRecNoValue(Integer value) override
    {
        CheckBrowseMode();
        if (value < 1 || value > static_cast<Integer>(view_.size()))
            return;
        DoBeforeScroll();
        cursor_ = value - 1;
        Resync(TResyncMode{rmCenter});
        DoAfterScroll();
    }

    Variant GetStateFieldValue(TDataSetState state, TField* field) override
    {
        if (state == dsOldValue && State() == dsInsert)
            return Variant::Null();
        return TDataSet::GetStateFieldValue(state, field);
    }

private:
    struct Row {
        std::int32_t id = 0;
        std::vector<char> data;
        std::vector<std::optional<AnsiString>> blobs;
    };

    // Makes a stored row current for field reads (state dsFilter) for the scope's lifetime.
    class FilterScope {
    public:
        FilterScope(TMemDataSet& dataSet, const Row& row) : dataSet_(dataSet)
        {
            dataSet_.LoadRow(dataSet_.filterBuffer_, row);
            saved_ = dataSet_.SetTempState(dsFilter);
        }
        ~FilterScope() { dataSet_.RestoreState(saved_); }
        FilterScope(const FilterScope&) = delete;
        FilterScope& operator=(const FilterScope&) = delete;

    private:
        TMemDataSet& dataSet_;
        TDataSetState saved_ = dsInactive;
    };

    // A blob's content as a stream over a copy; writes go back to the record buffer when the
    // stream is freed, marking the field modified and telling the dataset.
    class BlobStream : public TStream {
    public:
        BlobStream(TMemDataSet& dataSet, TBlobField& field, TBlobStreamMode mode)
            : dataSet_(dataSet), field_(field), mode_(mode)
        {
            if (mode != bmRead) {
                if (field.ReadOnly())
                    DatabaseError("Field '" + field.DisplayName() + "' cannot be modified", &dataSet);
                if (dataSet.State() != dsEdit && dataSet.State() != dsInsert)
                    DatabaseError("Dataset not in edit or insert mode", &dataSet);
            }
            record_ = dataSet.ActiveRecBuf();
            if (record_ != nullptr) {
                const auto& content =
                    dataSet.blobCache_.at(record_).at(static_cast<std::size_t>(field.Offset()));
                if (content.has_value())
                    data_ = *content;
            }
            if (mode == bmWrite) {
                data_.clear();
                modified_ = true;
            }
        }

        ~BlobStream() override
        {
            if (!modified_ || record_ == nullptr)
                return;
            auto found = dataSet_.blobCache_.find(record_);
            if (found == dataSet_.blobCache_.end())
                return;
            found->second.at(static_cast<std::size_t>(field_.Offset())) = data_;
            field_.SetModified(true);
            try {
                dataSet_.DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(&field_));
            } catch (...) {
                // A destructor cannot pass the handler's exception on; the content is stored.
            }
        }

        Int64 Read(void* buffer, Int64 count) override
        {
            if (count <= 0 || position_ >= static_cast<Int64>(data_.size()))
                return 0;
            count = std::min<Int64>(count, static_cast<Int64>(data_.size()) - position_);
            std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(count));
            position_ += count;
            return count;
        }

        Int64 Write(const void* buffer, Int64 count) override
        {
            if (mode_ == bmRead || count <= 0)
                return 0;
            const auto end = static_cast<std::size_t>(position_ + count);
            if (data_.size() < end)
                data_.resize(end, '\0');
            std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
            position_ += count;
            modified_ = true;
            return count;
        }

        Int64 Seek(Int64 offset, Word origin) override
        {
            Int64 target = offset;
            if (origin == soFromCurrent)
                target = position_ + offset;
            else if (origin == soFromEnd)
                target = static_cast<Int64>(data_.size()) + offset;
            else if (origin != soFromBeginning)
                throw EStreamError("Invalid seek origin");
            if (target < 0)
                throw EStreamError("Seek before the start of a blob");
            position_ = target;
            return position_;
        }

    private:
        TMemDataSet& dataSet_;
        TBlobField& field_;
        TBlobStreamMode mode_;
        TRecordBuffer record_ = nullptr;
        AnsiString data_;
        Int64 position_ = 0;
        bool modified_ = false;
    };

    Integer CalcOffset() const { return recordSize_ + 8; }
    Integer BufferSize() const { return CalcOffset() + CalcFieldsSize(); }

    static std::int32_t IdOf(const void* data)
    {
        std::int32_t id;
        std::memcpy(&id, data, sizeof id);
        return id;
    }

    static void WriteSlot(char* slot, const void* buffer, Integer size)
    {
        slot[0] = buffer != nullptr ? 1 : 0;
        if (buffer != nullptr)
            std::memcpy(slot + 1, buffer, static_cast<std::size_t>(size));
        else
            std::memset(slot + 1, 0, static_cast<std::size_t>(size));
    }

    TRecordBuffer ActiveRecBuf()
    {
        switch (State()) {
        case dsBrowse:
            return IsEmpty() ? nullptr : ActiveBuffer();
        case dsEdit:
        case dsInsert:
        case dsNewValue:
        case dsCurValue:
            return ActiveBuffer();
        case dsCalcFields:
        case dsInternalCalc:
            return CalcBuffer();
        case dsFilter:
            return filterBuffer_;
        case dsOldValue:
            return oldValid_ ? oldBuffer_ : (IsEmpty() ? nullptr : ActiveBuffer());
        default:
            return nullptr;
        }
    }

    void LoadRow(TRecordBuffer buffer, const Row& row)
    {
        std::memcpy(buffer, row.data.data(), static_cast<std::size_t>(recordSize_));
        std::memcpy(buffer + recordSize_, &row.id, sizeof row.id);
        buffer[recordSize_ + 4] = static_cast<char>(bfCurrent);
        blobCache_.at(buffer) = row.blobs;
    }

    void AddRow(TRecordBuffer buffer, Integer before)
    {
        Row row;
        row.id = nextId_++;
        row.data.assign(buffer, buffer + recordSize_);
        row.blobs = blobCache_.at(buffer);
        row.blobs.resize(static_cast<std::size_t>(BlobFieldCount()));
        if (before < 0 || before > static_cast<Integer>(rows_.size()))
            rows_.push_back(row);
        else
            rows_.insert(rows_.begin() + before, row);
        RebuildView();
        cursor_ = ViewPosition(row.id);
        if (cursor_ < 0)
            cursor_ = static_cast<Integer>(view_.size());
    }

    Integer RowIndex(std::int32_t id) const
    {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].id == id)
                return static_cast<Integer>(i);
        return -1;
    }

    Integer ViewPosition(std::int32_t id) const
    {
        for (std::size_t i = 0; i < view_.size(); ++i)
            if (rows_[view_[i]].id == id)
                return static_cast<Integer>(i);
        return -1;
    }

    bool InRange()
    {
        if (!masterLink_.Active() || masterLink_.Fields().empty() || detailFields_.empty())
            return true;
        std::vector<TField*> detail;
        GetFieldList(detail, detailFields_);
        const auto& master = masterLink_.Fields();
        for (std::size_t i = 0; i < master.size() && i < detail.size(); ++i)
            if (!(detail[i]->AsVariant() == master[i]->AsVariant()))
                return false;
        return true;
    }

    void RebuildView()
    {
        view_.clear();
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            FilterScope scope(*this, rows_[i]);
            if (!InRange())
                continue;
            bool accept = true;
            if (Filtered() && OnFilterRecord)
                OnFilterRecord(this, accept);
            if (accept)
                view_.push_back(i);
        }
    }

    void MasterChanged()
    {
        if (!Active())
            return;
        CheckBrowseMode();
        RebuildView();
        First();
    }

    static bool TextMatches(const AnsiString& value, const AnsiString& key, TLocateOptions options)
    {
        AnsiString a = value;
        if (options.Contains(loPartialKey))
            a = a.substr(0, key.size());
        return options.Contains(loCaseInsensitive) ? AnsiSameText(a, key) : a == key;
    }

    Integer FindRow(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options)
    {
        std::vector<TField*> fields;
        GetFieldList(fields, keyFields);
        for (std::size_t position = 0; position < view_.size(); ++position) {
            FilterScope scope(*this, rows_[view_[position]]);
            bool match = true;
            for (std::size_t i = 0; i < fields.size() && match; ++i) {
                const Variant key = fields.size() == 1 && !keyValues.IsArray()
                                        ? keyValues
                                        : keyValues.GetElement(static_cast<Integer>(i));
                TField* field = fields[i];
                if (key.IsNull() || key.IsEmpty())
                    match = field->IsNull();
                else if (field->IsNull())
                    match = false;
                else if (dynamic_cast<TStringField*>(field) != nullptr ||
                         dynamic_cast<TMemoField*>(field) != nullptr)
                    match = TextMatches(field->AsString(), VarToStr(key), options);
                else
                    match = field->AsVariant() == key;
            }
            if (match)
                return static_cast<Integer>(position);
        }
        return -1;
    }

    TMasterDataLink masterLink_;
    AnsiString detailFields_;
    std::vector<Row> rows_;
    std::vector<std::size_t> view_;         // indexes into rows_ of the visible rows, in order
    Integer cursor_ = -1;                   // position in view_; -1 before the first, size after the last
    std::map<Integer, Integer> slotOffset_; // FieldNo -> offset of the has-value byte
    std::map<Integer, Integer> slotSize_;   // FieldNo -> DataSize
    Integer recordSize_ = 0;
    std::int32_t nextId_ = 1;
    std::map<const char*, std::vector<std::optional<AnsiString>>> blobCache_;
    TRecordBuffer filterBuffer_ = nullptr;
    TRecordBuffer oldBuffer_ = nullptr;
    bool oldValid_ = false;
    bool open_ = false;
    Integer fetchCount_ = 0;
};

} // namespace vmado::test
