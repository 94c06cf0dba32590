// A provider that fails its Nth call (prepare, bind, execute or step) wrapped around the SQLite
// provider: whatever call fails in the middle of a post or a batch, the database holds either
// all of it or none of it, the recordset keeps its changes, and no statement handle is left open.
#include "ado/engine/Provider.h"
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace vmado::engine {

namespace {

struct Faults {
    long Calls = 0;
    long FailAt = 0; // 0: never
    // Stand in for a DBMS the engine knows nothing about, with or without savepoints.
    bool Generic = false;
    bool Savepoints = true;
    sqlite::SqliteConnection* Inner = nullptr;
    void Tick()
    {
        if (FailAt > 0 && ++Calls == FailAt)
            throw EOleException("Injected failure at call " + std::to_string(Calls), "vmado.Test");
    }
};
Faults faults;

class FaultyStatement final : public ProviderStatement {
public:
    explicit FaultyStatement(std::unique_ptr<ProviderStatement> inner) : inner_(std::move(inner)) {}
    int ParameterCount() const override { return inner_->ParameterCount(); }
    void Bind(int index, const BoundValue& value) override
    {
        faults.Tick();
        inner_->Bind(index, value);
    }
    bool Execute() override
    {
        faults.Tick();
        return inner_->Execute();
    }
    const std::vector<ColumnMeta>& Columns() override { return inner_->Columns(); }
    bool Step(std::vector<CellRef>& row) override
    {
        faults.Tick();
        return inner_->Step(row);
    }
    Int64 RowsAffected() const override { return inner_->RowsAffected(); }

private:
    std::unique_ptr<ProviderStatement> inner_;
};

class FaultyConnection final : public ProviderConnection {
public:
    FaultyConnection(const ConnectionParts& parts, const OpenOptions& options)
        : inner_(std::make_unique<sqlite::SqliteConnection>(parts, options))
    {
        faults.Inner = inner_.get();
        caps_ = inner_->Caps();
        if (faults.Generic) {
            caps_.Dialect = SqlDialect::Generic;
            caps_.DbmsName = "Generic";
            caps_.Savepoints = faults.Savepoints;
        }
    }
    ~FaultyConnection() override { faults.Inner = nullptr; }
    const Capabilities& Caps() const override { return caps_; }
    std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) override
    {
        faults.Tick();
        return std::make_unique<FaultyStatement>(inner_->Prepare(sql));
    }
    void SetCommandTimeout(Integer s) override { inner_->SetCommandTimeout(s); }
    void Begin(IsolationLevelEnum l) override
    {
        faults.Tick();
        inner_->Begin(l);
    }
    void Commit() override
    {
        faults.Tick();
        inner_->Commit();
    }
    void Rollback() override { inner_->Rollback(); } // a rollback that fails would hide the cause
    bool InTransaction() const override { return inner_->InTransaction(); }
    std::vector<CatalogTable> Tables() override { return inner_->Tables(); }
    std::vector<CatalogColumn> Columns(const AnsiString& t) override { return inner_->Columns(t); }
    std::vector<AnsiString> PrimaryKey(const AnsiString& s, const AnsiString& t) override
    {
        return inner_->PrimaryKey(s, t);
    }
    std::vector<AnsiString> BooleanColumns() override { return inner_->BooleanColumns(); }
    void ForgetSchema() override { inner_->ForgetSchema(); }

private:
    std::unique_ptr<sqlite::SqliteConnection> inner_;
    Capabilities caps_;
};

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterProvider("FaultySQLite", [](const ConnectionParts& p, const OpenOptions& o) {
            return std::unique_ptr<ProviderConnection>(std::make_unique<FaultyConnection>(p, o));
        });
        file_ = std::filesystem::temp_directory_path() / ("vmado-fault-" + std::to_string(getpid()) + ".db");
        std::filesystem::remove(file_);
        auto setup = CoConnection::Create();
        setup->Open("Provider=SQLite;Data Source=" + file_.string());
        setup->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER)");
        setup->Execute("INSERT INTO t VALUES (1, 'a', 1), (2, 'b', 2), (3, 'c', 3), (4, 'd', 4)");
        setup->Close();
        faults = Faults{};
    }
    void TearDown() override
    {
        faults = Faults{};
        UnregisterProvider("FaultySQLite");
        std::filesystem::remove(file_);
    }
    // The table as one text: "1:a:1,2:b:2,..."
    AnsiString Snapshot()
    {
        auto c = CoConnection::Create();
        c->Open("Provider=SQLite;Data Source=" + file_.string());
        auto rs = c->Execute("SELECT id, name, qty FROM t ORDER BY id");
        AnsiString s;
        for (; !rs->Eof(); rs->MoveNext())
            s += VarToStr(rs->Fields()->Item(0)->Value()) + ":" + VarToStr(rs->Fields()->Item(1)->Value()) +
                 ":" + VarToStr(rs->Fields()->Item(2)->Value()) + ",";
        return s;
    }
    void ExpectNoOpenStatement()
    {
        ASSERT_NE(faults.Inner, nullptr);
        EXPECT_EQ(sqlite3_next_stmt(faults.Inner->Db(), nullptr), nullptr);
        EXPECT_FALSE(faults.Inner->InTransaction());
    }

    std::filesystem::path file_;
};

