#include "dialogs/DlgFillUp.h"

#include "controls/QtBridge.h"
#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vmado {

TFillUpDialog::TFillUpDialog(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("FillUpDialog");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(" Conversion: ", this);
    group->setObjectName("rgpKonvert");
    auto* items = new QVBoxLayout(group);
    rgpKonvert_ = new QButtonGroup(group);
    rgpKonvert_->setExclusive(true);
    const char* captions[] = {"ALL UPPERCASE", "all lowercase", "Fill up with a constant value",
                              "Direct SQL command"};
    for (int i = 0; i < 4; ++i) {
        auto* item = new QRadioButton(captions[i], group);
        item->setObjectName("rgpKonvertItem" + QString::number(i));
        rgpKonvert_->addButton(item, i);
        items->addWidget(item);
    }
    layout->addWidget(group);
    edTolt_ = new QLineEdit(this);
    edTolt_->setObjectName("edTolt");
    layout->addWidget(edTolt_);
    lbUpdate_ = new QLabel("UPDATE ... SET", this);
    lbUpdate_->setObjectName("lbUpdate");
    layout->addWidget(lbUpdate_);
    mSQL_ = new QPlainTextEdit(this);
    mSQL_->setObjectName("mSQL");
    layout->addWidget(mSQL_);
    lbWhere_ = new QLabel("WHERE ...", this);
    lbWhere_->setObjectName("lbWhere");
    layout->addWidget(lbWhere_);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("btnOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("btnCancel");
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rgpKonvert_, &QButtonGroup::idClicked, this, &TFillUpDialog::KonvertClick);
    SetInVisible();
}

void TFillUpDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFillUpDialog::FormActivate()
{
    const AnsiString label = field_ ? field_->DisplayLabel() : AnsiString();
    setWindowTitle(ToQString("Conversion or fill up the \"" + AnsiUpperCase(label) + "\" field"));
    lbUpdate_->setText(ToQString("UPDATE ... SET " + (field_ ? field_->FieldName() : AnsiString()) + " = "));
    // An exclusive group will not let its last checked button go: lift the rule to clear it.
    rgpKonvert_->setExclusive(false);
    for (QAbstractButton* item : rgpKonvert_->buttons())
        item->setChecked(false);
    rgpKonvert_->setExclusive(true);
    SetInVisible();
    rgpKonvert_->button(0)->setFocus();
}

void TFillUpDialog::SetInVisible()
{
    edTolt_->hide();
    lbUpdate_->hide();
    lbWhere_->hide();
    mSQL_->hide();
}

void TFillUpDialog::KonvertClick(int item)
{
    SetInVisible();
    if (item == 2) {
        edTolt_->show();
        edTolt_->setFocus();
    } else if (item == 3) {
        mSQL_->show();
        lbUpdate_->show();
        lbWhere_->show();
        mSQL_->clear();
        mSQL_->setFocus();
    }
}

int TFillUpDialog::ItemIndex() const
{
    return rgpKonvert_->checkedId();
}

AnsiString TFillUpDialog::Constant() const
{
    return FromQString(edTolt_->text());
}

void TFillUpDialog::SqlLines(TStrings& to) const
{
    to.Clear();
    const QString text = mSQL_->toPlainText();
    if (text.isEmpty())
        return;
    for (const QString& line : text.split('\n'))
        to.Add(FromQString(line));
}

} // namespace vmado
