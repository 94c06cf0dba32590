#include "dialogs/DlgConnectEditor.h"

#include "controls/QtBridge.h"
#include "framework/classes/Strings.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/SysUtils.h"
#include "utils/ConnectionString.h"
#include "utils/Files.h"
#include "utils/Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>

namespace vmado {

namespace {

// Keys the form reads and writes; every other part of the text passes through untouched.
const char* const kOwnedKeys[] = {
    "Provider",          "DSN", "DRIVER", "DBQ", "SERVER", "DATABASE", "UID", "PWD", "Integrated Security",
    "Trusted_Connection"};

bool IsOwnedKey(const AnsiString& key)
{
    for (const char* owned : kOwnedKeys)
        if (SameText(key, owned))
            return true;
    return false;
}

// The text's parts split at ";" outside braced values ({...}, as ODBC writes driver names that
// hold ";") and outside quoted values; each part keeps its inner blanks, only its ends trimmed.
std::vector<AnsiString> SplitParts(const AnsiString& cs)
{
    std::vector<AnsiString> parts;
    AnsiString current;
    int braces = 0;
    char quote = 0;
    bool afterEquals = false;
    for (char c : cs) {
        if (quote) {
            current += c;
            if (c == quote)
                quote = 0; // a doubled quote reopens at once on its second half
            continue;
        }
        if ((c == '"' || c == '\'') && afterEquals && braces == 0) {
            quote = c;
            current += c;
            continue;
        }
        // Only a value that opens with "{" is braced; a "{" later in a path is plain text.
        if (c == '{' && (afterEquals || braces > 0))
            ++braces;
        else if (c == '}' && braces > 0)
            --braces;
        if (c == ';' && braces == 0) {
            parts.push_back(Trim(current));
            current.clear();
            afterEquals = false;
            continue;
        }
        if (c == '=')
            afterEquals = true;
        else if (c != ' ')
            afterEquals = false;
        current += c;
    }
    if (!Trim(current).empty())
        parts.push_back(Trim(current));
    return parts;
}

// The value of the part whose key is exactly key; a braced value is taken whole.
AnsiString PartValue(const AnsiString& cs, const AnsiString& key)
{
    for (const AnsiString& part : SplitParts(cs)) {
        const size_t eq = part.find('=');
        if (eq != AnsiString::npos && Trim(part.substr(0, eq)) == key)
            return Trim(part.substr(eq + 1));
    }
    return {};
}

// Appends Key=Value; the form writes each key once into a fresh text, so nothing is looked up.
void AddPart(AnsiString& cs, const char* key, const AnsiString& value)
{
    if (!cs.empty())
        cs += ';';
    cs += key;
    cs += '=';
    cs += Trim(value);
}

AnsiString PartKey(const AnsiString& part)
{
    return Trim(part.substr(0, part.find('=')));
}

// Selects the entry equal to text ignoring case, none when it is not listed.
void SelectText(QComboBox* box, const AnsiString& text)
{
    box->setCurrentIndex(-1);
    for (int i = 0; i < box->count(); ++i)
        if (SameText(FromQString(box->itemText(i)), text)) {
            box->setCurrentIndex(i);
            return;
        }
}

template <class W> W* Make(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

QComboBox* MakeList(QWidget* parent, const char* name, int x, int y, int w)
{
    auto* box = Make<QComboBox>(parent, name, x, y, w, 22);
    box->setMaxVisibleItems(15);
    return box;
}

} // namespace

QStringList ToQtNameFilters(const AnsiString& filter)
{
    std::vector<AnsiString> pieces;
    size_t start = 0;
    for (;;) {
        const size_t bar = filter.find('|', start);
        pieces.push_back(filter.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start));
        if (bar == AnsiString::npos)
            break;
        start = bar + 1;
    }
    QStringList result;
    for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
        QStringList masks;
        for (const QString& mask : ToQString(pieces[i + 1]).split(';', Qt::SkipEmptyParts))
            if (!mask.trimmed().isEmpty())
                masks << mask.trimmed();
        if (masks.isEmpty())
            continue;
        const QString description = ToQString(Trim(pieces[i]));
        const QString masksText = "(" + masks.join(' ') + ")";
        result << (description.isEmpty() ? masksText : description + " " + masksText);
    }
    if (result.isEmpty())
        result << "All Files (*)";
    return result;
}

