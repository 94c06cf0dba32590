// TList and TObjectList. Notify runs after the list has changed, so an owning list frees an
// object only once nothing in the list points at it any more.
#include "framework/classes/Lists.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>

namespace vmado {

TList::~TList()
{
    // Only the base list's own storage goes here; TObjectList frees its objects itself, since
    // its Notify override is no longer reachable from this destructor.
    items_.clear();
}

void TList::CheckIndex(Integer index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void* TList::Items(Integer index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TList::SetItems(Integer index, void* item)
{
    CheckIndex(index);
    void*& slot = items_[static_cast<std::size_t>(index)];
    if (slot == item)
        return;
    void* old = slot;
    slot = item;
    if (old != nullptr)
        Notify(old, lnDeleted);
    if (item != nullptr)
        Notify(item, lnAdded);
}

Integer TList::Add(void* item)
{
    items_.push_back(item);
    if (item != nullptr)
        Notify(item, lnAdded);
    return Count() - 1;
}

void TList::Insert(Integer index, void* item)
{
    if (index < 0 || index > Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, item);
    if (item != nullptr)
        Notify(item, lnAdded);
}

void TList::Delete(Integer index)
{
    CheckIndex(index);
    void* item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    if (item != nullptr)
        Notify(item, lnDeleted);
}

Integer TList::Remove(void* item)
{
    const Integer index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const Integer index = IndexOf(item);
    if (index < 0)
        return nullptr;
    items_.erase(items_.begin() + index);
    Notify(item, lnExtracted);
    return item;
}

Integer TList::IndexOf(const void* item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}

void TList::Clear()
{
    while (!items_.empty())
        Delete(Count() - 1);
}

void TList::Exchange(Integer index1, Integer index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TList::Move(Integer curIndex, Integer newIndex)
{
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    void* item = items_[static_cast<std::size_t>(curIndex)];
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack()
{
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const TListSortCompare& compare)
{
    std::stable_sort(items_.begin(), items_.end(),
                     [&compare](void* a, void* b) { return compare(a, b) < 0; });
}

TObjectList::~TObjectList()
{
    Clear();
}

void TObjectList::SetItems(Integer index, TObject* object)
{
    TList::SetItems(index, object);
}

void TObjectList::Notify(void* item, TListNotification action)
{
    if (ownsObjects_ && action == lnDeleted)
        delete static_cast<TObject*>(item);
}

} // namespace vmado
