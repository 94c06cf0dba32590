#include "controls/FieldDataLink.h"

#include "framework/db/Fields.h"

namespace vmado {

void TFieldDataLink::SetFieldName(const AnsiString& value)
{
    if (value == fieldName_)
        return;
    // Checked before anything changes, so a mistyped name leaves the link as it was.
    if (Active() && !value.empty())
        DataSet()->FieldByName(value);
    fieldName_ = value;
    UpdateField();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && field_ != nullptr && field_->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return Editing() && CanModify();
}

void TFieldDataLink::UpdateField()
{
    // A lookup by name rather than a kept pointer: the dataset recreates its default fields at
    // every open, so the field of the last open is gone by now.
    TField* found = nullptr;
    if (Active() && !fieldName_.empty())
        found = DataSet()->FindField(fieldName_);
    field_ = found;
    modified_ = false;
    if (OnActiveChange)
        OnActiveChange();
    RecordChanged(nullptr);
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field != nullptr && field != field_)
        return;
    modified_ = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::UpdateData()
{
    if (!modified_)
        return;
    // A rejected value leaves the change pending, so the control keeps what the user typed.
    if (OnUpdateData)
        OnUpdateData();
    modified_ = false;
}

void TFieldDataLink::FocusControl(TField** field)
{
    if (field == nullptr || *field == nullptr || *field != field_ || !OnFocusControl)
        return;
    *field = nullptr;
    OnFocusControl();
}

} // namespace vmado
