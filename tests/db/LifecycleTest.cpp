// Ownership and life cycle: fields and datasets freed in either order, a field freed while its
// dataset is open, a streamed Active, and failed operations that leave nothing half-made.
#include "DbFixtures.h"
#include "LinkProbe.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

TEST(LifecycleTest, AFormFreesItsDatasetAndFieldsInEitherOrder)
{
    for (bool fieldFirst : {true, false}) {
        SCOPED_TRACE(fieldFirst);
        auto form = std::make_unique<TComponent>(nullptr);
        TIntegerField* field = nullptr;
        TMemDataSet* ds = nullptr;
        if (fieldFirst) {
            field = new TIntegerField(form.get());
            ds = new TMemDataSet(form.get());
        } else {
            ds = new TMemDataSet(form.get());
            field = new TIntegerField(form.get());
        }
        field->SetFieldName("ID");
        field->SetDataSet(ds);
        auto* source = new TDataSource(form.get());
        source->SetDataSet(ds);
        ds->Open();
        ds->AppendRecord({Variant(1)});
        EXPECT_EQ(ds->FieldCount(), 1);
        form.reset(); // the sanitizer run proves nothing is freed twice or leaked
    }
}

TEST(LifecycleTest, FreeingAFieldOfAnOpenDatasetClosesIt)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.FieldDefs()->Add("Name", ftString, 10);
    auto* id = new TIntegerField(nullptr);
    id->SetFieldName("ID");
    id->SetDataSet(&ds);
    auto* name = new TStringField(nullptr);
    name->SetFieldName("Name");
    name->SetSize(10);
    name->SetDataSet(&ds);
    ds.Open();
    delete name;
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 1);
    ds.Open();
    EXPECT_EQ(ds.FindField("Name"), nullptr);
}

TEST(LifecycleTest, AStreamedActiveOpensWhenLoaded)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.IncludeComponentState(csReading);
    ds.IncludeComponentState(csLoading);
    ds.SetActive(true);
    EXPECT_FALSE(ds.Active());
    ds.ExcludeComponentState(csReading);
    ds.Loaded();
    EXPECT_TRUE(ds.Active());
}

TEST(LifecycleTest, AFailedAppendRecordLeavesNoRecord)
{
    auto ds = MakeTallDataSet(2);
    EXPECT_THROW(ds->AppendRecord({Variant(3), Variant("a name far too long for twenty")}), EDatabaseError);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->RowCount(), 2);
}

TEST(LifecycleTest, BlobStreamsNeedABlobFieldAndEditModeToWrite)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.FieldDefs()->Add("Notes", ftMemo);
    ds.Open();
    ds.AppendRecord({Variant(1), Variant("first")});
    EXPECT_THROW(ds.CreateBlobStream(ds.FieldByName("ID"), bmRead), EInvalidCast);
    try {
        ds.FieldByName("Notes")->SetAsString("x");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
    EXPECT_EQ(ds.FieldByName("Notes")->AsString(), "first");
    ds.Edit();
    {
        std::unique_ptr<TStream> stream = ds.CreateBlobStream(ds.FieldByName("Notes"), bmReadWrite);
        stream->Seek(0, soFromEnd);
        stream->WriteBuffer(" and more", 9);
    }
    EXPECT_TRUE(static_cast<TBlobField*>(ds.FieldByName("Notes"))->Modified());
    EXPECT_TRUE(ds.Modified());
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("Notes")->AsString(), "first");
    ds.Edit();
    ds.FieldByName("Notes")->SetAsString("second");
    ds.Post();
    EXPECT_EQ(ds.FieldByName("Notes")->AsString(), "second");
}

TEST(LifecycleTest, ReopeningWithOtherDefinitionsStartsEmpty)
{
    auto ds = MakeTallDataSet(3);
    ds->Close();
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 3); // same layout: the rows stay
    ds->Close();
    ds->FieldDefs()->Add("Extra", ftFloat);
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_TRUE(ds->IsEmpty());
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

TEST(LifecycleTest, AFetchThatFailsLeavesTheRingUsable)
{
    auto ds = MakeTallDataSet(10);
    ds->Close();
    for (const char* name : {"ID", "Name"})
        ds->FieldDefs()->Find(name)->CreateField(ds.get());
    auto* twice = new TIntegerField(ds.get());
    twice->SetFieldName("Twice");
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(ds.get());
    bool fail = false;
    ds->OnCalcFields = [&](TDataSet* d) {
        const Integer id = d->FieldByName("ID")->AsInteger();
        if (fail && id == 5)
            throw EDatabaseError("cannot calculate record 5");
        twice->SetAsInteger(id * 2);
    };
    ds->Open();
    ds->MoveBy(3); // ID 4
    int afterScrolls = 0;
    ds->AfterScroll = [&](TDataSet*) { ++afterScrolls; };
    fail = true;
    EXPECT_THROW(ds->Next(), EDatabaseError);
    EXPECT_EQ(afterScrolls, 1);
    fail = false;
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
    EXPECT_EQ(twice->AsInteger(), 10);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 6);
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

// An open that makes no cursor (as a dataset without a command does): active, but empty.
class CursorlessDataSet : public TMemDataSet {
protected:
    void InternalOpen() override {}
    void InternalClose() override {}
    bool IsCursorOpen() override { return false; }
};

TEST(LifecycleTest, AnOpenWithoutACursorReportsTheEndOfData)
{
    CursorlessDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    TDataSource source(nullptr);
    LinkProbe link;
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
    link.SetBufferCount(5);
    ds.Open();
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    ds.First();
    ds.Next();
    ds.Last();
    ds.Refresh();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.ActiveBuffer(), nullptr);
    EXPECT_EQ(link.RecordCount(), 0);
    EXPECT_THROW(ds.Append(), EDatabaseError);
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.Close();
    EXPECT_FALSE(ds.Active());
}

} // namespace
} // namespace vmado::test
