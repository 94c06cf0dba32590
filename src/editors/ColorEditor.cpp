#include "editors/ColorEditor.h"

#include "dataset/EditorHooks.h"
#include "dialogs/DlgColor.h"
#include "filters/VFilters.h"
#include "framework/classes/PropInfo.h"
#include "framework/db/DataSet.h"

#include <memory>

namespace vmado {

TVColorEditor::TVColorEditor(TComponent* owner) : TComponent(owner)
{
    RegisterColorEditorClass();
}

TVColorEditor::~TVColorEditor()
{
    // Both may be the same component; each is asked to forget this editor once.
    Unwatch(dataSet_);
    if (colorsOwner_ != dataSet_)
        Unwatch(colorsOwner_);
}

void TVColorEditor::Watch(TComponent* component)
{
    if (component)
        component->FreeNotification(this);
}

void TVColorEditor::Unwatch(TComponent* component)
{
    if (component)
        component->RemoveFreeNotification(this);
}

void TVColorEditor::SetDataSet(TDataSet* value)
{
    if (value == dataSet_)
        return;
    if (dataSet_ != colorsOwner_)
        Unwatch(dataSet_);
    dataSet_ = value;
    Watch(dataSet_);
}

void TVColorEditor::SetColors(TVFilters* value)
{
    if (value == colors_)
        return;
    if (colorsOwner_ != dataSet_)
        Unwatch(colorsOwner_);
    colors_ = value;
    colorsOwner_ = value ? dynamic_cast<TComponent*>(value->GetOwner()) : nullptr;
    Watch(colorsOwner_);
}

void TVColorEditor::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove || component == nullptr)
        return;
    if (component == dataSet_)
        dataSet_ = nullptr;
    if (component == colorsOwner_) {
        colors_ = nullptr;
        colorsOwner_ = nullptr;
    }
}

bool TVColorEditor::Execute()
{
    if (!dataSet_ || !colors_)
        return false;
    auto dialog = std::make_unique<TColorFltDialog>();
    dialog->SetDataSet(dataSet_);
    dialog->SetColors(colors_);
    dialog->SetMarker(marker_);
    return dialog->exec() == QDialog::Accepted;
}

void InstallColorEditorHook()
{
    EditorHooks().Color = [](TComponent* owner, TDataSet* dataSet, TVFilters* colors,
                             const AnsiString& marker) {
        TVColorEditor editor(owner);
        editor.SetDataSet(dataSet);
        editor.SetColors(colors);
        editor.SetMarker(marker);
        return editor.Execute();
    };
}

namespace {

void DeclareColorEditorClass()
{
    ClassInfo<TVColorEditor>("TVColorEditor")
        .Parent<TComponent>()
        .Component("DataSet", &TVColorEditor::DataSet, &TVColorEditor::SetDataSet)
        // A reference to a collection its owner stores; storing it here would duplicate it.
        .Collection("Colors", &TVColorEditor::Colors)
        .Stored(false)
        .String("Marker", &TVColorEditor::Marker, &TVColorEditor::SetMarker);
}

} // namespace

void RegisterColorEditorClass()
{
    static const bool registered = (DeclareColorEditorClass(), true);
    (void)registered;
}

} // namespace vmado
