// The link a single-field control holds: it finds its field by name whenever the dataset opens or
// its fields change, tells the control when that field's value or the editing state changes, and
// asks the control for its text when the dataset writes the record. Free of Qt, so the controls
// share one reading of the data events.
#pragma once

#include "framework/db/DataSource.h"

#include <functional>

namespace vmado {

class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;
    AnsiString ClassName() const override { return "TFieldDataLink"; }

    const AnsiString& FieldName() const { return fieldName_; }
    // Raises EDatabaseError naming the field when the link's dataset is open and has no such
    // field; on a closed dataset the name is looked up when it opens (no field then: Field() is
    // null and the control shows nothing).
    void SetFieldName(const AnsiString& value);
    // The field shown, or null while inactive or without a match.
    TField* Field() const { return field_; }

    // True when a field is linked, the control is not read-only and the field may be written.
    bool CanModify() const;
    // Asks the dataset to edit when it may; true when the field can then be written.
    bool Edit();
    // The control's text differs from the field: UpdateData will ask the control for it.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Drops the control's change and shows the field's value again.
    void Reset() { RecordChanged(nullptr); }

    // The control (re)loads its value from Field().
    std::function<void()> OnDataChange;
    // The dataset entered or left an edit state.
    std::function<void()> OnEditingChange;
    // The control writes its value into Field(); an exception rejects the value.
    std::function<void()> OnUpdateData;
    // The link became active or inactive, or its field changed.
    std::function<void()> OnActiveChange;
    // The dataset wants this field's control focused (a required field left empty).
    std::function<void()> OnFocusControl;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField** field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();

    AnsiString fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
};

} // namespace vmado
