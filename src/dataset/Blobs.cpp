// Blob fields: content read from the engine record through TVBlobStream, cached byte for byte in
// BlobValues (zero bytes and line breaks included) and sent at post. A stream works on its own copy
// and hands it back when done; a line's object marks loaded content, so a blob holding the text
// NONE is never taken for the "nothing loaded" value.
#include "dataset/DataSetPrivate.h"
#include "dataset/VDB.h"

#include "framework/classes/Application.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vmado {

namespace {

const AnsiString kNone = "NONE";

// The mark on a BlobValues line whose value is content, not the "nothing loaded" placeholder.
TObject* LoadedMark()
{
    static TObject mark;
    return &mark;
}

bool IsTextBlob(TFieldType type)
{
    return type == ftMemo || type == ftFmtMemo || type == ftOraClob;
}

// Text of an engine value as one byte per character: byte arrays as their bytes (at most limit
// of them when limit is not negative), anything else as its text.
AnsiString EngineBytes(const Variant& value, Integer limit)
{
    if (VarIsNullOrEmpty(value))
        return {};
    if (value.IsArray()) {
        const std::vector<Byte>& bytes = VarArrayBytes(value);
        std::size_t n = bytes.size();
        if (limit >= 0)
            n = std::min(n, static_cast<std::size_t>(limit));
        return AnsiString(reinterpret_cast<const char*>(bytes.data()), n);
    }
    return VarToStr(value);
}

// Blob content is measured in 32-bit sizes.
constexpr Int64 kMaxBlobSize = std::numeric_limits<Integer>::max();

} // namespace

// ---- the blob values list -------------------------------------------------------------------------

namespace dataset {

void BlobValueList::Changing()
{
    ++version_;
    TStringList::Changing();
}

Integer BlobValueList::IndexOfBlob(const AnsiString& name)
{
    if (slotsVersion_ != version_ || slotsSeparator_ != NameValueSeparator() ||
        slotsCaseSensitive_ != CaseSensitive()) {
        slots_.clear();
        slotsVersion_ = version_;
        slotsSeparator_ = NameValueSeparator();
        slotsCaseSensitive_ = CaseSensitive();
    }
    for (const Slot& slot : slots_)
        if (slot.Name == name)
            return slot.Index;
    const Integer index = IndexOfName(name);
    slots_.push_back({name, index, {}});
    return index;
}

void BlobValueList::SetValueAt(Integer index, std::string_view value, TObject* object)
{
    // The line's name part as the list has it, from the slot that found the line.
    const AnsiString* prefix = nullptr;
    const bool known = slotsVersion_ == version_;
    if (known)
        for (Slot& slot : slots_)
            if (slot.Index == index) {
                if (slot.Prefix.empty()) {
                    slot.Prefix = Get(index);
                    slot.Prefix.erase(slot.Prefix.find(NameValueSeparator()) + 1);
                }
                prefix = &slot.Prefix;
                break;
            }
    // Rewritten in place: a scan sets a line per blob field of every record.
    const char separator = NameValueSeparator();
    PutInPlace(index, [&](AnsiString& line) {
        if (prefix)
            line.assign(*prefix);
        else
            line.erase(line.find(separator) + 1);
        line.append(value);
    });
    PutObject(index, object);
    // Neither moved a line: what was found is still where it was.
    if (known)
        slotsVersion_ = version_;
}

} // namespace dataset

// ---- the dataset's side ---------------------------------------------------------------------------

std::unique_ptr<TStream> TVADODataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    auto* blob = dynamic_cast<TBlobField*>(field);
    if (!blob) {
        throw EInvalidCast("Field '" + (field ? field->FieldName() : AnsiString("(none)")) +
                           "' is not a blob field; it has no blob stream");
    }
    return std::make_unique<TVBlobStream>(blob, mode);
}

