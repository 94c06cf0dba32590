#include "controls/DBMemo.h"

#include "controls/DBControlPrivate.h"
#include "controls/FieldDataLink.h"
#include "framework/db/Fields.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace vmado {

TVDBMemo::TVDBMemo(QWidget* parent) : QPlainTextEdit(parent), link_(std::make_unique<TFieldDataLink>())
{
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnEditingChange = [this] { UpdateInputState(); };
    link_->OnActiveChange = [this] { UpdateInputState(); };
    link_->OnUpdateData = [this] { controls::SetFieldText(link_->Field(), StoredText()); };
    link_->OnFocusControl = [this] { setFocus(Qt::OtherFocusReason); };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_)
            UserEdited();
    });
    UpdateInputState();
}

TVDBMemo::~TVDBMemo()
{
    link_->OnDataChange = nullptr;
    link_->OnEditingChange = nullptr;
    link_->OnActiveChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->OnFocusControl = nullptr;
}

TDataSource* TVDBMemo::DataSource() const
{
    return link_->DataSource();
}

void TVDBMemo::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
    UpdateInputState();
}

const AnsiString& TVDBMemo::DataField() const
{
    return link_->FieldName();
}

void TVDBMemo::SetDataField(const AnsiString& value)
{
    link_->SetFieldName(value);
}

bool TVDBMemo::ReadOnly() const
{
    return link_->ReadOnly();
}

void TVDBMemo::SetReadOnly(bool value)
{
    link_->SetReadOnly(value);
    UpdateInputState();
}

TField* TVDBMemo::Field() const
{
    return link_->Field();
}

QString TVDBMemo::StoredText() const
{
    QString text = toPlainText();
    if (crlf_)
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void TVDBMemo::DataChange()
{
    if (starting_)
        return;
    QString text = controls::FieldText(link_->Field(), true);
    crlf_ = text.contains(QLatin1String("\r\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text != toPlainText()) {
        loading_ = true;
        setPlainText(text);
        loading_ = false;
    }
    UpdateInputState();
}

void TVDBMemo::UpdateInputState()
{
    setReadOnly(!controls::CanStartEdit(*link_));
}

void TVDBMemo::UserEdited()
{
    if (!controls::BeginUserEdit(*link_, starting_)) {
        link_->Reset();
        return;
    }
    link_->Modified();
}

void TVDBMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!controls::CommitUserEdit(*link_))
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

void TVDBMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && link_->IsModified()) {
        link_->Reset();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace vmado
