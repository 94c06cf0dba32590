// TField: identity and binding, presentation, the native-value gateway to the dataset
// (GetData/SetData with the state, read-only and validation checks), and lookup calculation.
#include "framework/db/Fields.h"

#include "framework/db/FieldDefs.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <cstring>

namespace vmado {

AnsiString FieldTypeName(TFieldType type)
{
    static const char* const names[] = {
        "Unknown",     "String",    "SmallInt",  "Integer",    "Word",     "Boolean",    "Float",
        "Currency",    "BCD",       "Date",      "Time",       "DateTime", "Bytes",      "VarBytes",
        "AutoInc",     "Blob",      "Memo",      "Graphic",    "FmtMemo",  "ParadoxOle", "dBaseOle",
        "TypedBinary", "Cursor",    "FixedChar", "WideString", "Largeint", "ADT",        "Array",
        "Reference",   "DataSet",   "OraBlob",   "OraClob",    "Variant",  "Interface",  "IDispatch",
        "Guid",        "TimeStamp", "FMTBcd"};
    const auto index = static_cast<std::size_t>(type);
    return index < std::size(names) ? names[index] : "Unknown";
}

Word FieldTypeVarType(TFieldType type)
{
    switch (type) {
    case ftUnknown:
        return varEmpty;
    case ftString:
    case ftFixedChar:
    case ftGuid:
    case ftMemo:
    case ftFmtMemo:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftBytes:
    case ftVarBytes:
    case ftOraBlob:
    case ftOraClob:
    case ftFMTBcd: // the exact decimal's text
        return varString;
    case ftWideString:
        return varOleStr;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return varInteger;
    case ftLargeint:
        return varInt64;
    case ftBoolean:
        return varBoolean;
    case ftFloat:
        return varDouble;
    case ftCurrency:
    case ftBCD:
        return varCurrency;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return varDate;
    case ftVariant:
        return varVariant;
    default:
        return varError;
    }
}

namespace internal {

bool NeedsNativeConversion(TFieldType type)
{
    return type == ftDate || type == ftTime || type == ftDateTime || type == ftBCD;
}

} // namespace internal

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField()
{
    if (dataSet_ != nullptr) {
        TDataSet* dataSet = dataSet_;
        try {
            dataSet->Close();
        } catch (...) {
            // Going away regardless; the dataset is closed as far as it could be.
        }
        dataSet->RemoveField(this);
        dataSet_ = nullptr;
    }
}

void TField::Assign(const TPersistent* source)
{
    if (const auto* field = dynamic_cast<const TField*>(source)) {
        SetValue(const_cast<TField*>(field)->Value());
        return;
    }
    TComponent::Assign(source);
}

void TField::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == lookupDataSet_)
        lookupDataSet_ = nullptr;
}

// ---- identity ------------------------------------------------------------------------------

void TField::CheckInactive() const
{
    if (dataSet_ != nullptr)
        dataSet_->CheckInactive();
}

void TField::SetDataSet(TDataSet* value)
{
    if (value == dataSet_)
        return;
    if (dataSet_ != nullptr)
        dataSet_->CheckInactive();
    if (value != nullptr) {
        value->CheckInactive();
        value->CheckFieldName(fieldName_);
    }
    if (dataSet_ != nullptr)
        dataSet_->RemoveField(this);
    dataSet_ = value;
    if (value != nullptr)
        value->AddField(this);
}

void TField::SetFieldName(const AnsiString& value)
{
    if (value == fieldName_)
        return;
    if (dataSet_ != nullptr && !AnsiSameText(value, fieldName_))
        dataSet_->CheckFieldName(value);
    fieldName_ = value;
    if (displayLabel_ == value)
        displayLabel_.clear();
    if (dataSet_ != nullptr)
        dataSet_->DataEvent(deFieldListChange, 0);
}

void TField::SetFieldKind(TFieldKind value)
{
    if (value == fieldKind_)
        return;
    CheckInactive();
    fieldKind_ = value;
}

void TField::SetSize(Integer value)
{
    if (value == size_)
        return;
    CheckInactive();
    CheckTypeSize(value);
    size_ = value;
}

