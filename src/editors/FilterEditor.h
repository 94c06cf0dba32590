// Runs the filter dialog for one field of a dataset and keeps the lines the user confirmed.
#pragma once

#include "filters/VFilters.h"
#include "framework/classes/Component.h"

#include <memory>

namespace vmado {

class TDataSet;
class TField;

class TVFilterEditor : public TComponent {
public:
    explicit TVFilterEditor(TComponent* owner = nullptr);
    ~TVFilterEditor() override;
    AnsiString ClassName() const override { return "TVFilterEditor"; }

    TField* Field() const { return field_; }
    void SetField(TField* value);
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    const AnsiString& Marker() const { return marker_; }
    void SetMarker(const AnsiString& value) { marker_ = value; }
    TVSubFilters* SubFilter() const { return subFilter_.get(); } // owned
    void SetFilter(const TVSubFilters* value);                   // copies

    // Shows the dialog; true when the user confirmed at least one condition, SubFilter then
    // holding a copy of it. Without a field or a dataset nothing is shown.
    bool Execute();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TField* field_ = nullptr;
    TDataSet* dataSet_ = nullptr;
    AnsiString marker_;
    std::unique_ptr<TVSubFilters> subFilter_;
};

// Makes the datasets' filter shortcut run this editor.
void InstallFilterEditorHook();

} // namespace vmado
