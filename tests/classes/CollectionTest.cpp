// TCollection: items of the item class, IDs, moving by Index, update notifications with
// BeginUpdate/EndUpdate nesting, Assign between collections, owners and name paths.
#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace vmado;

namespace {

template <class E, class F> void ExpectThrowWith(F&& f, const std::string& text)
{
    try {
        f();
        ADD_FAILURE() << "nothing raised; expected " << text;
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
}

int gItemsAlive = 0;

class TTestItem : public TCollectionItem {
public:
    explicit TTestItem(TCollection* collection) : TCollectionItem(collection) { ++gItemsAlive; }
    ~TTestItem() override { --gItemsAlive; }
    AnsiString ClassName() const override { return "TTestItem"; }

    void Assign(const TPersistent* source) override
    {
        if (const auto* item = dynamic_cast<const TTestItem*>(source)) {
            SetValue(item->Value());
            return;
        }
        TCollectionItem::Assign(source);
    }
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& value)
    {
        if (value == value_)
            return;
        value_ = value;
        Changed(false);
    }

private:
    AnsiString value_;
};

class TOtherItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    AnsiString ClassName() const override { return "TOtherItem"; }
};

// Records every Update and Notify call as text.
class TTestCollection : public TOwnedCollection {
public:
    explicit TTestCollection(TPersistent* owner = nullptr) : TOwnedCollection(owner, ItemClassOf<TTestItem>())
    {
    }
    AnsiString ClassName() const override { return "TTestCollection"; }
    TTestItem* GetItem(Integer index) const { return static_cast<TTestItem*>(TCollection::GetItem(index)); }
    TTestItem* Add() { return static_cast<TTestItem*>(TCollection::Add()); }

    std::vector<std::string> Log;

protected:
    void Update(TCollectionItem* item) override
    {
        Log.push_back(item ? "update " + static_cast<TTestItem*>(item)->Value() : "update all");
    }
    void Notify(TCollectionItem* item, TCollectionNotification action) override
    {
        static const char* names[] = {"added", "extracting", "deleting"};
        Log.push_back(names[action]);
    }
};

using V = std::vector<std::string>;

TEST(Collection, AddCreatesTheItemClass)
{
    TTestCollection collection;
    TCollectionItem* item = collection.TCollection::Add();
    EXPECT_NE(dynamic_cast<TTestItem*>(item), nullptr);
    EXPECT_EQ(item->Collection(), &collection);
    EXPECT_EQ(item->GetOwner(), &collection);
    EXPECT_EQ(item->DisplayName(), "TTestItem");
    EXPECT_EQ(collection.ItemClass().Type, std::type_index(typeid(TTestItem)));
}

TEST(Collection, IdsGrowAndAreNeverReused)
{
    TTestCollection collection;
    for (int i = 0; i < 3; ++i)
        collection.Add();
    EXPECT_EQ(collection.GetItem(2)->ID(), 2);
    collection.Delete(1);
    TTestItem* fresh = collection.Add();
    EXPECT_EQ(fresh->ID(), 3);
    EXPECT_EQ(collection.NextID(), 4);
    EXPECT_EQ(collection.FindItemID(1), nullptr);
    EXPECT_EQ(collection.FindItemID(3), fresh);
    EXPECT_EQ(collection.FindItemID(0), collection.GetItem(0));
}

TEST(Collection, IndexMovesTheItem)
{
    TTestCollection collection;
    for (const char* v : {"a", "b", "c", "d"})
        collection.Add()->SetValue(v);
    collection.GetItem(3)->SetIndex(0);
    collection.GetItem(1)->SetIndex(2);
    V order;
    for (Integer i = 0; i < collection.Count(); ++i)
        order.push_back(collection.GetItem(i)->Value());
    EXPECT_EQ(order, (V{"d", "b", "a", "c"}));
    EXPECT_EQ(collection.GetItem(2)->Index(), 2);
    ExpectThrowWith<EListError>([&] { collection.GetItem(0)->SetIndex(4); }, "List index out of bounds (4)");
}

TEST(Collection, InsertPutsANewItemAtIndex)
{
    TTestCollection collection;
    collection.Add()->SetValue("a");
    collection.Add()->SetValue("b");
    static_cast<TTestItem*>(collection.Insert(1))->SetValue("mid");
    static_cast<TTestItem*>(collection.Insert(0))->SetValue("first");
    EXPECT_EQ(collection.GetItem(0)->Value(), "first");
    EXPECT_EQ(collection.GetItem(2)->Value(), "mid");
    ExpectThrowWith<EListError>([&] { collection.Insert(9); }, "List index out of bounds (9)");
    EXPECT_EQ(collection.Count(), 4);
}

TEST(Collection, BadIndexesRaiseListErrors)
{
    TTestCollection collection;
    collection.Add();
    ExpectThrowWith<EListError>([&] { collection.Items(1); }, "List index out of bounds (1)");
    ExpectThrowWith<EListError>([&] { collection.Delete(-1); }, "List index out of bounds (-1)");
}