void EditBatch(const RecordsetPtr& rs)
{
    rs->MoveFirst();
    rs->Fields()->Item("name")->SetValue(Variant("A"));
    rs->Update();
    rs->MoveNext();
    rs->Delete();
    rs->MoveLast();
    rs->Fields()->Item("qty")->SetValue(Variant(40));
    rs->Update();
    rs->AddNew();
    rs->Fields()->Item("name")->SetValue(Variant("e"));
    rs->Fields()->Item("qty")->SetValue(Variant(5));
    rs->Update();
}

TEST_F(FaultInjection, BatchIsAllOrNothingWhicheverCallFails)
{
    const AnsiString before = Snapshot();
    AnsiString after;
    bool completed = false;
    for (long n = 1; n < 200 && !completed; ++n) {
        SCOPED_TRACE(n);
        std::filesystem::copy_file(file_, file_.string() + ".orig",
                                   std::filesystem::copy_options::overwrite_existing);
        auto conn = CoConnection::Create();
        conn->Open("Provider=FaultySQLite;Data Source=" + file_.string());
        auto rs = CoRecordset::Create();
        rs->Open("SELECT id, name, qty FROM t ORDER BY id", conn, adOpenStatic, adLockBatchOptimistic,
                 adCmdText);
        EditBatch(rs);
        faults.Calls = 0;
        faults.FailAt = n;
        try {
            rs->UpdateBatch();
            completed = true;
        } catch (const EOleException& e) {
            EXPECT_NE(std::string(e.what()).find("Injected failure"), std::string::npos) << e.what();
        }
        faults.FailAt = 0;
        ExpectNoOpenStatement();
        const AnsiString now = Snapshot();
        if (completed) {
            after = now;
        } else {
            EXPECT_EQ(now, before);
            // The changes are still pending; sending them again succeeds.
            rs->SetFilter(Variant(static_cast<Integer>(adFilterPendingRecords)));
            EXPECT_EQ(rs->RecordCount(), 4);
            rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
            rs->UpdateBatch();
            EXPECT_EQ(Snapshot(), "1:A:1,3:c:3,4:d:40,5:e:5,");
            rs->Close();
            conn->Close();
            std::filesystem::copy_file(file_.string() + ".orig", file_,
                                       std::filesystem::copy_options::overwrite_existing);
            continue;
        }
        rs->Close();
        conn->Close();
    }
    std::filesystem::remove(file_.string() + ".orig");
    ASSERT_TRUE(completed);
    EXPECT_EQ(after, "1:A:1,3:c:3,4:d:40,5:e:5,");
}

