#include "dialogs/DlgColor.h"

#include "controls/ColorGrid.h"
#include "controls/QtBridge.h"
#include "dialogs/DlgSelFld.h"
#include "filters/VFilters.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vmado {

namespace {

const char* const kAll = "<all>";

void FillCombo(QComboBox* box, const TStrings& items)
{
    box->clear();
    for (Integer i = 0; i < items.Count(); ++i)
        box->addItem(ToQString(items.Strings(i)));
}

void SelectText(QComboBox* box, const AnsiString& text)
{
    box->setCurrentIndex(text.empty() ? -1 : box->findText(ToQString(text), Qt::MatchExactly));
}

AnsiString ComboText(const QComboBox* box)
{
    return box->currentIndex() < 0 ? AnsiString() : FromQString(box->currentText());
}

class Quiet {
public:
    explicit Quiet(int& counter) : counter_(counter) { ++counter_; }
    ~Quiet() { --counter_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int& counter_;
};

} // namespace

TColorFltDialog::TColorFltDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), lbxColorSet_(new QListWidget(this)),
      edName_(new QLineEdit(this)), cgOffer_(new TColorGrid(this)),
      panTest_(new QLabel("Example for test colors", this)),
      chkSelField_(new QCheckBox("Do with this fields only:", this)),
      btnSelect_(new QPushButton("&Select", this)), btnInsert_(new QPushButton("&Insert", this)),
      btnDelete_(new QPushButton("&Delete", this)), btnOK_(new QPushButton("OK", this)),
      btnCancel_(new QPushButton("Cancel", this))
{
    setWindowTitle("Color filters");
    setModal(true);
    lbxColorSet_->setObjectName("lbxColorSet");
    edName_->setObjectName("edName");
    cgOffer_->setObjectName("cgOffer");
    cgOffer_->setToolTip("Ink color -> Left Click  -  Paper color -> Right click");
    panTest_->setObjectName("panTest");
    panTest_->setAlignment(Qt::AlignCenter);
    panTest_->setAutoFillBackground(true);
    panTest_->setFrameShape(QFrame::Panel);
    panTest_->setMinimumHeight(32);
    chkSelField_->setObjectName("chkSelField");
    chkSelField_->setToolTip("Select the field(s) to use this colors");
    btnSelect_->setObjectName("btnSelect");
    btnInsert_->setObjectName("btnInsert");
    btnDelete_->setObjectName("btnDelete");
    btnOK_->setObjectName("btnOK");
    btnOK_->setToolTip("Save the settings and close the dialogbox");
    btnOK_->setDefault(true);
    btnCancel_->setObjectName("btnCancel");

    auto* nameBox = new QVBoxLayout;
    auto* nameLabel = new QLabel("Name:", this);
    nameLabel->setBuddy(edName_);
    nameBox->addWidget(nameLabel);
    nameBox->addWidget(edName_);
    nameBox->addWidget(panTest_);
    auto* selBox = new QHBoxLayout;
    selBox->addWidget(chkSelField_);
    selBox->addWidget(btnSelect_);
    selBox->addStretch();
    nameBox->addLayout(selBox);
    nameBox->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(lbxColorSet_, 1);
    top->addLayout(nameBox, 1);
    top->addWidget(cgOffer_, 0, Qt::AlignTop);

    auto* grid = new QGridLayout;
    for (int n = 1; n <= RowCount; ++n) {
        BuildRow(n);
        const Row& row = RowAt(n);
        grid->addWidget(row.btnClear, n, 0);
        grid->addWidget(row.cbxField, n, 1);
        grid->addWidget(row.cbxRel, n, 2);
        grid->addWidget(row.edValue, n, 3);
        grid->addWidget(row.cbxLog, n, 4);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnInsert_);
    buttons->addWidget(btnDelete_);
    buttons->addStretch();
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(560, 480);

    edName_->setEnabled(false);
    chkSelField_->setEnabled(false);
    btnDelete_->setEnabled(false);
    ClearAllItem();

    connect(lbxColorSet_, &QListWidget::currentRowChanged, this, [this] {
        if (!quiet_)
            ColorSetClick();
    });
    connect(edName_, &QLineEdit::editingFinished, this, &TColorFltDialog::NameChange);
    connect(cgOffer_, &TColorGrid::ColorsChanged, this, &TColorFltDialog::OfferChange);
    const auto gridClick = [this] {
        if (!edName_->text().isEmpty())
            SaveCustomColor();
    };
    connect(cgOffer_, &TColorGrid::InkChosen, this, gridClick);
    connect(cgOffer_, &TColorGrid::PaperChosen, this, gridClick);
    connect(chkSelField_, &QCheckBox::clicked, this, &TColorFltDialog::SelFieldCheck);
    connect(btnSelect_, &QPushButton::clicked, this, &TColorFltDialog::SelFieldClick);
    connect(btnInsert_, &QPushButton::clicked, this, &TColorFltDialog::InsColorClick);
    connect(btnDelete_, &QPushButton::clicked, this, &TColorFltDialog::DelColorClick);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    OfferChange();
}

