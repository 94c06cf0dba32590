// A one-line edit over one field of a data source. It shows the field's display text, switches to
// the edit text while focused, starts the dataset editing at the first change the user makes, and
// writes the text into the field when focus leaves or the record is posted; a rejected value is
// shown and stays in the edit to be corrected.
#pragma once

#include "framework/rtl/Types.h"

#include <QLineEdit>

#include <memory>

namespace vmado {

class TDataSource;
class TField;
class TFieldDataLink;

class TVDBEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TVDBEdit(QWidget* parent = nullptr);
    ~TVDBEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    const AnsiString& DataField() const;
    // Raises EDatabaseError when the source's dataset is open and has no such field.
    void SetDataField(const AnsiString& value);
    // The control's own refusal to write, besides the field's and the dataset's.
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TField* Field() const;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DataChange();
    void UpdateInputState();
    void UserEdited();

    std::unique_ptr<TFieldDataLink> link_;
    bool focused_ = false;
    bool starting_ = false; // the dataset is being put into edit mode for the user's change
};

} // namespace vmado
