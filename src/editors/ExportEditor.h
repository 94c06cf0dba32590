// Runs the export form for a dataset.
#pragma once

#include "framework/classes/Component.h"

namespace vmado {

class TDataSet;

class TVExportEditor : public TComponent {
public:
    explicit TVExportEditor(TComponent* owner = nullptr);
    ~TVExportEditor() override;
    AnsiString ClassName() const override { return "TVExportEditor"; }

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);

    // Shows the form modally; nothing without a dataset.
    void Execute();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TDataSet* dataSet_ = nullptr;
};

// Makes the datasets' export shortcut run this editor.
void InstallExportEditorHook();

} // namespace vmado