bool TVADODataSet::ReadBlobContent(TField* field, AnsiString& content, bool* isNull)
{
    // Only a text blob of an unchanged engine row in browse state: there the stream would take
    // the stored text as it is and cache it in BlobValues, which is all this does.
    std::uint32_t row = 0, store = 0;
    if (field == nullptr || !IsTextBlob(field->DataType()) || !BrowsedEngineRow(row, store))
        return false;
    std::string_view text;
    bool null = false;
    if (!records_->PeekBlobText(FieldPositionOf(field), row, store, text, null))
        return false;
    if (isNull != nullptr && (*isNull = null))
        return true;
    // What SetBlobData and GetBlobData would do, with one look-up and no temporary copies: the
    // line caches the text ("NONE" when empty) and the read gives back the text itself.
    auto& list = static_cast<dataset::BlobValueList&>(*blobValues_);
    const Integer index = list.IndexOfBlob(field->FieldName());
    if (index < 0) {
        content.clear();
        return true;
    }
    list.SetValueAt(index, text.empty() ? std::string_view(kNone) : text,
                    text.empty() ? nullptr : LoadedMark());
    content.assign(text);
    return true;
}

AnsiString TVADODataSet::GetBlobData(TField* field)
{
    if (!field)
        return {};
    auto& list = static_cast<dataset::BlobValueList&>(*blobValues_);
    const Integer index = list.IndexOfBlob(field->FieldName());
    if (index < 0)
        return {};
    const AnsiString& line = list.Ref(index);
    const std::string_view value = std::string_view(line).substr(line.find(list.NameValueSeparator()) + 1);
    if (value == kNone && list.Objects(index) != LoadedMark())
        return {};
    return AnsiString(value);
}

void TVADODataSet::SetBlobData(TField* field, const AnsiString& value)
{
    if (!field)
        return;
    auto& list = static_cast<dataset::BlobValueList&>(*blobValues_);
    const Integer index = list.IndexOfBlob(field->FieldName());
    if (index < 0)
        return;
    list.SetValueAt(index, value.empty() ? kNone : value, value.empty() ? nullptr : LoadedMark());
}

Variant TVADODataSet::BlobToVariant(TField* field)
{
    if (!field)
        return Variant();
    const TFieldType type = field->DataType();
    const bool text = IsTextBlob(type);
    if (!text && type != ftBlob && type != ftGraphic && type != ftTypedBinary && type != ftOraBlob)
        return Variant();
    const AnsiString content = GetBlobData(field);
    // An emptied blob reads as null through its field, so it is stored as null too.
    if (content.empty())
        return Variant::Null();
    if (text)
        return Variant(content);
    return VarByteArray(content.data(), content.size());
}

// ---- the stream ---------------------------------------------------------------------------------

TVBlobStream::TVBlobStream(TBlobField* field, TBlobStreamMode mode)
    : field_(field), dataSet_(nullptr), mode_(mode)
{
    if (!field_)
        throw EInvalidCast("A blob stream needs a blob field");
    dataSet_ = dynamic_cast<TVADODataSet*>(field_->DataSet());
    if (!dataSet_) {
        throw EInvalidCast("Field '" + field_->FieldName() +
                           "' does not belong to a TVADODataSet; it has no blob stream here");
    }
    if (mode_ != bmRead) {
        const TDataSetState state = dataSet_->State();
        if (state != dsEdit && state != dsInsert && state != dsNewValue)
            DatabaseError("Dataset not in edit or insert mode", dataSet_);
        if (field_->ReadOnly())
            DatabaseError("Field '" + field_->DisplayName() + "' cannot be modified", dataSet_);
    }
    buffer_ = dataSet_->FieldBuffer(); // its bookmark is all the stream needs, not its line
    if (buffer_ && dataSet_->HoldsRecord(buffer_))
        dataSet_->InternalSetToRecord(buffer_);
    opened_ = true;
    if (!field_->Modified()) {
        TVRecords* records = dataSet_->Records();
        const bool onRecord = records && records->Active && records->GetOkRec() && records->State != dsInsert;
        dataSet_->SetBlobData(field_, onRecord ? GetBlobData() : AnsiString());
    }
    content_ = dataSet_->GetBlobData(field_);
    if (mode_ == bmWrite)
        Truncate();
}

