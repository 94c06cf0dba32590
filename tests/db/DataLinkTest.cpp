// Data sources and links: state tracking, every notification a link gets and its order,
// DisableControls batching, auto-edit, master-detail links and circular-link detection.
#include "DbFixtures.h"
#include "LinkProbe.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

using Calls = std::vector<std::string>;

TEST(DataSourceTest, StateFollowsTheDatasetWhileEnabled)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    TDataSource source(nullptr);
    std::vector<TDataSetState> states;
    int dataChanges = 0;
    source.OnStateChange = [&](TObject*) { states.push_back(source.State()); };
    source.OnDataChange = [&](TObject*, TField*) { ++dataChanges; };
    source.SetDataSet(&ds);
    EXPECT_EQ(source.State(), dsInactive);
    ds.Open();
    EXPECT_EQ(source.State(), dsBrowse);
    EXPECT_GE(dataChanges, 1); // leaving dsInactive counts as a data change
    ds.Append();
    EXPECT_EQ(source.State(), dsInsert);
    ds.Cancel();
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    source.SetEnabled(true);
    EXPECT_EQ(source.State(), dsBrowse);
    EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsInsert, dsBrowse, dsInactive, dsBrowse}));
}

TEST(DataSourceTest, DataChangeNamesTheChangedField)
{
    auto ds = MakeTallDataSet(2);
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    std::vector<TField*> fields;
    int updates = 0;
    source.OnDataChange = [&](TObject*, TField* field) { fields.push_back(field); };
    source.OnUpdateData = [&](TObject*) { ++updates; };
    ds->Edit();
    fields.clear();
    ds->FieldByName("Name")->SetAsString("x");
    EXPECT_EQ(fields, (std::vector<TField*>{ds->FieldByName("Name")}));
    ds->Post();
    EXPECT_EQ(updates, 1);
}

class DataLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds = MakeTallDataSet(5);
        source.SetDataSet(ds.get());
        link.SetDataSource(&source);
    }

    std::unique_ptr<TMemDataSet> ds;
    TDataSource source{nullptr};
    LinkProbe link;
};

TEST_F(DataLinkTest, OpeningAndClosingChangeActive)
{
    EXPECT_TRUE(link.Active());
    link.Take();
    ds->Close();
    EXPECT_FALSE(link.Active());
    ds->Open();
    EXPECT_TRUE(link.Active());
    // Opening is announced by the state change alone.
    EXPECT_EQ(link.Take(), (Calls{"ActiveChanged", "ActiveChanged"}));
}

TEST_F(DataLinkTest, EditingNotifications)
{
    link.Take();
    ds->Edit();
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(link.Take(), (Calls{"CheckBrowseMode", "EditingChanged", "RecordChanged"}));
    ds->FieldByName("Name")->SetAsString("x");
    EXPECT_EQ(link.Take(), (Calls{"RecordChanged(Name)"}));
    ds->Post();
    EXPECT_FALSE(link.Editing());
    EXPECT_EQ(link.Take(), (Calls{"UpdateData", "CheckBrowseMode", "EditingChanged", "DataSetChanged"}));
}

TEST_F(DataLinkTest, ScrollingNotifies)
{
    link.Take();
    ds->Next();
    EXPECT_EQ(link.Take(), (Calls{"CheckBrowseMode", "DataSetScrolled"}));
    // A one-record ring scrolls by one for every record moved.
    EXPECT_EQ(link.scrollDistances, (std::vector<Integer>{-1}));
    ds->FieldByName("Name")->SetDisplayLabel("Customer");
    EXPECT_EQ(link.Take(), (Calls{"LayoutChanged"}));
}

TEST_F(DataLinkTest, UpdateDataWritingAFieldDoesNotEchoBack)
{
    link.onUpdateData = [this] { ds->FieldByName("Name")->SetAsString("from control"); };
    ds->Edit();
    link.Take();
    ds->Post();
    const Calls calls = link.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "RecordChanged(Name)"), 0);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "from control");
}

TEST_F(DataLinkTest, RequiredFieldAsksTheControlsForFocus)
{
    ds->FieldByName("Name")->SetRequired(true);
    ds->Edit();
    ds->FieldByName("Name")->Clear();
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(link.focusRequest, ds->FieldByName("Name"));
}

TEST_F(DataLinkTest, SingleRecordLinksHearFirst)
{
    std::vector<std::string> order;
    LinkProbe grid(&order, "grid:");
    LinkProbe edit(&order, "edit:");
    grid.SetDataSource(&source);
    grid.SetBufferCount(3);
    edit.SetDataSource(&source);
    order.clear();
    ds->Next();
    EXPECT_EQ(order, (Calls{"edit:CheckBrowseMode", "grid:CheckBrowseMode", "edit:DataSetScrolled",
                            "grid:DataSetScrolled"}));
}

TEST_F(DataLinkTest, DisabledControlsHearOneChangeAtTheEnd)
{
    link.Take();
    ds->DisableControls();
    ds->DisableControls();
    ds->Next();
    ds->Next();
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("x");
    ds->Post();
    EXPECT_TRUE(link.Take().empty());
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->EnableControls();
    EXPECT_TRUE(link.Take().empty());
    ds->EnableControls();
    EXPECT_EQ(link.Take(), (Calls{"DataSetChanged"}));
    EXPECT_FALSE(ds->ControlsDisabled());
}

