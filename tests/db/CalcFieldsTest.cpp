// Calculated and lookup fields: they live in their own area behind the record's data (a
// has-value byte and the value each), are filled in the dsCalcFields state at every fetch and,
// with AutoCalcFields, after every change of a data field.
#include "DbFixtures.h"
#include "framework/rtl/CodePage.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

template <class F> F* AddField(TDataSet& ds, const char* name, TFieldKind kind = fkData, Integer size = -1)
{
    auto* field = new F(&ds);
    field->SetFieldName(name);
    field->SetFieldKind(kind);
    if (size >= 0)
        field->SetSize(size);
    field->SetDataSet(&ds);
    return field;
}

class CalcFieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        customers.FieldDefs()->Add("ID", ftInteger);
        customers.FieldDefs()->Add("Name", ftString, 20);
        customers.Open();
        customers.AppendRecord({Variant(1), Variant("Alice")});
        customers.AppendRecord({Variant(2), Variant("Bob")});

        id = AddField<TIntegerField>(orders, "ID");
        custId = AddField<TIntegerField>(orders, "CustID");
        twice = AddField<TIntegerField>(orders, "Twice", fkCalculated);
        custName = AddField<TStringField>(orders, "CustName", fkLookup, 20);
        custName->SetLookupDataSet(&customers);
        custName->SetKeyFields("CustID");
        custName->SetLookupKeyFields("ID");
        custName->SetLookupResultField("Name");
        orders.OnCalcFields = [this](TDataSet* d) {
            ++calcCalls;
            statesSeen.push_back(d->State());
            if (!id->IsNull())
                twice->SetAsInteger(id->AsInteger() * 2);
        };
        orders.Open();
        orders.AppendRecord({Variant(10), Variant(2)});
        orders.AppendRecord({Variant(11), Variant(1)});
        orders.First();
    }

    TMemDataSet customers;
    TMemDataSet orders;
    TIntegerField* id = nullptr;
    TIntegerField* custId = nullptr;
    TIntegerField* twice = nullptr;
    TStringField* custName = nullptr;
    int calcCalls = 0;
    std::vector<TDataSetState> statesSeen;
};

TEST_F(CalcFieldsTest, CalculatedAndLookupFieldsHaveTheirOwnArea)
{
    EXPECT_FALSE(orders.DefaultFields());
    EXPECT_EQ(twice->FieldNo(), -1);
    EXPECT_EQ(custName->FieldNo(), -1);
    EXPECT_EQ(twice->Offset(), 0);
    EXPECT_EQ(custName->Offset(), 5); // after Twice's has-value byte and 4 bytes
    // and CustName's byte, room for 20 characters of the code page, terminator
    EXPECT_EQ(orders.CalcFieldsSize(), 5 + 1 + 20 * AnsiMaxCharSize() + 1);
    // The stored rows hold only the data fields.
    EXPECT_EQ(orders.RowData(0).size(), 10u);
    EXPECT_EQ(orders.FieldSlot(custId), 5);
}

TEST_F(CalcFieldsTest, FetchingCalculatesInTheCalcState)
{
    // (While values are being typed the calculation runs in the edit state itself.)
    statesSeen.clear();
    calcCalls = 0;
    orders.Refresh();
    EXPECT_EQ(twice->AsInteger(), 20);
    EXPECT_EQ(custName->AsString(), "Bob");
    orders.Next();
    EXPECT_EQ(twice->AsInteger(), 22);
    EXPECT_EQ(custName->AsString(), "Alice");
    EXPECT_GT(calcCalls, 0);
    for (TDataSetState state : statesSeen)
        EXPECT_EQ(state, dsCalcFields);
    EXPECT_EQ(orders.State(), dsBrowse);
}

TEST_F(CalcFieldsTest, ChangingADataFieldRecalculatesAtOnce)
{
    orders.Edit();
    custId->SetAsInteger(1);
    EXPECT_EQ(custName->AsString(), "Alice");
    id->SetAsInteger(50);
    EXPECT_EQ(twice->AsInteger(), 100);
    orders.Cancel();
    EXPECT_EQ(twice->AsInteger(), 20);
    EXPECT_EQ(custName->AsString(), "Bob");
}

