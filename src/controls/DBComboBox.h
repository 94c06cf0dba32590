// A combo box over one field whose list is a pick list of values for it. Editable (the default),
// the field takes whatever is typed, written when focus leaves or the record is posted; not
// editable, only the listed values, and a field value outside the list shows no item. Picking an
// item puts the dataset into edit mode and writes the field at once; a refusal is shown and the
// field's value comes back.
#pragma once

#include "framework/rtl/Types.h"

#include <QComboBox>

#include <memory>

namespace vmado {

class TDataSource;
class TField;
class TFieldDataLink;

class TVDBComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TVDBComboBox(QWidget* parent = nullptr);
    ~TVDBComboBox() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    const AnsiString& DataField() const;
    // Raises EDatabaseError when the source's dataset is open and has no such field.
    void SetDataField(const AnsiString& value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TField* Field() const;

    void showPopup() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DataChange();
    void UpdateInputState();
    void UserTyped();
    void UserPicked();

    std::unique_ptr<TFieldDataLink> link_;
    bool starting_ = false;
    bool loading_ = false;
};

} // namespace vmado
