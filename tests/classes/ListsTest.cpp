// TList (pointer list with index errors) and TObjectList (frees what it owns).
#include "framework/classes/Lists.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

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

int gAlive = 0;
class TCounted : public TObject {
public:
    TCounted() { ++gAlive; }
    ~TCounted() override { --gAlive; }
};

std::vector<int> Values(const TList& list)
{
    std::vector<int> values;
    for (Integer i = 0; i < list.Count(); ++i)
        values.push_back(*static_cast<int*>(list.Items(i)));
    return values;
}

TEST(List, EditingOperations)
{
    int v[5] = {0, 1, 2, 3, 4};
    TList list;
    for (int& x : v)
        list.Add(&x);
    list.Insert(0, &v[4]);
    EXPECT_EQ(Values(list), (std::vector<int>{4, 0, 1, 2, 3, 4}));
    EXPECT_EQ(list.Remove(&v[4]), 0);
    EXPECT_EQ(list.IndexOf(&v[4]), 4);
    EXPECT_EQ(list.Remove(nullptr), -1);
    list.Exchange(0, 4);
    list.Move(0, 2);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 4, 3, 0}));
    list.Delete(1);
    EXPECT_EQ(list.Extract(&v[3]), &v[3]);
    EXPECT_EQ(list.Extract(&v[3]), nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 4, 0}));
    EXPECT_EQ(list.First(), &v[1]);
    EXPECT_EQ(list.Last(), &v[0]);
}

TEST(List, PackAndSort)
{
    int v[3] = {30, 10, 20};
    TList list;
    list.Add(&v[0]);
    list.Add(nullptr);
    list.Add(&v[1]);
    list.Add(nullptr);
    list.Add(&v[2]);
    list.Pack();
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    EXPECT_EQ(Values(list), (std::vector<int>{10, 20, 30}));
}

TEST(List, BadIndexesRaise)
{
    TList list;
    list.Add(nullptr);
    ExpectThrowWith<EListError>([&] { list.Items(1); }, "List index out of bounds (1)");
    ExpectThrowWith<EListError>([&] { list.Delete(-1); }, "List index out of bounds (-1)");
    ExpectThrowWith<EListError>([&] { list.Insert(2, nullptr); }, "List index out of bounds (2)");
    ExpectThrowWith<EListError>([&] { list.Move(0, 1); }, "List index out of bounds (1)");
    ExpectThrowWith<EListError>([] { TList().First(); }, "List index out of bounds (0)");
    ExpectThrowWith<EListError>([] { TList().Last(); }, "List index out of bounds (-1)");
}

TEST(ObjectList, FreesOwnedObjects)
{
    gAlive = 0;
    {
        TObjectList list;
        for (int i = 0; i < 4; ++i)
            list.Add(new TCounted);
        list.Delete(0);
        EXPECT_EQ(gAlive, 3);
        list.Remove(list.Items(0));
        EXPECT_EQ(gAlive, 2);
        list.SetItems(0, new TCounted);
        EXPECT_EQ(gAlive, 2);
        TObject* kept = list.Extract(list.Items(1));
        EXPECT_EQ(gAlive, 2);
        delete kept;
        EXPECT_EQ(list.Count(), 1);
    }
    EXPECT_EQ(gAlive, 0);
}

TEST(ObjectList, WithoutOwnershipLeavesObjectsAlone)
{
    gAlive = 0;
    TCounted a, b;
    {
        TObjectList list(false);
        list.Add(&a);
        list.Add(&b);
        list.Delete(0);
        list.Clear();
    }
    EXPECT_EQ(gAlive, 2);
}

} // namespace
