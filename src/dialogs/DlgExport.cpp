#include "dialogs/DlgExport.h"

#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

namespace vmado {

namespace {

const char* const kExtensions[] = {".prn", ".txt", ".csv"};

QString WithSlash(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
}

// A delimited value that would break its line or its columns is quoted, quotes doubled.
AnsiString Delimited(const AnsiString& value, char sep)
{
    if (value.find_first_of(std::string{sep, '"', '\r', '\n'}) == AnsiString::npos)
        return value;
    AnsiString out = "\"";
    for (const char c : value) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

// A fixed-width value keeps its width; a line break in it would start a new record.
AnsiString OneLine(AnsiString value)
{
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

// A value padded with blanks or cut to width characters. Counting characters, not bytes, keeps
// the columns straight when the code page is UTF-8; a cut never splits a character.
AnsiString FixedWidth(const AnsiString& value, Integer width)
{
    const Integer count = AnsiCharCount(value);
    if (count <= width)
        return value + AnsiString(static_cast<std::size_t>(width - count), ' ');
    if (!IsUtf8CodePage())
        return value.substr(0, static_cast<std::size_t>(width));
    std::size_t end = 0;
    for (Integer chars = 0; end < value.size() && chars < width; ++chars) {
        ++end;
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            ++end;
    }
    return value.substr(0, end);
}

} // namespace

TExportDialog::TExportDialog(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("ExportDialog");
    setWindowTitle("Data export to file");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    cbxDriver_ = new QComboBox(this);
    cbxDriver_->setObjectName("cbxDriver");
    cbxDriver_->setToolTip("Output data drivers");
    cbxDriver_->addItems({"Formated Text (Space delimited) (*.prn)", "Text (Tab delimited) (*.txt)",
                          "CSV (Comma delimited) (*.csv)"});
    cbxDriver_->setCurrentIndex(-1);
    grid->addWidget(new QLabel("Export format:", this), 0, 0);
    grid->addWidget(cbxDriver_, 0, 1, 1, 2);
    edOut_ = new QLineEdit(this);
    edOut_->setObjectName("edOut");
    edOut_->setEnabled(false);
    btnUt_ = new QToolButton(this);
    btnUt_->setObjectName("btnUt");
    btnUt_->setText("...");
    btnUt_->setAutoRaise(true);
    grid->addWidget(new QLabel("File name:", this), 1, 0);
    grid->addWidget(edOut_, 1, 1);
    grid->addWidget(btnUt_, 1, 2);
    layout->addLayout(grid);

    auto* fields = new QHBoxLayout;
    clbFields_ = new QListWidget(this);
    clbFields_->setObjectName("clbFields");
    fields->addWidget(clbFields_, 1);
    auto* marks = new QVBoxLayout;
    auto mark = [&](const char* name, const char* text, const char* hint) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(text);
        button->setToolTip(QString::fromUtf8(hint));
        button->setAutoRaise(true);
        marks->addWidget(button);
        return button;
    };
    QToolButton* on = mark("btnMarkON", "+", "Az összes elem bejelölése");
    QToolButton* off = mark("btnMarkOFF", "-", "Jelölések törlése");
    marks->addStretch(1);
    fields->addLayout(marks);
    layout->addLayout(fields, 1);

    aniMozg_ = new QLabel("Exporting...", this);
    aniMozg_->setObjectName("aniMozg");
    aniMozg_->hide();
    layout->addWidget(aniMozg_);
    pbWork_ = new QProgressBar(this);
    pbWork_->setObjectName("pbWork");
    pbWork_->setValue(0);
    layout->addWidget(pbWork_);
    auto* buttons = new QHBoxLayout;
    btnExport_ = new QPushButton("&Export", this);
    btnExport_->setObjectName("btnExport");
    btnExport_->setToolTip("Start the export");
    btnExport_->setEnabled(false);
    btnClose_ = new QPushButton("Close", this);
    btnClose_->setObjectName("btnClose");
    buttons->addStretch(1);
    buttons->addWidget(btnExport_);
    buttons->addWidget(btnClose_);
    layout->addLayout(buttons);

    connect(cbxDriver_, &QComboBox::currentIndexChanged, this, &TExportDialog::DriverChange);
    connect(edOut_, &QLineEdit::textChanged, this, &TExportDialog::OutChange);
    connect(btnUt_, &QToolButton::clicked, this, &TExportDialog::UtClick);
    connect(on, &QToolButton::clicked, this, [this] { MarkAll(true); });
    connect(off, &QToolButton::clicked, this, [this] { MarkAll(false); });
    connect(btnExport_, &QPushButton::clicked, this, [this] {
        try {
            ExportClick();
        } catch (const std::exception& e) {
            Application()->ShowException(Exception(e.what()));
        }
    });
    // While an export runs the close button stops it instead.
    connect(btnClose_, &QPushButton::clicked, this, [this] {
        if (exporting_)
            cancelled_ = true;
        else
            reject();
    });
}

void TExportDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TExportDialog::FormShow()
{
    fieldList_.Clear();
    clbFields_->clear();
    if (dataSet_)
        for (Integer i = 0; i < dataSet_->FieldCount(); ++i) {
            TField* field = dataSet_->Fields()->Fields(i);
            fieldList_.Add(field->FieldName());
            auto* item = new QListWidgetItem(ToQString(Trim(field->DisplayLabel())), clbFields_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    // The platform's folder for temporary files stands where a Windows form proposes C:\Temp.
    if (outDir_.empty())
        outDir_ = FromQString(QDir::tempPath());
    outDir_ = FromQString(WithSlash(ToQString(outDir_)));
}

void TExportDialog::DriverChange(int index)
{
    if (index < 0 || index > 2)
        return;
    if (!edOut_->text().isEmpty())
        outDir_ = FromQString(WithSlash(QFileInfo(edOut_->text()).path()));
    edOut_->setEnabled(true);
    btnExport_->setEnabled(true);
    edOut_->setText(ToQString(outDir_) + "Export" + kExtensions[index]);
    edOut_->setFocus();
}

void TExportDialog::OutChange()
{
    btnExport_->setEnabled(!cbxDriver_->currentText().isEmpty() && !edOut_->text().isEmpty());
}

void TExportDialog::UtClick()
{
    const QFileInfo current(edOut_->text());
    QFileDialog dialog(this, "Save the Output file");
    dialog.setObjectName("dlgSave");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("All files (*)");
    dialog.setDirectory(edOut_->text().isEmpty() ? QDir::tempPath() : current.path());
    dialog.selectFile(current.fileName().isEmpty() ? "Export" : current.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().constFirst();
    edOut_->setText(chosen);
    outDir_ = FromQString(QFileInfo(chosen).path());
}

void TExportDialog::MarkAll(bool on)
{
    for (int i = 0; i < clbFields_->count(); ++i)
        clbFields_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

AnsiString TExportDialog::LineOf(char sep, bool fixed)
{
    AnsiString line;
    for (int i = 0; i < clbFields_->count() && i < fieldList_.Count(); ++i) {
        if (clbFields_->item(i)->checkState() != Qt::Checked)
            continue;
        TField* field = dataSet_->FindField(fieldList_.Strings(i));
        if (!field)
            continue;
        if (fixed)
            line += FixedWidth(OneLine(field->AsString()), field->DisplayWidth());
        else
            line += Delimited(field->AsString(), sep) + sep;
    }
    if (!fixed && !line.empty())
        line.pop_back();
    return line;
}

bool TExportDialog::Step()
{
    pbWork_->setValue(pbWork_->value() + 1);
    if (pbWork_->value() % 256 == 0)
        QApplication::processEvents();
    return !cancelled_;
}

void TExportDialog::DataToStrings(TStrings& lines, char sep, bool fixed)
{
    lines.Clear();
    if (!dataSet_)
        return;
    for (dataSet_->First(); !dataSet_->Eof(); dataSet_->Next()) {
        lines.Add(LineOf(sep, fixed));
        if (!Step())
            return;
    }
}

void TExportDialog::ExportClick()
{
    if (!dataSet_)
        return;
    btnExport_->setEnabled(false);
    aniMozg_->show();
    const Integer count = dataSet_->RecordCount();
    pbWork_->setMaximum(count > 0 ? count : 1000);
    pbWork_->setValue(0);
    exporting_ = true;
    cancelled_ = false;
    const int driver = cbxDriver_->currentIndex();
    const char sep = driver == 1 ? '\t' : (driver == 2 ? ',' : ' ');
    const bool fixed = driver != 1 && driver != 2;
    const QString target = edOut_->text();
    auto finish = [&] {
        dataSet_->First();
        dataSet_->EnableControls();
        exporting_ = false;
        pbWork_->setValue(0);
        aniMozg_->hide();
        btnExport_->setEnabled(true);
        btnClose_->setFocus();
    };
    dataSet_->DisableControls();
    try {
        // Written beside the target and renamed over it at the end, so a failed or cancelled
        // export never leaves a half-written file, nor an old one that looks current. An empty
        // dataset writes an empty file for the same reason.
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly))
            throw EFCreateError("Cannot create file \"" + FromQString(target) + "\". " +
                                FromQString(file.errorString()));
        for (dataSet_->First(); !dataSet_->Eof(); dataSet_->Next()) {
            const AnsiString line = LineOf(sep, fixed) + "\r\n";
            if (file.write(line.data(), static_cast<qint64>(line.size())) != static_cast<qint64>(line.size()))
                throw EWriteError("Cannot write file \"" + FromQString(target) + "\". " +
                                  FromQString(file.errorString()));
            if (!Step())
                break;
        }
        if (cancelled_)
            file.cancelWriting();
        else if (!file.commit())
            throw EWriteError("Cannot write file \"" + FromQString(target) + "\". " +
                              FromQString(file.errorString()));
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace vmado
