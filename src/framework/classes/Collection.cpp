// TCollection and TCollectionItem. Items are created through the item class and insert
// themselves; deleting an item (directly or through the collection) takes it out of the list.
#include "framework/classes/Collection.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>

namespace vmado {

namespace {

[[noreturn]] void IndexError(Integer index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

// ---- TCollectionItem ---------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

TPersistent* TCollectionItem::GetOwner() const
{
    return collection_;
}

AnsiString TCollectionItem::GetNamePath() const
{
    if (collection_ == nullptr)
        return ClassName();
    return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::SetCollection(TCollection* value)
{
    if (collection_ == value)
        return;
    if (collection_ != nullptr)
        collection_->RemoveItem(this);
    if (value != nullptr)
        value->InsertItem(this);
}

Integer TCollectionItem::Index() const
{
    if (collection_ == nullptr)
        return -1;
    const auto& items = collection_->items_;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer value)
{
    const Integer current = Index();
    if (current < 0 || current == value)
        return;
    collection_->MoveItem(current, value);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const AnsiString& value)
{
    Changed(false);
}

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ != nullptr && collection_->updateCount_ == 0)
        collection_->Update(allItems ? nullptr : this);
}

// ---- TCollection -------------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(std::move(itemClass)) {}

TCollection::~TCollection()
{
    // Items leaving during destruction must not call back into a half-destroyed subclass.
    ++updateCount_;
    while (!items_.empty())
        delete items_.back();
}

AnsiString TCollection::GetNamePath() const
{
    const TPersistent* owner = GetOwner();
    if (owner == nullptr)
        return ClassName();
    const AnsiString ownerPath = owner->GetNamePath();
    if (ownerPath.empty() || propName_.empty())
        return ClassName();
    return ownerPath + "." + propName_;
}

void TCollection::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TCollection*>(source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (const TCollectionItem* item : other->items_)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = itemClass_.Create(this);
    // A factory may build an item without passing the collection on; it still belongs here.
    if (item->collection_ != this)
        item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(Integer index)
{
    if (index < 0 || index > Count())
        IndexError(index);
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(Integer index)
{
    TCollectionItem* item = Items(index);
    Notify(item, cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (items_.empty())
        return;
    BeginUpdate();
    try {
        while (!items_.empty())
            delete items_.back();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(Integer index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return items_[static_cast<std::size_t>(index)];
}

void TCollection::SetItem(Integer index, const TCollectionItem* value)
{
    Items(index)->Assign(value);
}

TCollectionItem* TCollection::FindItemID(Integer id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++updateCount_;
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    Changed();
}

void TCollection::Changed()
{
    if (updateCount_ == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextID_++;
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, cnExtracting);
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end())
        items_.erase(it);
    item->collection_ = nullptr;
    Changed();
}

void TCollection::MoveItem(Integer curIndex, Integer newIndex)
{
    if (newIndex < 0 || newIndex >= Count())
        IndexError(newIndex);
    TCollectionItem* item = items_[static_cast<std::size_t>(curIndex)];
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, item);
}

} // namespace vmado
