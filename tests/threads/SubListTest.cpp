// Sub-lists and background opens on a real database: the main thread stays free while a worker
// fetches, the hand-back and every event run on the main thread, cancelling and freeing things
// mid-open is clean, a shared master connection serves two workers, cycles are skipped and a
// failed open is shown once.
#include "adobase/AdoBaseFixture.h"
#include "dataset/VDB.h"
#include "framework/classes/Application.h"
#include "framework/classes/Thread.h"
#include "framework/db/DataSource.h"
#include "master/VMaster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vmado::test {
namespace {

// Rows of a recursive count; with a large n the database works long before the only row comes.
std::string CountTo(long n)
{
    return "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + std::to_string(n) +
           ") SELECT max(x) AS top FROM c";
}
// n rows, 1 to n.
std::string RowsTo(long n)
{
    return "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + std::to_string(n) +
           ") SELECT x FROM c";
}

// A control on a data source: records on which thread it heard of each change of the dataset's
// state, and whether the dataset was open then.
class ProbeLink : public TDataLink {
public:
    struct Seen {
        std::thread::id Thread;
        bool Open;
    };
    std::vector<Seen> Changes;

protected:
    void ActiveChanged() override
    {
        Changes.push_back({std::this_thread::get_id(), DataSet() != nullptr && DataSet()->Active()});
    }
};

// What the test master lends: one connection, opened by GetData as the real master does.
class TestMaster : public TVCustomMaster {
public:
    explicit TestMaster(const std::string& connection)
        : TVCustomMaster(nullptr), connection_(connection), shared_(std::make_unique<TVConnection>(false))
    {
    }
    AnsiString Connection() const override { return connection_; }
    TVConnection* GetData() override
    {
        ++GetDataCalls;
        GetDataOnMain = GetDataOnMain && std::this_thread::get_id() == MainThreadID();
        if (shared_->ConnectionString != connection_)
            shared_->SetConnect(connection_);
        return shared_.get();
    }
    void InsertDataSet(TVADODataSet*) override {}
    void RemoveDataSet(TVADODataSet*) override {}
    TVConnection* Shared() const { return shared_.get(); }

    int GetDataCalls = 0;
    bool GetDataOnMain = true;

private:
    AnsiString connection_;
    std::unique_ptr<TVConnection> shared_;
};

// The exception display for one test: counts what it shows and where.
class ShownErrors {
public:
    ShownErrors()
    {
        SetExceptionShower([this](const Exception& e) {
            Messages.push_back(e.Message());
            OnMain = OnMain && std::this_thread::get_id() == MainThreadID();
        });
    }
    ~ShownErrors() { SetExceptionShower(nullptr); }
    std::vector<std::string> Messages;
    bool OnMain = true;
};

class SubListTest : public WrapperTest {
protected:
    struct Sub {
        std::unique_ptr<TVADODataSet> DataSet;
        std::unique_ptr<TDataSource> Source;
        std::unique_ptr<ProbeLink> Probe;
    };

    void SetUp() override
    {
        WrapperTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakeMain();
    }

    void MakeMain()
    {
        main_ = std::make_unique<TVADODataSet>(nullptr);
        main_->SetName("Main");
        main_->SetConnection(ConnectionString());
        main_->SetCommand("SELECT id, name FROM people");
        main_->SetOptions(main_->Options() + TVOptions{opSubList});
    }

    void TearDown() override
    {
        main_.reset();
        subs_.clear();
        master_.reset();
    }

    // A dataset on sql behind a data source of the given name, listed in the main sub-list.
    Sub& AddSub(const std::string& name, const std::string& sql, bool background,
                TVADODataSet* list = nullptr)
    {
        auto sub = std::make_unique<Sub>();
        sub->DataSet = std::make_unique<TVADODataSet>(nullptr);
        sub->DataSet->SetName(name);
        sub->DataSet->SetConnection(ConnectionString());
        sub->DataSet->SetCommand(sql);
        sub->Source = std::make_unique<TDataSource>(nullptr);
        sub->Source->SetName("src" + name);
        sub->Source->SetDataSet(sub->DataSet.get());
        sub->Probe = std::make_unique<ProbeLink>();
        sub->Probe->SetDataSource(sub->Source.get());
        (list ? list : main_.get())->SubList()->Add(sub->Source.get(), background);
        subs_.push_back(std::move(sub));
        return *subs_.back();
    }

