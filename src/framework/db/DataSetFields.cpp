// The dataset's side of its fields: finding them by name, binding them to FieldDefs, making
// default fields, converting native values (date/time stamps, BCD) and calculating the
// calculated and lookup fields, which live in their own area behind a record's data.
#include "framework/db/DataSet.h"

#include "framework/classes/Streams.h"
#include "framework/classes/Strings.h"
#include "framework/db/FieldDefs.h"
#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Format.h"

#include <cstring>

namespace vmado {

namespace {

template <class T> TField* MakeField(TComponent* owner)
{
    return new T(owner);
}

bool NeedsConversion(TFieldType type)
{
    return type == ftDate || type == ftTime || type == ftDateTime || type == ftBCD;
}

enum class TypeFamily { Text, Integer, Blob, Other };

TypeFamily FamilyOf(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
        return TypeFamily::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return TypeFamily::Integer;
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
        return TypeFamily::Blob;
    default:
        return TypeFamily::Other;
    }
}

bool CompatibleTypes(TFieldType fieldType, TFieldType defType)
{
    if (fieldType == defType)
        return true;
    const TypeFamily family = FamilyOf(fieldType);
    return family != TypeFamily::Other && family == FamilyOf(defType);
}

bool IsCalcFieldType(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftBytes:
    case ftVarBytes:
    case ftAutoInc:
    case ftLargeint:
    case ftFixedChar:
    case ftWideString:
        return true;
    default:
        return false;
    }
}

} // namespace

Integer TDataSet::FieldCount() const
{
    return fields_->Count();
}

TField* TDataSet::FindField(const AnsiString& fieldName) const
{
    return fields_->FindField(fieldName);
}

TField* TDataSet::FieldByName(const AnsiString& fieldName) const
{
    TField* field = FindField(fieldName);
    if (field == nullptr)
        DatabaseError(Format(dbmsg::FieldNotFound, {fieldName}), this);
    return field;
}

TField* TDataSet::FieldByNumber(Integer fieldNo) const
{
    return fields_->FieldByNumber(fieldNo);
}

void TDataSet::GetFieldList(std::vector<TField*>& list, const AnsiString& fieldNames) const
{
    std::size_t pos = 0;
    while (pos < fieldNames.size()) {
        AnsiString name = ExtractFieldName(fieldNames, pos);
        if (!name.empty() || pos < fieldNames.size())
            list.push_back(FieldByName(name));
    }
}

void TDataSet::GetFieldNames(TStrings* list) const
{
    fields_->GetFieldNames(list);
}

Variant TDataSet::FieldValues(const AnsiString& fieldNames) const
{
    if (fieldNames.find(';') == AnsiString::npos)
        return FieldByName(fieldNames)->Value();
    std::vector<TField*> list;
    GetFieldList(list, fieldNames);
    std::vector<Variant> values;
    values.reserve(list.size());
    for (TField* field : list)
        values.push_back(field->Value());
    return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const AnsiString& fieldNames, const Variant& value)
{
    if (fieldNames.find(';') == AnsiString::npos) {
        FieldByName(fieldNames)->SetValue(value);
        return;
    }
    std::vector<TField*> list;
    GetFieldList(list, fieldNames);
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i]->SetValue(value.GetElement(static_cast<Integer>(i)));
}

void TDataSet::SetFieldDefs(const TFieldDefs* value)
{
    fieldDefs_->Assign(value);
}

void TDataSet::InitFieldDefs()
{
    if (IsCursorOpen()) {
        InternalInitFieldDefs();
    } else {
        try {
            OpenCursor(true);
        } catch (...) {
            CloseCursor();
            throw;
        }
        CloseCursor();
    }
    fieldDefs_->SetUpdated(true);
}

