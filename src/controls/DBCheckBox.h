// A check box over one field: ticked, clear or grey (Null or a value it does not know). A Boolean
// field is read and written as such; any other field compares its text with ValueChecked and
// ValueUnchecked, each a ';'-separated list whose first entry is the one written. A click puts the
// dataset into edit mode and writes the field at once; a refusal is shown and the box reverts.
#pragma once

#include "framework/rtl/Types.h"

#include <QCheckBox>

#include <memory>

namespace vmado {

class TDataSource;
class TField;
class TFieldDataLink;

class TVDBCheckBox : public QCheckBox {
    Q_OBJECT

public:
    explicit TVDBCheckBox(QWidget* parent = nullptr);
    ~TVDBCheckBox() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    const AnsiString& DataField() const;
    // Raises EDatabaseError when the source's dataset is open and has no such field.
    void SetDataField(const AnsiString& value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TField* Field() const;

    const AnsiString& ValueChecked() const { return valueChecked_; }
    // Raises EDatabaseError for an empty list: a tick must write something.
    void SetValueChecked(const AnsiString& value);
    const AnsiString& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const AnsiString& value);

protected:
    void nextCheckState() override;

private:
    void DataChange();
    void WriteField();
    Qt::CheckState FieldState() const;

    std::unique_ptr<TFieldDataLink> link_;
    AnsiString valueChecked_ = "True";
    AnsiString valueUnchecked_ = "False";
    bool starting_ = false;
};

} // namespace vmado
