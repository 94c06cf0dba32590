// TCollection and TCollectionItem: an ordered list of items of one class that the collection
// owns; items have a stable ID and tell the collection when they change (Update).
#pragma once

#include "framework/classes/Persistent.h"

#include <functional>
#include <typeindex>
#include <vector>

namespace vmado {

class TCollection;
class TCollectionItem;

// The item class of a collection: which class Add creates. Make one with ItemClassOf<T>().
struct TCollectionItemClass {
    std::type_index Type;                                 // the item class itself
    std::function<TCollectionItem*(TCollection*)> Create; // constructs one inside the collection
};

template <typename T> TCollectionItemClass ItemClassOf()
{
    return TCollectionItemClass{std::type_index(typeid(T)), [](TCollection* collection) -> TCollectionItem* {
                                    return new T(collection);
                                }};
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
public:
    // Joins collection (when not null) at the end; the collection then owns the item.
    explicit TCollectionItem(TCollection* collection);
    // Leaves the collection.
    ~TCollectionItem() override;

    AnsiString ClassName() const override { return "TCollectionItem"; }
    TPersistent* GetOwner() const override; // the collection
    // "<collection path>[<index>]", or the class name outside a collection.
    AnsiString GetNamePath() const override;

    TCollection* Collection() const { return collection_; }
    // Moves the item into another collection (or out of any, with null); the new collection owns it.
    void SetCollection(TCollection* value);

    Integer ID() const { return id_; }
    // Position in the collection; -1 outside one.
    Integer Index() const;
    // Moves the item to value; raises EListError for a position outside the collection.
    virtual void SetIndex(Integer value);

    // The caption the designer shows; ClassName by default.
    virtual AnsiString DisplayName() const { return ClassName(); }
    virtual void SetDisplayName(const AnsiString& value);

protected:
    // Tells the collection that this item (or, with allItems, the whole list) changed; nothing
    // while the collection is inside BeginUpdate/EndUpdate.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr; // owner, not owned
    Integer id_ = 0;
};

class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass itemClass);
    // Frees the items without update notifications.
    ~TCollection() override;

    AnsiString ClassName() const override { return "TCollection"; }
    // Owner path + "." + PropName when both are known, else the class name.
    AnsiString GetNamePath() const override;
    // Copies another collection item by item (Clear, then Add + item Assign) inside one update.
    void Assign(const TPersistent* source) override;

    const TCollectionItemClass& ItemClass() const { return itemClass_; }
    Integer Count() const { return static_cast<Integer>(items_.size()); }

    // A new item of the item class at the end.
    TCollectionItem* Add();
    // A new item at index (0..Count).
    TCollectionItem* Insert(Integer index);
    // Frees the item at index.
    void Delete(Integer index);
    // Frees every item inside one update.
    void Clear();

    // Raise EListError "List index out of bounds (<i>)" for a bad index.
    TCollectionItem* Items(Integer index) const;
    TCollectionItem* GetItem(Integer index) const { return Items(index); }
    // Assigns value to the item at index.
    void SetItem(Integer index, const TCollectionItem* value);

    // The item with this ID, or null.
    TCollectionItem* FindItemID(Integer id) const;
    // The ID the next item gets; IDs only grow, so they stay unique after deletions.
    Integer NextID() const { return nextID_; }

    // Nested calls suppress Update; the outermost EndUpdate calls Update(nullptr) once.
    virtual void BeginUpdate();
    virtual void EndUpdate();
    Integer UpdateCount() const { return updateCount_; }

    // The name of the owner's property that holds this collection; used by GetNamePath.
    const AnsiString& PropName() const { return propName_; }
    void SetPropName(const AnsiString& value) { propName_ = value; }

protected:
    // Called after an item changed (item) or the list changed (null), outside updates.
    virtual void Update(TCollectionItem* item) {}
    // Called when an item joins (cnAdded) or is about to leave (cnExtracting, cnDeleting).
    // cnAdded comes from the item's base constructor and cnExtracting, when the item is being
    // freed, from its base destructor: only cnDeleting sees the whole item.
    virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
    // Update(nullptr) unless inside an update.
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void MoveItem(Integer curIndex, Integer newIndex);

    TCollectionItemClass itemClass_;
    std::vector<TCollectionItem*> items_; // owned: each item is freed by Delete/Clear/destructor
    Integer nextID_ = 0;
    Integer updateCount_ = 0;
    AnsiString propName_;
};

// A collection that keeps the persistent it belongs to and returns it from GetOwner.
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
        : TCollection(std::move(itemClass)), owner_(owner)
    {
    }
    AnsiString ClassName() const override { return "TOwnedCollection"; }
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

} // namespace vmado
