#include "dialogs/DlgExport.h"

#include "controls/QtBridge.h"
#include "dataset/ExportText.h"
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
#include <QToolButton>
#include <QVBoxLayout>

namespace vmado {

namespace {

const char* const kExtensions[] = {".prn", ".txt", ".csv"};

QString WithSlash(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
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

std::vector<TField*> TExportDialog::TickedFields()
{
    std::vector<TField*> fields;
    for (int i = 0; i < clbFields_->count() && i < fieldList_.Count(); ++i)
        if (clbFields_->item(i)->checkState() == Qt::Checked)
            if (TField* field = dataSet_->FindField(fieldList_.Strings(i)))
                fields.push_back(field);
    return fields;
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
    const std::vector<TField*> fields = TickedFields();
    for (dataSet_->First(); !dataSet_->Eof(); dataSet_->Next()) {
        lines.Add(ExportLine(fields, sep, fixed));
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
    const TExportLayout layout =
        driver == 1 ? TExportLayout::elTab : (driver == 2 ? TExportLayout::elComma : TExportLayout::elFixed);
    const AnsiString target = FromQString(edOut_->text());
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
        // An empty dataset writes an empty file, so no old file looks current.
        TExportFile file(target);
        const std::vector<TField*> fields = TickedFields();
        for (dataSet_->First(); !dataSet_->Eof(); dataSet_->Next()) {
            file.Write(ExportLine(fields, layout) + AnsiString(kExportLineEnd));
            if (!Step())
                break;
        }
        if (cancelled_)
            file.Cancel();
        else
            file.Commit();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace vmado
