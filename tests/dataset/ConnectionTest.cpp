// Where a dataset's connection comes from: its own, created on first use and closed at every
// close, or a master's shared one, borrowed and never closed or freed by the dataset.
#include "DataSetFixture.h"

#include <algorithm>
#include <vector>

namespace vmado::test {
namespace {

// The smallest master a dataset can follow: one shared connection and the list of followers.
class SharedMaster : public TVCustomMaster {
public:
    explicit SharedMaster(const std::string& connection) : TVCustomMaster(nullptr), connection_(connection) {}
    ~SharedMaster() override { Destroying(); }
    AnsiString Connection() const override { return connection_; }
    TVConnection* GetData() override
    {
        if (shared_.ConnectionString != connection_)
            shared_.SetConnect(connection_);
        return &shared_;
    }
    void InsertDataSet(TVADODataSet* d) override
    {
        if (std::find(list_.begin(), list_.end(), d) == list_.end())
            list_.push_back(d);
    }
    void RemoveDataSet(TVADODataSet* d) override
    {
        list_.erase(std::remove(list_.begin(), list_.end(), d), list_.end());
    }
    const std::vector<TVADODataSet*>& List() const { return list_; }
    TVConnection& Shared() { return shared_; }

private:
    std::string connection_;
    TVConnection shared_{false};
    std::vector<TVADODataSet*> list_;
};

using ConnectionTest = DataSetTest;

TEST_F(ConnectionTest, AnOwnConnectionIsClosedAtCloseAndReopenedAtOpen)
{
    TVADODataSet& d = Open("SELECT name FROM people");
    TVConnection* own = d.GetData();
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(own->AutoClose);
    EXPECT_TRUE(own->Active);
    d.Close();
    EXPECT_EQ(d.GetData(), own);
    EXPECT_FALSE(own->Active);
    d.Open();
    EXPECT_TRUE(own->Active);
    d.ConnectionClose();
    EXPECT_EQ(d.GetData(), nullptr);
}

TEST_F(ConnectionTest, AMastersConnectionIsSharedAndNeverClosedByTheDataset)
{
    SharedMaster master(ConnectionString());
    TVADODataSet& a = Make("SELECT name FROM people");
    a.SetConnection("");
    a.SetMaster(&master);
    EXPECT_EQ(a.GetConnection(), ConnectionString());
    TVADODataSet b(nullptr);
    b.SetCommand("SELECT id FROM people");
    b.SetMaster(&master);
    a.Open();
    b.Open();
    EXPECT_EQ(a.GetData(), &master.Shared());
    EXPECT_EQ(b.GetData(), &master.Shared());
    EXPECT_EQ(master.List(), (std::vector<TVADODataSet*>{&a, &b}));
    a.Close();
    EXPECT_TRUE(master.Shared().Active);
    EXPECT_EQ(b.FieldByName("id")->AsInteger(), 1);
    b.SetMaster(nullptr);
    EXPECT_EQ(b.Master(), nullptr);
    EXPECT_EQ(master.List(), (std::vector<TVADODataSet*>{&a}));
}

TEST_F(ConnectionTest, WithoutTheConnectionOptionTheDatasetKeepsItsOwn)
{
    SharedMaster master(ConnectionString());
    TVADODataSet& d = Make("SELECT name FROM people");
    d.SetOptions(TVOptions{opDialog, opFilter});
    d.SetMaster(&master);
    d.Open();
    EXPECT_NE(d.GetData(), &master.Shared());
    EXPECT_TRUE(d.GetData()->AutoClose);
    // Turning the option on gives up the own connection for the master's.
    d.Close();
    d.SetOptions(TVOptions{opDialog, opFilter, opConnection});
    EXPECT_EQ(d.GetData(), &master.Shared());
}

TEST_F(ConnectionTest, FreeingTheMasterClearsItOnItsDatasets)
{
    auto master = std::make_unique<SharedMaster>(ConnectionString());
    TVADODataSet& d = Make("SELECT name FROM people");
    d.SetMaster(master.get());
    d.Open();
    d.Close();
    master.reset();
    EXPECT_EQ(d.Master(), nullptr);
    EXPECT_EQ(d.GetData(), nullptr);
    // It goes on with a connection of its own.
    d.Open();
    EXPECT_EQ(d.FieldByName("name")->AsString(), "Smith");
    EXPECT_TRUE(d.GetData()->AutoClose);
}

TEST_F(ConnectionTest, ChangingTheConnectionStringReconnectsAtTheNextOpen)
{
    TVADODataSet& d = Open("SELECT name FROM people");
    d.Close();
    TempDir other;
    SqliteExec(other / "other.db",
               "CREATE TABLE people (name VARCHAR(10)); INSERT INTO people VALUES ('Other');");
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << "the second database is an embedded SQLite file";
    d.SetConnection("Provider=SQLite;Data Source=" + (other / "other.db").string());
    d.Open();
    EXPECT_EQ(d.FieldByName("name")->AsString(), "Other");
}

TEST_F(ConnectionTest, PublishedPropertiesStreamAsAComponent)
{
    TVADODataSet& d = Make("SELECT name FROM people");
    d.SetName("People");
    d.SetSortStr("name DESC");
    d.SetFilter("qty > 1");
    d.SetReadOnly(true);
    d.SetPrimaryKey("id");
    d.SetMarkerField("note");
    d.SetFileName("people.vds");
    d.SetOptions(TVOptions{opFilter, opSubList});
    d.SetUpdateMode(upWhereKeyOnly);
    TMemoryStream stream;
    stream.WriteComponent(&d);
    stream.SetPosition(0);
    TVADODataSet copy(nullptr);
    stream.ReadComponent(&copy);
    EXPECT_EQ(copy.Name(), "People");
    EXPECT_EQ(copy.GetConnection(), ConnectionString());
    EXPECT_EQ(copy.Sort(), "name DESC");
    EXPECT_EQ(copy.Filter(), "qty > 1");
    EXPECT_TRUE(copy.ReadOnly());
    EXPECT_EQ(copy.LockType(), ltLockReadOnly);
    EXPECT_EQ(copy.GetPrimaryKey(), "id");
    EXPECT_EQ(copy.GetMarkerField(), "note");
    EXPECT_EQ(copy.FileName(), "people.vds");
    EXPECT_EQ(copy.Options(), (TVOptions{opFilter, opSubList}));
    EXPECT_EQ(copy.UpdateMode(), upWhereKeyOnly);
    EXPECT_FALSE(copy.Active());
}

TEST_F(ConnectionTest, AStreamedActiveDatasetOpensOnceLoaded)
{
    TVADODataSet& d = Open("SELECT name FROM people ORDER BY id");
    TMemoryStream stream;
    stream.WriteComponent(&d);
    stream.SetPosition(0);
    TVADODataSet copy(nullptr);
    copy.SetCommand(d.CommandText()); // the command is published by the table and query components
    stream.ReadComponent(&copy);
    ASSERT_TRUE(copy.Active());
    EXPECT_EQ(copy.FieldByName("name")->AsString(), "Smith");
}

} // namespace
} // namespace vmado::test
