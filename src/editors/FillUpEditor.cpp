#include "editors/FillUpEditor.h"

#include "dataset/EditorHooks.h"
#include "dialogs/DlgFillUp.h"
#include "framework/classes/PropInfo.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"

namespace vmado {

namespace {

void DeclareFillUpEditor()
{
    ClassInfo<TVFillUpEditor>("TVFillUpEditor")
        .Parent<TComponent>()
        .Component("Field", &TVFillUpEditor::Field, &TVFillUpEditor::SetField)
        .Component("DataSet", &TVFillUpEditor::DataSet, &TVFillUpEditor::SetDataSet)
        .Enum(
            "Mode", [](const TVFillUpEditor& e) { return static_cast<int>(e.Mode()); },
            [](TVFillUpEditor& e, int v) { e.SetMode(static_cast<TVFillUpMode>(v)); },
            {"fmNone", "fmConst", "fmLower", "fmUpper", "fmSQL"});
}

} // namespace

TVFillUpEditor::TVFillUpEditor(TComponent* owner) : TComponent(owner), lines_(std::make_unique<TStringList>())
{
    static const bool declared = (DeclareFillUpEditor(), true);
    (void)declared;
}

TVFillUpEditor::~TVFillUpEditor()
{
    SetField(nullptr);
    SetDataSet(nullptr);
}

void TVFillUpEditor::SetField(TField* value)
{
    if (field_ == value)
        return;
    if (field_)
        field_->RemoveFreeNotification(this);
    field_ = value;
    if (field_)
        field_->FreeNotification(this);
}

void TVFillUpEditor::SetDataSet(TDataSet* value)
{
    if (dataSet_ == value)
        return;
    if (dataSet_)
        dataSet_->RemoveFreeNotification(this);
    dataSet_ = value;
    if (dataSet_)
        dataSet_->FreeNotification(this);
}

void TVFillUpEditor::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == field_)
        field_ = nullptr;
    if (component == dataSet_)
        dataSet_ = nullptr;
}

bool TVFillUpEditor::Execute()
{
    if (!field_ || field_->FieldKind() != fkData)
        return false;
    mode_ = TVFillUpMode::fmNone;
    TFillUpDialog dialog;
    dialog.SetField(field_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text_ = dialog.Constant();
    dialog.SqlLines(*lines_);
    switch (dialog.ItemIndex()) {
    case 0:
        mode_ = TVFillUpMode::fmUpper;
        break;
    case 1:
        mode_ = TVFillUpMode::fmLower;
        break;
    case 2:
        mode_ = TVFillUpMode::fmConst;
        break;
    case 3:
        mode_ = TVFillUpMode::fmSQL;
        break;
    default:
        break;
    }
    return true;
}

void InstallFillUpEditorHook()
{
    EditorHooks().FillUp = [](TComponent* owner, TDataSet* dataSet, TField* field, TVFillUpMode& mode,
                              AnsiString& text, TStrings& lines) {
        TVFillUpEditor editor(owner);
        editor.SetField(field);
        editor.SetDataSet(dataSet);
        if (!editor.Execute())
            return false;
        mode = editor.Mode();
        text = editor.Text();
        lines.Assign(editor.Lines());
        return true;
    };
}

} // namespace vmado
