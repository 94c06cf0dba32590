#include "controls/DBEdit.h"

#include "controls/DBControlPrivate.h"
#include "controls/FieldDataLink.h"
#include "framework/db/Fields.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace vmado {

namespace {

// Characters the field holds, or 0 for no limit of the edit's own.
int TextLimit(TField* field)
{
    if (field == nullptr || field->IsBlob())
        return 0;
    switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return field->Size();
    default:
        return 0;
    }
}

} // namespace

TVDBEdit::TVDBEdit(QWidget* parent) : QLineEdit(parent), link_(std::make_unique<TFieldDataLink>())
{
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { UpdateInputState(); };
    link_->OnActiveChange = [this] { UpdateInputState(); };
    link_->OnUpdateData = [this] { controls::SetFieldText(link_->Field(), text()); };
    link_->OnFocusControl = [this] { setFocus(Qt::OtherFocusReason); };
    connect(this, &QLineEdit::textEdited, this, [this] { UserEdited(); });
    UpdateInputState();
}

TVDBEdit::~TVDBEdit()
{
    // The link's last notices would land in a widget being torn down.
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnActiveChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->OnFocusControl = nullptr;
}

TDataSource* TVDBEdit::DataSource() const
{
    return link_->DataSource();
}

void TVDBEdit::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
    UpdateInputState();
}

const AnsiString& TVDBEdit::DataField() const
{
    return link_->FieldName();
}

void TVDBEdit::SetDataField(const AnsiString& value)
{
    link_->SetFieldName(value);
}

bool TVDBEdit::ReadOnly() const
{
    return link_->ReadOnly();
}

void TVDBEdit::SetReadOnly(bool value)
{
    link_->SetReadOnly(value);
    UpdateInputState();
}

TField* TVDBEdit::Field() const
{
    return link_->Field();
}

void TVDBEdit::DataChange()
{
    if (starting_)
        return;
    TField* field = link_->Field();
    if (field != nullptr)
        setAlignment(controls::ToQtAlignment(field->Alignment()));
    const int limit = TextLimit(field);
    setMaxLength(limit > 0 ? limit : 32767);
    const QString shown = controls::FieldText(field, focused_ && link_->CanModify());
    if (shown != text())
        setText(shown);
    UpdateInputState();
}

void TVDBEdit::UpdateInputState()
{
    setReadOnly(!controls::CanStartEdit(*link_));
}

void TVDBEdit::UserEdited()
{
    if (!controls::BeginUserEdit(*link_, starting_)) {
        link_->Reset();
        return;
    }
    link_->Modified();
}

void TVDBEdit::focusInEvent(QFocusEvent* event)
{
    if (!focused_) {
        focused_ = true;
        if (!link_->IsModified())
            DataChange();
    }
    QLineEdit::focusInEvent(event);
}

void TVDBEdit::focusOutEvent(QFocusEvent* event)
{
    // Another window or a popup taking the focus does not leave the edit.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (!controls::CommitUserEdit(*link_)) {
        QLineEdit::focusOutEvent(event);
        selectAll();
        // The focus has already moved; taking it back waits until that move is over.
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
        return;
    }
    focused_ = false;
    QLineEdit::focusOutEvent(event);
    DataChange();
}

void TVDBEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (link_->IsModified()) {
            link_->Reset();
            selectAll();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The value is checked before a default button acts on the record.
        if (!controls::CommitUserEdit(*link_)) {
            selectAll();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace vmado
