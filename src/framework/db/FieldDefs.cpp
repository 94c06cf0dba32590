// TFieldDefs/TFieldDef: column descriptions kept in a collection owned by the dataset; a
// definition makes its default field through the dataset's field class for its type.
#include "framework/db/FieldDefs.h"

#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

namespace vmado {

TFieldDef::TFieldDef(TCollection* owner) : TCollectionItem(owner) {}

TFieldDef::TFieldDef(TFieldDefs* owner, const AnsiString& name, TFieldType dataType, Integer size,
                     bool required, Integer fieldNo)
    : TCollectionItem(nullptr)
{
    // Check the name before joining, so a refused definition never sits in the collection.
    if (owner != nullptr && owner->IndexOf(name) >= 0)
        DatabaseError(Format(dbmsg::DuplicateName, {name, owner->ClassName()}), owner->DataSet());
    name_ = name;
    dataType_ = dataType;
    size_ = size;
    fieldNo_ = fieldNo;
    if (required)
        attributes_.Include(faRequired);
    SetCollection(owner);
}

TFieldDefs* TFieldDef::Owner() const
{
    return dynamic_cast<TFieldDefs*>(Collection());
}

TDataSet* TFieldDef::DataSet() const
{
    TFieldDefs* owner = Owner();
    return owner != nullptr ? owner->DataSet() : nullptr;
}

void TFieldDef::Assign(const TPersistent* source)
{
    if (const auto* def = dynamic_cast<const TFieldDef*>(source)) {
        if (Collection() != nullptr)
            Collection()->BeginUpdate();
        try {
            SetName(def->name_);
            dataType_ = def->dataType_;
            size_ = def->size_;
            precision_ = def->precision_;
            attributes_ = def->attributes_;
            fieldNo_ = def->fieldNo_;
        } catch (...) {
            if (Collection() != nullptr)
                Collection()->EndUpdate();
            throw;
        }
        if (Collection() != nullptr)
            Collection()->EndUpdate();
        return;
    }
    TCollectionItem::Assign(source);
}

void TFieldDef::SetName(const AnsiString& value)
{
    if (value == name_)
        return;
    if (TFieldDefs* owner = Owner(); owner != nullptr) {
        const Integer index = owner->IndexOf(value);
        if (index >= 0 && owner->Items(index) != this)
            DatabaseError(Format(dbmsg::DuplicateName, {value, owner->ClassName()}), owner->DataSet());
    }
    name_ = value;
    Changed(false);
}

void TFieldDef::SetDataType(TFieldType value)
{
    if (value == dataType_)
        return;
    dataType_ = value;
    Changed(false);
}

void TFieldDef::SetSize(Integer value)
{
    if (value == size_)
        return;
    if (value < 0)
        DatabaseError(dbmsg::InvalidFieldSize);
    size_ = value;
    Changed(false);
}

void TFieldDef::SetPrecision(Integer value)
{
    if (value == precision_)
        return;
    precision_ = value;
    Changed(false);
}

void TFieldDef::SetRequired(bool value)
{
    if (value == Required())
        return;
    if (value)
        attributes_.Include(faRequired);
    else
        attributes_.Exclude(faRequired);
    Changed(false);
}

void TFieldDef::SetAttributes(TFieldAttributes value)
{
    if (value == attributes_)
        return;
    attributes_ = value;
    Changed(false);
}

TFieldClass TFieldDef::FieldClass() const
{
    TDataSet* dataSet = DataSet();
    return dataSet != nullptr ? dataSet->GetFieldClass(dataType_) : nullptr;
}

TField* TFieldDef::CreateField(TComponent* owner, const AnsiString& fieldName, bool checkName)
{
    TFieldClass make = FieldClass();
    if (make == nullptr)
        DatabaseError(Format(dbmsg::UnknownFieldType, {name_}), DataSet());
    TField* field = make(owner);
    try {
        if (field->dataType_ != dataType_)
            field->SetFieldType(dataType_);
        if (field->dataType_ != dataType_)
            DatabaseError(Format(dbmsg::UnknownFieldType, {name_}), DataSet());
        if (field->IsBlob() || field->dataType_ == ftString || field->dataType_ == ftFixedChar ||
            field->dataType_ == ftWideString || (field->dataType_ == ftGuid && size_ != 0) ||
            field->dataType_ == ftBytes || field->dataType_ == ftVarBytes ||
            dynamic_cast<TFMTBCDField*>(field) != nullptr ||
            (dynamic_cast<TBCDField*>(field) != nullptr && size_ != 0))
            field->SetSize(size_);
        field->SetFieldName(fieldName.empty() ? name_ : fieldName);
        field->SetRequired(Required());
        field->SetReadOnly(attributes_.Contains(faReadonly));
        if (auto* bcd = dynamic_cast<TBCDField*>(field))
            bcd->SetPrecision(precision_);
        if (auto* fmt = dynamic_cast<TFMTBCDField*>(field); fmt != nullptr && precision_ > 0)
            fmt->SetPrecision(precision_);
        if (auto* text = dynamic_cast<TStringField*>(field); text != nullptr && dataType_ == ftFixedChar)
            text->SetFixedChar(true);
        field->SetDataSet(DataSet());
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

// ---- TFieldDefs ----------------------------------------------------------------------------------

TFieldDefs::TFieldDefs(TDataSet* owner) : TOwnedCollection(owner, ItemClassOf<TFieldDef>()), dataSet_(owner)
{
}

TFieldDef* TFieldDefs::Items(Integer index) const
{
    return static_cast<TFieldDef*>(TCollection::Items(index));
}

TFieldDef* TFieldDefs::AddFieldDef()
{
    return static_cast<TFieldDef*>(TCollection::Add());
}

TFieldDef* TFieldDefs::Add(const AnsiString& name, TFieldType dataType, Integer size, bool required)
{
    if (name.empty())
        DatabaseError(dbmsg::FieldNameMissing, dataSet_);
    if (size < 0)
        DatabaseError(dbmsg::InvalidFieldSize, dataSet_);
    return new TFieldDef(this, name, dataType, size, required, Count() + 1);
}

Integer TFieldDefs::IndexOf(const AnsiString& name) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), name))
            return i;
    return -1;
}

TFieldDef* TFieldDefs::FindDef(const AnsiString& name) const
{
    const Integer index = IndexOf(name);
    return index >= 0 ? Items(index) : nullptr;
}

TFieldDef* TFieldDefs::Find(const AnsiString& name) const
{
    TFieldDef* def = FindDef(name);
    if (def == nullptr)
        DatabaseError(Format(dbmsg::FieldNotFound, {name}), dataSet_);
    return def;
}

void TFieldDefs::Update()
{
    if (!updated_ && dataSet_ != nullptr) {
        dataSet_->InitFieldDefs();
        updated_ = true;
    }
}

void TFieldDefs::Update(TCollectionItem* item)
{
    // A changed definition no longer matches what the dataset read.
    if (dataSet_ != nullptr && !dataSet_->Active())
        updated_ = false;
}

void TFieldDefs::GetItemNames(TStrings* list) const
{
    list->Clear();
    for (Integer i = 0; i < Count(); ++i)
        list->Add(Items(i)->Name());
}

} // namespace vmado
