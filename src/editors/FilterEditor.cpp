#include "editors/FilterEditor.h"

#include "controls/QtBridge.h"
#include "dataset/EditorHooks.h"
#include "dialogs/DlgFilter.h"
#include "framework/classes/PropInfo.h"
#include "framework/classes/Strings.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"

#include <QComboBox>

namespace vmado {

namespace {

void DeclareFilterEditor()
{
    ClassInfo<TVFilterEditor>("TVFilterEditor")
        .Parent<TComponent>()
        .Component("Field", &TVFilterEditor::Field, &TVFilterEditor::SetField)
        .Component("DataSet", &TVFilterEditor::DataSet, &TVFilterEditor::SetDataSet)
        .String(
            "Marker", [](const TVFilterEditor& e) { return e.Marker(); }, &TVFilterEditor::SetMarker)
        .Collection("SubFilter", &TVFilterEditor::SubFilter);
}

} // namespace

TVFilterEditor::TVFilterEditor(TComponent* owner)
    : TComponent(owner), subFilter_(std::make_unique<TVSubFilters>(this))
{
    static const bool declared = (DeclareFilterEditor(), true);
    (void)declared;
}

TVFilterEditor::~TVFilterEditor()
{
    SetField(nullptr);
    SetDataSet(nullptr);
}

void TVFilterEditor::SetField(TField* value)
{
    if (field_ == value)
        return;
    if (field_)
        field_->RemoveFreeNotification(this);
    field_ = value;
    if (field_)
        field_->FreeNotification(this);
}

void TVFilterEditor::SetDataSet(TDataSet* value)
{
    if (dataSet_ == value)
        return;
    if (dataSet_)
        dataSet_->RemoveFreeNotification(this);
    dataSet_ = value;
    if (dataSet_)
        dataSet_->FreeNotification(this);
}

void TVFilterEditor::SetFilter(const TVSubFilters* value)
{
    subFilter_->Assign(value);
}

void TVFilterEditor::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == field_)
        field_ = nullptr;
    if (component == dataSet_)
        dataSet_ = nullptr;
}

bool TVFilterEditor::Execute()
{
    if (!field_ || !dataSet_)
        return false;
    TFilterDialog dialog;
    dialog.SetDataSet(dataSet_);
    dialog.SetCurrentField(field_);
    dialog.SetMarkerField(marker_);
    dialog.SetCaseInsensitive(dataSet_->FilterOptions().Contains(foCaseInsensitive));
    TStringList names;
    auto* fields = dialog.findChild<QComboBox*>("cbxFields");
    for (Integer i = 0; i < dataSet_->FieldCount(); ++i) {
        TField* field = dataSet_->Fields()->Fields(i);
        names.Add(field->FieldName());
        fields->addItem(ToQString(Trim(field->DisplayLabel())));
    }
    dialog.SetFields(&names);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Confirming a form with no condition on it must not become a filter that lets every
    // record through.
    if (dialog.Lines()->Count() == 0)
        return false;
    subFilter_->Assign(dialog.Lines());
    return true;
}

void InstallFilterEditorHook()
{
    EditorHooks().Filter = [](TComponent* owner, TDataSet* dataSet, TField* field, const AnsiString& marker,
                              TVSubFilters& lines) {
        TVFilterEditor editor(owner);
        editor.SetField(field);
        editor.SetMarker(marker);
        editor.SetDataSet(dataSet);
        if (!editor.Execute())
            return false;
        lines.Assign(editor.SubFilter());
        return true;
    };
}

} // namespace vmado
