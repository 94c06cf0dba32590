// TFields: a dataset's ordered field list. It owns the fields: Clear frees them, and a field
// that is freed elsewhere takes itself out first.
#include "framework/db/Fields.h"

#include "framework/classes/Strings.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>

namespace vmado {

TFields::~TFields()
{
    Clear();
}

TField* TFields::Fields(Integer index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return list_[static_cast<std::size_t>(index)];
}

void TFields::Add(TField* field)
{
    list_.push_back(field);
}

void TFields::Remove(TField* field)
{
    list_.erase(std::remove(list_.begin(), list_.end(), field), list_.end());
}

void TFields::Clear()
{
    while (!list_.empty()) {
        TField* field = list_.back();
        list_.pop_back();
        field->dataSet_ = nullptr;
        delete field;
    }
}

Integer TFields::IndexOf(const TField* field) const
{
    auto it = std::find(list_.begin(), list_.end(), field);
    return it == list_.end() ? -1 : static_cast<Integer>(it - list_.begin());
}

TField* TFields::FindField(const AnsiString& fieldName) const
{
    for (TField* field : list_)
        if (AnsiSameText(field->FieldName(), fieldName))
            return field;
    return nullptr;
}

TField* TFields::FieldByName(const AnsiString& fieldName) const
{
    TField* field = FindField(fieldName);
    if (field == nullptr)
        DatabaseError(Format(dbmsg::FieldNotFound, {fieldName}), dataSet_);
    return field;
}

TField* TFields::FieldByNumber(Integer fieldNo) const
{
    for (TField* field : list_)
        if (field->FieldNo() == fieldNo)
            return field;
    return nullptr;
}

void TFields::CheckFieldName(const AnsiString& fieldName) const
{
    if (fieldName.empty())
        DatabaseError(dbmsg::FieldNameMissing, dataSet_);
    if (FindField(fieldName) != nullptr)
        DatabaseError(Format(dbmsg::DuplicateFieldName, {fieldName}), dataSet_);
}

void TFields::CheckFieldNames(const AnsiString& fieldNames) const
{
    std::size_t pos = 0;
    while (pos < fieldNames.size())
        FieldByName(ExtractFieldName(fieldNames, pos));
}

void TFields::GetFieldNames(TStrings* list) const
{
    list->Clear();
    for (TField* field : list_)
        list->Add(field->FieldName());
}

void TFields::SetFieldIndex(TField* field, Integer value)
{
    const Integer current = IndexOf(field);
    if (current < 0)
        return;
    value = std::clamp(value, 0, Count() - 1);
    if (value == current)
        return;
    list_.erase(list_.begin() + current);
    list_.insert(list_.begin() + value, field);
    if (dataSet_ != nullptr)
        dataSet_->DataEvent(deFieldListChange, 0);
}

} // namespace vmado
