#include "editors/ExportEditor.h"

#include "dataset/EditorHooks.h"
#include "dialogs/DlgExport.h"
#include "framework/classes/PropInfo.h"
#include "framework/db/DataSet.h"

namespace vmado {

TVExportEditor::TVExportEditor(TComponent* owner) : TComponent(owner)
{
    static const bool declared =
        (ClassInfo<TVExportEditor>("TVExportEditor")
             .Parent<TComponent>()
             .Component("DataSet", &TVExportEditor::DataSet, &TVExportEditor::SetDataSet),
         true);
    (void)declared;
}

TVExportEditor::~TVExportEditor()
{
    SetDataSet(nullptr);
}

void TVExportEditor::SetDataSet(TDataSet* value)
{
    if (dataSet_ == value)
        return;
    if (dataSet_)
        dataSet_->RemoveFreeNotification(this);
    dataSet_ = value;
    if (dataSet_)
        dataSet_->FreeNotification(this);
}

void TVExportEditor::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dataSet_)
        dataSet_ = nullptr;
}

void TVExportEditor::Execute()
{
    if (!dataSet_)
        return;
    TExportDialog dialog;
    dialog.SetDataSet(dataSet_);
    dialog.exec();
}

void InstallExportEditorHook()
{
    EditorHooks().Export = [](TComponent* owner, TDataSet* dataSet) {
        TVExportEditor editor(owner);
        editor.SetDataSet(dataSet);
        editor.Execute();
    };
}

} // namespace vmado
