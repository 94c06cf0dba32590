// The form on which a user composes a connection string: an ODBC data source, an ODBC driver
// with its data file, or a server with a database, plus the provider and the credentials.
#pragma once

#include "framework/rtl/Types.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vmado {

class TStrings;

// A driver's open-dialog filter: "Description|pattern|Description|pattern..." where a pattern
// may list several masks separated by ";".
using TOdbcDialogFilter = std::function<AnsiString(const AnsiString& driverName)>;

// The same filter as QFileDialog name filters, one "Description (masks)" per pair. The masks
// always close the entry, as Qt reads them from its last parentheses.
QStringList ToQtNameFilters(const AnsiString& filter);

class TConnectEditor : public QDialog {
public:
    explicit TConnectEditor(QWidget* parent = nullptr);
    ~TConnectEditor() override;

    // Parsed into the controls each time the form is shown.
    void SetConnection(const AnsiString& text) { connection_ = text; }
    const AnsiString& Connection() const { return connection_; }
    void SetFilterEvent(TOdbcDialogFilter event) { filterEvent_ = std::move(event); }
    // Names index for index beside the descriptions in cbxProvider.
    void SetProvider(const TStrings& names);
    // Replaces both lists at once; they must be of the same length.
    void SetProviders(const TStrings& descriptions, const TStrings& names);
    const std::vector<AnsiString>& ProviderNames() const { return providerNames_; }

    // Builds the string from the controls. Keys the form does not edit are kept from the text
    // it was given, so a connection the form cannot describe fully loses nothing.
    AnsiString GetConnect();
    const AnsiString& DefaultTable() const { return defaultTable_; }

    AnsiString FileFilter(const AnsiString& driverName) const;
    static bool IsSingleTable(const AnsiString& driverName);
    // What picking fileName with the file button does to edFile and the default table.
    void FileChosen(const AnsiString& fileName);

    QRadioButton* rbSystem;
    QComboBox* cbxSystem;
    QRadioButton* rbFile;
    QComboBox* cbxDriver;
    QLineEdit* edFile;
    QPushButton* btnFile;
    QRadioButton* rbServer;
    QLineEdit* edServer;
    QLabel* Label1;
    QLineEdit* edDatabase;
    QLabel* Label2;
    QComboBox* cbxProvider;
    QLabel* Label4;
    QLineEdit* edUser;
    QLabel* Label5;
    QLineEdit* edPswd;
    QCheckBox* chkSecurity;
    QPushButton* btnOk;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void FileClick();
    void SecurityClick();
    void AdjustEnabled();
    void EnableOk();
    void SelectProvider(const AnsiString& name, bool addMissing);
    bool KeptDataSource() const;

    AnsiString connection_;
    TOdbcDialogFilter filterEvent_;
    std::vector<AnsiString> providerNames_;
    AnsiString defaultTable_;
};

} // namespace vmado