TEST_F(FaultInjection, ImmediateInsertLeavesNoHalfRecord)
{
    const AnsiString before = Snapshot();
    bool completed = false;
    for (long n = 1; n < 50 && !completed; ++n) {
        SCOPED_TRACE(n);
        auto conn = CoConnection::Create();
        conn->Open("Provider=FaultySQLite;Data Source=" + file_.string());
        auto rs = CoRecordset::Create();
        rs->Open("SELECT id, name, qty FROM t ORDER BY id", conn, adOpenStatic, adLockOptimistic, adCmdText);
        rs->AddNew();
        rs->Fields()->Item("name")->SetValue(Variant("z"));
        faults.Calls = 0;
        faults.FailAt = n;
        try {
            rs->Update();
            completed = true;
        } catch (const EOleException&) {
            EXPECT_EQ(rs->EditMode(), adEditAdd);
            rs->CancelUpdate();
        }
        faults.FailAt = 0;
        ExpectNoOpenStatement();
        if (!completed) {
            EXPECT_EQ(Snapshot(), before);
        }
        rs->Close();
        conn->Close();
    }
    ASSERT_TRUE(completed);
    EXPECT_EQ(Snapshot(), before + "5:z:,");
}

// A caller's transaction holds work of its own: a send that fails half-way must take back only
// what it wrote, on a DBMS known by its capabilities alone.
TEST_F(FaultInjection, FailedBatchInsideTheCallersTransactionIsUndoneAlone)
{
    faults.Generic = true;
    bool completed = false;
    for (long n = 1; n < 200 && !completed; ++n) {
        SCOPED_TRACE(n);
        auto conn = CoConnection::Create();
        conn->Open("Provider=FaultySQLite;Data Source=" + file_.string());
        auto rs = CoRecordset::Create();
        rs->Open("SELECT id, name, qty FROM t ORDER BY id", conn, adOpenStatic, adLockBatchOptimistic,
                 adCmdText);
        EditBatch(rs);
        conn->BeginTrans();
        conn->Execute("UPDATE t SET qty = 100 WHERE id = 1");
        faults.Calls = 0;
        faults.FailAt = n;
        try {
            rs->UpdateBatch();
            completed = true;
        } catch (const EOleException& e) {
            EXPECT_NE(std::string(e.what()).find("Injected failure"), std::string::npos) << e.what();
        }
        faults.FailAt = 0;
        conn->CommitTrans();
        EXPECT_EQ(Snapshot(), completed ? "1:A:100,3:c:3,4:d:40,5:e:5," : "1:a:100,2:b:2,3:c:3,4:d:4,");
        rs->Close();
        conn->Close();
        if (!completed) {
            auto reset = CoConnection::Create();
            reset->Open("Provider=SQLite;Data Source=" + file_.string());
            reset->Execute("UPDATE t SET qty = 1 WHERE id = 1");
            reset->Close();
        }
    }
    ASSERT_TRUE(completed);
}

TEST_F(FaultInjection, WithoutSavepointsNothingIsSentInsideTheCallersTransaction)
{
    faults.Generic = true;
    faults.Savepoints = false;
    auto conn = CoConnection::Create();
    conn->Open("Provider=FaultySQLite;Data Source=" + file_.string());
    auto rs = CoRecordset::Create();
    rs->Open("SELECT id, name, qty FROM t ORDER BY id", conn, adOpenStatic, adLockOptimistic, adCmdText);
    conn->BeginTrans();
    conn->Execute("UPDATE t SET qty = 100 WHERE id = 1");
    rs->MoveLast();
    rs->Fields()->Item("name")->SetValue(Variant("D"));
    try {
        rs->Update();
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("no savepoints"), std::string::npos) << e.what();
    }
    EXPECT_EQ(rs->EditMode(), adEditInProgress);
    conn->CommitTrans();
    EXPECT_EQ(Snapshot(), "1:a:100,2:b:2,3:c:3,4:d:4,");
    // Outside a transaction the same change is sent.
    rs->Update();
    EXPECT_EQ(Snapshot(), "1:a:100,2:b:2,3:c:3,4:D:4,");
    rs->Close();
    conn->Close();
}

} // namespace

} // namespace vmado::engine