TVBlobStream::~TVBlobStream()
{
    if (!modified_)
        return;
    try {
        dataSet_->SetBlobData(field_, content_);
        if (opened_)
            field_->SetModified(true);
        dataSet_->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field_));
    } catch (...) {
        Application()->HandleException(field_);
    }
}

AnsiString TVBlobStream::GetBlobData()
{
    if (!opened_)
        return {};
    TVRecords* records = dataSet_->Records();
    if (!records || !records->Recordset)
        return {};
    // By the position every other field read of this dataset uses; by name when it has none.
    const FieldsPtr fields = records->Recordset->Fields();
    const Integer position = dataSet_->FieldPositionOf(field_);
    const FieldPtr engineField = position >= 0 && position < fields->Count()
                                     ? fields->Item(position)
                                     : fields->Item(field_->FieldName());
    const Variant value = engineField->Value();
    if (VarIsNullOrEmpty(value))
        return {};
    const TFieldType type = field_->DataType();
    return EngineBytes(value, IsTextBlob(type) ? -1 : engineField->ActualSize());
}

Integer TVBlobStream::GetBlobSize()
{
    if (!opened_)
        return 0;
    return static_cast<Integer>(content_.size());
}

Int64 TVBlobStream::Read(void* buffer, Int64 count)
{
    if (!opened_ || count <= 0)
        return 0;
    const Int64 size = static_cast<Int64>(content_.size());
    if (position_ >= size)
        return 0;
    const Int64 n = std::min(count, size - position_);
    std::memcpy(buffer, content_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

void TVBlobStream::CheckWritable()
{
    if (mode_ == bmRead)
        throw EWriteError("Blob stream of field '" + field_->FieldName() + "' is open for reading only");
}

Int64 TVBlobStream::Write(const void* buffer, Int64 count)
{
    if (!opened_ || count <= 0)
        return 0;
    CheckWritable();
    if (position_ + count > kMaxBlobSize)
        throw EWriteError("Blob of field '" + field_->FieldName() + "' would grow past 2 GB");
    const auto pos = static_cast<std::size_t>(position_);
    const auto n = static_cast<std::size_t>(count);
    // A write past the end leaves zero bytes in the gap, as a memory stream does.
    if (content_.size() < pos)
        content_.resize(pos, '\0');
    content_.replace(pos, std::min(n, content_.size() - pos), static_cast<const char*>(buffer), n);
    modified_ = true;
    position_ += count;
    return count;
}

Int64 TVBlobStream::Seek(Int64 offset, Word origin)
{
    Int64 target = 0;
    switch (origin) {
    case soFromBeginning:
        target = offset;
        break;
    case soFromCurrent:
        target = position_ + offset;
        break;
    case soFromEnd:
        target = offset + GetBlobSize();
        break;
    default:
        throw EStreamError("Invalid seek origin " + std::to_string(origin) +
                           " on the blob stream of field '" + field_->FieldName() + "'");
    }
    if (target < 0) {
        throw EStreamError("Seek to " + std::to_string(target) +
                           ", before the start of the blob stream of field '" + field_->FieldName() + "'");
    }
    position_ = target;
    return position_;
}

void TVBlobStream::SetSize(Int64 size)
{
    if (!opened_)
        return;
    if (size < 0 || size > kMaxBlobSize)
        throw EStreamError("Invalid size " + std::to_string(size) + " for the blob stream of field '" +
                           field_->FieldName() + "'");
    CheckWritable();
    content_.resize(static_cast<std::size_t>(size), '\0');
    modified_ = true;
    position_ = std::min(position_, size);
}

void TVBlobStream::Truncate()
{
    if (!opened_)
        return;
    CheckWritable();
    if (content_.size() > static_cast<std::size_t>(position_))
        content_.resize(static_cast<std::size_t>(position_));
    modified_ = true;
}

} // namespace vmado