TConnectEditor::TConnectEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName("ConnectEditor");
    setWindowTitle("Connect to data source:");
    setWindowFlags(windowFlags() | Qt::Tool);
    setFixedSize(486, 255);

    rbSystem = Make<QRadioButton>(this, "rbSystem", 10, 10, 150, 22);
    rbSystem->setText("System+User DSN:");
    cbxSystem = MakeList(this, "cbxSystem", 165, 10, 310);
    rbFile = Make<QRadioButton>(this, "rbFile", 10, 38, 150, 22);
    rbFile->setText("Driver and File:");
    cbxDriver = MakeList(this, "cbxDriver", 165, 38, 310);
    edFile = Make<QLineEdit>(this, "edFile", 165, 64, 230, 22);
    btnFile = Make<QPushButton>(this, "btnFile", 400, 64, 75, 22);
    btnFile->setText("&Select");
    rbServer = Make<QRadioButton>(this, "rbServer", 10, 92, 150, 22);
    rbServer->setText("Server connection:");
    edServer = Make<QLineEdit>(this, "edServer", 165, 92, 310, 22);
    Label1 = Make<QLabel>(this, "Label1", 28, 118, 130, 22);
    Label1->setText("Database:");
    edDatabase = Make<QLineEdit>(this, "edDatabase", 165, 118, 310, 22);

    Label2 = Make<QLabel>(this, "Label2", 10, 150, 150, 22);
    Label2->setText("OLE Provider:");
    cbxProvider = MakeList(this, "cbxProvider", 165, 150, 310);
    Label4 = Make<QLabel>(this, "Label4", 10, 176, 150, 22);
    Label4->setText("User name:");
    edUser = Make<QLineEdit>(this, "edUser", 165, 176, 120, 22);
    Label5 = Make<QLabel>(this, "Label5", 295, 176, 70, 22);
    Label5->setText("Password:");
    edPswd = Make<QLineEdit>(this, "edPswd", 365, 176, 110, 22);
    edPswd->setEchoMode(QLineEdit::Password);
    chkSecurity = Make<QCheckBox>(this, "chkSecurity", 165, 200, 310, 22);
    chkSecurity->setText("Integrated Security for NT and MS-SQL Server");

    btnOk = Make<QPushButton>(this, "btnOk", 315, 225, 75, 25);
    btnOk->setText("OK");
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = Make<QPushButton>(this, "btnCancel", 400, 225, 75, 25);
    btnCancel->setText("Cancel");

    QWidget::setTabOrder(rbSystem, cbxSystem);
    QWidget::setTabOrder(cbxSystem, rbFile);
    QWidget::setTabOrder(rbFile, cbxDriver);
    QWidget::setTabOrder(cbxDriver, edFile);
    QWidget::setTabOrder(edFile, btnFile);
    QWidget::setTabOrder(btnFile, rbServer);
    QWidget::setTabOrder(rbServer, edServer);
    QWidget::setTabOrder(edServer, edDatabase);
    QWidget::setTabOrder(edDatabase, cbxProvider);
    QWidget::setTabOrder(cbxProvider, edUser);
    QWidget::setTabOrder(edUser, edPswd);
    QWidget::setTabOrder(edPswd, chkSecurity);
    QWidget::setTabOrder(chkSecurity, btnOk);
    QWidget::setTabOrder(btnOk, btnCancel);

    for (QRadioButton* rb : {rbSystem, rbFile, rbServer})
        connect(rb, &QRadioButton::toggled, this, [this] {
            AdjustEnabled();
            EnableOk();
        });
    for (QComboBox* box : {cbxSystem, cbxDriver, cbxProvider})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { EnableOk(); });
    for (QLineEdit* edit : {edFile, edServer, edDatabase, edUser, edPswd})
        connect(edit, &QLineEdit::textChanged, this, [this] { EnableOk(); });
    connect(chkSecurity, &QCheckBox::clicked, this, [this] { SecurityClick(); });
    connect(btnFile, &QPushButton::clicked, this, [this] { FileClick(); });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    AdjustEnabled();
    SetInputColor(cbxProvider, clWindow);
    SetInputColor(edUser, clWindow);
    SetInputColor(edPswd, clWindow);
}

