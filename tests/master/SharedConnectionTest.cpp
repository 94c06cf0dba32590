// The master's shared connection on a real database: datasets on it see one session, follow its
// text, are closed before that text or the connection moves, and survive the master going away.
#include "adobase/AdoBaseFixture.h"
#include "master/VMaster.h"

#include "framework/rtl/Exceptions.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vmado::test {
namespace {

class SharedConnectionTest : public WrapperTest {
protected:
    void SetUp() override
    {
        WrapperTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        master_ = std::make_unique<TVMaster>();
        master_->SetConnect(ConnectionString());
    }

    // A closed dataset on the master (its shared connection) running sql.
    std::unique_ptr<TVADODataSet> OnMaster(const std::string& sql)
    {
        auto dataSet = std::make_unique<TVADODataSet>(nullptr);
        dataSet->SetMaster(master_.get());
        dataSet->SetCommand(sql);
        return dataSet;
    }

    std::unique_ptr<TVMaster> master_;
};

TEST_F(SharedConnectionTest, ATempTableMadeThroughOneDataSetIsSeenThroughAnother)
{
    auto maker = OnMaster("SELECT id FROM people");
    maker->InternalSQL("CREATE TEMP TABLE scratch (id INTEGER, name VARCHAR(20))");
    maker->InternalSQL("INSERT INTO scratch VALUES (7, 'seven')");

    auto reader = OnMaster("SELECT id, name FROM scratch");
    reader->Open();
    EXPECT_EQ(reader->RecordCount(), 1);
    EXPECT_EQ(reader->FieldByName("name")->AsString(), "seven");
    EXPECT_EQ(reader->GetData(), maker->GetData());
    EXPECT_EQ(reader->GetData(), master_->GetData());

    // A temporary table lives in one session only: a dataset with a connection of its own must
    // not find it, or the test above proves nothing.
    TVADODataSet own(nullptr);
    own.SetConnection(ConnectionString());
    own.SetCommand("SELECT id, name FROM scratch");
    EXPECT_THROW(own.Open(), EDatabaseError);
}

TEST_F(SharedConnectionTest, ChangesOfTheTextCloseTheDataSetsFirstAndReachEveryOne)
{
    const struct {
        const char* What;
        std::function<void(TVMaster&, const std::string&)> Change;
    } cases[] = {
        {"connection text", [](TVMaster& m, const std::string& cs) { m.SetConnect(cs + ";"); }},
        // A key neither backend reads, so the datasets can open again on the new text.
        {"key property", [](TVMaster& m, const std::string&) { m.SetFileDSN("unused.dsn"); }},
        {"Connected false", [](TVMaster& m, const std::string&) { m.SetConnected(false); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        master_->SetConnect(ConnectionString());
        auto first = OnMaster("SELECT id FROM people");
        auto second = OnMaster("SELECT name FROM people");
        std::vector<std::string> seen;
        for (TVADODataSet* ds : {first.get(), second.get()}) {
            ds->BeforeClose = [&, ds](TDataSet*) {
                seen.push_back(
                    (ds == first.get() ? "first closes, connection " : "second closes, connection ") +
                    std::string(master_->GetConnected() ? "open" : "closed"));
            };
            ds->Open();
        }
        ASSERT_TRUE(master_->GetConnected());

        c.Change(*master_, ConnectionString());

        EXPECT_EQ(seen, (std::vector<std::string>{"first closes, connection open",
                                                  "second closes, connection open"}));
        EXPECT_FALSE(first->Active());
        EXPECT_FALSE(second->Active());
        EXPECT_FALSE(master_->GetConnected());
        EXPECT_EQ(first->GetConnection(), master_->Connection());
        EXPECT_EQ(second->GetConnection(), master_->Connection());

        // Opening again takes the master's current text, whichever dataset opens first.
        second->Open();
        first->Open();
        EXPECT_EQ(master_->GetData()->ConnectionString, master_->Connection());
        EXPECT_EQ(first->RecordCount(), 4);
        first->BeforeClose = nullptr;
        second->BeforeClose = nullptr;
    }
}

TEST_F(SharedConnectionTest, ADataSetsOwnStaleTextNeverMovesTheSharedConnection)
{
    auto browsing = OnMaster("SELECT id FROM people");
    browsing->Open();
    auto stale = OnMaster("SELECT name FROM people");
    stale->SetConnection(ConnectionString() + ";Stale=1");

    stale->Open();

    // Read through the dataset: the master's GetData would put its own text back.
    EXPECT_EQ(stale->GetData()->ConnectionString, master_->Connection());
    EXPECT_TRUE(browsing->Active());
    EXPECT_EQ(browsing->RecordCount(), 4);
    EXPECT_EQ(stale->RecordCount(), 4);
}

TEST_F(SharedConnectionTest, FreeingTheMasterClosesTheDataSetsOnItsConnection)
{
    auto onShared = OnMaster("SELECT id, name FROM people ORDER BY id");
    onShared->Open();
    onShared->Next();
    auto ownConnection = OnMaster("SELECT id FROM people");
    ownConnection->SetOptions(TVOptions{opDialog, opFilter});
    ownConnection->Open();
    ASSERT_NE(ownConnection->GetData(), onShared->GetData());

    master_.reset();

    EXPECT_FALSE(onShared->Active());
    EXPECT_EQ(onShared->Master(), nullptr);
    EXPECT_EQ(onShared->GetData(), nullptr);
    EXPECT_TRUE(ownConnection->Active()) << "a dataset on its own connection is not the master's to close";
    EXPECT_EQ(ownConnection->Master(), nullptr);
    // Left with the text the master gave it, the dataset opens on a connection of its own.
    onShared->Open();
    EXPECT_EQ(onShared->RecordCount(), 4);
}

TEST_F(SharedConnectionTest, FreeingAMasterThatOwnsItsOpenDataSetsFreesThemCleanly)
{
    auto* owner = master_.get();
    auto* first = new TVADODataSet(owner);
    auto* second = new TVADODataSet(owner);
    for (TVADODataSet* ds : {first, second}) {
        ds->SetMaster(owner);
        ds->SetCommand("SELECT id FROM people");
        ds->Open();
    }
    ASSERT_EQ(owner->DataSetCount(), 2);
    master_.reset(); // AddressSanitizer reports any use of the freed master or connection
}

TEST_F(SharedConnectionTest, AKeyValueCannotInjectAnotherKey)
{
#ifdef VMADO_WRAPPER_PG
    // psqlODBC takes the last of repeated keys, so an unquoted password would switch databases.
    const std::string expected = std::getenv("VMADO_PG_DB");
    const char* injected = "x;DATABASE=template1";
    const char* probe = "SELECT current_database() AS db";
#else
    const std::string expected = "people";
    const std::string other = (dir_ / "other.db").string();
    SqliteExec(dir_ / "other.db",
               "CREATE TABLE marker (db VARCHAR(10)); INSERT INTO marker VALUES ('other')");
    Exec("CREATE TABLE marker (db VARCHAR(10))");
    Exec("INSERT INTO marker VALUES ('people')");
    const std::string injectedText = "x;Data Source=" + other;
    const char* injected = injectedText.c_str();
    const char* probe = "SELECT db FROM marker";
#endif
    master_->SetPassword(injected);
    EXPECT_EQ(master_->GetPassword(), injected);
    auto ds = OnMaster(probe);
    ds->Open();
    EXPECT_EQ(ds->Fields()->Fields(0)->AsString(), expected);
}

} // namespace
} // namespace vmado::test