void TField::CheckTypeSize(Integer value) const
{
    if (value != 0)
        DatabaseError(dbmsg::InvalidFieldSize);
}

Integer TField::Index() const
{
    return dataSet_ != nullptr ? dataSet_->Fields()->IndexOf(this) : -1;
}

void TField::SetIndex(Integer value)
{
    if (dataSet_ != nullptr)
        dataSet_->Fields()->SetFieldIndex(this, value);
}

// ---- presentation --------------------------------------------------------------------------

void TField::PropertyChanged(bool layoutAffected)
{
    if (dataSet_ != nullptr && dataSet_->Active())
        dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const AnsiString& value)
{
    const AnsiString label = value == fieldName_ ? AnsiString() : value;
    if (label == displayLabel_)
        return;
    displayLabel_ = label;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(Integer value)
{
    if (value == displayWidth_)
        return;
    displayWidth_ = value;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    PropertyChanged(false);
}

void TField::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    PropertyChanged(true);
}

bool TField::CanModify()
{
    if (dataSet_ == nullptr || fieldNo_ <= 0)
        return false;
    if (dataSet_->State() == dsSetKey)
        return IsIndexField();
    return !readOnly_ && dataSet_->CanModify();
}

AnsiString TField::DisplayText()
{
    AnsiString result;
    if (OnGetText)
        OnGetText(this, result, true);
    else
        GetText(result, true);
    return result;
}

AnsiString TField::Text()
{
    AnsiString result;
    if (OnGetText)
        OnGetText(this, result, false);
    else
        GetText(result, false);
    return result;
}

void TField::SetText(const AnsiString& value)
{
    if (OnSetText)
        OnSetText(this, value);
    else
        SetTextValue(value);
}

void TField::GetText(AnsiString& text, bool displayText)
{
    text = GetAsString();
}

// ---- native access --------------------------------------------------------------------------

bool TField::GetData(void* buffer, bool nativeFormat)
{
    if (dataSet_ == nullptr)
        DatabaseError(Format(dbmsg::DataSetMissing, {DisplayName()}));
    if (validating_) {
        const bool result = valueBuffer_ != nullptr;
        if (result && buffer != nullptr) {
            if (!nativeFormat && internal::NeedsNativeConversion(dataType_))
                dataSet_->DataConvert(this, valueBuffer_, buffer, false);
            else
                std::memcpy(buffer, valueBuffer_, static_cast<std::size_t>(DataSize()));
        }
        return result;
    }
    return dataSet_->GetFieldData(this, buffer, nativeFormat);
}

void TField::SetData(void* buffer, bool nativeFormat)
{
    if (dataSet_ == nullptr)
        DatabaseError(Format(dbmsg::DataSetMissing, {DisplayName()}));
    const TDataSetState state = dataSet_->State();
    if (!IsWriteState(state))
        DatabaseError(dbmsg::NotEditing, dataSet_);
    const bool dataKind = fieldKind_ == fkData || fieldKind_ == fkInternalCalc;
    if (dataKind && readOnly_ && state != dsSetKey && state != dsFilter)
        DatabaseError(Format(dbmsg::FieldReadOnly, {DisplayName()}), dataSet_);
    // Work on the native form from here on, so that OnValidate and the dataset see one value.
    alignas(8) char temp[16] = {};
    void* native = buffer;
    if (buffer != nullptr && !nativeFormat && internal::NeedsNativeConversion(dataType_)) {
        dataSet_->DataConvert(this, buffer, temp, true);
        native = temp;
    }
    if (dataKind && state != dsCalcFields && state != dsFilter && state != dsInternalCalc)
        Validate(native);
    dataSet_->SetFieldData(this, native);
}

void TField::Validate(void* buffer)
{
    if (!OnValidate)
        return;
    void* savedBuffer = valueBuffer_;
    const bool savedValidating = validating_;
    valueBuffer_ = buffer;
    validating_ = true;
    try {
        OnValidate(this);
    } catch (...) {
        valueBuffer_ = savedBuffer;
        validating_ = savedValidating;
        throw;
    }
    valueBuffer_ = savedBuffer;
    validating_ = savedValidating;
}

