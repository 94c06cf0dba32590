// The dataset's state machine and its Before/After events, in the framework's order, with the
// error events' actions and the errors of closed datasets and of edits outside edit mode.
#include "DbFixtures.h"

#include "framework/db/internal/DbMessages.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

using Events = std::vector<std::string>;

TEST(DataSetEventsTest, OpenAndCloseFireInOrder)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    EventLog log;
    log.Attach(ds);
    ds.Open();
    EXPECT_EQ(log.Take(), (Events{"BeforeOpen", "AfterOpen"}));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.IsEmpty());
    ds.Close();
    EXPECT_EQ(log.Take(), (Events{"BeforeClose", "AfterClose"}));
    EXPECT_EQ(ds.State(), dsInactive);
}

TEST(DataSetEventsTest, EditPostAndCancelFireInOrder)
{
    auto ds = MakeTallDataSet(3);
    EventLog log;
    log.Attach(*ds);
    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    ds->FieldByName("Name")->SetAsString("changed");
    ds->Post();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "changed");
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("dropped");
    ds->Cancel();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "changed");
}

TEST(DataSetEventsTest, InsertAppendAndDeleteScroll)
{
    auto ds = MakeTallDataSet(3);
    EventLog log;
    log.Attach(*ds);
    ds->Insert();
    EXPECT_EQ(log.Take(),
              (Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    ds->FieldByName("ID")->SetAsInteger(10);
    ds->Cancel();
    EXPECT_EQ(log.Take(), (Events{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(4);
    ds->Post();
    EXPECT_EQ(log.Take(), (Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                  "BeforePost", "AfterPost"}));
    EXPECT_EQ(ds->RecordCount(), 4);
    ds->Delete();
    EXPECT_EQ(log.Take(), (Events{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(ds->RecordCount(), 3);
}

TEST(DataSetEventsTest, InsertPutsTheRecordBeforeTheActiveOne)
{
    auto ds = MakeTallDataSet(3);
    ds->Next(); // on ID 2
    ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(99);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 99);
    EXPECT_EQ(ds->RecNo(), 2);
    std::vector<Integer> ids;
    ds->First();
    while (!ds->Eof()) {
        ids.push_back(ds->FieldByName("ID")->AsInteger());
        ds->Next();
    }
    EXPECT_EQ(ids, (std::vector<Integer>{1, 99, 2, 3}));
}

TEST(DataSetEventsTest, NavigationScrollsOnlyWhenItMoves)
{
    auto ds = MakeTallDataSet(2);
    EventLog log;
    log.Attach(*ds);
    ds->Next();
    EXPECT_EQ(log.Take(), (Events{"BeforeScroll", "AfterScroll"}));
    // On the last record Eof is not yet known: the attempt finds it and still scrolls.
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(5), 0);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(log.Take(), (Events{"BeforeScroll", "AfterScroll"}));
    // At Eof a forward move does nothing beyond BeforeScroll.
    EXPECT_EQ(ds->MoveBy(1), 0);
    EXPECT_EQ(log.Take(), (Events{"BeforeScroll"}));
    ds->First();
    ds->Last();
    EXPECT_EQ(log.Take(), (Events{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll"}));
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST(DataSetEventsTest, CheckBrowseModePostsModifiedAndCancelsUntouchedRecords)
{
    auto ds = MakeTallDataSet(2);
    EventLog log;
    log.Attach(*ds);
    ds->Edit();
    ds->CheckBrowseMode();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("x");
    EXPECT_TRUE(ds->Modified());
    ds->Next(); // leaving the record posts it
    EXPECT_EQ(log.Take(),
              (Events{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
    ds->First();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "x");
}

TEST(DataSetEventsTest, OnNewRecordValuesAreNotAModification)
{
    auto ds = MakeTallDataSet(1);
    ds->OnNewRecord = [](TDataSet* d) { d->FieldByName("Name")->SetAsString("default"); };
    ds->Append();
    EXPECT_FALSE(ds->Modified());
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "default");
    ds->FieldByName("ID")->SetAsInteger(2);
    EXPECT_TRUE(ds->Modified());
}

TEST(DataSetEventsTest, FailingOnNewRecordLeavesNoRecordBehind)
{
    auto ds = MakeTallDataSet(2);
    ds->OnNewRecord = [](TDataSet*) { throw EDatabaseError("no new records"); };
    EXPECT_THROW(ds->Append(), EDatabaseError);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 2);
    // Back on the records the append had brought into view, the last one active.
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST(DataSetEventsTest, OperationsOnAClosedDatasetRaise)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    for (auto op :
         std::vector<std::function<void()>>{[&] { ds.First(); }, [&] { ds.Next(); }, [&] { ds.Edit(); },
                                            [&] { ds.Delete(); }, [&] { ds.Append(); }}) {
        try {
            op();
            ADD_FAILURE() << "no exception";
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
        }
    }
}

TEST(DataSetEventsTest, WritingOutsideEditModeRaises)
{
    auto ds = MakeTallDataSet(1);
    try {
        ds->FieldByName("Name")->SetAsString("x");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
    EXPECT_THROW(ds->Post(), EDatabaseError);
}

TEST(DataSetEventsTest, ANamedDatasetPrefixesItsErrors)
{
    auto ds = MakeTallDataSet(1);
    ds->SetName("Orders");
    try {
        ds->FieldByName("Missing");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Orders: Field 'Missing' not found");
    }
    EXPECT_EQ(ds->FindField("Missing"), nullptr);
    EXPECT_EQ(ds->FindField("name"), ds->FieldByName("NAME"));
}

TEST(DataSetEventsTest, RequiredFieldMustHaveAValue)
{
    auto ds = MakeTallDataSet(1);
    ds->FieldByName("ID")->SetRequired(true);
    ds->Append();
    ds->FieldByName("Name")->SetAsString("no id");
    try {
        ds->Post();
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'ID' must have a value");
    }
    EXPECT_EQ(ds->State(), dsInsert);
    ds->FieldByName("ID")->SetAsInteger(2);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(DataSetEventsTest, PostErrorActions)
{
    struct Case {
        TDataAction action;
        bool throwsDatabaseError;
        bool throwsAbort;
        int expectedCalls;
    };
    // Retry: the handler mends the record, so the second attempt succeeds without another call.
    const Case cases[] = {{daFail, true, false, 1}, {daAbort, false, true, 1}, {daRetry, false, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        auto ds = MakeTallDataSet(1);
        ds->FieldByName("ID")->SetRequired(true);
        int calls = 0;
        ds->OnPostError = [&](TDataSet* d, EDatabaseError& e, TDataAction& action) {
            ++calls;
            EXPECT_NE(std::string(e.what()).find("must have a value"), std::string::npos);
            if (c.action == daRetry)
                d->FieldByName("ID")->SetAsInteger(5); // fixed: the retry succeeds
            action = c.action;
        };
        ds->Append();
        if (c.throwsDatabaseError) {
            EXPECT_THROW(ds->Post(), EDatabaseError);
        } else if (c.throwsAbort) {
            EXPECT_THROW(ds->Post(), EAbort);
        } else {
            ds->Post();
            EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
        }
        EXPECT_EQ(calls, c.expectedCalls);
    }
}

TEST(DataSetEventsTest, ReadOnlyFieldCannotBeModified)
{
    auto ds = MakeTallDataSet(1);
    ds->FieldByName("Name")->SetReadOnly(true);
    ds->Edit();
    try {
        ds->FieldByName("Name")->SetAsString("x");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'Name' cannot be modified");
    }
}

TEST(DataSetEventsTest, OnValidateSeesTheNewValueAndCanRefuseIt)
{
    auto ds = MakeTallDataSet(1);
    TField* name = ds->FieldByName("Name");
    std::string seen;
    name->OnValidate = [&](TField* f) {
        seen = f->AsString();
        if (seen == "bad")
            throw EDatabaseError("refused");
    };
    int changes = 0;
    name->OnChange = [&](TField*) { ++changes; };
    ds->Edit();
    name->SetAsString("good");
    EXPECT_EQ(seen, "good");
    EXPECT_THROW(name->SetAsString("bad"), EDatabaseError);
    EXPECT_EQ(name->AsString(), "good");
    EXPECT_EQ(changes, 1);
}

TEST(DataSetEventsTest, EditOfAnEmptyDatasetInserts)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.Open();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST(DataSetEventsTest, DeleteOfAnEmptyDatasetRaises)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.Open();
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST(DataSetEventsTest, ClearFieldsEmptiesTheRecord)
{
    auto ds = MakeTallDataSet(1);
    EXPECT_THROW(ds->ClearFields(), EDatabaseError);
    ds->Edit();
    ds->ClearFields();
    EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
}

TEST(DataSetEventsTest, OldValueKeepsTheValueBeforeTheEdit)
{
    auto ds = MakeTallDataSet(1);
    TField* name = ds->FieldByName("Name");
    ds->Edit();
    name->SetAsString("new");
    EXPECT_EQ(name->OldValue().AsString(), "Name1");
    EXPECT_EQ(name->NewValue().AsString(), "new");
    EXPECT_EQ(name->Value().AsString(), "new");
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

// Refuses the first edits and deletes it is asked for, as a locked record would.
class LockingDataSet : public TMemDataSet {
public:
    int editFailures = 0;
    int deleteFailures = 0;

protected:
    void InternalEdit() override
    {
        if (editFailures > 0) {
            --editFailures;
            throw EDatabaseError("record locked");
        }
        TMemDataSet::InternalEdit();
    }
    void InternalDelete() override
    {
        if (deleteFailures > 0) {
            --deleteFailures;
            throw EDatabaseError("record locked");
        }
        TMemDataSet::InternalDelete();
    }
};

TEST(DataSetErrorEventsTest, EditAndDeleteErrorsReachTheirEvents)
{
    LockingDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.Open();
    ds.AppendRecord({Variant(1)});
    ds.AppendRecord({Variant(2)});
    ds.First();
    std::vector<std::string> seen;
    ds.OnEditError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
        seen.push_back(std::string("edit: ") + e.what());
        action = daAbort;
    };
    ds.OnDeleteError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
        seen.push_back(std::string("delete: ") + e.what());
        action = daRetry;
    };
    ds.editFailures = 1;
    EXPECT_THROW(ds.Edit(), EAbort);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.deleteFailures = 2;
    ds.Delete(); // retried until the lock is gone
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(seen, (std::vector<std::string>{"edit: record locked", "delete: record locked",
                                              "delete: record locked"}));
    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Cancel();
}

} // namespace
} // namespace vmado::test
