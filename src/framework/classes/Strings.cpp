// TStrings: the operations every string list shares, built on the few a concrete list
// implements (Count, Get, Put, objects, Clear, Delete, Insert), and the name=value lookups.
#include "framework/classes/Strings.h"

#include "framework/classes/internal/UpdateBracket.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

namespace vmado {

using Bracket = internal::UpdateBracket<TStrings>;

void TStrings::Error(const char* messageFormat, Integer data)
{
    AnsiString message = messageFormat;
    const auto at = message.find("%d");
    if (at != AnsiString::npos)
        message.replace(at, 2, std::to_string(data));
    throw EListError(message);
}

void TStrings::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TStrings*>(source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Bracket bracket(*this);
    Clear();
    AddStrings(*other);
}

void TStrings::Put(Integer index, const AnsiString& s)
{
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

Integer TStrings::Add(const AnsiString& s)
{
    const Integer index = Count();
    Insert(index, s);
    return index;
}

Integer TStrings::AddObject(const AnsiString& s, TObject* object)
{
    const Integer index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(Integer index, const AnsiString& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& strings)
{
    Bracket bracket(*this);
    const Integer count = strings.Count(); // fixed first: strings may be this very list
    for (Integer i = 0; i < count; ++i)
        AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::Exchange(Integer index1, Integer index2)
{
    Bracket bracket(*this);
    const AnsiString s1 = Get(index1);
    TObject* o1 = GetObject(index1);
    const AnsiString s2 = Get(index2);
    TObject* o2 = GetObject(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
}

void TStrings::Move(Integer curIndex, Integer newIndex)
{
    if (curIndex == newIndex)
        return;
    Bracket bracket(*this);
    const AnsiString s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Get(newIndex); // checks the target before anything changes
    Delete(curIndex);
    InsertObject(newIndex, s, object);
}

Integer TStrings::IndexOf(const AnsiString& s) const
{
    const Integer count = Count();
    for (Integer i = 0; i < count; ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

Integer TStrings::IndexOfObject(const TObject* object) const
{
    const Integer count = Count();
    for (Integer i = 0; i < count; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

bool TStrings::Equals(const TStrings& strings) const
{
    const Integer count = Count();
    if (count != strings.Count())
        return false;
    for (Integer i = 0; i < count; ++i)
        if (Get(i) != strings.Get(i))
            return false;
    return true;
}

int TStrings::CompareStrings(const AnsiString& s1, const AnsiString& s2) const
{
    return AnsiCompareText(s1, s2);
}

// ---- name=value --------------------------------------------------------------------------------

AnsiString TStrings::Names(Integer index) const
{
    const AnsiString s = Get(index);
    const auto at = s.find(nameValueSeparator_);
    return at == AnsiString::npos ? AnsiString() : s.substr(0, at);
}

Integer TStrings::IndexOfName(const AnsiString& name) const
{
    const Integer count = Count();
    for (Integer i = 0; i < count; ++i) {
        const AnsiString s = Get(i);
        const auto at = s.find(nameValueSeparator_);
        if (at != AnsiString::npos && CompareStrings(s.substr(0, at), name) == 0)
            return i;
    }
    return -1;
}

AnsiString TStrings::Values(const AnsiString& name) const
{
    const Integer index = IndexOfName(name);
    return index >= 0 ? ValueFromIndex(index) : AnsiString();
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value)
{
    Integer index = IndexOfName(name);
    if (!value.empty()) {
        if (index < 0)
            index = Add(AnsiString());
        Put(index, name + nameValueSeparator_ + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

AnsiString TStrings::ValueFromIndex(Integer index) const
{
    if (index < 0)
        return AnsiString();
    const AnsiString s = Get(index);
    const auto at = s.find(nameValueSeparator_);
    return at == AnsiString::npos ? AnsiString() : s.substr(at + 1);
}

void TStrings::SetValueFromIndex(Integer index, const AnsiString& value)
{
    if (!value.empty()) {
        if (index < 0)
            index = Add(AnsiString());
        Put(index, Names(index) + nameValueSeparator_ + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

// ---- updates -----------------------------------------------------------------------------------

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0)
        SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    --updateCount_;
    if (updateCount_ == 0)
        SetUpdateState(false);
}

} // namespace vmado