void TField::Change()
{
    if (OnChange)
        OnChange(this);
}

void TField::DataChanged()
{
    if (dataSet_ != nullptr)
        dataSet_->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(this));
}

void TField::FocusControl()
{
    if (dataSet_ != nullptr && dataSet_->Active()) {
        TField* field = this;
        dataSet_->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
    }
}

bool TField::IsNull()
{
    return GetIsNull();
}

void TField::Clear()
{
    SetData(nullptr);
}

// ---- conversions every class may refuse --------------------------------------------------

void TField::AccessError(const AnsiString& typeName) const
{
    DatabaseError(Format(dbmsg::FieldAccessError, {DisplayName(), typeName}));
}

void TField::RangeError(double value, double min, double max) const
{
    DatabaseError(
        Format(dbmsg::FieldRangeError, {FloatToStr(value), DisplayName(), FloatToStr(min), FloatToStr(max)}));
}

AnsiString TField::GetClassDesc()
{
    AnsiString name = ClassName();
    if (name.size() > 1 && name[0] == 'T')
        name.erase(0, 1);
    if (name.size() > 5 && CompareText(name.substr(name.size() - 5), "Field") == 0)
        name.erase(name.size() - 5);
    AnsiString result = "(" + name + ")";
    return IsNull() ? result : AnsiUpperCase(result);
}

AnsiString TField::GetAsString()
{
    return GetClassDesc();
}

Integer TField::GetAsInteger()
{
    AccessError("Integer");
}
Int64 TField::GetAsLargeInt()
{
    AccessError("Largeint");
}
double TField::GetAsFloat()
{
    AccessError("Float");
}
Currency TField::GetAsCurrency()
{
    return Currency::FromDouble(GetAsFloat());
}
bool TField::GetAsBoolean()
{
    AccessError("Boolean");
}
TDateTime TField::GetAsDateTime()
{
    AccessError("DateTime");
}
Variant TField::GetAsVariant()
{
    AccessError("Variant");
}

void TField::SetAsString(const AnsiString& value)
{
    AccessError("String");
}
void TField::SetAsInteger(Integer value)
{
    AccessError("Integer");
}
void TField::SetAsLargeInt(Int64 value)
{
    SetAsInteger(static_cast<Integer>(value));
}
void TField::SetAsFloat(double value)
{
    AccessError("Float");
}
void TField::SetAsCurrency(Currency value)
{
    SetAsFloat(value.ToDouble());
}
void TField::SetAsBoolean(bool value)
{
    AccessError("Boolean");
}
void TField::SetAsDateTime(TDateTime value)
{
    AccessError("DateTime");
}
void TField::SetVarValue(const Variant& value)
{
    AccessError("Variant");
}

void TField::SetAsVariant(const Variant& value)
{
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else
        SetVarValue(value);
}

Variant TField::OldValue()
{
    return dataSet_ != nullptr ? dataSet_->GetStateFieldValue(dsOldValue, this) : Variant::Null();
}

Variant TField::NewValue()
{
    return dataSet_ != nullptr ? dataSet_->GetStateFieldValue(dsNewValue, this) : Variant::Null();
}

void TField::SetNewValue(const Variant& value)
{
    if (dataSet_ != nullptr)
        dataSet_->SetStateFieldValue(dsNewValue, this, value);
}

Variant TField::CurValue()
{
    return dataSet_ != nullptr ? dataSet_->GetStateFieldValue(dsCurValue, this) : Variant::Null();
}

// ---- lookup ------------------------------------------------------------------------------

void TField::SetLookupDataSet(TDataSet* value)
{
    if (value == lookupDataSet_)
        return;
    CheckInactive();
    if (lookupDataSet_ != nullptr)
        RemoveFreeNotification(lookupDataSet_);
    lookupDataSet_ = value;
    if (value != nullptr)
        FreeNotification(value);
}

void TField::CalcLookupValue()
{
    if (lookupDataSet_ != nullptr && lookupDataSet_->Active())
        SetValue(
            lookupDataSet_->Lookup(lookupKeyFields_, dataSet_->FieldValues(keyFields_), lookupResultField_));
}

} // namespace vmado
