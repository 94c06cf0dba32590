// The form that writes a dataset's records to a text file: fixed-width columns, tab-separated or
// comma-separated, for the fields the user ticks.
#pragma once

#include "framework/classes/Strings.h"
#include "framework/rtl/Types.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vmado {

class TDataSet;
class TField;

class TExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit TExportDialog(QWidget* parent = nullptr);

    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }
    TDataSet* DataSet() const { return dataSet_; }
    const AnsiString& OutDir() const { return outDir_; }
    void SetOutDir(const AnsiString& value) { outDir_ = value; }
    const TStringList& FieldList() const { return fieldList_; }

    // The records as lines, one per record from the first, the ticked fields in list order:
    // fixed gives each value padded or cut to its display width; otherwise each value is
    // followed by sep and the line's last separator dropped. A delimited value holding sep, a
    // quote or a line break is quoted, its quotes doubled, so the file reads back.
    void DataToStrings(TStrings& lines, char sep, bool fixed);
    // Writes the file named in edOut; a cancel or an error leaves an existing file as it was.
    void ExportClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void DriverChange(int index);
    void OutChange();
    void UtClick();
    void MarkAll(bool on);
    std::vector<TField*> TickedFields(); // in list order
    bool Step();                         // progress, events, and whether to go on

    TDataSet* dataSet_ = nullptr;
    AnsiString outDir_;
    TStringList fieldList_;
    bool exporting_ = false;
    bool cancelled_ = false;

    QComboBox* cbxDriver_ = nullptr;
    QLineEdit* edOut_ = nullptr;
    QToolButton* btnUt_ = nullptr;
    QListWidget* clbFields_ = nullptr;
    QPushButton* btnExport_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QLabel* aniMozg_ = nullptr;
    QProgressBar* pbWork_ = nullptr;
};

} // namespace vmado
