#include "dialogs/DlgFilter.h"

#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"
#include "utils/Strings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>

namespace vmado {

namespace {

constexpr int kRows = 9;
constexpr int kTextLimit = 31;

QString RowName(const char* prefix, int row)
{
    return QString::fromLatin1(prefix) + QString::number(row);
}

void FillCombo(QComboBox* box, const TStrings& items)
{
    const QSignalBlocker quiet(box);
    box->clear();
    for (Integer i = 0; i < items.Count(); ++i)
        box->addItem(ToQString(items.Strings(i)));
    box->setCurrentIndex(-1);
}

QStringList ItemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void CopyItems(const QComboBox* from, QComboBox* to)
{
    const QSignalBlocker quiet(to);
    to->clear();
    to->addItems(ItemsOf(from));
    to->setCurrentIndex(-1);
}

QToolButton* GroupButton(const char* name, const char* caption, QButtonGroup* group, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setCheckable(true);
    group->addButton(button);
    return button;
}

TDateTime ToDateTime(const QDate& date)
{
    return EncodeDate(static_cast<Word>(date.year()), static_cast<Word>(date.month()),
                      static_cast<Word>(date.day()));
}

} // namespace

TFilterDialog::TFilterDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), lines_(std::make_unique<TVSubFilters>(nullptr))
{
    setObjectName("FilterDialog");
    setWindowTitle("Add new Filter");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    BuildTop();
    BuildPages();
    layout->addWidget(findChild<QWidget*>("panTop"));
    layout->addWidget(pcFilter_);
}

TFilterDialog::~TFilterDialog() = default;