    void UseMaster(Sub& sub)
    {
        if (!master_)
            master_ = std::make_unique<TestMaster>(ConnectionString());
        sub.DataSet->SetMaster(master_.get());
    }

    // The application's loop: a 5 ms timer and the main-thread calls between its ticks, until
    // done holds. Returns how often the timer fired; fails the test after a long deadline.
    template <class Done, class Tick> int RunLoop(Done done, Tick tick)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        int ticks = 0;
        auto next = std::chrono::steady_clock::now();
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the background opens did not end";
                break;
            }
            if (std::chrono::steady_clock::now() >= next) {
                ++ticks;
                tick();
                next += std::chrono::milliseconds(5);
            }
            Application()->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ticks;
    }
    template <class Done> int RunLoop(Done done)
    {
        return RunLoop(done, [] {});
    }
    bool Ended(TVSubItem* item) const { return item->OpenResult() != orRunning; }
    TVSubItem* Item(Integer index) const { return main_->SubList()->Items(index); }

    std::unique_ptr<TestMaster> master_;
    std::vector<std::unique_ptr<Sub>> subs_;
    std::unique_ptr<TVADODataSet> main_;
};

TEST_F(SubListTest, BackgroundOpenLeavesTheMainThreadFreeAndHandsBackOnIt)
{
    Sub& sub = AddSub("Slow", CountTo(600000), true);
    std::vector<std::thread::id> eventThreads;
    const auto note = [&](TDataSet*) { eventThreads.push_back(std::this_thread::get_id()); };
    sub.DataSet->BeforeOpen = note;
    sub.DataSet->AfterOpen = note;
    sub.DataSet->OnVerbose = [&](const AnsiString&, TVerboseMode) {
        eventThreads.push_back(std::this_thread::get_id());
    };

    main_->Open();

    // Open has returned: the worker may be fetching, but nothing of it is visible yet.
    ASSERT_TRUE(main_->Active());
    EXPECT_FALSE(sub.DataSet->Active());
    EXPECT_TRUE(sub.DataSet->OpeningInBackground());
    EXPECT_EQ(sub.Source->DataSet(), nullptr);
    EXPECT_EQ(Item(0)->GetDataSet(), nullptr);
    EXPECT_EQ(Item(0)->OpenResult(), orRunning);
    EXPECT_TRUE(eventThreads.empty());

    int ticksWhileOpening = 0;
    RunLoop([&] { return Ended(Item(0)); },
            [&] {
                const auto& seen = sub.Probe->Changes;
                if (!sub.DataSet->Active() &&
                    std::none_of(seen.begin(), seen.end(), [](const ProbeLink::Seen& s) { return s.Open; }))
                    ++ticksWhileOpening;
            });

    EXPECT_GT(ticksWhileOpening, 0);
    EXPECT_EQ(Item(0)->OpenResult(), orOpened);
    EXPECT_NE(Item(0)->Thread()->ThreadID(), MainThreadID());
    ASSERT_TRUE(sub.DataSet->Active());
    EXPECT_EQ(sub.DataSet->FieldByName("top")->AsString(), "600000");
    EXPECT_EQ(sub.Source->DataSet(), sub.DataSet.get());
    EXPECT_FALSE(sub.DataSet->OpeningInBackground());
    // BeforeOpen, the filter and command notes, AfterOpen: all on the main thread.
    ASSERT_EQ(eventThreads.size(), 4u);
    for (const std::thread::id id : eventThreads)
        EXPECT_EQ(id, MainThreadID());
    // The control saw the dataset open once, at the re-attach, and only on the main thread.
    ASSERT_FALSE(sub.Probe->Changes.empty());
    EXPECT_TRUE(sub.Probe->Changes.back().Open);
    EXPECT_EQ(std::count_if(sub.Probe->Changes.begin(), sub.Probe->Changes.end(),
                            [](const ProbeLink::Seen& seen) { return seen.Open; }),
              1);
    for (const ProbeLink::Seen& seen : sub.Probe->Changes)
        EXPECT_EQ(seen.Thread, MainThreadID());
}