void TColorFltDialog::BuildRow(int n)
{
    const QString num = QString::number(n);
    Row& row = RowAt(n);
    row.btnClear = new QPushButton(num + ".", this);
    row.btnClear->setObjectName("btnClear" + num);
    row.btnClear->setToolTip("Clear the selected filter level");
    row.btnClear->setFixedWidth(32);
    row.cbxField = new QComboBox(this);
    row.cbxField->setObjectName("cbxField" + num);
    row.cbxRel = new QComboBox(this);
    row.cbxRel->setObjectName("cbxRel" + num);
    row.edValue = new QLineEdit(this);
    row.edValue->setObjectName("edValue" + num);
    row.cbxLog = new QComboBox(this);
    row.cbxLog->setObjectName("cbxLog" + num);

    connect(row.btnClear, &QPushButton::clicked, this, [this, n] { ClearClick(n); });
    connect(row.cbxField, &QComboBox::currentIndexChanged, this, [this, n] {
        if (!quiet_)
            FieldChange(n);
    });
    connect(row.cbxRel, &QComboBox::currentIndexChanged, this, [this, n] {
        if (!quiet_)
            RelChange(n);
    });
    connect(row.edValue, &QLineEdit::textChanged, this, [this, n] {
        if (!quiet_)
            ValueChange(n);
    });
    connect(row.cbxLog, &QComboBox::currentIndexChanged, this, [this, n] {
        if (!quiet_)
            LogChange(n);
    });
}

void TColorFltDialog::showEvent(QShowEvent* event)
{
    if (!shown_) {
        shown_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        FormShow();
    }
    QDialog::showEvent(event);
}

void TColorFltDialog::FormShow()
{
    {
        Quiet quiet(quiet_);
        fieldNames_.Clear();
        TStringList labels;
        if (dataSet_) {
            for (Integer i = 0; i < dataSet_->FieldCount(); ++i) {
                const TField* field = dataSet_->Fields()->Fields(i);
                fieldNames_.Add(field->FieldName());
                labels.Add(Trim(field->DisplayLabel()));
            }
        }
        TStringList relations;
        RelationStrings(&relations, ffString);
        TStringList logicals;
        LogicalOpStrings(&logicals);
        const bool upper = dataSet_ && dataSet_->FilterOptions().Contains(foCaseInsensitive);
        for (Row& row : rows_) {
            FillCombo(row.cbxField, labels);
            FillCombo(row.cbxRel, relations);
            FillCombo(row.cbxLog, logicals);
            SetUpperCaseTyping(row.edValue, upper);
        }
        ClearAllItem();
        RefillList(lbxColorSet_->count() > 0 || (colors_ && colors_->Count() > 0) ? 0 : -1);
        newSet_ = false;
    }
    if (lbxColorSet_->currentRow() >= 0)
        ColorSetClick();
}

void TColorFltDialog::EnableInput(QWidget* input, bool enabled)
{
    input->setEnabled(enabled);
    SetInputColor(input, enabled ? clWindow : clInfoBk);
}

void TColorFltDialog::ClearAllItem()
{
    Quiet quiet(quiet_);
    edName_->clear();
    cgOffer_->SetForegroundColor(clWindowText);
    cgOffer_->SetBackgroundColor(clWindow);
    chkSelField_->setChecked(false);
    selected_ = kAll;
    for (Row& row : rows_) {
        row.btnClear->setEnabled(false);
        row.cbxField->setCurrentIndex(-1);
        row.cbxRel->setCurrentIndex(-1);
        row.edValue->clear();
        row.cbxLog->setCurrentIndex(-1);
        EnableInput(row.cbxField, false);
        EnableInput(row.cbxRel, false);
        EnableInput(row.edValue, false);
        EnableInput(row.cbxLog, false);
    }
    EnableInput(rows_[0].cbxField, true);
}

TVFilter* TColorFltDialog::CurrentRule() const
{
    const int index = lbxColorSet_->currentRow();
    if (newSet_ || !colors_ || index < 0 || index >= colors_->Count())
        return nullptr;
    return colors_->GetItem(index);
}

void TColorFltDialog::RefillList(int select)
{
    Quiet quiet(quiet_);
    lbxColorSet_->clear();
    if (colors_) {
        TStringList captions;
        colors_->SetMenuItems(&captions);
        for (Integer i = 0; i < captions.Count(); ++i)
            lbxColorSet_->addItem(ToQString(captions.Strings(i)));
    }
    lbxColorSet_->setCurrentRow(select < lbxColorSet_->count() ? select : -1);
    btnDelete_->setEnabled(lbxColorSet_->count() > 0);
}