TEST_F(DataLinkTest, AStateChangeWhileDisabledIsReportedAtTheEnd)
{
    ds->DisableControls();
    ds->Edit();
    EXPECT_FALSE(link.Editing());
    ds->EnableControls();
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(source.State(), dsEdit);
}

TEST_F(DataLinkTest, LinkEditFollowsAutoEditAndReadOnly)
{
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(ds->State(), dsEdit);
    ds->Cancel();
    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds->State(), dsBrowse);
    source.SetAutoEdit(true);
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(DataLinkTest, FreeingTheDatasetOrTheSourceDetaches)
{
    auto other = std::make_unique<TDataSource>(nullptr);
    LinkProbe second;
    second.SetDataSource(other.get());
    other->SetDataSet(ds.get());
    EXPECT_TRUE(second.Active());
    other.reset();
    EXPECT_EQ(second.DataSource(), nullptr);
    EXPECT_FALSE(second.Active());
    ds.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_FALSE(link.Active());
}

TEST_F(DataLinkTest, AFixedDataSourceCannotChange)
{
    link.SetDataSourceFixed(true);
    EXPECT_THROW(link.SetDataSource(nullptr), EDatabaseError);
    link.SetDataSourceFixed(false);
    link.SetDataSource(nullptr);
    EXPECT_FALSE(link.Active());
}

// ---- master-detail ---------------------------------------------------------------------------

class MasterDetailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master = MakeTallDataSet(3);
        masterSource.SetDataSet(master.get());
        detail.FieldDefs()->Add("OrderNo", ftInteger);
        detail.FieldDefs()->Add("CustID", ftInteger);
        detail.Open();
        const int rows[][2] = {{100, 1}, {101, 2}, {102, 1}, {103, 3}, {104, 1}};
        for (auto& r : rows)
            detail.AppendRecord({Variant(r[0]), Variant(r[1])});
        detail.SetDetailFields("CustID");
        detail.SetMasterFields("ID");
        detail.SetMasterSource(&masterSource);
    }

    std::vector<Integer> DetailOrders()
    {
        std::vector<Integer> result;
        detail.First();
        while (!detail.Eof()) {
            result.push_back(detail.FieldByName("OrderNo")->AsInteger());
            detail.Next();
        }
        return result;
    }

    std::unique_ptr<TMemDataSet> master;
    TDataSource masterSource{nullptr};
    TMemDataSet detail;
};

TEST_F(MasterDetailTest, TheDetailFollowsTheMasterRecord)
{
    EXPECT_EQ(DetailOrders(), (std::vector<Integer>{100, 102, 104}));
    master->Next();
    EXPECT_EQ(DetailOrders(), (std::vector<Integer>{101}));
    master->Last();
    EXPECT_EQ(DetailOrders(), (std::vector<Integer>{103}));
}

TEST_F(MasterDetailTest, OnlyAChangedLinkFieldMovesTheDetail)
{
    int changes = 0;
    auto previous = detail.MasterLink().OnMasterChange;
    detail.MasterLink().OnMasterChange = [&](TObject* sender) {
        ++changes;
        previous(sender);
    };
    master->Edit(); // a record change (no field) reaches every master link
    EXPECT_EQ(changes, 1);
    changes = 0;
    master->FieldByName("Name")->SetAsString("renamed");
    EXPECT_EQ(changes, 0);
    master->FieldByName("ID")->SetAsInteger(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(DetailOrders(), (std::vector<Integer>{101}));
    master->Cancel();
}

TEST_F(MasterDetailTest, ClosingTheMasterLiftsTheRange)
{
    master->Close();
    EXPECT_EQ(DetailOrders().size(), 5u);
}

TEST_F(MasterDetailTest, TheMasterKnowsItsDetails)
{
    std::vector<TDataSet*> details;
    master->GetDetailDataSets(details);
    EXPECT_EQ(details, (std::vector<TDataSet*>{&detail}));
    std::vector<TField*> masterFields, detailFields;
    detail.GetDetailLinkFields(masterFields, detailFields);
    EXPECT_EQ(masterFields, (std::vector<TField*>{master->FieldByName("ID")}));
    EXPECT_EQ(detailFields, (std::vector<TField*>{detail.FieldByName("CustID")}));
    EXPECT_EQ(detail.DataSource(), &masterSource);
}

TEST_F(MasterDetailTest, CircularLinksAreRefused)
{
    TDataSource detailSource(nullptr);
    detailSource.SetDataSet(&detail);
    EXPECT_TRUE(master->IsLinkedTo(&detailSource));
    EXPECT_FALSE(detail.IsLinkedTo(&masterSource) && detail.DataSource() != &masterSource);
    TMemDataSet third;
    third.FieldDefs()->Add("ID", ftInteger);
    third.SetMasterSource(&detailSource); // master -> detail -> third
    TDataSource thirdSource(nullptr);
    thirdSource.SetDataSet(&third);
    try {
        master->SetMasterSource(&thirdSource); // would close the loop
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(master->DataSource(), nullptr);
    // The same loop approached from the source's side.
    try {
        masterSource.SetDataSet(&third);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Circular datalinks are not allowed"), std::string::npos);
    }
    EXPECT_EQ(masterSource.DataSet(), master.get());
    // A dataset may not be its own master.
    EXPECT_THROW(detail.SetMasterSource(&detailSource), EDatabaseError);
    third.SetMasterSource(nullptr);
}

} // namespace
} // namespace vmado::test