TConnectEditor::~TConnectEditor() = default;

void TConnectEditor::SetProvider(const TStrings& names)
{
    providerNames_.clear();
    for (Integer i = 0; i < names.Count(); ++i)
        providerNames_.push_back(names.Strings(i));
}

void TConnectEditor::SetProviders(const TStrings& descriptions, const TStrings& names)
{
    if (descriptions.Count() != names.Count())
        throw std::invalid_argument("TConnectEditor::SetProviders: " + std::to_string(descriptions.Count()) +
                                    " descriptions for " + std::to_string(names.Count()) + " provider names");
    SetProvider(names);
    cbxProvider->clear();
    for (Integer i = 0; i < descriptions.Count(); ++i)
        cbxProvider->addItem(ToQString(descriptions.Strings(i)));
}

void TConnectEditor::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TConnectEditor::SelectProvider(const AnsiString& name, bool addMissing)
{
    for (size_t i = 0; i < providerNames_.size(); ++i)
        if (SameText(providerNames_[i], name)) {
            cbxProvider->setCurrentIndex(static_cast<int>(i));
            return;
        }
    // A provider the list does not know stays selectable, so OK writes it back unchanged.
    if (addMissing && !Trim(name).empty()) {
        providerNames_.push_back(Trim(name));
        cbxProvider->addItem(ToQString(Trim(name)));
        cbxProvider->setCurrentIndex(cbxProvider->count() - 1);
        return;
    }
    cbxProvider->setCurrentIndex(cbxProvider->count() > 0 ? 0 : -1);
}

void TConnectEditor::FormShow()
{
    const AnsiString& cs = connection_;
    edUser->setText(ToQString(GetADOPart(cs, "UID")));
    edPswd->setText(ToQString(GetADOPart(cs, "PWD")));

    const bool security =
        GetADOPart(cs, "Integrated Security") == "SSPI" || GetADOPart(cs, "Trusted_Connection") == "yes";
    chkSecurity->setChecked(security);
    edUser->setEnabled(!security);
    edPswd->setEnabled(!security);
    // After the security box, whose click would pick its own provider over the text's.
    SelectProvider(GetADOPart(cs, "Provider"), true);

    for (QRadioButton* rb : {rbSystem, rbFile, rbServer})
        rb->setAutoExclusive(false);
    rbSystem->setChecked(false);
    rbFile->setChecked(false);
    rbServer->setChecked(false);
    for (QRadioButton* rb : {rbSystem, rbFile, rbServer})
        rb->setAutoExclusive(true);

    if (!GetADOPart(cs, "SERVER").empty()) {
        edServer->setText(ToQString(GetADOPart(cs, "SERVER")));
        edDatabase->setText(ToQString(GetADOPart(cs, "DATABASE")));
        rbServer->setChecked(true);
    } else if (!GetADOPart(cs, "DRIVER").empty()) {
        AnsiString driver = PartValue(cs, "DRIVER");
        driver = StrTran(StrTran(driver, "{", ""), "}", "");
        SelectText(cbxDriver, driver);
        edFile->setText(ToQString(GetADOPart(cs, "DBQ")));
        rbFile->setChecked(true);
    } else if (!GetADOPart(cs, "DSN").empty()) {
        SelectText(cbxSystem, GetADOPart(cs, "DSN"));
        rbSystem->setChecked(true);
    }
    AdjustEnabled();
    EnableOk();
}

AnsiString TConnectEditor::GetConnect()
{
    AnsiString cs;
    const int provider = cbxProvider->currentIndex();
    if (provider >= 0 && provider < static_cast<int>(providerNames_.size()))
        AddPart(cs, "Provider", providerNames_[provider]);
    if (rbSystem->isChecked())
        AddPart(cs, "DSN", FromQString(cbxSystem->currentText()));
    if (rbFile->isChecked()) {
        AddPart(cs, "DRIVER", "{" + FromQString(cbxDriver->currentText()) + "}");
        AddPart(cs, "DBQ", FromQString(edFile->text()));
    }
    if (rbServer->isChecked()) {
        AddPart(cs, "SERVER", FromQString(edServer->text()));
        AddPart(cs, "DATABASE", FromQString(edDatabase->text()));
    }
    if (chkSecurity->isChecked()) {
        AddPart(cs, "Integrated Security", "SSPI");
    } else {
        if (!edUser->text().isEmpty())
            AddPart(cs, "UID", FromQString(edUser->text()));
        if (!edPswd->text().isEmpty())
            AddPart(cs, "PWD", FromQString(edPswd->text()));
    }
    for (const AnsiString& part : SplitParts(connection_)) {
        if (part.empty() || IsOwnedKey(PartKey(part)))
            continue;
        cs += cs.empty() ? part : ";" + part;
    }
    connection_ = cs;
    return cs;
}

