// The colour-rule form: a list of named colour sets, each with an ink and a paper colour, an
// optional field list and up to nine condition lines. The rules are written into the caller's
// collection while they are edited, so OK and Cancel only close the form.
#pragma once

#include "framework/classes/Strings.h"
#include "framework/rtl/Types.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vmado {

class TColorGrid;
class TDataSet;
class TVFilter;
class TVFilters;

class TColorFltDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int RowCount = 9;

    explicit TColorFltDialog(QWidget* parent = nullptr);

    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }
    TDataSet* DataSet() const { return dataSet_; }
    void SetColors(TVFilters* colors) { colors_ = colors; }
    TVFilters* Colors() const { return colors_; }
    void SetMarker(const AnsiString& marker) { marker_ = marker; }
    const AnsiString& Marker() const { return marker_; }

    // "<all>" or the chosen field names joined by ",".
    const AnsiString& SelectedFields() const { return selected_; }
    bool IsNewSet() const { return newSet_; }

    // Fills the boxes from the dataset and the list from the collection; runs at the first show.
    void FormShow();
    void ClearAllItem();
    void ColorSetClick();
    void SaveCustomColor();
    void InsColorClick();
    void DelColorClick();
    void NameChange();
    void ClearClick(int row);
    void SelFieldClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QPushButton* btnClear;
        QComboBox* cbxField;
        QComboBox* cbxRel;
        QLineEdit* edValue;
        QComboBox* cbxLog;
    };

    void BuildRow(int n);
    void FieldChange(int n);
    void RelChange(int n);
    void ValueChange(int n);
    void LogChange(int n);
    void OfferChange();
    void SelFieldCheck(bool checked);
    void EnableInput(QWidget* input, bool enabled);
    void ShowRule(const TVFilter* rule);
    void RefillList(int select);
    // The rule the editing area works on: the one selected in the list, none for a new set.
    TVFilter* CurrentRule() const;
    Row& RowAt(int n) { return rows_[n - 1]; }

    TDataSet* dataSet_ = nullptr;
    TVFilters* colors_ = nullptr;
    AnsiString marker_;
    TStringList fieldNames_;
    AnsiString selected_ = "<all>";
    bool newSet_ = false;
    bool shown_ = false;
    int quiet_ = 0; // > 0 while the form itself fills controls: their handlers stay silent

    QListWidget* lbxColorSet_;
    QLineEdit* edName_;
    TColorGrid* cgOffer_;
    QLabel* panTest_;
    QCheckBox* chkSelField_;
    QPushButton* btnSelect_;
    std::array<Row, RowCount> rows_{};
    QPushButton* btnInsert_;
    QPushButton* btnDelete_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

} // namespace vmado