TFieldClass TDataSet::GetFieldClass(TFieldType fieldType)
{
    switch (fieldType) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return &MakeField<TStringField>;
    case ftGuid:
        return &MakeField<TGuidField>;
    case ftSmallint:
        return &MakeField<TSmallintField>;
    case ftInteger:
        return &MakeField<TIntegerField>;
    case ftWord:
        return &MakeField<TWordField>;
    case ftAutoInc:
        return &MakeField<TAutoIncField>;
    case ftLargeint:
        return &MakeField<TLargeintField>;
    case ftBoolean:
        return &MakeField<TBooleanField>;
    case ftFloat:
        return &MakeField<TFloatField>;
    case ftCurrency:
        return &MakeField<TCurrencyField>;
    case ftBCD:
        return &MakeField<TBCDField>;
    case ftFMTBcd:
        return &MakeField<TFMTBCDField>;
    case ftDate:
        return &MakeField<TDateField>;
    case ftTime:
        return &MakeField<TTimeField>;
    case ftDateTime:
        return &MakeField<TDateTimeField>;
    case ftBytes:
        return &MakeField<TBytesField>;
    case ftVarBytes:
        return &MakeField<TVarBytesField>;
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return &MakeField<TBlobField>;
    case ftMemo:
    case ftOraClob:
        return &MakeField<TMemoField>;
    case ftGraphic:
        return &MakeField<TGraphicField>;
    case ftADT:
        return &MakeField<TADTField>;
    default:
        return nullptr;
    }
}

// ---- native values -----------------------------------------------------------------------

bool TDataSet::GetFieldData(TField* field, void* buffer)
{
    return false;
}

bool TDataSet::GetFieldData(Integer fieldNo, void* buffer)
{
    TField* field = FieldByNumber(fieldNo);
    return field != nullptr && GetFieldData(field, buffer);
}

bool TDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat)
{
    if (nativeFormat || buffer == nullptr || !NeedsConversion(field->DataType()))
        return GetFieldData(field, buffer);
    alignas(8) char temp[16] = {};
    const bool result = GetFieldData(field, temp);
    if (result)
        DataConvert(field, temp, buffer, false);
    return result;
}

void TDataSet::SetFieldData(TField* field, void* buffer, bool nativeFormat)
{
    if (nativeFormat || buffer == nullptr || !NeedsConversion(field->DataType())) {
        SetFieldData(field, buffer);
        return;
    }
    alignas(8) char temp[16] = {};
    DataConvert(field, buffer, temp, true);
    SetFieldData(field, temp);
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative)
{
    const TFieldType type = field->DataType();
    if (type == ftBCD) {
        // Native: double; outside: Currency.
        if (toNative) {
            Currency value;
            std::memcpy(&value, source, sizeof value);
            const double d = value.ToDouble();
            std::memcpy(dest, &d, sizeof d);
        } else {
            double d;
            std::memcpy(&d, source, sizeof d);
            const Currency value = Currency::FromDouble(d);
            std::memcpy(dest, &value, sizeof value);
        }
        return;
    }
    if (type != ftDate && type != ftTime && type != ftDateTime)
        return;
    if (toNative) {
        TDateTime value;
        std::memcpy(&value, source, sizeof value);
        const TTimeStamp stamp = DateTimeToTimeStamp(value);
        if (type == ftDate) {
            std::memcpy(dest, &stamp.Date, sizeof stamp.Date);
        } else if (type == ftTime) {
            std::memcpy(dest, &stamp.Time, sizeof stamp.Time);
        } else {
            const double msecs = TimeStampToMSecs(stamp);
            std::memcpy(dest, &msecs, sizeof msecs);
        }
        return;
    }
    TTimeStamp stamp;
    if (type == ftDate) {
        std::memcpy(&stamp.Date, source, sizeof stamp.Date);
        stamp.Time = 0;
    } else if (type == ftTime) {
        stamp.Date = DateDelta;
        std::memcpy(&stamp.Time, source, sizeof stamp.Time);
    } else {
        double msecs;
        std::memcpy(&msecs, source, sizeof msecs);
        stamp = MSecsToTimeStamp(msecs);
    }
    const TDateTime value = TimeStampToDateTime(stamp);
    std::memcpy(dest, &value, sizeof value);
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    return nullptr;
}

