// TVRecords editing: old values taken when editing begins, updates sent to the database,
// cancelling, deleting and the record status.
#include "AdoBaseFixture.h"

#include "framework/rtl/Exceptions.h"

namespace vmado::test {
namespace {

using RecordsEdit = WrapperTest;

FieldPtr F(TVRecords& r, const char* name)
{
    return r.Recordset->Fields()->Item(AnsiString(name));
}

TEST_F(RecordsEdit, EditingKeepsTheOldValuesByFieldPosition)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id", ltLockOptimistic);
    r->Next();
    r->SetState(dsEdit);
    ASSERT_TRUE(VarIsArray(r->OldValues));
    EXPECT_EQ(VarArrayHighBound(r->OldValues, 1), 6);
    F(*r, "name")->SetValue(Variant("Smythe"));
    EXPECT_EQ(r->FieldOldValue("NAME").AsString(), "Smith");
    EXPECT_EQ(r->FieldOldValue("qty").AsInteger(), 5);
    EXPECT_TRUE(r->FieldOldValue("nosuch").IsNull());
    EXPECT_EQ(r->FieldPosition("City"), 2);
    EXPECT_EQ(r->FieldPosition("nosuch"), -1);
    r->Update();
    EXPECT_EQ(r->State, dsBrowse);
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 1"), "Smythe");
    // The old values ended with the edit: browsing never sees another edit's values.
    EXPECT_TRUE(r->OldValues.IsNull());
    EXPECT_TRUE(r->FieldOldValue("name").IsNull());
    r->SetState(dsEdit);
    EXPECT_EQ(r->FieldOldValue("name").AsString(), "Smythe");
    r->Cancel();
    EXPECT_TRUE(r->OldValues.IsNull());
}

TEST_F(RecordsEdit, InsertingStartsWithNullOldValuesAndAddsARow)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id", ltLockOptimistic);
    r->Insert();
    r->SetState(dsInsert);
    EXPECT_EQ(r->State, dsInsert);
    r->SetState(dsEdit); // a state change takes values afresh
    r->SetState(dsInsert);
    EXPECT_TRUE(r->FieldOldValue("name").IsNull());
    F(*r, "id")->SetValue(Variant(Integer(10)));
    F(*r, "name")->SetValue(Variant("White"));
    r->Update();
    EXPECT_EQ(r->State, dsBrowse);
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 10"), "White");
    EXPECT_EQ(r->GetRecordCount(), 5);
}

TEST_F(RecordsEdit, CancelDropsTheChange)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id", ltLockOptimistic);
    r->Next();
    r->SetState(dsEdit);
    F(*r, "name")->SetValue(Variant("Nobody"));
    r->Cancel();
    EXPECT_EQ(r->State, dsBrowse);
    EXPECT_EQ(F(*r, "name")->Value().AsString(), "Smith");
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 1"), "Smith");
}

TEST_F(RecordsEdit, DeleteReportsWhetherRecordsRemain)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people WHERE id <= 2 ORDER BY id", ltLockOptimistic);
    r->Next();
    EXPECT_TRUE(r->Delete());
    r->First();
    r->Next();
    EXPECT_FALSE(r->Delete());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "2");
    EXPECT_FALSE(r->Delete()); // nothing left to delete: just the answer
}

TEST_F(RecordsEdit, RecordStatusFollowsBatchChanges)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Next();
    EXPECT_EQ(r->GetRecStatus(), rsRecUnmodified);
    F(*r, "qty")->SetValue(Variant(Integer(42)));
    r->Update();
    EXPECT_EQ(r->GetRecStatus(), rsRecModified);
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "5"); // not sent before UpdateBatch
}

TEST_F(RecordsEdit, ReadOnlyRecordsetsRefuseEdits)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people", ltLockReadOnly);
    r->Next();
    EXPECT_THROW(F(*r, "name")->SetValue(Variant("x")), EOleException);
}

} // namespace
} // namespace vmado::test
