// The filter classes and their vocabulary: lines, line lists, filters and filter collections.
// Invariants: a line's values never hold "%" or "_"; deleting a line re-terminates the chain.
#include "filters/VFilters.h"

#include "filters/internal/FilterRegistration.h"
#include "framework/classes/Component.h"
#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Strings.h"

#include <array>

namespace vmado {

namespace {

const AnsiString kAllFields = "<all>";

constexpr std::array<const char*, 12> kRelationTexts = {"  ", "= ", "<>", "> ", ">=", "< ",
                                                        "<=", "A*", "*A", "**", "==", ""};

AnsiString WithoutWildcards(const AnsiString& value)
{
    // StrTran yields "" for an empty text, which is also what an empty value must stay.
    AnsiString s = value.find('%') == AnsiString::npos ? value : StrTran(value, "%", "");
    return s.find('_') == AnsiString::npos ? s : StrTran(s, "_", "");
}

} // namespace

// ---- Vocabulary ---------------------------------------------------------------------------------

const std::vector<AnsiString>& FilterTypeNames()
{
    static const std::vector<AnsiString> names = {"ffNone",    "ffString", "ffNumeric", "ffDate",
                                                  "ffLogical", "ffCustom", "ffMarker"};
    return names;
}

const std::vector<AnsiString>& RelationTypeNames()
{
    static const std::vector<AnsiString> names = {
        "frNone",         "frEqual",      "frNotEqual",  "frBigger",   "frBiggerEqual", "frSmaller",
        "frSmallerEqual", "frJokerRight", "frJokerLeft", "frJokerSub", "frSpecEqual",   "frEmpty"};
    return names;
}

const std::vector<AnsiString>& LogicalTypeNames()
{
    static const std::vector<AnsiString> names = {"flNone", "flEnd", "flAnd", "flAndNot", "flOr", "flOrNot"};
    return names;
}

const std::vector<AnsiString>& FilterModeNames()
{
    static const std::vector<AnsiString> names = {"fmSQL", "fmADO"};
    return names;
}

TFilterType FieldToFilterType(const TField* field)
{
    if (!field)
        return ffNone;
    switch (field->DataType()) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
        return ffString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftAutoInc:
    case ftLargeint:
        return ffNumeric;
    case ftDate:
    case ftDateTime:
        return ffDate;
    case ftBoolean:
        return ffLogical;
    default:
        return ffNone;
    }
}

AnsiString RelationToString(TRelationType relation)
{
    const auto i = static_cast<std::size_t>(relation);
    return i < kRelationTexts.size() ? kRelationTexts[i] : "";
}

TRelationType StringToRelation(const AnsiString& text)
{
    // frEmpty has no text of its own, so an empty text must not find it.
    for (std::size_t i = 0; i + 1 < kRelationTexts.size(); ++i)
        if (text == kRelationTexts[i])
            return static_cast<TRelationType>(i);
    return frNone;
}

AnsiString LogicalToString(TLogicalType logical)
{
    switch (logical) {
    case flNone:
        return "NONE";
    case flEnd:
        return "END";
    case flAnd:
        return "AND";
    case flAndNot:
        return "AND NOT";
    case flOr:
        return "OR";
    case flOrNot:
        return "OR NOT";
    }
    return "NONE";
}

TLogicalType StringToLogical(const AnsiString& text)
{
    for (TLogicalType t : {flEnd, flAnd, flAndNot, flOr, flOrNot})
        if (text == LogicalToString(t))
            return t;
    return flNone;
}

TRelationType RelationNegation(TRelationType relation)
{
    switch (relation) {
    case frEqual:
        return frNotEqual;
    case frNotEqual:
        return frEqual;
    case frBigger:
        return frSmaller;
    case frBiggerEqual:
        return frSmallerEqual;
    case frSmaller:
        return frBigger;
    case frSmallerEqual:
        return frBiggerEqual;
    default:
        return relation;
    }
}

