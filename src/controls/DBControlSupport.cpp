#include "controls/DBControlPrivate.h"

#include "controls/FieldDataLink.h"
#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/db/Fields.h"

#include <utility>

namespace vmado::controls {

QString FieldText(TField* field, bool forEditing)
{
    if (field == nullptr)
        return {};
    try {
        // A blob's Text is only its class tag; the control wants the content.
        if (field->IsBlob())
            return ToQString(field->AsString());
        return ToQString(forEditing ? field->Text() : field->DisplayText());
    } catch (...) {
        Application()->HandleException(field);
        return {};
    }
}

void SetFieldText(TField* field, const QString& text)
{
    if (field->IsBlob())
        field->SetAsString(FromQString(text));
    else
        field->SetText(FromQString(text));
}

Qt::Alignment ToQtAlignment(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

bool BeginUserEdit(TFieldDataLink& link, bool& flag)
{
    if (link.Editing() && link.CanModify())
        return true;
    const bool saved = std::exchange(flag, true);
    bool editing = false;
    try {
        editing = link.Edit();
    } catch (...) {
        flag = saved;
        Application()->HandleException(link.DataSet());
        return false;
    }
    flag = saved;
    return editing;
}

bool CommitUserEdit(TFieldDataLink& link)
{
    try {
        link.UpdateRecord();
        return true;
    } catch (...) {
        Application()->HandleException(link.DataSet());
        return false;
    }
}

bool CanStartEdit(const TFieldDataLink& link)
{
    if (!link.CanModify())
        return false;
    if (link.Editing())
        return true;
    TDataSource* source = link.DataSource();
    return source != nullptr && source->AutoEdit() && source->State() == dsBrowse;
}

} // namespace vmado::controls