Integer TDataSet::GetBlobFieldData(Integer fieldNo, std::vector<Byte>& buffer)
{
    buffer.clear();
    TField* field = FieldByNumber(fieldNo);
    if (field == nullptr)
        return 0;
    std::unique_ptr<TStream> stream = CreateBlobStream(field, bmRead);
    if (!stream)
        return 0;
    buffer.resize(static_cast<std::size_t>(stream->Size()));
    if (!buffer.empty())
        stream->ReadBuffer(buffer.data(), static_cast<Int64>(buffer.size()));
    return static_cast<Integer>(buffer.size());
}

Variant TDataSet::GetStateFieldValue(TDataSetState state, TField* field)
{
    if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc)
        return Variant::Null();
    const TDataSetState saved = SetTempState(state);
    try {
        Variant result = field->AsVariant();
        RestoreState(saved);
        return result;
    } catch (...) {
        RestoreState(saved);
        throw;
    }
}

void TDataSet::SetStateFieldValue(TDataSetState state, TField* field, const Variant& value)
{
    if (field->FieldKind() != fkData)
        return;
    const TDataSetState saved = SetTempState(state);
    try {
        field->SetAsVariant(value);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

// ---- calculated fields ---------------------------------------------------------------------

void TDataSet::GetCalcFields(TRecordBuffer buffer)
{
    if (calcFieldsSize_ <= 0 && !internalCalcFields_)
        return;
    const TDataSetState saved = SetTempState(dsCalcFields);
    try {
        CalculateFields(buffer);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

void TDataSet::CalculateFields(TRecordBuffer buffer)
{
    calcBuffer_ = buffer;
    if (state_ != dsInternalCalc) {
        ClearCalcFields(calcBuffer_);
        for (TField* field : *fields_)
            if (field->FieldKind() == fkLookup)
                field->CalcLookupValue();
    }
    DoOnCalcFields();
}

// ---- binding ---------------------------------------------------------------------------------

void TDataSet::BindFields(bool binding)
{
    calcFieldsSize_ = 0;
    blobFieldCount_ = 0;
    internalCalcFields_ = false;
    for (TField* field : *fields_) {
        if (!binding) {
            field->fieldNo_ = 0;
            continue;
        }
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
            if (!IsCalcFieldType(field->DataType()))
                DatabaseError(Format(dbmsg::InvalidCalcType, {field->DisplayName()}), this);
            field->fieldNo_ = -1;
            field->offset_ = calcFieldsSize_;
            calcFieldsSize_ += field->DataSize() + 1;
            continue;
        }
        TFieldDef* def = fieldDefs_->FindDef(field->FieldName());
        if (def == nullptr)
            DatabaseError(Format(dbmsg::FieldNotFound, {field->DisplayName()}), this);
        if (!CompatibleTypes(field->DataType(), def->DataType()))
            DatabaseError(
                Format(dbmsg::FieldTypeMismatch, {field->DisplayName(), FieldTypeName(field->DataType()),
                                                  FieldTypeName(def->DataType())}),
                this);
        field->fieldNo_ = def->FieldNo();
        if (field->FieldKind() == fkInternalCalc)
            internalCalcFields_ = true;
        if (field->IsBlob()) {
            field->offset_ = blobFieldCount_;
            ++blobFieldCount_;
        }
    }
}

void TDataSet::CreateFields()
{
    for (Integer i = 0; i < fieldDefs_->Count(); ++i) {
        TFieldDef* def = fieldDefs_->Items(i);
        if (def->DataType() != ftUnknown &&
            !(def->Attributes().Contains(faHiddenCol) && !fieldDefs_->HiddenFields()))
            def->CreateField(this);
    }
}

void TDataSet::DestroyFields()
{
    fields_->Clear();
}

void TDataSet::CheckFieldName(const AnsiString& fieldName) const
{
    fields_->CheckFieldName(fieldName);
}

void TDataSet::AddField(TField* field)
{
    fields_->Add(field);
    DataEvent(deFieldListChange, 0);
}

void TDataSet::RemoveField(TField* field)
{
    fields_->Remove(field);
    if (!ComponentState().Contains(csDestroying))
        DataEvent(deFieldListChange, 0);
}

} // namespace vmado
