// Runs the fill-up dialog for one data field and keeps the user's choice: the conversion, the
// constant and the SQL lines. The dataset turns the choice into one UPDATE.
#pragma once

#include "dataset/VDB.h"
#include "framework/classes/Component.h"
#include "framework/classes/Strings.h"

#include <memory>

namespace vmado {

class TDataSet;
class TField;

class TVFillUpEditor : public TComponent {
public:
    explicit TVFillUpEditor(TComponent* owner = nullptr);
    ~TVFillUpEditor() override;
    AnsiString ClassName() const override { return "TVFillUpEditor"; }

    TField* Field() const { return field_; }
    void SetField(TField* value);
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    TVFillUpMode Mode() const { return mode_; }
    void SetMode(TVFillUpMode value) { mode_ = value; }
    TStrings* Lines() const { return lines_.get(); } // owned
    const AnsiString& Text() const { return text_; }

    // Shows the dialog for Field; false, showing nothing, without a field or for a calculated
    // or lookup field. On OK Mode, Text and Lines hold the answer.
    bool Execute();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TField* field_ = nullptr;
    TDataSet* dataSet_ = nullptr;
    TVFillUpMode mode_ = TVFillUpMode::fmNone;
    std::unique_ptr<TStringList> lines_;
    AnsiString text_;
};

// Makes the datasets' fill-up shortcut run this editor.
void InstallFillUpEditorHook();

} // namespace vmado