void TColorFltDialog::ColorSetClick()
{
    ClearAllItem();
    newSet_ = false;
    const int index = lbxColorSet_->currentRow();
    if (index >= 0) {
        edName_->setEnabled(true);
        {
            Quiet quiet(quiet_);
            edName_->setText(lbxColorSet_->item(index)->text());
        }
        // The list shows the collection in order, so its row is the rule: a rule whose name
        // merely equals another's caption must not be shown instead.
        if (const TVFilter* rule = CurrentRule())
            ShowRule(rule);
    }
    lbxColorSet_->setFocus();
}

void TColorFltDialog::ShowRule(const TVFilter* rule)
{
    Quiet quiet(quiet_);
    selected_ = rule->GetSelected();
    chkSelField_->setEnabled(true);
    chkSelField_->setChecked(selected_ != kAll);
    cgOffer_->SetBackgroundColor(rule->BackGround());
    cgOffer_->SetForegroundColor(rule->ForeGround());
    const TVSubFilters* lines = rule->Levels();
    for (Integer i = 0; i < lines->Count() && i < RowCount; ++i) {
        const TVSubFilter* line = lines->GetItem(i);
        Row& row = rows_[i];
        const Integer fieldIndex = fieldNames_.IndexOf(line->FieldName());
        row.cbxField->setCurrentIndex(fieldIndex);
        EnableInput(row.cbxField, true);
        if (fieldIndex >= 0 && dataSet_) {
            TStringList relations;
            RelationStrings(&relations, dataSet_->FindField(line->FieldName()));
            FillCombo(row.cbxRel, relations);
        }
        SelectText(row.cbxRel, RelationToString(line->Relation()));
        EnableInput(row.cbxRel, row.cbxRel->currentIndex() >= 0);
        row.edValue->setText(ToQString(line->LowerValue()));
        EnableInput(row.edValue, !line->LowerValue().empty());
        SelectText(row.cbxLog, LogicalToString(line->LogicalOp()));
        EnableInput(row.cbxLog, row.cbxLog->currentIndex() >= 0);
        row.btnClear->setEnabled(true);
        if (line->LogicalOp() == flNone || line->LogicalOp() == flEnd)
            break;
    }
}

void TColorFltDialog::SaveCustomColor()
{
    if (!colors_)
        return;
    TVFilter* rule = CurrentRule();
    if (!rule)
        rule = colors_->Add();
    rule->SetCaption(FromQString(edName_->text()));
    TVSubFilters* lines = rule->Levels();
    lines->Clear();
    TVSubFilter* last = nullptr;
    for (const Row& row : rows_) {
        const int fieldIndex = row.cbxField->currentIndex();
        const AnsiString relation = ComboText(row.cbxRel);
        const AnsiString value = FromQString(row.edValue->text());
        if (fieldIndex < 0 || fieldIndex >= fieldNames_.Count() || relation.empty() || value.empty())
            continue;
        const AnsiString fieldName = fieldNames_.Strings(fieldIndex);
        last = lines->Add();
        last->SetFieldName(fieldName);
        last->SetNegation(false);
        last->SetRelation(StringToRelation(relation));
        last->SetFilterType(FieldToFilterType(dataSet_ ? dataSet_->FindField(fieldName) : nullptr));
        last->SetLowerValue(value);
        last->SetUpperValue("");
        // A row without an operator ends the chain, as END does; a line left outside the chain
        // would colour nothing.
        const TLogicalType op = StringToLogical(ComboText(row.cbxLog));
        last->SetLogicalOp(op == flNone ? flEnd : op);
        rule->SetBackGround(cgOffer_->BackgroundColor());
        rule->SetForeGround(cgOffer_->ForegroundColor());
        rule->SetSelected(chkSelField_->isChecked() ? selected_ : AnsiString(kAll));
        if (last->LogicalOp() == flEnd)
            break;
    }
    // Rows left without a next line must not leave the chain open.
    if (last && last->LogicalOp() != flEnd)
        last->SetLogicalOp(flEnd);
    RefillList(rule->Index());
    newSet_ = false;
    chkSelField_->setEnabled(true);
}

void TColorFltDialog::InsColorClick()
{
    ClearAllItem();
    {
        Quiet quiet(quiet_);
        lbxColorSet_->setCurrentRow(-1);
    }
    EnableInput(rows_[0].cbxField, true);
    edName_->setEnabled(true);
    edName_->setText(QString("Color %1").arg(lbxColorSet_->count()));
    edName_->setFocus();
    newSet_ = true;
}