TEST(Collection, NotifiesEveryChangeOutsideUpdates)
{
    TTestCollection collection;
    TTestItem* item = collection.Add();
    EXPECT_EQ(collection.Log, (V{"added", "update all"}));
    collection.Log.clear();
    item->SetValue("x");
    EXPECT_EQ(collection.Log, (V{"update x"}));
    collection.Log.clear();
    collection.Add();
    collection.GetItem(1)->SetIndex(0);
    EXPECT_EQ(collection.Log, (V{"added", "update all", "update all"}));
    collection.Log.clear();
    collection.Delete(0);
    EXPECT_EQ(collection.Log, (V{"deleting", "extracting", "update all"}));
}

TEST(Collection, NestedUpdatesNotifyOnceAtTheOutermostEnd)
{
    TTestCollection collection;
    collection.BeginUpdate();
    collection.BeginUpdate();
    collection.Add()->SetValue("a");
    collection.Add()->SetValue("b");
    collection.Delete(0);
    collection.EndUpdate();
    EXPECT_EQ(collection.Log, (V{"added", "added", "deleting", "extracting"}));
    collection.Log.clear();
    collection.EndUpdate();
    EXPECT_EQ(collection.Log, (V{"update all"}));
    EXPECT_EQ(collection.UpdateCount(), 0);
}

TEST(Collection, ClearIsOneUpdate)
{
    TTestCollection collection;
    for (int i = 0; i < 3; ++i)
        collection.Add();
    collection.Log.clear();
    collection.Clear();
    EXPECT_EQ(collection.Count(), 0);
    EXPECT_EQ(collection.Log, (V{"extracting", "extracting", "extracting", "update all"}));
}

TEST(Collection, AssignCopiesItemsBetweenCollections)
{
    TTestCollection source, target;
    source.Add()->SetValue("one");
    source.Add()->SetValue("two");
    target.Add()->SetValue("old");
    target.Log.clear();
    target.Assign(&source);
    ASSERT_EQ(target.Count(), 2);
    EXPECT_EQ(target.GetItem(0)->Value(), "one");
    EXPECT_EQ(target.GetItem(1)->Value(), "two");
    EXPECT_EQ(std::count(target.Log.begin(), target.Log.end(), "update all"), 1);
    EXPECT_EQ(target.Log.back(), "update all");
}

TEST(Collection, AssignOfForeignItemsOrObjectsRaises)
{
    TTestCollection target;
    TCollection others(ItemClassOf<TOtherItem>());
    others.Add();
    ExpectThrowWith<EConvertError>([&] { target.Assign(&others); },
                                   "Cannot assign a TOtherItem to a TTestItem");
    EXPECT_EQ(target.UpdateCount(), 0);
    TStringList list;
    ExpectThrowWith<EConvertError>([&] { target.Assign(&list); },
                                   "Cannot assign a TStringList to a TTestCollection");
}

TEST(Collection, SetItemAssigns)
{
    TTestCollection collection;
    collection.Add()->SetValue("a");
    TTestCollection other;
    other.Add()->SetValue("b");
    collection.SetItem(0, other.GetItem(0));
    EXPECT_EQ(collection.GetItem(0)->Value(), "b");
}

TEST(Collection, ItemsAreOwned)
{
    gItemsAlive = 0;
    {
        TTestCollection collection;
        for (int i = 0; i < 4; ++i)
            collection.Add();
        delete collection.GetItem(1); // freeing an item takes it out
        EXPECT_EQ(collection.Count(), 3);
        EXPECT_EQ(gItemsAlive, 3);
    }
    EXPECT_EQ(gItemsAlive, 0);
}

TEST(Collection, ItemsMoveBetweenCollections)
{
    TTestCollection a, b;
    TTestItem* item = a.Add();
    item->SetCollection(&b);
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(item->Collection(), &b);
    item->SetCollection(nullptr);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(item->Index(), -1);
    EXPECT_EQ(item->GetNamePath(), "TTestItem");
    delete item;
}

TEST(Collection, OwnerAndNamePath)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    TTestCollection collection(&form);
    collection.Add();
    collection.Add();
    EXPECT_EQ(collection.GetOwner(), &form);
    EXPECT_EQ(collection.GetNamePath(), "TTestCollection"); // property name not known yet
    collection.SetPropName("Filters");
    EXPECT_EQ(collection.GetNamePath(), "Form1.Filters");
    EXPECT_EQ(collection.GetItem(1)->GetNamePath(), "Form1.Filters[1]");
    TCollection plain(ItemClassOf<TOtherItem>());
    EXPECT_EQ(plain.GetOwner(), nullptr);
    EXPECT_EQ(plain.GetNamePath(), "TCollection");
}

} // namespace