TEST_F(SubListTest, ForegroundItemsAreOpenWhenTheMainOpenReturns)
{
    Sub& first = AddSub("First", "SELECT id FROM people", false);
    Sub& second = AddSub("Second", "SELECT name FROM people", false);
    main_->Open();
    EXPECT_TRUE(first.DataSet->Active());
    EXPECT_TRUE(second.DataSet->Active());
    EXPECT_EQ(Item(0)->OpenResult(), orNone);
    EXPECT_EQ(first.Source->DataSet(), first.DataSet.get());
}

TEST_F(SubListTest, ForegroundFailureIsTheMainOpensFailure)
{
    AddSub("Bad", "SELECT nothing FROM nowhere", false);
    try {
        main_->Open();
        FAIL() << "the open went through";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Open error!");
    }
    EXPECT_FALSE(main_->Active());
}

TEST_F(SubListTest, SkipsItemsWithoutDataSetOrAlreadyOpen)
{
    Sub& open = AddSub("Open", "SELECT id FROM people", true);
    open.DataSet->Open();
    main_->SubList()->Add(); // no data source at all
    main_->Open();
    EXPECT_EQ(Item(0)->OpenResult(), orNone);
    EXPECT_EQ(Item(0)->Thread(), nullptr);
    EXPECT_EQ(open.Source->DataSet(), open.DataSet.get());
}

TEST_F(SubListTest, CloseClosesTheSubDataSetsLastFirst)
{
    std::vector<std::string> closed;
    for (const char* name : {"A", "B", "C"}) {
        Sub& sub = AddSub(name, "SELECT id FROM people", false);
        sub.DataSet->AfterClose = [&closed, name](TDataSet*) { closed.push_back(name); };
    }
    main_->Open();
    main_->Close();
    EXPECT_EQ(closed, (std::vector<std::string>{"C", "B", "A"}));
}

TEST_F(SubListTest, ProgressReachesTheMainThreadAndEndsWithTheCount)
{
    Sub& sub = AddSub("Rows", RowsTo(20000), true);
    std::vector<Integer> reports;
    bool onMain = true;
    sub.DataSet->OnFetchProgress = [&](TDataSet* sender, Integer fetched) {
        EXPECT_EQ(sender, sub.DataSet.get());
        onMain = onMain && std::this_thread::get_id() == MainThreadID();
        reports.push_back(fetched);
    };
    main_->Open();
    RunLoop([&] { return Ended(Item(0)); });
    ASSERT_EQ(Item(0)->OpenResult(), orOpened);
    EXPECT_TRUE(onMain);
    // The first rows are reported at once, the total at the hand-back, counts never go back.
    ASSERT_GE(reports.size(), 2u);
    EXPECT_GT(reports.front(), 0);
    EXPECT_LT(reports.front(), 20000);
    EXPECT_EQ(reports.back(), 20000);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(sub.DataSet->RecordCount(), 20000);
}

TEST_F(SubListTest, ForegroundOpenReportsProgressAndStopsWhenCancelledFromIt)
{
    main_->SetCommand(RowsTo(200000));
    std::vector<Integer> reports;
    main_->OnFetchProgress = [&](TDataSet* sender, Integer fetched) {
        EXPECT_EQ(sender, main_.get());
        reports.push_back(fetched);
        main_->CancelOpen();
    };
    try {
        main_->Open();
        FAIL() << "the cancelled open went through";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Open error!");
        EXPECT_NE(std::string(e.Context()).find("cancelled"), std::string::npos) << e.Context();
    }
    EXPECT_FALSE(main_->Active());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_GT(reports[0], 0);
    EXPECT_LT(reports[0], 200000);
    // The cancel belonged to that open only.
    main_->OnFetchProgress = nullptr;
    main_->SetCommand("SELECT id FROM people");
    main_->Open();
    EXPECT_EQ(main_->RecordCount(), 4);
}

// Ways to stop a background open before it ends, and what each leaves behind.
enum class Stop { CancelOpen, CloseSub, CloseMain, FromProgress };

class SubListStopTest : public SubListTest, public ::testing::WithParamInterface<Stop> {};

