// Sorting and filtering are the recordset's (its Sort and Filter texts); colouring is evaluated
// in memory against the current record. The sort list is "Name ASC,Age DESC": edited as a
// name=value list, so names with blanks, commas or "=" cannot take part.
#include "dataset/VDB.h"

#include "framework/rtl/SysUtils.h"
#include "utils/VUtils.h"

namespace vmado {

namespace {

std::unique_ptr<TStringList> SortList(const AnsiString& sort)
{
    auto list = std::make_unique<TStringList>();
    list->SetCommaText(StrTran(sort, " ", "="));
    return list;
}

AnsiString SortText(const TStringList& list)
{
    return StrTran(list.CommaText(), "=", " ");
}

} // namespace

void TVADODataSet::SetSortStr(const AnsiString& value)
{
    if (value == sort_)
        return;
    sort_ = value;
    if (records_ == nullptr || !records_->Active)
        return;
    records_->SetSort(value);
    const AnsiString marker = GetMarkerField();
    for (Integer i = 0; i < Fields()->Count(); ++i) {
        TField* field = Fields()->Fields(i);
        if (field->FieldName() != marker)
            field->SetDisplayLabel(Trim(field->DisplayLabel()) + "     ");
        else
            field->SetDisplayLabel(" + ");
        field->SetTag(SortField(field));
    }
    First();
}

void TVADODataSet::SortAdd(const AnsiString& fieldName, TSortMode mode, bool add)
{
    const auto list = SortList(sort_);
    const AnsiString word = mode == smDESC ? "DESC" : "ASC";
    if (add) {
        const Integer index = list->IndexOfName(fieldName);
        if (index >= 0)
            list->SetValueFromIndex(index, word);
        else
            list->Add(fieldName + "=" + word);
    } else {
        list->Clear();
        list->Add(fieldName + "=" + word);
    }
    SetSortStr(SortText(*list));
}

void TVADODataSet::SortAdd(TField* field, bool add)
{
    if (field == nullptr)
        return;
    SortAdd(field->FieldName(), field->Tag() == 1 ? smDESC : smASC, add);
}

void TVADODataSet::SortDelete(const AnsiString& fieldName)
{
    const auto list = SortList(sort_);
    const Integer index = list->IndexOfName(fieldName);
    if (index >= 0)
        list->Delete(index);
    SetSortStr(SortText(*list));
}

void TVADODataSet::SortDelete(TField* field)
{
    if (field != nullptr)
        SortDelete(field->FieldName());
}

bool TVADODataSet::IsSorted(const AnsiString& fieldName) const
{
    return IsSub(fieldName, sort_);
}

bool TVADODataSet::IsSorted(TField* field) const
{
    return field != nullptr && IsSorted(field->FieldName());
}

TSortMode TVADODataSet::SortMode(const AnsiString& fieldName) const
{
    const auto list = SortList(sort_);
    const Integer index = list->IndexOfName(fieldName);
    if (index < 0)
        return smNONE;
    const AnsiString word = list->ValueFromIndex(index);
    if (word == "ASC")
        return smASC;
    if (word == "DESC")
        return smDESC;
    return smNONE;
}

TSortMode TVADODataSet::SortMode(TField* field) const
{
    return field != nullptr ? SortMode(field->FieldName()) : smNONE;
}

Integer TVADODataSet::SortField(TField* field) const
{
    if (!IsSorted(field))
        return 0;
    switch (SortMode(field)) {
    case smASC:
        return 1;
    case smDESC:
        return 2;
    default:
        return 0;
    }
}

void TVADODataSet::SetFilterStr(const AnsiString& value)
{
    if (value == Filter())
        return;
    TDataSet::SetFilterText(value);
    ExecFilter();
}

AnsiString TVADODataSet::FilterText() const
{
    AnsiString text = Filter();
    if (options_.Contains(opFilter)) {
        const AnsiString filtersText = filters_->SQLText(fmADO, FilterOptions().Contains(foCaseInsensitive));
        if (!text.empty() && !filtersText.empty())
            text += " AND ";
        text += filtersText;
    }
    return text;
}

void TVADODataSet::ExecFilter()
{
    const AnsiString text = FilterText();
    if (OnVerbose)
        OnVerbose(text, vmFilter);
    if (records_ == nullptr)
        return;
    const AnsiString previous = records_->GetFilter();
    records_->SetFilter(text);
    if (records_->Active && text != previous)
        First();
}

void TVADODataSet::FieldColors(const AnsiString& fieldName, TColor& backColor, TColor& foreColor)
{
    for (Integer i = 0; i < colors_->Count(); ++i) {
        const TVFilter* rule = colors_->GetItem(i);
        if (rule->GetSelected() != "<all>" && !IsSub(fieldName, rule->GetSelected()))
            continue;
        if (colors_->Evaluate(i, this)) {
            backColor = rule->BackGround();
            foreColor = rule->ForeGround();
        }
    }
}

} // namespace vmado