TEST_F(CalcFieldsTest, WithoutAutoCalcFieldsTheValuesWaitForThePost)
{
    orders.SetAutoCalcFields(false);
    orders.Edit();
    id->SetAsInteger(50);
    EXPECT_EQ(twice->AsInteger(), 20);
    orders.Post();
    EXPECT_EQ(twice->AsInteger(), 100);
}

TEST_F(CalcFieldsTest, AnUnmatchedKeyOrAClosedLookupDatasetGivesNoValue)
{
    orders.Edit();
    custId->SetAsInteger(99);
    EXPECT_TRUE(custName->IsNull());
    orders.Cancel();
    customers.Close();
    orders.Refresh();
    EXPECT_TRUE(custName->IsNull());
    EXPECT_EQ(twice->AsInteger(), 20);
}

TEST_F(CalcFieldsTest, ClosingKeepsPersistentFields)
{
    orders.Close();
    EXPECT_EQ(orders.FieldCount(), 4);
    EXPECT_EQ(orders.FindField("Twice"), twice);
    orders.Open();
    EXPECT_EQ(twice->AsInteger(), 20);
}

TEST_F(CalcFieldsTest, FreeingTheLookupDatasetClearsTheReference)
{
    orders.Close();
    auto other = std::make_unique<TMemDataSet>();
    custName->SetLookupDataSet(other.get());
    other.reset();
    EXPECT_EQ(custName->LookupDataSet(), nullptr);
}

TEST(FieldBindingTest, APersistentFieldWithoutADefinitionFailsTheOpen)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    AddField<TIntegerField>(ds, "ID");
    AddField<TStringField>(ds, "Missing", fkData, 5);
    try {
        ds.Open();
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'Missing' not found");
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 2);
}

TEST(FieldBindingTest, APersistentFieldOfAnotherTypeFailsTheOpen)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    AddField<TDateField>(ds, "ID");
    try {
        ds.Open();
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Type mismatch for field 'ID', expecting: Date actual: Integer");
    }
}

TEST(FieldBindingTest, ABlobCannotBeCalculated)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    AddField<TIntegerField>(ds, "ID");
    AddField<TMemoField>(ds, "Notes", fkCalculated);
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
}

TEST(FieldBindingTest, FieldNamesAreUniqueAndPresent)
{
    TMemDataSet ds;
    AddField<TIntegerField>(ds, "ID");
    auto* dup = new TIntegerField(nullptr);
    dup->SetFieldName("id");
    try {
        dup->SetDataSet(&ds);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Duplicate field name 'id'");
    }
    auto* unnamed = new TIntegerField(nullptr);
    EXPECT_THROW(unnamed->SetDataSet(&ds), EDatabaseError);
    delete dup;
    delete unnamed;
}

TEST(FieldBindingTest, DefaultFieldsComeAndGoWithTheOpen)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger, 0, true);
    ds.FieldDefs()->Add("Name", ftString, 30);
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_TRUE(ds.FieldByName("ID")->Required());
    EXPECT_EQ(ds.FieldByName("Name")->Size(), 30);
    EXPECT_EQ(ds.FieldByName("Name")->FieldNo(), 2);
    EXPECT_EQ(ds.FieldByName("Name")->Index(), 1);
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_EQ(ds.FieldDefs()->Count(), 2);
}

TEST(FieldBindingTest, FieldsCannotChangeWhileOpen)
{
    auto ds = MakeTallDataSet(1);
    try {
        ds->FieldByName("Name")->SetSize(5);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on an open dataset");
    }
    auto* late = new TIntegerField(ds.get()); // owned by the dataset as a component
    late->SetFieldName("Late");
    EXPECT_THROW(late->SetDataSet(ds.get()), EDatabaseError);
    EXPECT_EQ(ds->FindField("Late"), nullptr);
}

} // namespace
} // namespace vmado::test