TEST_P(SubListStopTest, StopsCleanlyAndReattaches)
{
    // Rows rather than one slow row: every backend lets a fetch stop between blocks of rows.
    Sub& sub = AddSub("Long", RowsTo(200000), true);
    ShownErrors shown;
    if (GetParam() == Stop::FromProgress)
        sub.DataSet->OnFetchProgress = [&](TDataSet*, Integer) { sub.DataSet->CancelOpen(); };
    main_->Open();
    ASSERT_TRUE(sub.DataSet->OpeningInBackground());
    switch (GetParam()) {
    case Stop::CancelOpen:
        sub.DataSet->CancelOpen();
        break;
    case Stop::CloseSub:
        sub.DataSet->Close();
        break;
    case Stop::CloseMain:
        main_->Close();
        break;
    case Stop::FromProgress:
        RunLoop([&] { return Ended(Item(0)); });
        break;
    }
    EXPECT_EQ(Item(0)->OpenResult(), orCancelled);
    EXPECT_FALSE(sub.DataSet->Active());
    EXPECT_FALSE(sub.DataSet->OpeningInBackground());
    EXPECT_EQ(sub.Source->DataSet(), sub.DataSet.get());
    EXPECT_TRUE(Item(0)->Thread()->Finished());
    // A cancel is no error, and the dataset opens normally afterwards.
    RunLoop([] { return !CheckSynchronize(0); });
    EXPECT_TRUE(shown.Messages.empty());
    sub.DataSet->OnFetchProgress = nullptr;
    sub.DataSet->SetCommand("SELECT id FROM people");
    sub.DataSet->Open();
    EXPECT_EQ(sub.DataSet->RecordCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(Ways, SubListStopTest,
                         ::testing::Values(Stop::CancelOpen, Stop::CloseSub, Stop::CloseMain,
                                           Stop::FromProgress));

TEST_F(SubListTest, CancelStopsAStatementBeforeItsFirstRow)
{
    VMADO_EMBEDDED_SQLITE_ONLY(); // ODBC statements are stopped between blocks of rows only
    Sub& sub = AddSub("Endless", CountTo(2000000000), true);
    main_->Open();
    RunLoop([&] { return sub.DataSet->OpeningInBackground(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto started = std::chrono::steady_clock::now();
    sub.DataSet->CancelOpen();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(Item(0)->OpenResult(), orCancelled);
    EXPECT_FALSE(sub.DataSet->Active());
    EXPECT_EQ(sub.Source->DataSet(), sub.DataSet.get());
}

// What goes while the worker still fetches.
enum class Free { MainDataSet, SubDataSet, SubDataSource, Everything };

class SubListFreeTest : public SubListTest, public ::testing::WithParamInterface<Free> {};

TEST_P(SubListFreeTest, FreeingMidOpenIsClean)
{
    // Two workers on one shared connection and one on its own.
    Sub& shared1 = AddSub("Shared1", RowsTo(100000), true);
    Sub& shared2 = AddSub("Shared2", CountTo(100000), true);
    Sub& own = AddSub("Own", RowsTo(100000), true);
    UseMaster(shared1);
    UseMaster(shared2);
    main_->Open();
    ASSERT_TRUE(shared1.DataSet->OpeningInBackground());
    ASSERT_TRUE(own.DataSet->OpeningInBackground());
    switch (GetParam()) {
    case Free::MainDataSet:
        main_.reset();
        EXPECT_FALSE(shared1.DataSet->Active());
        EXPECT_FALSE(shared1.DataSet->OpeningInBackground());
        EXPECT_EQ(shared2.Source->DataSet(), shared2.DataSet.get());
        EXPECT_EQ(own.Source->DataSet(), own.DataSet.get());
        break;
    case Free::SubDataSet:
        for (auto& sub : subs_)
            sub->DataSet.reset();
        // Waiting for one worker runs the hand-backs already queued, so a later item may have
        // opened before its own dataset went; none may be left running.
        for (Integer i = 0; i < 3; ++i) {
            const TVOpenResult result = Item(i)->OpenResult();
            EXPECT_TRUE(result == orCancelled || result == orOpened) << "item " << i << ": " << result;
        }
        EXPECT_EQ(Item(0)->OpenResult(), orCancelled);
        main_->Close();
        break;
    case Free::SubDataSource:
        // The opens go on; only the re-attaching has nothing to do.
        for (auto& sub : subs_) {
            sub->Probe.reset();
            sub->Source.reset();
        }
        RunLoop([&] { return Ended(Item(0)) && Ended(Item(1)) && Ended(Item(2)); });
        EXPECT_EQ(Item(0)->OpenResult(), orOpened);
        EXPECT_TRUE(shared1.DataSet->Active());
        EXPECT_TRUE(shared2.DataSet->Active());
        EXPECT_TRUE(own.DataSet->Active());
        break;
    case Free::Everything:
        main_.reset();
        subs_.clear();
        master_.reset();
        break;
    }
    // Nothing may still be queued for what went.
    RunLoop([] { return !CheckSynchronize(0); });
}

INSTANTIATE_TEST_SUITE_P(What, SubListFreeTest,
                         ::testing::Values(Free::MainDataSet, Free::SubDataSet, Free::SubDataSource,
                                           Free::Everything));

TEST_F(SubListTest, TwoWorkersShareTheMastersConnectionOpenedOnTheMainThread)
{
    Sub& first = AddSub("First", RowsTo(30000), true);
    Sub& second = AddSub("Second", CountTo(300000), true);
    UseMaster(first);
    UseMaster(second);
    ASSERT_FALSE(master_->Shared()->Active);
    main_->Open();
    // Opened before either worker started, and by the main thread.
    EXPECT_TRUE(master_->Shared()->Active);
    EXPECT_TRUE(master_->GetDataOnMain);
    RunLoop([&] { return Ended(Item(0)) && Ended(Item(1)); });
    ASSERT_EQ(Item(0)->OpenResult(), orOpened);
    ASSERT_EQ(Item(1)->OpenResult(), orOpened);
    EXPECT_EQ(first.DataSet->GetData(), master_->Shared());
    EXPECT_EQ(second.DataSet->GetData(), master_->Shared());
    EXPECT_EQ(first.DataSet->RecordCount(), 30000);
    EXPECT_EQ(second.DataSet->FieldByName("top")->AsString(), "300000");
    main_->Close();
    EXPECT_FALSE(first.DataSet->Active());
    EXPECT_FALSE(second.DataSet->Active());
    EXPECT_TRUE(master_->Shared()->Active); // the master's, not the datasets', to close
}

// The same with the library's own connection master: its one connection serves both workers,
// and freeing it mid-open stops the opens before the connection goes.
TEST_F(SubListTest, BackgroundOpensOnTheConnectionMasterShareItsConnection)
{
    auto master = std::make_unique<TVMaster>();
    master->SetConnect(ConnectionString());
    Sub& first = AddSub("First", RowsTo(30000), true);
    Sub& second = AddSub("Second", CountTo(300000), true);
    first.DataSet->SetMaster(master.get());
    second.DataSet->SetMaster(master.get());
    main_->Open();
    EXPECT_TRUE(master->GetConnected()); // opened by the main thread, before the workers ran
    RunLoop([&] { return Ended(Item(0)) && Ended(Item(1)); });
    ASSERT_EQ(Item(0)->OpenResult(), orOpened);
    ASSERT_EQ(Item(1)->OpenResult(), orOpened);
    EXPECT_EQ(first.DataSet->GetData(), master->GetData());
    EXPECT_EQ(second.DataSet->GetData(), master->GetData());
    EXPECT_EQ(first.DataSet->RecordCount(), 30000);
    EXPECT_EQ(second.DataSet->FieldByName("top")->AsString(), "300000");

    main_->Close();
    main_->Open();
    ASSERT_TRUE(first.DataSet->OpeningInBackground());
    master.reset();
    for (Sub* sub : {&first, &second}) {
        EXPECT_FALSE(sub->DataSet->Active());
        EXPECT_FALSE(sub->DataSet->OpeningInBackground());
        EXPECT_EQ(sub->DataSet->Master(), nullptr);
    }
    RunLoop([] { return !CheckSynchronize(0); });
}

TEST_F(SubListTest, FailedBackgroundOpenIsShownOnceAndReattaches)
{
    ShownErrors shown;
    Sub& bad = AddSub("Bad", "SELECT nothing FROM nowhere", true);
    Sub& good = AddSub("Good", "SELECT id FROM people", true);
    main_->Open();
    RunLoop([&] { return Ended(Item(0)) && Ended(Item(1)); });
    EXPECT_TRUE(main_->Active());
    EXPECT_EQ(Item(0)->OpenResult(), orFailed);
    EXPECT_EQ(Item(1)->OpenResult(), orOpened);
    ASSERT_EQ(shown.Messages.size(), 1u);
    EXPECT_EQ(shown.Messages[0], "Open error!");
    EXPECT_TRUE(shown.OnMain);
    ASSERT_NE(Item(0)->Thread()->Error(), nullptr);
    EXPECT_FALSE(bad.DataSet->Active());
    EXPECT_EQ(bad.Source->DataSet(), bad.DataSet.get());
    EXPECT_TRUE(good.DataSet->Active());
    main_->Close();
    EXPECT_EQ(shown.Messages.size(), 1u);
}

TEST_F(SubListTest, OpeningWhileABackgroundOpenRunsIsRefused)
{
    Sub& sub = AddSub("Busy", RowsTo(200000), true);
    main_->Open();
    try {
        sub.DataSet->Open();
        FAIL() << "opened twice at once";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.Message()).find("being opened in the background"), std::string::npos);
    }
    EXPECT_TRUE(sub.DataSet->OpeningInBackground());
}

TEST_F(SubListTest, CyclesAreSkipped)
{
    struct Case {
        const char* Name;
        bool Background;
        bool SelfListed; // else the main dataset lists B, which lists the main one back
    };
    const Case cases[] = {
        {"self, foreground", false, true},
        {"self, background", true, true},
        {"A-B-A, foreground", false, false},
        {"A-B-A, background", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        main_.reset();
        subs_.clear();
        MakeMain();
        int mainOpens = 0;
        main_->AfterOpen = [&](TDataSet*) { ++mainOpens; };
        TDataSource mainSource(nullptr);
        mainSource.SetDataSet(main_.get());
        if (c.SelfListed) {
            main_->SubList()->Add(&mainSource, c.Background);
        } else {
            Sub& b = AddSub("B", "SELECT id FROM people", c.Background);
            b.DataSet->SetOptions(b.DataSet->Options() + TVOptions{opSubList});
            b.DataSet->SubList()->Add(&mainSource, c.Background);
        }
        main_->Open();
        RunLoop([&] {
            for (Integer i = 0; i < main_->SubList()->Count(); ++i)
                if (!Ended(Item(i)))
                    return false;
            return true;
        });
        EXPECT_TRUE(main_->Active());
        EXPECT_EQ(mainOpens, 1);
        if (!c.SelfListed) {
            EXPECT_TRUE(subs_[0]->DataSet->Active());
        }
        main_->Close();
        EXPECT_FALSE(main_->Active());
        main_->SubList()->Clear();
        if (!subs_.empty())
            subs_[0]->DataSet->SubList()->Clear();
    }
}

TEST(SubListItems, NamesFindAndAssign)
{
    TVADODataSet dataSet(nullptr);
    TDataSource named(nullptr);
    named.SetName("dsOrders");
    TDataSource unnamed(nullptr);
    TVSubList* list = dataSet.SubList();
    TVSubItem* first = list->Add(&named, false);
    TVSubItem* second = list->Add(&unnamed, true);
    TVSubItem* empty = list->Add();
    EXPECT_EQ(list->GetOwner(), &dataSet);
    EXPECT_EQ(first->GetItemName(), "dsOrders");
    EXPECT_EQ(second->GetItemName(), "TVSubItem");
    EXPECT_EQ(empty->GetItemName(), "TVSubItem");
    EXPECT_TRUE(empty->Background());
    EXPECT_EQ(list->FindItem("dsOrders"), first);
    EXPECT_EQ(list->FindItem("dsorders"), nullptr); // exact case only
    EXPECT_EQ(list->FindItem("dsCustomers"), nullptr);
    EXPECT_EQ(list->FindItem("TVSubItem"), second); // the first in list order

    empty->Assign(first);
    EXPECT_EQ(empty->GetDataSource(), &named);
    EXPECT_FALSE(empty->Background());
    TVADODataSet copy(nullptr);
    copy.SetSubList(list);
    ASSERT_EQ(copy.SubList()->Count(), 3);
    EXPECT_EQ(copy.SubList()->Items(1)->GetDataSource(), &unnamed);
}

TEST(SubListItems, ADataSourceThatGoesLeavesTheItemEmpty)
{
    TVADODataSet dataSet(nullptr);
    auto source = std::make_unique<TDataSource>(nullptr);
    TVSubItem* item = dataSet.SubList()->Add(source.get(), true);
    source.reset();
    EXPECT_EQ(item->GetDataSource(), nullptr);
    EXPECT_EQ(item->GetDataSet(), nullptr);
}

} // namespace
} // namespace vmado::test