void TFilterDialog::BuildTop()
{
    auto* top = new QWidget(this);
    top->setObjectName("panTop");
    auto* row = new QHBoxLayout(top);
    auto* label = new QLabel("Field:", top);
    cbxFields_ = new QComboBox(top);
    cbxFields_->setObjectName("cbxFields");
    cbxFields_->setMinimumWidth(160);
    label->setBuddy(cbxFields_);
    btnOk_ = new QPushButton("OK", top);
    btnOk_->setObjectName("btnOk");
    btnOk_->setDefault(true);
    btnCancel_ = new QPushButton("Cancel", top);
    btnCancel_->setObjectName("btnCancel");
    row->addWidget(label);
    row->addWidget(cbxFields_, 1);
    row->addWidget(btnOk_);
    row->addWidget(btnCancel_);
    connect(cbxFields_, &QComboBox::activated, this, &TFilterDialog::FieldsChange);
    connect(btnOk_, &QPushButton::clicked, this, &TFilterDialog::OkClick);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFilterDialog::BuildPages()
{
    pcFilter_ = new QTabWidget(this);
    pcFilter_->setObjectName("pcFilter");
    auto page = [&](const char* name, const char* caption) {
        auto* p = new QWidget(pcFilter_);
        p->setObjectName(name);
        pcFilter_->addTab(p, caption);
        return p;
    };
    auto tillPair = [&](QWidget* p, QWidget* from, QCheckBox* till, QWidget* upper, QCheckBox* negation) {
        auto* grid = new QGridLayout(p);
        grid->addWidget(new QLabel("From:", p), 0, 0);
        grid->addWidget(from, 0, 1);
        grid->addWidget(till, 1, 0);
        grid->addWidget(upper, 1, 1);
        grid->addWidget(negation, 2, 1);
        grid->setRowStretch(3, 1);
        Enable(upper, false);
        connect(till, &QCheckBox::toggled, this, [this, upper](bool on) { Enable(upper, on); });
    };
    auto check = [](const char* name, const char* caption, QWidget* p) {
        auto* box = new QCheckBox(caption, p);
        box->setObjectName(name);
        return box;
    };

    tsString_ = page("tsString", "String");
    edFrom_ = new QLineEdit(tsString_);
    edFrom_->setObjectName("edFrom");
    edFrom_->setMaxLength(kTextLimit);
    edTill_ = new QLineEdit(tsString_);
    edTill_->setObjectName("edTill");
    edTill_->setMaxLength(kTextLimit);
    chkTillStr_ = check("chkTillStr", "Till:", tsString_);
    chkNegationStr_ = check("chkNegationStr", "Negation", tsString_);
    tillPair(tsString_, edFrom_, chkTillStr_, edTill_, chkNegationStr_);

    tsNumeric_ = page("tsNumeric", "Numeric");
    auto spin = [](const char* name, QWidget* p) {
        auto* box = new QSpinBox(p);
        box->setObjectName(name);
        box->setRange(INT_MIN, INT_MAX);
        return box;
    };
    seFrom_ = spin("seFrom", tsNumeric_);
    seTill_ = spin("seTill", tsNumeric_);
    chkTillNum_ = check("chkTillNum", "Till:", tsNumeric_);
    chkNegationNum_ = check("chkNegationNum", "Negation", tsNumeric_);
    tillPair(tsNumeric_, seFrom_, chkTillNum_, seTill_, chkNegationNum_);

    tsDate_ = page("tsDate", "Date");
    auto picker = [](const char* name, QWidget* p) {
        auto* box = new QDateEdit(QDate::currentDate(), p);
        box->setObjectName(name);
        box->setCalendarPopup(true);
        return box;
    };
    dpFrom_ = picker("dpFrom", tsDate_);
    dpTill_ = picker("dpTill", tsDate_);
    chkTillDat_ = check("chkTillDat", "Till:", tsDate_);
    chkNegationDat_ = check("chkNegationDat", "Negation", tsDate_);
    tillPair(tsDate_, dpFrom_, chkTillDat_, dpTill_, chkNegationDat_);

    auto pair = [&](QWidget* p, const char* first, const char* firstCaption, const char* second,
                    const char* secondCaption, QToolButton*& a, QToolButton*& b) {
        auto* group = new QButtonGroup(p);
        group->setExclusive(true);
        a = GroupButton(first, firstCaption, group, p);
        b = GroupButton(second, secondCaption, group, p);
        a->setChecked(true);
        auto* row = new QHBoxLayout(p);
        row->addWidget(a);
        row->addWidget(b);
        row->addStretch(1);
    };
    tsLogical_ = page("tsLogical", "Logical");
    pair(tsLogical_, "btnTrue", "&TRUE", "btnFalse", "&FALSE", btnTrue_, btnFalse_);
    tsMarker_ = page("tsMarker", "Marker");
    pair(tsMarker_, "btnMarked", "&MARKED", "btnUnMarked", "&UNMARKED", btnMarked_, btnUnMarked_);

    tsCustom_ = page("tsCustom", "Custom");
    auto* grid = new QGridLayout(tsCustom_);
    grid->setSpacing(2);
    for (int row = 1; row <= kRows; ++row)
        BuildCustomRow(tsCustom_, row);
    connect(pcFilter_, &QTabWidget::currentChanged, this, &TFilterDialog::FilterChange);
}

void TFilterDialog::BuildCustomRow(QWidget* page, int row)
{
    auto* grid = static_cast<QGridLayout*>(page->layout());
    auto* clear = new QPushButton(QString::number(row) + ".", page);
    clear->setObjectName(RowName("btnClear", row));
    clear->setEnabled(false);
    auto combo = [&](const char* prefix) {
        auto* box = new QComboBox(page);
        box->setObjectName(RowName(prefix, row));
        return box;
    };
    QComboBox* field = combo("cbxField");
    QComboBox* rel = combo("cbxRel");
    auto* value = new QLineEdit(page);
    value->setObjectName(RowName("edValue", row));
    QComboBox* log = combo("cbxLog");
    grid->addWidget(clear, row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(rel, row, 2);
    grid->addWidget(value, row, 3);
    grid->addWidget(log, row, 4);
    for (QWidget* input : {static_cast<QWidget*>(field), static_cast<QWidget*>(rel),
                           static_cast<QWidget*>(value), static_cast<QWidget*>(log)})
        Enable(input, row == 1 && input == field);
    connect(field, &QComboBox::currentIndexChanged, this, [this, row] { FieldChange(row); });
    connect(rel, &QComboBox::currentIndexChanged, this, [this, row] { RelChange(row); });
    connect(value, &QLineEdit::textChanged, this, [this, row] { ValueChange(row); });
    connect(log, &QComboBox::currentIndexChanged, this, [this, row] { LogChange(row); });
    connect(clear, &QPushButton::clicked, this, [this, row] { ClearClick(row); });
    if (row == 1)
        connect(value, &QLineEdit::editingFinished, this, [this, value] {
            if (!value->text().isEmpty())
                Row<QComboBox>("cbxLog", 1)->setFocus();
        });
}

template <class T> T* TFilterDialog::Row(const char* prefix, int row) const
{
    return findChild<T*>(RowName(prefix, row));
}

void TFilterDialog::SetFilters(const TVSubFilters* lines)
{
    lines_->Assign(lines);
}

void TFilterDialog::SetFields(const TStrings* names)
{
    fieldNames_.Assign(names);
}

void TFilterDialog::Enable(QWidget* input, bool on)
{
    input->setEnabled(on);
    SetInputColor(input, on ? clWindow : clInfoBk);
}

TField* TFilterDialog::FieldAt(int index) const
{
    if (!dataSet_ || index < 0 || index >= fieldNames_.Count())
        return nullptr;
    return dataSet_->FindField(fieldNames_.Strings(index));
}

TFilterType TFilterDialog::PageToFilterType(const QWidget* page)
{
    const QString name = page ? page->objectName() : QString();
    if (name == "tsNumeric")
        return ffNumeric;
    if (name == "tsDate")
        return ffDate;
    if (name == "tsLogical")
        return ffLogical;
    if (name == "tsCustom")
        return ffCustom;
    if (name == "tsMarker")
        return ffMarker;
    return ffString;
}

TFilterType TFilterDialog::PageFilterType() const
{
    return PageToFilterType(pcFilter_->currentWidget());
}

QWidget* TFilterDialog::PageOf(TFilterType type) const
{
    switch (type) {
    case ffNumeric:
        return tsNumeric_;
    case ffDate:
        return tsDate_;
    case ffLogical:
        return tsLogical_;
    case ffCustom:
        return tsCustom_;
    case ffMarker:
        return tsMarker_;
    default:
        return tsString_;
    }
}

void TFilterDialog::ShowPage(QWidget* page)
{
    quiet_ = true;
    pcFilter_->setCurrentWidget(page);
    quiet_ = false;
}

void TFilterDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFilterDialog::FormShow()
{
    if (field_) {
        ShowPage(field_->FieldName() != markerField_ ? PageOf(FieldToFilterType(field_)) : tsMarker_);
        cbxFields_->setCurrentIndex(cbxFields_->findText(ToQString(Trim(field_->DisplayLabel()))));
    } else {
        ShowPage(tsCustom_);
        cbxFields_->setFocus();
    }
    TStringList logical;
    LogicalOpStrings(&logical);
    for (int row = 1; row <= kRows; ++row) {
        CopyItems(cbxFields_, Row<QComboBox>("cbxField", row));
        FillCombo(Row<QComboBox>("cbxLog", row), logical);
    }
}

void TFilterDialog::FilterChange(int index)
{
    if (quiet_)
        return;
    QWidget* page = pcFilter_->widget(index);
    if (page != tsCustom_) {
        // Only the field's own page and Custom may be chosen.
        if (TField* field = FieldAt(cbxFields_->currentIndex());
            field && PageToFilterType(page) != FieldToFilterType(field)) {
            ShowPage(PageOf(FieldToFilterType(field)));
            return;
        }
    }
    EnterPage(page);
}

void TFilterDialog::EnterPage(QWidget* page)
{
    if (page == tsString_) {
        SetUpperCaseTyping(edFrom_, caseInsensitive_);
        SetUpperCaseTyping(edTill_, caseInsensitive_);
        edFrom_->setFocus();
    } else if (page == tsNumeric_) {
        seFrom_->setFocus();
    } else if (page == tsDate_) {
        dpFrom_->setDate(QDate::currentDate());
        dpTill_->setDate(QDate::currentDate());
        dpFrom_->setFocus();
    } else if (page == tsCustom_) {
        for (int row = 1; row <= kRows; ++row) {
            SetUpperCaseTyping(Row<QLineEdit>("edValue", row), caseInsensitive_);
            CopyItems(cbxFields_, Row<QComboBox>("cbxField", row));
        }
        Row<QComboBox>("cbxField", 1)->setFocus();
    }
}

void TFilterDialog::FieldsChange(int index)
{
    lines_->Clear();
    field_ = FieldAt(index);
    if (!field_)
        return;
    QWidget* page = field_->FieldName() != markerField_ ? PageOf(FieldToFilterType(field_)) : tsMarker_;
    ShowPage(page);
    EnterPage(page);
}

void TFilterDialog::FieldChange(int row)
{
    QComboBox* field = Row<QComboBox>("cbxField", row);
    if (quiet_ || field->currentText().isEmpty())
        return;
    QComboBox* rel = Row<QComboBox>("cbxRel", row);
    TStringList relations;
    if (TField* chosen = FieldAt(field->currentIndex()))
        RelationStrings(&relations, chosen);
    else
        RelationStrings(&relations, ffString);
    FillCombo(rel, relations);
    Enable(rel, true);
    rel->setFocus();
}

void TFilterDialog::RelChange(int row)
{
    if (quiet_ || Row<QComboBox>("cbxRel", row)->currentText().isEmpty())
        return;
    QLineEdit* value = Row<QLineEdit>("edValue", row);
    Enable(value, true);
    value->setFocus();
}

void TFilterDialog::ValueChange(int row)
{
    if (quiet_ || Row<QLineEdit>("edValue", row)->text().isEmpty())
        return;
    Enable(Row<QComboBox>("cbxLog", row), true);
}

void TFilterDialog::LogChange(int row)
{
    if (quiet_)
        return;
    QComboBox* log = Row<QComboBox>("cbxLog", row);
    const QString text = log->currentText();
    if (text.isEmpty())
        return;
    if (text == "END") {
        Row<QPushButton>("btnClear", row)->setEnabled(log->isEnabled());
        btnOk_->setFocus();
    } else if (row < kRows) {
        Row<QPushButton>("btnClear", row)->setEnabled(log->isEnabled());
        QComboBox* next = Row<QComboBox>("cbxField", row + 1);
        Enable(next, true);
        next->setFocus();
    }
}

void TFilterDialog::ResetRows()
{
    for (int row = 1; row <= kRows; ++row) {
        for (const char* prefix : {"cbxField", "cbxRel", "cbxLog"}) {
            QComboBox* box = Row<QComboBox>(prefix, row);
            box->setCurrentIndex(-1);
            Enable(box, row == 1 && std::string_view(prefix) == "cbxField");
        }
        QLineEdit* value = Row<QLineEdit>("edValue", row);
        value->clear();
        Enable(value, false);
        Row<QPushButton>("btnClear", row)->setEnabled(false);
    }
}

void TFilterDialog::FillRowsFromLines()
{
    for (Integer i = 0; i < lines_->Count() && i < kRows; ++i) {
        const TVSubFilter* line = lines_->GetItem(i);
        if (line->LogicalOp() == flNone)
            break;
        const int row = static_cast<int>(i) + 1;
        QComboBox* field = Row<QComboBox>("cbxField", row);
        field->setCurrentIndex(fieldNames_.IndexOf(line->FieldName()));
        Enable(field, field->currentIndex() >= 0);
        QComboBox* rel = Row<QComboBox>("cbxRel", row);
        TStringList relations;
        RelationStrings(&relations, FieldAt(field->currentIndex()));
        if (relations.Count() == 0)
            RelationStrings(&relations, ffString);
        FillCombo(rel, relations);
        rel->setCurrentIndex(rel->findText(ToQString(RelationToString(line->Relation()))));
        Enable(rel, rel->currentIndex() >= 0);
        QLineEdit* value = Row<QLineEdit>("edValue", row);
        value->setText(ToQString(line->LowerValue()));
        Enable(value, !value->text().isEmpty());
        QComboBox* log = Row<QComboBox>("cbxLog", row);
        log->setCurrentIndex(log->findText(ToQString(LogicalToString(line->LogicalOp()))));
        Enable(log, log->currentIndex() >= 0);
        Row<QPushButton>("btnClear", row)->setEnabled(log->isEnabled());
    }
}

void TFilterDialog::LinesFromRows()
{
    lines_->Clear();
    for (int row = 1; row <= kRows; ++row) {
        QComboBox* field = Row<QComboBox>("cbxField", row);
        const QString rel = Row<QComboBox>("cbxRel", row)->currentText();
        const QString value = Row<QLineEdit>("edValue", row)->text();
        const QString log = Row<QComboBox>("cbxLog", row)->currentText();
        if (field->currentIndex() < 0 || field->currentIndex() >= fieldNames_.Count() || rel.isEmpty() ||
            value.isEmpty())
            continue;
        const AnsiString name = fieldNames_.Strings(field->currentIndex());
        TVSubFilter* line = lines_->Add();
        line->SetFieldName(name);
        line->SetRelation(StringToRelation(FromQString(rel)));
        line->SetFilterType(FieldToFilterType(dataSet_ ? dataSet_->FieldByName(name) : nullptr));
        line->SetLowerValue(FromQString(value));
        line->SetNegation(false);
        // A complete row whose operator was left empty ends the chain, as END would: dropping it
        // would silently lose the condition the user typed.
        line->SetLogicalOp(log.isEmpty() ? flEnd : StringToLogical(FromQString(log)));
    }
}

void TFilterDialog::ClearClick(int row)
{
    // Once the user has built rows, they are the lines: take them over first, so clearing one
    // level keeps the others the user typed instead of dropping them all.
    if (Row<QComboBox>("cbxField", 1)->currentIndex() >= 0) {
        try {
            LinesFromRows();
        } catch (const Exception&) {
            Application()->HandleException(Application());
            return;
        }
    }
    lines_->Delete(static_cast<Integer>(row - 1));
    quiet_ = true;
    ResetRows();
    FillRowsFromLines();
    quiet_ = false;
    btnOk_->setFocus();
}

void TFilterDialog::AddLine(TFilterType type, bool negation, TRelationType relation, const AnsiString& lower,
                            const AnsiString& upper)
{
    TVSubFilter* line = lines_->Add();
    line->SetFieldName(field_ ? field_->FieldName() : AnsiString());
    line->SetNegation(negation);
    line->SetRelation(relation);
    line->SetLowerValue(lower);
    line->SetUpperValue(upper);
    line->SetFilterType(type);
    line->SetLogicalOp(flEnd);
}

void TFilterDialog::OkClick()
{
    try {
        QWidget* page = pcFilter_->currentWidget();
        if (page == tsString_) {
            const auto jokers = [](const QString& text) {
                return StrTran(StrTran(FromQString(text), "*", "%"), "?", "_");
            };
            const AnsiString from = jokers(edFrom_->text());
            const AnsiString till = chkTillStr_->isChecked() ? jokers(edTill_->text()) : AnsiString();
            AddLine(ffString, chkNegationStr_->isChecked(), AnalyseRelation(from, till), from, till);
        } else if (page == tsNumeric_) {
            const AnsiString from = IntToStr(seFrom_->value());
            AddLine(ffNumeric, chkNegationNum_->isChecked(), frEqual, from,
                    chkTillNum_->isChecked() ? IntToStr(seTill_->value()) : from);
        } else if (page == tsDate_) {
            AddLine(ffDate, chkNegationDat_->isChecked(), frEqual, DateToStd(ToDateTime(dpFrom_->date())),
                    chkTillDat_->isChecked() ? DateToStd(ToDateTime(dpTill_->date())) : AnsiString());
        } else if (page == tsLogical_) {
            AddLine(ffLogical, false, frEqual, LogToStr(btnTrue_->isChecked()), AnsiString());
        } else if (page == tsMarker_) {
            AddLine(ffMarker, false, frEqual, LogToStr(btnMarked_->isChecked()), AnsiString());
        } else {
            LinesFromRows();
        }
    } catch (const Exception&) {
        // A Custom row naming a field the dataset no longer has: say so and stay open.
        Application()->HandleException(Application());
        return;
    }
    accept();
}

} // namespace vmado
