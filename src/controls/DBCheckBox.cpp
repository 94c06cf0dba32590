#include "controls/DBCheckBox.h"

#include "controls/DBControlPrivate.h"
#include "controls/FieldDataLink.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <vector>

namespace vmado {

namespace {

// The entries of a ';'-separated list, trimmed.
std::vector<AnsiString> ListEntries(const AnsiString& list)
{
    std::vector<AnsiString> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        entries.push_back(Trim(list.substr(start, end - start)));
        start = end + 1;
    }
    return entries;
}

bool InList(const AnsiString& list, const AnsiString& text)
{
    for (const AnsiString& entry : ListEntries(list))
        if (AnsiCompareText(entry, text) == 0)
            return true;
    return false;
}

void CheckList(const AnsiString& list, const char* what)
{
    if (Trim(list).empty() || Trim(ListEntries(list).front()).empty())
        DatabaseError(AnsiString(what) + " needs a value to write first, got '" + list + "'");
}

} // namespace

TVDBCheckBox::TVDBCheckBox(QWidget* parent) : QCheckBox(parent), link_(std::make_unique<TFieldDataLink>())
{
    setTristate(true);
    link_->OnDataChange = [this] { DataChange(); };
    link_->OnUpdateData = [this] { WriteField(); };
    link_->OnFocusControl = [this] { setFocus(Qt::OtherFocusReason); };
    DataChange();
}

TVDBCheckBox::~TVDBCheckBox()
{
    link_->OnDataChange = nullptr;
    link_->OnUpdateData = nullptr;
    link_->OnFocusControl = nullptr;
}

TDataSource* TVDBCheckBox::DataSource() const
{
    return link_->DataSource();
}

void TVDBCheckBox::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
}

const AnsiString& TVDBCheckBox::DataField() const
{
    return link_->FieldName();
}

void TVDBCheckBox::SetDataField(const AnsiString& value)
{
    link_->SetFieldName(value);
}

bool TVDBCheckBox::ReadOnly() const
{
    return link_->ReadOnly();
}

void TVDBCheckBox::SetReadOnly(bool value)
{
    link_->SetReadOnly(value);
}

TField* TVDBCheckBox::Field() const
{
    return link_->Field();
}

void TVDBCheckBox::SetValueChecked(const AnsiString& value)
{
    CheckList(value, "ValueChecked");
    valueChecked_ = value;
    DataChange();
}

void TVDBCheckBox::SetValueUnchecked(const AnsiString& value)
{
    CheckList(value, "ValueUnchecked");
    valueUnchecked_ = value;
    DataChange();
}

Qt::CheckState TVDBCheckBox::FieldState() const
{
    TField* field = link_->Field();
    if (field == nullptr)
        return Qt::Unchecked;
    try {
        if (field->IsNull())
            return Qt::PartiallyChecked;
        if (field->DataType() == ftBoolean)
            return field->AsBoolean() ? Qt::Checked : Qt::Unchecked;
        const AnsiString text = field->Text();
        if (InList(valueChecked_, text))
            return Qt::Checked;
        if (InList(valueUnchecked_, text))
            return Qt::Unchecked;
    } catch (...) {
        Application()->HandleException(field);
    }
    return Qt::PartiallyChecked;
}

void TVDBCheckBox::DataChange()
{
    if (!starting_)
        setCheckState(FieldState());
}

void TVDBCheckBox::WriteField()
{
    TField* field = link_->Field();
    switch (checkState()) {
    case Qt::PartiallyChecked:
        field->Clear();
        break;
    case Qt::Checked:
        if (field->DataType() == ftBoolean)
            field->SetAsBoolean(true);
        else
            field->SetText(ListEntries(valueChecked_).front());
        break;
    case Qt::Unchecked:
        if (field->DataType() == ftBoolean)
            field->SetAsBoolean(false);
        else
            field->SetText(ListEntries(valueUnchecked_).front());
        break;
    }
}

void TVDBCheckBox::nextCheckState()
{
    // A click never greys the box: grey means the field holds no value or an unknown one.
    const Qt::CheckState next = checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    if (!controls::BeginUserEdit(*link_, starting_))
        return;
    setCheckState(next);
    link_->Modified();
    if (!controls::CommitUserEdit(*link_))
        link_->Reset();
}

} // namespace vmado