TLogicalType LogicalNegation(TLogicalType logical)
{
    switch (logical) {
    case flAnd:
        return flAndNot;
    case flAndNot:
        return flAnd;
    case flOr:
        return flOrNot;
    case flOrNot:
        return flOr;
    default:
        return logical;
    }
}

void RelationStrings(TStrings* strings, TFilterType filterType)
{
    if (!strings)
        return;
    strings->BeginUpdate();
    try {
        strings->Clear();
        for (const char* s : {"= ", "<>", "> ", ">=", "< ", "<=", "=="})
            strings->Add(s);
        if (filterType == ffString)
            for (const char* s : {"A*", "*A", "**"})
                strings->Add(s);
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

void RelationStrings(TStrings* strings, const TField* field)
{
    RelationStrings(strings, FieldToFilterType(field));
}

void LogicalOpStrings(TStrings* strings)
{
    if (!strings)
        return;
    strings->BeginUpdate();
    try {
        strings->Clear();
        for (const char* s : {"END", "AND", "OR", "AND NOT", "OR NOT"})
            strings->Add(s);
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

TRelationType AnalyseRelation(const AnsiString& lower, const AnsiString& upper)
{
    if (!upper.empty())
        return frEqual;
    TRelationType result = frEqual;
    const Integer percents = StrCount(lower, "%");
    if (percents == 1) {
        if (lower == "%")
            result = frEmpty;
        else if (lower.front() == '%')
            result = frJokerLeft;
        else if (lower.back() == '%')
            result = frJokerRight;
    } else if (percents >= 2) {
        result = frJokerSub;
    }
    if (lower.find('_') != AnsiString::npos)
        result = frJokerSub;
    return result;
}

// ---- TVSubFilter --------------------------------------------------------------------------------

TVSubFilter::TVSubFilter(TCollection* collection) : TCollectionItem(collection)
{
    Clear();
}

void TVSubFilter::Clear()
{
    fieldName_.clear();
    lowerValue_.clear();
    upperValue_.clear();
    filterType_ = ffNone;
    relation_ = frNone;
    negation_ = false;
    logicalOp_ = flNone;
}

void TVSubFilter::Assign(const TPersistent* source)
{
    if (const auto* line = dynamic_cast<const TVSubFilter*>(source)) {
        if (line == this)
            return;
        SetFieldName(line->FieldName());
        SetFilterType(line->FilterType());
        SetLowerValue(line->LowerValue());
        SetUpperValue(line->UpperValue());
        SetRelation(line->Relation());
        SetNegation(line->Negation());
        SetLogicalOp(line->LogicalOp());
        return;
    }
    TCollectionItem::Assign(source);
}

void TVSubFilter::SetFieldName(const AnsiString& value)
{
    fieldName_ = value;
}
void TVSubFilter::SetFilterType(TFilterType value)
{
    filterType_ = value;
}
void TVSubFilter::SetNegation(bool value)
{
    negation_ = value;
}
void TVSubFilter::SetRelation(TRelationType value)
{
    relation_ = value;
}
void TVSubFilter::SetLogicalOp(TLogicalType value)
{
    logicalOp_ = value;
}

void TVSubFilter::SetLowerValue(const AnsiString& value)
{
    if (value != lowerValue_)
        lowerValue_ = WithoutWildcards(value);
}

void TVSubFilter::SetUpperValue(const AnsiString& value)
{
    if (value != upperValue_)
        upperValue_ = WithoutWildcards(value);
}

// ---- TVSubFilters -------------------------------------------------------------------------------

TVSubFilters::TVSubFilters(TPersistent* owner) : TCollection(ItemClassOf<TVSubFilter>()), owner_(owner)
{
    internal::RegisterFilterClasses();
}

TVSubFilter* TVSubFilters::GetItem(Integer index) const
{
    return static_cast<TVSubFilter*>(TCollection::GetItem(index));
}

void TVSubFilters::SetItem(Integer index, const TVSubFilter* value)
{
    GetItem(index)->Assign(value);
}

void TVSubFilters::Assign(const TPersistent* source)
{
    if (const auto* lines = dynamic_cast<const TVSubFilters*>(source)) {
        if (lines == this)
            return;
        BeginUpdate();
        try {
            Clear();
            for (Integer i = 0; i < lines->Count(); ++i)
                Add()->Assign(lines->GetItem(i));
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TCollection::Assign(source);
}

TVSubFilter* TVSubFilters::Add()
{
    return static_cast<TVSubFilter*>(TCollection::Add());
}

TVSubFilter* TVSubFilters::Add(const TVSubFilter* line)
{
    TVSubFilter* added = Add();
    if (line) {
        try {
            added->Assign(line);
        } catch (...) {
            delete added;
            throw;
        }
    }
    return added;
}

void TVSubFilters::Delete(TVSubFilter* line)
{
    if (line && line->Collection() == this)
        delete line;
    if (Count() > 0) {
        TVSubFilter* last = GetItem(Count() - 1);
        if (!last->FieldName().empty())
            last->SetLogicalOp(flEnd);
    }
}

void TVSubFilters::Delete(Integer index)
{
    if (index >= 0 && index < Count())
        Delete(GetItem(index));
}

void TVSubFilters::Delete()
{
    Delete(Count() - 1);
}

// ---- TVFilter -----------------------------------------------------------------------------------

TVFilter::TVFilter(TCollection* collection)
    : TCollectionItem(collection), levels_(std::make_unique<TVSubFilters>(this))
{
    levels_->SetPropName("Levels");
    Clear();
}

TVFilter::~TVFilter() = default;

void TVFilter::Clear()
{
    backGround_ = 0;
    foreGround_ = 0;
    selected_ = kAllFields;
    caption_.clear();
    levels_->Clear();
}

void TVFilter::Assign(const TPersistent* source)
{
    if (const auto* filter = dynamic_cast<const TVFilter*>(source)) {
        if (filter == this)
            return;
        SetBackGround(filter->BackGround());
        SetForeGround(filter->ForeGround());
        SetSelected(filter->GetSelected());
        SetCaption(filter->Caption());
        levels_->Assign(filter->Levels());
        return;
    }
    TCollectionItem::Assign(source);
}

AnsiString TVFilter::GetDisplayName() const
{
    return name_.empty() ? TCollectionItem::DisplayName() : name_;
}

void TVFilter::SetName(const AnsiString& value)
{
    name_ = value;
}

void TVFilter::SetCaption(const AnsiString& value)
{
    if (value == caption_)
        return;
    caption_ = value;
    if (name_.empty())
        name_ = value;
}

void TVFilter::SetBackGround(TColor value)
{
    backGround_ = value;
}
void TVFilter::SetForeGround(TColor value)
{
    foreGround_ = value;
}

AnsiString TVFilter::GetSelected() const
{
    return selected_.empty() ? kAllFields : selected_;
}

void TVFilter::SetSelected(const AnsiString& value)
{
    selected_ = value.empty() ? kAllFields : value;
}

namespace {

Integer CountChain(const TVSubFilters& lines, TLogicalType a, TLogicalType b)
{
    Integer count = 0;
    for (Integer i = 0; i < lines.Count(); ++i) {
        const TLogicalType op = lines.GetItem(i)->LogicalOp();
        if (op == flNone || op == flEnd)
            break;
        if (op == a || op == b)
            ++count;
    }
    return count;
}

} // namespace

Integer TVFilter::CountOR() const
{
    return CountChain(*levels_, flOr, flOrNot);
}
Integer TVFilter::CountAND() const
{
    return CountChain(*levels_, flAnd, flAndNot);
}

// ---- TVFilters ----------------------------------------------------------------------------------

TVFilters::TVFilters(TComponent* owner) : TCollection(ItemClassOf<TVFilter>()), owner_(owner)
{
    internal::RegisterFilterClasses();
}

TPersistent* TVFilters::GetOwner() const
{
    return owner_;
}

TVFilter* TVFilters::GetItem(Integer index) const
{
    return static_cast<TVFilter*>(TCollection::GetItem(index));
}

void TVFilters::SetItem(Integer index, const TVFilter* value)
{
    GetItem(index)->Assign(value);
}

void TVFilters::Assign(const TPersistent* source)
{
    if (const auto* filters = dynamic_cast<const TVFilters*>(source)) {
        if (filters == this)
            return;
        BeginUpdate();
        try {
            Clear();
            for (Integer i = 0; i < filters->Count(); ++i) {
                const TVFilter* from = filters->GetItem(i);
                TVFilter* to = Add();
                to->Assign(from);
                to->SetName(from->Name());
            }
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TCollection::Assign(source);
}

TVFilter* TVFilters::Add()
{
    auto* filter = static_cast<TVFilter*>(TCollection::Add());
    filter->SetName("Level" + IntToStr(Count()));
    return filter;
}

namespace {

// A new filter filled by fill; a fill that throws takes the half-made filter away with it.
template <typename Fill> TVFilter* AddFilled(TVFilters& filters, Fill&& fill)
{
    TVFilter* filter = filters.Add();
    try {
        fill(*filter);
    } catch (...) {
        delete filter;
        throw;
    }
    return filter;
}

} // namespace

TVFilter* TVFilters::Add(const TVSubFilter* line)
{
    if (!line)
        return Add();
    return AddFilled(*this, [line](TVFilter& f) { f.Levels()->Add(line); });
}

TVFilter* TVFilters::Add(const TVSubFilters* lines)
{
    if (!lines)
        return Add();
    return AddFilled(*this, [lines](TVFilter& f) { f.Levels()->Assign(lines); });
}

TVFilter* TVFilters::Add(const TVFilter* source)
{
    if (!source)
        return Add();
    return AddFilled(*this, [source](TVFilter& f) { f.Assign(source); });
}

void TVFilters::Delete(TVFilter* filter)
{
    if (filter && filter->Collection() == this)
        delete filter;
}

void TVFilters::Delete(Integer index)
{
    if (index >= 0 && index < Count())
        Delete(GetItem(index));
}

void TVFilters::Delete()
{
    Delete(Count() - 1);
}

void TVFilters::Delete(const AnsiString& name)
{
    Delete(FindItem(name));
}

void TVFilters::DeleteLevel(const AnsiString& name, Integer index)
{
    if (TVFilter* filter = FindItem(name))
        filter->Levels()->Delete(index);
}

void TVFilters::ClearLevel(Integer index)
{
    if (index >= 0 && index < Count())
        GetItem(index)->Clear();
}

void TVFilters::ClearLevel(const AnsiString& name)
{
    if (TVFilter* filter = FindItem(name))
        filter->Clear();
}

TVFilter* TVFilters::FindItem(const AnsiString& key) const
{
    if (key.empty())
        return nullptr;
    const AnsiString wanted = AnsiUpperCase(key);
    for (Integer i = 0; i < Count(); ++i) {
        TVFilter* filter = GetItem(i);
        if (AnsiUpperCase(filter->Name()) == wanted || AnsiUpperCase(filter->Caption()) == wanted)
            return filter;
    }
    return nullptr;
}

TVFilter* TVFilters::GetLastItem() const
{
    return Count() > 0 ? GetItem(Count() - 1) : nullptr;
}

void TVFilters::SetLastItem(const TVFilter* filter)
{
    if (Count() > 0)
        GetItem(Count() - 1)->Assign(filter);
}

AnsiString TVFilters::GetCaptions(Integer index) const
{
    return index >= 0 && index < Count() ? GetItem(index)->Caption() : AnsiString();
}

void TVFilters::SetCaptions(Integer index, const AnsiString& value)
{
    if (index >= 0 && index < Count())
        GetItem(index)->SetCaption(value);
}

void TVFilters::SetMenuItems(TStrings* strings) const
{
    if (!strings)
        return;
    strings->BeginUpdate();
    try {
        strings->Clear();
        for (Integer i = 0; i < Count(); ++i)
            strings->Add(GetItem(i)->Caption());
    } catch (...) {
        strings->EndUpdate();
        throw;
    }
    strings->EndUpdate();
}

} // namespace vmado
