// The form on which a user builds one new filter: a single condition through the page that fits
// the field's kind, or a chain of up to nine condition lines on the Custom page. It never touches
// a dataset's filters; its lines are the result.
#pragma once

#include "filters/VFilters.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/Types.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

namespace vmado {

class TDataSet;
class TField;

class TFilterDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFilterDialog(QWidget* parent = nullptr);
    ~TFilterDialog() override;

    // What the caller fills in before showing the form.
    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }
    void SetCurrentField(TField* field) { field_ = field; }
    void SetMarkerField(const AnsiString& name) { markerField_ = name; }
    void SetCaseInsensitive(bool value) { caseInsensitive_ = value; }
    void SetFilters(const TVSubFilters* lines); // a copy
    void SetFields(const TStrings* names);      // the field names behind the field boxes' items
    TField* CurrentField() const { return field_; }

    // The result, valid after OK.
    TVSubFilters* Lines() const { return lines_.get(); }

    // The page the form shows and the filter type it stands for.
    TFilterType PageFilterType() const;
    static TFilterType PageToFilterType(const QWidget* page);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildTop();
    void BuildPages();
    void BuildCustomRow(QWidget* page, int row);

    void FormShow();
    void FilterChange(int index);
    void EnterPage(QWidget* page);
    void FieldsChange(int index);
    void FieldChange(int row);
    void RelChange(int row);
    void ValueChange(int row);
    void LogChange(int row);
    void ClearClick(int row);
    void OkClick();

    QWidget* PageOf(TFilterType type) const;
    void ShowPage(QWidget* page); // without the page-change steps
    TField* FieldAt(int index) const;
    void Enable(QWidget* input, bool on);
    void ResetRows();
    void FillRowsFromLines();
    void LinesFromRows();
    void AddLine(TFilterType type, bool negation, TRelationType relation, const AnsiString& lower,
                 const AnsiString& upper);
    template <class T> T* Row(const char* prefix, int row) const;

    TDataSet* dataSet_ = nullptr;
    TField* field_ = nullptr;
    AnsiString markerField_;
    bool caseInsensitive_ = false;
    TStringList fieldNames_;
    std::unique_ptr<TVSubFilters> lines_;
    bool shown_ = false;
    bool quiet_ = false; // page switches and row fills made by the form itself

    QComboBox* cbxFields_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QTabWidget* pcFilter_ = nullptr;
    QWidget* tsString_ = nullptr;
    QWidget* tsNumeric_ = nullptr;
    QWidget* tsDate_ = nullptr;
    QWidget* tsLogical_ = nullptr;
    QWidget* tsMarker_ = nullptr;
    QWidget* tsCustom_ = nullptr;
    QLineEdit* edFrom_ = nullptr;
    QLineEdit* edTill_ = nullptr;
    QCheckBox* chkTillStr_ = nullptr;
    QCheckBox* chkNegationStr_ = nullptr;
    QSpinBox* seFrom_ = nullptr;
    QSpinBox* seTill_ = nullptr;
    QCheckBox* chkTillNum_ = nullptr;
    QCheckBox* chkNegationNum_ = nullptr;
    QDateEdit* dpFrom_ = nullptr;
    QDateEdit* dpTill_ = nullptr;
    QCheckBox* chkTillDat_ = nullptr;
    QCheckBox* chkNegationDat_ = nullptr;
    QToolButton* btnTrue_ = nullptr;
    QToolButton* btnFalse_ = nullptr;
    QToolButton* btnMarked_ = nullptr;
    QToolButton* btnUnMarked_ = nullptr;
};

} // namespace vmado