void TColorFltDialog::DelColorClick()
{
    const int index = lbxColorSet_->currentRow();
    if (index < 0 || !colors_ || newSet_)
        return;
    if (index < colors_->Count())
        colors_->Delete(index);
    const int remaining = colors_->Count();
    RefillList(remaining == 0 ? -1 : std::min(index, remaining - 1));
    lbxColorSet_->setFocus();
    ColorSetClick();
}

void TColorFltDialog::NameChange()
{
    if (quiet_ || newSet_)
        return;
    TVFilter* rule = CurrentRule();
    if (!rule)
        return;
    const AnsiString name = FromQString(edName_->text());
    if (rule->Caption() == name)
        return;
    rule->SetCaption(name);
    RefillList(rule->Index());
}

void TColorFltDialog::ClearClick(int row)
{
    if (TVFilter* rule = CurrentRule()) {
        rule->Levels()->Delete(static_cast<Integer>(row - 1));
        lbxColorSet_->setFocus();
        ColorSetClick();
        return;
    }
    // A set not saved yet has no line to delete: only the row is emptied.
    Quiet quiet(quiet_);
    Row& r = RowAt(row);
    r.cbxRel->setCurrentIndex(-1);
    r.edValue->clear();
    r.cbxLog->setCurrentIndex(-1);
    r.btnClear->setEnabled(false);
    EnableInput(r.cbxRel, false);
    EnableInput(r.edValue, false);
    EnableInput(r.cbxLog, false);
}

void TColorFltDialog::FieldChange(int n)
{
    Row& row = RowAt(n);
    const int index = row.cbxField->currentIndex();
    if (index < 0)
        return;
    TStringList relations;
    if (dataSet_ && index < fieldNames_.Count())
        RelationStrings(&relations, dataSet_->FindField(fieldNames_.Strings(index)));
    else
        RelationStrings(&relations, ffString);
    {
        Quiet quiet(quiet_);
        FillCombo(row.cbxRel, relations);
        row.cbxRel->setCurrentIndex(-1);
    }
    EnableInput(row.cbxRel, true);
}

void TColorFltDialog::RelChange(int n)
{
    Row& row = RowAt(n);
    if (row.cbxRel->currentIndex() >= 0)
        EnableInput(row.edValue, true);
}

void TColorFltDialog::ValueChange(int n)
{
    Row& row = RowAt(n);
    if (!row.edValue->text().isEmpty())
        EnableInput(row.cbxLog, true);
}

void TColorFltDialog::LogChange(int n)
{
    Row& row = RowAt(n);
    const AnsiString op = ComboText(row.cbxLog);
    if (op.empty())
        return;
    if (op == LogicalToString(flEnd)) {
        row.btnClear->setEnabled(row.cbxLog->isEnabled());
        SaveCustomColor();
        lbxColorSet_->setFocus();
        return;
    }
    if (n < RowCount) {
        row.btnClear->setEnabled(row.cbxLog->isEnabled());
        EnableInput(RowAt(n + 1).cbxField, true);
    }
}

void TColorFltDialog::OfferChange()
{
    QPalette palette = panTest_->palette();
    palette.setColor(QPalette::Window, ToQColor(cgOffer_->BackgroundColor()));
    palette.setColor(QPalette::WindowText, ToQColor(cgOffer_->ForegroundColor()));
    panTest_->setPalette(palette);
}

void TColorFltDialog::SelFieldCheck(bool checked)
{
    if (checked)
        SelFieldClick();
    else
        selected_ = kAll;
}

void TColorFltDialog::SelFieldClick()
{
    TSelFldDialog dialog(this);
    const bool all = selected_.empty() || selected_ == kAll;
    if (dataSet_) {
        for (Integer i = 0; i < dataSet_->FieldCount(); ++i) {
            const TField* field = dataSet_->Fields()->Fields(i);
            if (!marker_.empty() && SameText(field->FieldName(), marker_))
                continue;
            dialog.AddField(Trim(field->DisplayLabel()), field->FieldName(),
                            all || IsSub(field->FieldName(), selected_));
        }
    }
    if (dialog.exec() == QDialog::Accepted) {
        AnsiString names;
        Integer checked = 0;
        for (Integer i = 0; i < dialog.Count(); ++i) {
            if (!dialog.Checked(i))
                continue;
            if (checked++ > 0)
                names += ",";
            names += dialog.Fields()->Strings(i);
        }
        selected_ = checked == 0 || checked == dialog.Count() ? AnsiString(kAll) : names;
    }
    {
        Quiet quiet(quiet_);
        chkSelField_->setChecked(selected_ != kAll);
    }
    SaveCustomColor();
}

} // namespace vmado
