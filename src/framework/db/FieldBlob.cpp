// Blob, memo and graphic fields: their content lives outside the record buffer and is read and
// written through the dataset's blob stream; Modified records a write since the record was
// fetched, and FreeBuffers forgets it when the record is left.
#include "framework/db/Fields.h"

#include "framework/classes/Streams.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"

namespace vmado {

namespace {

bool IsBlobType(TFieldType type)
{
    switch (type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
        return true;
    default:
        return false;
    }
}

AnsiString ReadAll(TStream& stream)
{
    AnsiString result(static_cast<std::size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    if (!result.empty())
        stream.ReadBuffer(result.data(), static_cast<Int64>(result.size()));
    return result;
}

} // namespace

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner)
{
    SetDataType(type);
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo)
{
    SetTransliterate(true);
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner, ftGraphic) {}

void TBlobField::CheckTypeSize(Integer value) const
{
    if (value < 0)
        DatabaseError(dbmsg::InvalidFieldSize);
}

void TBlobField::SetFieldType(TFieldType value)
{
    if (IsBlobType(value))
        SetDataType(value);
}

void TBlobField::SetModified(bool value)
{
    modified_ = value;
}

std::unique_ptr<TStream> TBlobField::OpenBlob(TBlobStreamMode mode)
{
    if (DataSet() == nullptr)
        DatabaseError(Format(dbmsg::DataSetMissing, {DisplayName()}));
    std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(this, mode);
    if (!stream)
        DatabaseError(Format(dbmsg::NoBlobStream, {DisplayName()}));
    return stream;
}

bool TBlobField::GetIsNull()
{
    if (modified_)
        return OpenBlob(bmRead)->Size() == 0;
    return TField::GetIsNull();
}

Integer TBlobField::BlobSize()
{
    return static_cast<Integer>(OpenBlob(bmRead)->Size());
}

AnsiString TBlobField::GetAsString()
{
    AnsiString content;
    if (!modified_ && DataSet() != nullptr && DataSet()->ReadBlobContent(this, content))
        return content;
    return ReadAll(*OpenBlob(bmRead));
}

void TBlobField::SetAsString(const AnsiString& value)
{
    std::unique_ptr<TStream> stream = OpenBlob(bmWrite);
    if (!value.empty())
        stream->WriteBuffer(value.data(), static_cast<Int64>(value.size()));
}

void TBlobField::Clear()
{
    OpenBlob(bmWrite);
}

void TBlobField::LoadFromStream(TStream& stream)
{
    OpenBlob(bmWrite)->CopyFrom(stream, 0);
}

void TBlobField::SaveToStream(TStream& stream)
{
    std::unique_ptr<TStream> blob = OpenBlob(bmRead);
    if (blob->Size() > 0)
        stream.CopyFrom(*blob, 0);
}

void TBlobField::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TBlobField::SaveToFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TBlobField::FreeBuffers()
{
    if (modified_) {
        if (DataSet() != nullptr)
            DataSet()->CloseBlob(this);
        modified_ = false;
    }
}

Variant TBlobField::GetAsVariant()
{
    if (IsNull())
        return Variant::Null();
    const AnsiString bytes = GetAsString();
    return VarByteArray(bytes.data(), bytes.size());
}

void TBlobField::SetVarValue(const Variant& value)
{
    if (value.IsArray()) {
        const std::vector<Byte>& bytes = VarArrayBytes(value);
        SetAsString(AnsiString(bytes.begin(), bytes.end()));
    } else {
        SetAsString(value.AsString());
    }
}

void TBlobField::GetText(AnsiString& text, bool displayText)
{
    text = GetClassDesc();
}

Variant TMemoField::GetAsVariant()
{
    AnsiString content;
    bool isNull = false;
    if (!Modified() && DataSet() != nullptr && DataSet()->ReadBlobContent(this, content, &isNull))
        return isNull ? Variant::Null() : Variant(std::move(content));
    if (IsNull())
        return Variant::Null();
    return Variant(GetAsString());
}

void TMemoField::GetText(AnsiString& text, bool displayText)
{
    text = GetClassDesc();
}

void TGraphicField::GetText(AnsiString& text, bool displayText)
{
    text = GetClassDesc();
}

TADTField::TADTField(TComponent* owner) : TField(owner)
{
    SetDataType(ftADT);
}

AnsiString TADTField::GetAsString()
{
    return GetClassDesc();
}

Variant TADTField::GetAsVariant()
{
    return Variant::Null();
}

void TADTField::GetText(AnsiString& text, bool displayText)
{
    text = GetClassDesc();
}

} // namespace vmado
