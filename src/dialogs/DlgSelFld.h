// A tick list of fields with buttons that tick or untick every item. The caller adds one item
// per field (its display text, its field name kept alongside), shows the form modally and reads
// the ticks when the user confirmed.
#pragma once

#include "framework/classes/Strings.h"
#include "framework/rtl/Types.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QToolButton;

namespace vmado {

class TSelFldDialog : public QDialog {
    Q_OBJECT

public:
    explicit TSelFldDialog(QWidget* parent = nullptr);

    // The field names, parallel to the items of the tick list.
    TStringList* Fields() { return &fields_; }
    void SetFields(const TStrings* value);

    void AddField(const AnsiString& displayText, const AnsiString& fieldName, bool checked);
    Integer Count() const;
    bool Checked(Integer index) const;
    void SetChecked(Integer index, bool checked);

    void MarkONClick();
    void MarkOFFClick();

private:
    void MarkAll(bool checked);

    TStringList fields_;
    QListWidget* clbSelField_;
    QToolButton* btnMarkON_;
    QToolButton* btnMarkOFF_;
    QPushButton* btnOk_;
    QPushButton* btnCancel_;
};

} // namespace vmado
