// A component that runs the colour-rule form on a dataset's colour rules. The rules are edited in
// place, so whatever the user saved stays even when the form is left with Cancel.
#pragma once

#include "framework/classes/Component.h"
#include "framework/rtl/Types.h"

namespace vmado {

class TDataSet;
class TVFilters;

class TVColorEditor : public TComponent {
public:
    explicit TVColorEditor(TComponent* owner);
    ~TVColorEditor() override;

    AnsiString ClassName() const override { return "TVColorEditor"; }

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    // Not owned: the caller's collection. Its owning component is watched as well, so the
    // reference goes when that component is freed.
    TVFilters* Colors() const { return colors_; }
    void SetColors(TVFilters* value);
    const AnsiString& Marker() const { return marker_; }
    void SetMarker(const AnsiString& value) { marker_ = value; }

    // Shows the form modally; true when it was closed with OK. Without a dataset or colour rules
    // nothing is shown and the result is false.
    bool Execute();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Watch(TComponent* component);
    void Unwatch(TComponent* component);

    TDataSet* dataSet_ = nullptr;
    TVFilters* colors_ = nullptr;
    TComponent* colorsOwner_ = nullptr;
    AnsiString marker_;
};

// Makes the dataset's colour editor shortcut run this component.
void InstallColorEditorHook();

void RegisterColorEditorClass();

} // namespace vmado