bool TConnectEditor::KeptDataSource() const
{
    for (const AnsiString& part : SplitParts(connection_))
        if (SameText(PartKey(part), "Data Source") && part.find('=') != AnsiString::npos &&
            !Trim(part.substr(part.find('=') + 1)).empty())
            return true;
    return false;
}

void TConnectEditor::AdjustEnabled()
{
    const auto set = [](QWidget* w, bool on) {
        w->setEnabled(on);
        SetInputColor(w, on ? clWindow : clInfoBk);
    };
    set(cbxSystem, rbSystem->isChecked());
    set(cbxDriver, rbFile->isChecked());
    set(edFile, rbFile->isChecked());
    btnFile->setEnabled(rbFile->isChecked());
    set(edServer, rbServer->isChecked());
    set(edDatabase, rbServer->isChecked());
    SetInputColor(edUser, edUser->isEnabled() ? clWindow : clInfoBk);
    SetInputColor(edPswd, edPswd->isEnabled() ? clWindow : clInfoBk);
}

void TConnectEditor::EnableOk()
{
    bool ok = false;
    if (rbSystem->isChecked())
        ok = cbxSystem->currentIndex() >= 0;
    else if (rbFile->isChecked())
        ok = cbxDriver->currentIndex() >= 0 && !edFile->text().isEmpty();
    else if (rbServer->isChecked())
        ok = !edServer->text().isEmpty() && !edDatabase->text().isEmpty();
    else
        // A provider-based text (an embedded database file) names its data in a key of its own.
        ok = KeptDataSource();
    if (btnOk->isEnabled() != ok)
        btnOk->setEnabled(ok);
}

void TConnectEditor::SecurityClick()
{
    if (chkSecurity->isChecked())
        SelectProvider("SQLOLEDB", false);
    edUser->setEnabled(!chkSecurity->isChecked());
    edPswd->setEnabled(!chkSecurity->isChecked());
    AdjustEnabled();
    EnableOk();
}

AnsiString TConnectEditor::FileFilter(const AnsiString& driverName) const
{
    AnsiString filter;
    if (!driverName.empty() && filterEvent_)
        filter = filterEvent_(driverName);
    return filter.empty() ? AnsiString("All Files (*.*)  |*.*") : filter;
}

bool TConnectEditor::IsSingleTable(const AnsiString& driverName)
{
    const AnsiString upper = AnsiUpperCase(driverName);
    for (const char* word : {"DBASE", "FOXPRO", "PARADOX", "TEXT", "VISUAL FOXPRO"})
        if (upper.find(word) != AnsiString::npos)
            return true;
    return false;
}

void TConnectEditor::FileChosen(const AnsiString& fileName)
{
    if (IsSingleTable(FromQString(cbxDriver->currentText()))) {
        edFile->setText(QFileInfo(ToQString(fileName)).absolutePath());
        defaultTable_ = ExtractName(fileName);
    } else {
        edFile->setText(ToQString(fileName));
        defaultTable_.clear();
    }
}

void TConnectEditor::FileClick()
{
    QFileDialog dialog(this, "Select Datafile");
    dialog.setObjectName("dlgOpen");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(ToQtNameFilters(FileFilter(FromQString(cbxDriver->currentText()))));
    const QString current = edFile->text();
    // A single-table driver's edit already holds the directory.
    const QFileInfo info(current);
    dialog.setDirectory(current.isEmpty() ? QDir::rootPath() : info.isDir() ? current : info.absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    FileChosen(FromQString(dialog.selectedFiles().first()));
}

} // namespace vmado
