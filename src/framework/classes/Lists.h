// TList, a list of untyped pointers with the framework's index checks, and TObjectList, which
// may own (and then free) the objects it holds.
#pragma once

#include "framework/classes/Persistent.h"

#include <functional>
#include <vector>

namespace vmado {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
public:
    TList() = default;
    ~TList() override; // Clear, so that TObjectList frees what it owns

    AnsiString ClassName() const override { return "TList"; }

    Integer Count() const { return static_cast<Integer>(items_.size()); }
    // Raise EListError "List index out of bounds (<i>)" for a bad index.
    void* Items(Integer index) const;
    void SetItems(Integer index, void* item);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

    Integer Add(void* item);
    void Insert(Integer index, void* item); // 0..Count
    void Delete(Integer index);
    // Deletes the first occurrence; returns its former index, -1 when absent.
    Integer Remove(void* item);
    // Takes item out without the deleting notification; returns it, or null when absent.
    void* Extract(void* item);
    Integer IndexOf(const void* item) const;
    virtual void Clear();
    void Exchange(Integer index1, Integer index2);
    void Move(Integer curIndex, Integer newIndex);
    // Removes every null entry.
    void Pack();
    // Sorts stably with compare (negative, zero, positive as for a three-way comparison).
    void Sort(const TListSortCompare& compare);

protected:
    // Told after an item joins (lnAdded) and after it leaves (lnExtracted, lnDeleted).
    virtual void Notify(void* item, TListNotification action) {}
    void CheckIndex(Integer index) const;

private:
    std::vector<void*> items_;
};

class TObjectList : public TList {
public:
    explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
    ~TObjectList() override;

    AnsiString ClassName() const override { return "TObjectList"; }

    TObject* Items(Integer index) const { return static_cast<TObject*>(TList::Items(index)); }
    // An owned object replaced here is freed.
    void SetItems(Integer index, TObject* object);
    Integer Add(TObject* object) { return TList::Add(object); }
    void Insert(Integer index, TObject* object) { TList::Insert(index, object); }
    Integer Remove(TObject* object) { return TList::Remove(object); }
    TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
    Integer IndexOf(const TObject* object) const { return TList::IndexOf(object); }

    // When true, Delete, Remove, Clear, SetItems and the destructor free the objects.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool value) { ownsObjects_ = value; }

protected:
    void Notify(void* item, TListNotification action) override;

private:
    bool ownsObjects_;
};

} // namespace vmado
