// TStringList: strings with objects in memory, optionally kept sorted (binary search, duplicate
// policy); OnChanging/OnChange bracket every change, once per outermost update.
#include "framework/classes/Strings.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <numeric>

namespace vmado {

namespace {
constexpr const char* kIndexError = "List index out of bounds (%d)";
constexpr const char* kSortedError = "Operation not allowed on sorted list";
constexpr const char* kDuplicateError = "String list does not allow duplicates";
} // namespace

TStringList::~TStringList()
{
    // Nobody may hear about the list while it goes.
    OnChanging = nullptr;
    OnChange = nullptr;
}

void TStringList::CheckIndex(Integer index) const
{
    if (index < 0 || index >= Count())
        Error(kIndexError, index);
}

AnsiString TStringList::Get(Integer index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].String;
}

const AnsiString& TStringList::Ref(Integer index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].String;
}

void TStringList::CheckPut(Integer index) const
{
    if (sorted_)
        Error(kSortedError, 0);
    CheckIndex(index);
}

void TStringList::Put(Integer index, const AnsiString& s)
{
    CheckPut(index);
    Changing();
    items_[static_cast<std::size_t>(index)].String = s;
    Changed();
}

TObject* TStringList::GetObject(Integer index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].Object;
}

void TStringList::PutObject(Integer index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].Object = object;
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Delete(Integer index)
{
    CheckIndex(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Insert(Integer index, const AnsiString& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(Integer index, const AnsiString& s, TObject* object)
{
    if (sorted_)
        Error(kSortedError, 0);
    if (index < 0 || index > Count())
        Error(kIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::InsertItem(Integer index, const AnsiString& s, TObject* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

Integer TStringList::AddObject(const AnsiString& s, TObject* object)
{
    Integer index = Count();
    if (sorted_ && Find(s, index)) {
        switch (duplicates_) {
        case dupIgnore:
            return index;
        case dupError:
            Error(kDuplicateError, 0);
        case dupAccept:
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Exchange(Integer index1, Integer index2)
{
    if (sorted_)
        Error(kSortedError, 0);
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    Changed();
}

void TStringList::Move(Integer curIndex, Integer newIndex)
{
    if (curIndex == newIndex)
        return;
    if (sorted_)
        Error(kSortedError, 0);
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    Item item = std::move(items_[static_cast<std::size_t>(curIndex)]);
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, std::move(item));
    Changed();
}

Integer TStringList::IndexOf(const AnsiString& s) const
{
    if (!sorted_)
        return TStrings::IndexOf(s);
    Integer index = 0;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& s, Integer& index) const
{
    if (!sorted_) {
        index = TStrings::IndexOf(s);
        if (index >= 0)
            return true;
        index = Count();
        return false;
    }
    bool found = false;
    Integer low = 0;
    Integer high = Count() - 1;
    while (low <= high) {
        const Integer mid = low + (high - low) / 2;
        const int c = CompareStrings(items_[static_cast<std::size_t>(mid)].String, s);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                // With duplicates accepted keep looking left for the first equal one.
                if (duplicates_ != dupAccept)
                    low = mid;
            }
        }
    }
    index = low;
    return found;
}

void TStringList::Sort()
{
    CustomSort([](TStringList& list, Integer a, Integer b) {
        return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].String,
                                   list.items_[static_cast<std::size_t>(b)].String);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (sorted_ || items_.size() < 2)
        return;
    Changing();
    // Sort a permutation against the untouched list, so compare sees stable indexes.
    std::vector<Integer> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](Integer a, Integer b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (Integer i : order)
        sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool value)
{
    if (sorted_ == value)
        return;
    if (value)
        Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (caseSensitive_ == value)
        return;
    caseSensitive_ = value;
    if (sorted_) {
        // The order depends on the comparison, so a sorted list has to be sorted again.
        sorted_ = false;
        Sort();
        sorted_ = true;
    }
}

int TStringList::CompareStrings(const AnsiString& s1, const AnsiString& s2) const
{
    return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

} // namespace vmado
