#include "controls/DBComboBox.h"

#include "controls/DBControlPrivate.h"
#include "controls/FieldDataLink.h"
#include "framework/db/Fields.h"

#include <QAbstractItemModel>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace vmado {

TVDBComboBox::TVDBComboBox(QWidget* parent) : QComboBox(parent), link_(std::make_unique<TFieldDataLink>())
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { UpdateInputState(); };
    link_->OnActiveChange = [this] { UpdateInputState(); };
    link_->OnUpdateData = [this] { controls::SetFieldText(link_->Field(), currentText()); };
    link_->OnFocusControl = [this] { setFocus(Qt::OtherFocusReason); };
    connect(this, &QComboBox::activated, this, [this] { UserPicked(); });
    connect(this, &QComboBox::editTextChanged, this, [this] {
        // Only typing marks the line modified; a list that picks its first item on its own
        // does not.
        if (!loading_ && lineEdit() != nullptr && lineEdit()->isModified())
            UserTyped();
    });
    // A list filled after the field was shown must not leave its own first item on display.
    const auto reshow = [this] {
        if (!link_->IsModified())
            DataChange();
    };
    connect(model(), &QAbstractItemModel::rowsInserted, this, reshow);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, reshow);
    UpdateInputState();
}

TVDBComboBox::~TVDBComboBox()
{
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnActiveChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->OnFocusControl = nullptr;
}

TDataSource* TVDBComboBox::DataSource() const
{
    return link_->DataSource();
}

void TVDBComboBox::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
    UpdateInputState();
}

const AnsiString& TVDBComboBox::DataField() const
{
    return link_->FieldName();
}

void TVDBComboBox::SetDataField(const AnsiString& value)
{
    link_->SetFieldName(value);
}

bool TVDBComboBox::ReadOnly() const
{
    return link_->ReadOnly();
}

void TVDBComboBox::SetReadOnly(bool value)
{
    link_->SetReadOnly(value);
    UpdateInputState();
}

TField* TVDBComboBox::Field() const
{
    return link_->Field();
}

void TVDBComboBox::DataChange()
{
    if (starting_)
        return;
    const QString text = controls::FieldText(link_->Field(), true);
    loading_ = true;
    setCurrentIndex(findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    if (isEditable()) {
        if (currentText() != text)
            setEditText(text);
        lineEdit()->setModified(false);
    }
    loading_ = false;
    UpdateInputState();
}

void TVDBComboBox::UpdateInputState()
{
    if (lineEdit() != nullptr)
        lineEdit()->setReadOnly(!controls::CanStartEdit(*link_));
}

void TVDBComboBox::showPopup()
{
    // A list that cannot be applied is not offered.
    if (controls::CanStartEdit(*link_))
        QComboBox::showPopup();
}

void TVDBComboBox::UserTyped()
{
    if (!controls::BeginUserEdit(*link_, starting_)) {
        link_->Reset();
        return;
    }
    link_->Modified();
}

void TVDBComboBox::UserPicked()
{
    if (!controls::BeginUserEdit(*link_, starting_)) {
        link_->Reset();
        return;
    }
    link_->Modified();
    if (!controls::CommitUserEdit(*link_))
        link_->Reset();
}

void TVDBComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!controls::CommitUserEdit(*link_))
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

void TVDBComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && link_->IsModified()) {
        link_->Reset();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

} // namespace vmado
