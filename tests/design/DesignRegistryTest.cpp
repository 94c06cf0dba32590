#include "framework/design/Design.h"

#include "dataset/VDB.h"
#include "framework/rtl/Exceptions.h"
#include "master/VMaster.h"
#include "tables/VTables.h"

#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class DesignRegistryTest : public testing::Test {
protected:
    void SetUp() override { ClearDesignRegistry(); }
    void TearDown() override { ClearDesignRegistry(); }

    static TPropertyEditorFactory Plain()
    {
        return [](TFormDesigner* d, TPersistent* i, const TPropInfo* p) {
            return std::make_unique<TStringProperty>(d, i, p);
        };
    }
    static const TPropInfo& Prop(const TPersistent& instance, const char* name)
    {
        const TPropInfo* prop = FindClass(instance.ClassName()).FindProperty(name);
        if (!prop)
            throw Exception(std::string("no property ") + name);
        return *prop;
    }
};

TEST_F(DesignRegistryTest, TheMostSpecificRegistrationWins)
{
    RegisterPropertyEditor("string", "", "", "any string", Plain());
    RegisterPropertyEditor("string", "TVADODataSet", "", "dataset string", Plain());
    RegisterPropertyEditor("string", "TVADODataSet", "PrimaryKey", "dataset key", Plain());
    RegisterPropertyEditor("string", "TVTable", "", "table string", Plain());
    RegisterPropertyEditor("TFileName", "TVTable", "TableName", "table name", Plain());
    TVADODataSet dataSet;
    TVTable table;
    TVQuery query;
    TVMaster master;
    const struct {
        const TPersistent* instance;
        const char* property;
        const char* editor;
    } cases[] = {
        {&dataSet, "PrimaryKey", "dataset key"},
        {&dataSet, "MarkerField", "dataset string"},
        {&query, "PrimaryKey", "dataset key"}, // descendants inherit the registration
        {&query, "MarkerField", "dataset string"},
        {&table, "PrimaryKey", "dataset key"},   // a named property beats a nearer class
        {&table, "MarkerField", "table string"}, // the nearer class wins among unnamed ones
        {&table, "TableName", "table name"},     // a file name is its own type
        {&master, "Connection", "any string"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.instance->ClassName()) + "." + c.property);
        EXPECT_EQ(PropertyEditorName(*c.instance, Prop(*c.instance, c.property)), c.editor);
    }
    EXPECT_EQ(PropertyTypeName(Prop(table, "TableName")), "TFileName");
    EXPECT_EQ(PropertyTypeName(Prop(table, "MarkerField")), "string");
}

TEST_F(DesignRegistryTest, LaterRegistrationsReplaceEqualOnes)
{
    RegisterPropertyEditor("string", "TVADODataSet", "Connection", "first", Plain());
    RegisterPropertyEditor("string", "TVADODataSet", "Connection", "second", Plain());
    TVADODataSet dataSet;
    EXPECT_EQ(PropertyEditorName(dataSet, Prop(dataSet, "Connection")), "second");
}

TEST_F(DesignRegistryTest, ThePaletteKeepsPagesAndClassesInOrder)
{
    RegisterComponents("Velmar", {"TVMaster", "TVTable"});
    RegisterComponents("Other", {"TX"});
    RegisterComponents("Velmar", {"TVQuery", "TVUpdateSQL", "TVTable"});
    ASSERT_EQ(PalettePages().size(), 2u);
    EXPECT_EQ(PalettePages()[0].Name, "Velmar");
    EXPECT_EQ(PalettePages()[0].Classes,
              (std::vector<AnsiString>{"TVMaster", "TVTable", "TVQuery", "TVUpdateSQL"}));
}

TEST_F(DesignRegistryTest, TheBaseEditorReadsAndWritesEveryKindThroughText)
{
    TFormDesigner designer;
    TVADODataSet dataSet;
    auto editor = GetPropertyEditor(&designer, &dataSet, &Prop(dataSet, "MarkerField"));
    editor->SetValue("mark");
    EXPECT_EQ(dataSet.GetMarkerField(), "mark");
    EXPECT_EQ(editor->GetValue(), "mark");
    EXPECT_EQ(designer.ModifiedCount(), 1);

    const TPropInfo& options = Prop(dataSet, "UpdateMode");
    auto choice = GetPropertyEditor(&designer, &dataSet, &options);
    EXPECT_TRUE(choice->GetAttributes().Contains(paValueList));
    std::vector<AnsiString> values;
    choice->GetValues([&](const AnsiString& v) { values.push_back(v); });
    EXPECT_EQ(values, options.ValueNames);
    choice->SetValue(values.front());
    EXPECT_EQ(choice->GetValue(), values.front());
    EXPECT_THROW(choice->SetValue("upNowhere"), EConvertError);
    EXPECT_EQ(designer.ModifiedCount(), 2); // the refused value changed nothing
}

TEST_F(DesignRegistryTest, ComponentEditorsFollowTheClassTree)
{
    int runs = 0;
    struct Verbs : TComponentEditor {
        Verbs(TComponent* c, TFormDesigner* d, int& runs) : TComponentEditor(c, d), runs_(runs) {}
        Integer GetVerbCount() override { return 1; }
        AnsiString GetVerb(Integer) override { return "Editor"; }
        void ExecuteVerb(Integer) override { ++runs_; }
        int& runs_;
    };
    RegisterComponentEditor("TVADODataSet", "dataset verbs", [&](TComponent* c, TFormDesigner* d) {
        return std::make_unique<Verbs>(c, d, runs);
    });
    TVTable table;
    TVMaster master;
    EXPECT_EQ(ComponentEditorName(table), "dataset verbs");
    EXPECT_EQ(ComponentEditorName(master), "");
    auto editor = GetComponentEditor(&table, nullptr);
    ASSERT_EQ(editor->GetVerbCount(), 1);
    editor->Edit();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(GetComponentEditor(&master, nullptr)->GetVerbCount(), 0);
}

} // namespace
} // namespace vmado
