#include "dialogs/DlgSelFld.h"

#include "controls/QtBridge.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Format.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vmado {

TSelFldDialog::TSelFldDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool), clbSelField_(new QListWidget(this)), btnMarkON_(new QToolButton(this)),
      btnMarkOFF_(new QToolButton(this)), btnOk_(new QPushButton("OK", this)),
      btnCancel_(new QPushButton("Cancel", this))
{
    setWindowTitle("Select fields:");
    setModal(true);
    clbSelField_->setObjectName("clbSelField");
    btnMarkON_->setObjectName("btnMarkON");
    btnMarkON_->setToolTip("Check ON all item");
    btnMarkON_->setText("+");
    btnMarkON_->setAutoRaise(true);
    btnMarkOFF_->setObjectName("btnMarkOFF");
    btnMarkOFF_->setToolTip("Check OFF all item");
    btnMarkOFF_->setText("-");
    btnMarkOFF_->setAutoRaise(true);
    btnOk_->setObjectName("btnOk");
    btnOk_->setDefault(true);
    btnCancel_->setObjectName("btnCancel");

    auto* marks = new QHBoxLayout;
    marks->addWidget(btnMarkON_);
    marks->addWidget(btnMarkOFF_);
    marks->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(clbSelField_);
    layout->addLayout(marks);
    layout->addLayout(buttons);
    resize(240, 300);

    connect(btnMarkON_, &QToolButton::clicked, this, &TSelFldDialog::MarkONClick);
    connect(btnMarkOFF_, &QToolButton::clicked, this, &TSelFldDialog::MarkOFFClick);
    connect(btnOk_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TSelFldDialog::SetFields(const TStrings* value)
{
    if (value)
        fields_.Assign(value);
    else
        fields_.Clear();
}

void TSelFldDialog::AddField(const AnsiString& displayText, const AnsiString& fieldName, bool checked)
{
    auto* item = new QListWidgetItem(ToQString(displayText), clbSelField_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    fields_.Add(fieldName);
}

Integer TSelFldDialog::Count() const
{
    return clbSelField_->count();
}

bool TSelFldDialog::Checked(Integer index) const
{
    const QListWidgetItem* item = clbSelField_->item(index);
    if (!item)
        throw EListError(Format("Field selection index out of bounds (%d)", {index}));
    return item->checkState() == Qt::Checked;
}

void TSelFldDialog::SetChecked(Integer index, bool checked)
{
    QListWidgetItem* item = clbSelField_->item(index);
    if (!item)
        throw EListError(Format("Field selection index out of bounds (%d)", {index}));
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TSelFldDialog::MarkONClick()
{
    MarkAll(true);
}

void TSelFldDialog::MarkOFFClick()
{
    MarkAll(false);
}

void TSelFldDialog::MarkAll(bool checked)
{
    for (int i = 0; i < clbSelField_->count(); ++i)
        clbSelField_->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace vmado
