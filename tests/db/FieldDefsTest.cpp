// TFieldDefs: definitions by name, their numbers and their checks, the fields they make, and
// reading definitions from a closed dataset.
#include "DbFixtures.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

TEST(FieldDefsTest, AddNumbersAndFindsDefinitions)
{
    TMemDataSet ds;
    TFieldDefs* defs = ds.FieldDefs();
    TFieldDef* id = defs->Add("ID", ftInteger, 0, true);
    defs->Add("Name", ftString, 40);
    EXPECT_EQ(defs->Count(), 2);
    EXPECT_EQ(id->FieldNo(), 1);
    EXPECT_EQ(defs->Items(1)->FieldNo(), 2);
    EXPECT_TRUE(id->Required());
    EXPECT_EQ(defs->IndexOf("name"), 1);
    EXPECT_EQ(defs->Find("NAME")->Size(), 40);
    EXPECT_EQ(defs->FindDef("Other"), nullptr);
    EXPECT_EQ(id->DataSet(), &ds);
}

TEST(FieldDefsTest, TheFrameworksConstructorJoinsTheList)
{
    TMemDataSet ds;
    auto* def = new TFieldDef(ds.FieldDefs(), "Code", ftString, 8, false, 7);
    EXPECT_EQ(ds.FieldDefs()->Count(), 1);
    EXPECT_EQ(def->FieldNo(), 7);
    EXPECT_EQ(def->Size(), 8);
    EXPECT_THROW(new TFieldDef(ds.FieldDefs(), "code", ftInteger, 0, false, 8), EDatabaseError);
    EXPECT_EQ(ds.FieldDefs()->Count(), 1);
}

TEST(FieldDefsTest, BadDefinitionsAreRefused)
{
    TMemDataSet ds;
    TFieldDefs* defs = ds.FieldDefs();
    defs->Add("ID", ftInteger);
    struct Case {
        std::function<void()> act;
        const char* message;
    };
    const std::vector<Case> cases = {
        {[&] { defs->Add("id", ftString, 5); }, "Duplicate name 'id' in TFieldDefs"},
        {[&] { defs->Add("", ftString, 5); }, "Field name missing"},
        {[&] { defs->Find("Missing"); }, "Field 'Missing' not found"},
        {[&] { defs->Add("Neg", ftString, -1); }, "Invalid field size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            c.act();
            ADD_FAILURE() << "no exception";
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(defs->Count(), 1);
}

TEST(FieldDefsTest, CreateFieldMakesTheFieldOfTheType)
{
    TMemDataSet ds;
    TFieldDef* def = ds.FieldDefs()->Add("Amount", ftBCD, 2, true);
    def->SetPrecision(12);
    TField* field = def->CreateField(&ds);
    EXPECT_EQ(field->ClassName(), "TBCDField");
    EXPECT_EQ(field->FieldName(), "Amount");
    EXPECT_EQ(field->Size(), 2);
    EXPECT_TRUE(field->Required());
    EXPECT_EQ(static_cast<TBCDField*>(field)->Precision(), 12);
    EXPECT_EQ(ds.FindField("Amount"), field);
    TField* alias = def->CreateField(&ds, "Amount2");
    EXPECT_EQ(alias->FieldName(), "Amount2");
    TFieldDef* cursor = ds.FieldDefs()->Add("Cur", ftCursor);
    try {
        cursor->CreateField(&ds);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'Cur' is of an unknown type");
    }
    EXPECT_EQ(ds.FieldCount(), 2);
}

TEST(FieldDefsTest, UpdateReadsTheDefinitionsOfAClosedDataset)
{
    TMemDataSet ds;
    auto* id = new TIntegerField(&ds);
    id->SetFieldName("ID");
    id->SetDataSet(&ds);
    auto* name = new TStringField(&ds);
    name->SetFieldName("Name");
    name->SetSize(12);
    name->SetDataSet(&ds);
    EXPECT_EQ(ds.FieldDefs()->Count(), 0);
    ds.FieldDefs()->Update();
    EXPECT_FALSE(ds.Active());
    ASSERT_EQ(ds.FieldDefs()->Count(), 2);
    EXPECT_EQ(ds.FieldDefs()->Items(1)->Size(), 12);
    EXPECT_TRUE(ds.FieldDefs()->Updated());
}

TEST(FieldDefsTest, AssignCopiesTheDefinitions)
{
    TMemDataSet a;
    a.FieldDefs()->Add("ID", ftInteger, 0, true);
    a.FieldDefs()->Add("When", ftDateTime);
    TMemDataSet b;
    b.SetFieldDefs(a.FieldDefs());
    ASSERT_EQ(b.FieldDefs()->Count(), 2);
    EXPECT_EQ(b.FieldDefs()->Items(1)->DataType(), ftDateTime);
    EXPECT_TRUE(b.FieldDefs()->Items(0)->Required());
    b.Open();
    EXPECT_EQ(b.FieldByName("When")->ClassName(), "TDateTimeField");
}

} // namespace
} // namespace vmado::test
