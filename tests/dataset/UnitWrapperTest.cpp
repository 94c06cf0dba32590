// The settings carrier and the saved-column collection on their own: ownership, copies that do
// not share, and which sources a column collection accepts.
#include "dataset/VDB.h"

#include "framework/classes/ComponentStreaming.h"

#include <gtest/gtest.h>

#include <functional>

namespace vmado {
namespace {

TEST(WrapperTest, CollectionsAreOwnedAndSettersCopy)
{
    TComponent owner(nullptr);
    auto* wrapper = new TVADOWrapper(&owner); // freed by its owner
    EXPECT_EQ(wrapper->Colors()->Count(), 0);
    EXPECT_EQ(wrapper->Filters()->Count(), 0);
    EXPECT_EQ(wrapper->Columns()->Count(), 0);
    EXPECT_TRUE(wrapper->Sort().empty());
    EXPECT_TRUE(wrapper->Filter().empty());
    EXPECT_EQ(wrapper->Columns()->GetOwner(), wrapper);

    TVFilters colors(nullptr);
    colors.Add()->SetCaption("Late");
    TColumnData columns(nullptr);
    columns.Add()->SetFieldName("name");
    wrapper->SetColors(&colors);
    wrapper->SetFilters(&colors);
    wrapper->SetColumns(&columns);
    colors.GetItem(0)->SetCaption("Changed");
    columns.GetItem(0)->SetFieldName("city");
    EXPECT_EQ(wrapper->Colors()->GetItem(0)->Caption(), "Late");
    EXPECT_EQ(wrapper->Filters()->GetItem(0)->Caption(), "Late");
    EXPECT_EQ(wrapper->Columns()->GetItem(0)->FieldName(), "name");
    EXPECT_NE(wrapper->Colors(), wrapper->Filters());
}

TEST(WrapperTest, ColumnDataAssignTakesColumnsOnly)
{
    TColumnData target(nullptr);
    auto reset = [&] {
        target.Clear();
        target.Add()->SetFieldName("kept");
    };
    const struct {
        const char* name;
        std::function<void()> assign;
        std::vector<std::string> fieldNames; // empty with throws: unchanged
        bool throws;
    } cases[] = {
        {"null", [&] { target.Assign(nullptr); }, {"kept"}, false},
        {"column data",
         [&] {
             TColumnData source(nullptr);
             source.Add()->SetFieldName("a");
             source.Add()->SetFieldName("b");
             source.GetItem(1)->SetWidth(99);
             target.Assign(&source);
             EXPECT_EQ(target.GetItem(1)->Width(), 99);
         },
         {"a", "b"},
         false},
        {"the grid's columns",
         [&] {
             TDBGridColumns source(nullptr);
             source.Add()->SetFieldName("g");
             target.Assign(&source);
         },
         {"g"},
         false},
        {"filters",
         [&] {
             TVFilters source(nullptr);
             source.Add();
             target.Assign(&source);
         },
         {},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        if (c.throws) {
            EXPECT_THROW(c.assign(), EConvertError);
            continue;
        }
        c.assign();
        std::vector<std::string> names;
        for (Integer i = 0; i < target.Count(); ++i)
            names.push_back(target.GetItem(i)->FieldName());
        EXPECT_EQ(names, c.fieldNames);
    }
}

TEST(WrapperTest, ColumnDataItemsBySetItem)
{
    TColumnData data(nullptr);
    data.Add()->SetFieldName("a");
    data.Add();
    data.SetItem(1, data.GetItem(0));
    EXPECT_EQ(data.Items(1)->FieldName(), "a");
    EXPECT_THROW(data.GetItem(2), EListError);
}

} // namespace
} // namespace vmado
