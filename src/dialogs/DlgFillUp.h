// The form that asks how to change one column of all shown records at once: upper case, lower
// case, a constant, or a free SQL expression. It only collects the choice.
#pragma once

#include "framework/rtl/Types.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vmado {

class TField;
class TStrings;

class TFillUpDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFillUpDialog(QWidget* parent = nullptr);

    void SetField(TField* field) { field_ = field; }
    TField* Field() const { return field_; }

    // The chosen item of the conversion group: 0 upper, 1 lower, 2 constant, 3 SQL; -1 none.
    int ItemIndex() const;
    AnsiString Constant() const;       // the constant's edit, whatever item is chosen
    void SqlLines(TStrings& to) const; // the memo's lines, likewise

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void SetInVisible();
    void KonvertClick(int item);

    TField* field_ = nullptr;
    QButtonGroup* rgpKonvert_ = nullptr;
    QLineEdit* edTolt_ = nullptr;
    QLabel* lbUpdate_ = nullptr;
    QPlainTextEdit* mSQL_ = nullptr;
    QLabel* lbWhere_ = nullptr;
};

} // namespace vmado
