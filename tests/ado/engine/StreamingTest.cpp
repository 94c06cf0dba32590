// The streaming recordset: forward-only with the server cursor location, it reads rows as it moves
// and holds a window of CacheSize rows; what needs the whole result answers as documented.
#include "BackendContext.h"

#include <cstdio>
#include <functional>
#include <optional>

namespace vmado::test {

namespace {

class BACKEND_SUITE(StreamingTest) : public EngineTest {
protected:
    // The fixture's database through a connection whose driver also fetches in small blocks
    // where it can be told to.
    ConnectionPtr StreamingConnection()
    {
        const AnsiString options = Backend().StreamingOptions();
        if (options.empty())
            return conn;
        auto c = CoConnection::Create();
        c->Open(conn->ConnectionString() + ";" + options);
        return c;
    }
    RecordsetPtr Stream(const AnsiString& sql, Integer window, const ConnectionPtr& on = nullptr)
    {
        auto rs = CoRecordset::Create();
        rs->SetCursorLocation(adUseServer);
        rs->SetCacheSize(window);
        rs->Open(sql, on ? on : StreamingConnection(), adOpenForwardOnly, adLockReadOnly, adCmdText);
        return rs;
    }
    static Integer Id(const RecordsetPtr& rs) { return rs->Fields()->Item("id")->Value().AsInteger(); }
    static void Advance(const RecordsetPtr& rs, int moves)
    {
        for (int i = 0; i < moves; ++i)
            rs->MoveNext();
    }
};

void ExpectRaises(const std::function<void()>& call, const std::string& part)
{
    try {
        call();
        ADD_FAILURE() << "no exception; expected one mentioning '" << part << "'";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
}

TEST_F(BACKEND_SUITE(StreamingTest), ScansEveryRowInOrderThroughASlidingWindow)
{
    auto rs = Stream("SELECT id, name FROM tall ORDER BY id", 4);
    EXPECT_EQ(rs->RecordCount(), -1);
    EXPECT_EQ(rs->LockType(), adLockReadOnly);
    Integer expected = 1;
    for (; !rs->Eof(); rs->MoveNext(), ++expected) {
        ASSERT_EQ(Id(rs), expected);
        ASSERT_EQ(rs->AbsolutePosition(), expected);
        ASSERT_EQ(rs->Bookmark().AsInteger(), expected);
        char name[16];
        std::snprintf(name, sizeof name, "name-%02d", static_cast<int>(expected));
        ASSERT_EQ(rs->Fields()->Item("name")->Value().AsString(), name);
    }
    EXPECT_EQ(expected, 51);
    EXPECT_EQ(rs->AbsolutePosition(), adPosEOF);
    EXPECT_FALSE(rs->Bof());
}

TEST_F(BACKEND_SUITE(StreamingTest), TheRowsJustBehindStayReachable)
{
    // Window 8 keeps its last two rows when it slides.
    auto rs = Stream("SELECT id FROM tall ORDER BY id", 8);
    Advance(rs, 19); // on id 20
    ASSERT_EQ(Id(rs), 20);
    rs->MovePrevious();
    EXPECT_EQ(Id(rs), 19);
    rs->SetBookmark(Variant(20.0));
    EXPECT_EQ(Id(rs), 20);
    rs->MoveNext();
    EXPECT_EQ(Id(rs), 21);
}

TEST_F(BACKEND_SUITE(StreamingTest), WholeResultOperationsAnswerAsDocumented)
{
    struct Case {
        const char* Name;
        std::function<void(const RecordsetPtr&)> Call;
        const char* Message;
    };
    const Case cases[] = {
        {"Sort", [](const RecordsetPtr& rs) { rs->SetSort("name DESC"); }, "forward-only server cursor"},
        {"Filter", [](const RecordsetPtr& rs) { rs->SetFilter(Variant("id > 3")); },
         "forward-only server cursor"},
        {"far bookmark", [](const RecordsetPtr& rs) { rs->SetBookmark(Variant(2.0)); },
         "has left the window"},
        {"unread bookmark", [](const RecordsetPtr& rs) { rs->SetBookmark(Variant(45.0)); },
         "not been read yet"},
        {"far back", [](const RecordsetPtr& rs) { rs->Move(-10); }, "has left the window"},
        {"previous past the window",
         [](const RecordsetPtr& rs) {
             for (int i = 0; i < 10; ++i)
                 rs->MovePrevious();
         },
         "has left the window"},
        {"AbsolutePosition behind", [](const RecordsetPtr& rs) { rs->SetAbsolutePosition(3); },
         "has left the window"},
        {"AbsolutePosition past the end", [](const RecordsetPtr& rs) { rs->SetAbsolutePosition(80); },
         "has only 50 records"},
        {"backward Find", [](const RecordsetPtr& rs) { rs->Find("id = 3", 0, adSearchBackward); },
         "backward"},
        {"edit", [](const RecordsetPtr& rs) { rs->Fields()->Item("name")->SetValue(Variant("x")); },
         "read-only"},
        {"AddNew", [](const RecordsetPtr& rs) { rs->AddNew(); }, "read-only"},
        {"Delete", [](const RecordsetPtr& rs) { rs->Delete(adAffectCurrent); }, "read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto rs = Stream("SELECT id, name FROM tall ORDER BY id", 4);
        Advance(rs, 14); // on id 15; the window holds ids 13..16
        ExpectRaises([&] { c.Call(rs); }, c.Message);
    }
    // Answered without an error.
    auto rs = Stream("SELECT id, name FROM tall ORDER BY id", 4);
    Advance(rs, 14);
    EXPECT_EQ(rs->RecordCount(), -1);
    rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
    rs->SetSort("");
    EXPECT_EQ(Id(rs), 15);
    EXPECT_FALSE(rs->Supports(adMovePrevious));
    EXPECT_FALSE(rs->Supports(adBookmark));
    EXPECT_FALSE(rs->Supports(adUpdate));
    EXPECT_TRUE(rs->Supports(adFind));
}

TEST_F(BACKEND_SUITE(StreamingTest), MoveFirstRunsTheStatementAgainAndMoveLastReadsThrough)
{
    auto rs = Stream("SELECT id FROM tall ORDER BY id", 4);
    Advance(rs, 30);
    rs->MoveFirst();
    EXPECT_EQ(Id(rs), 1);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    Advance(rs, 5);
    EXPECT_EQ(Id(rs), 6);
    rs->MoveLast();
    EXPECT_EQ(Id(rs), 50);
    EXPECT_EQ(rs->AbsolutePosition(), 50);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    rs->MoveFirst();
    EXPECT_EQ(Id(rs), 1);
}

TEST_F(BACKEND_SUITE(StreamingTest), FindForwardReadsOnThroughTheStatement)
{
    auto rs = Stream("SELECT id, name FROM tall ORDER BY id", 4);
    rs->Find("name = 'name-42'");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(Id(rs), 42);
    rs->Find("name = 'name-07'");
    EXPECT_TRUE(rs->Eof());
}

TEST_F(BACKEND_SUITE(StreamingTest), ForwardAndSetAbsolutePositionReadOn)
{
    auto rs = Stream("SELECT id FROM tall ORDER BY id", 4);
    rs->Move(17);
    EXPECT_EQ(Id(rs), 18);
    rs->SetAbsolutePosition(33);
    EXPECT_EQ(Id(rs), 33);
    rs->SetAbsolutePosition(32); // still in the window
    EXPECT_EQ(Id(rs), 32);
}

TEST_F(BACKEND_SUITE(StreamingTest), MaxRecordsEndsTheStream)
{
    auto rs = CoRecordset::Create();
    rs->SetCursorLocation(adUseServer);
    rs->SetCacheSize(3);
    rs->SetMaxRecords(7);
    rs->Open("SELECT id FROM tall ORDER BY id", StreamingConnection(), adOpenForwardOnly, adLockReadOnly,
             adCmdText);
    Integer count = 0;
    for (; !rs->Eof(); rs->MoveNext())
        ++count;
    EXPECT_EQ(count, 7);
}

TEST_F(BACKEND_SUITE(StreamingTest), TheLocationComesFromTheConnectionUntilSet)
{
    struct Case {
        const char* Name;
        CursorLocationEnum Connection;
        std::optional<CursorLocationEnum> Recordset;
        CursorTypeEnum Type;
        Integer Count; // -1: streaming
    };
    const Case cases[] = {
        {"server connection", adUseServer, std::nullopt, adOpenForwardOnly, -1},
        {"client connection", adUseClient, std::nullopt, adOpenForwardOnly, 50},
        {"client connection, server recordset", adUseClient, adUseServer, adOpenForwardOnly, -1},
        {"server connection, client recordset", adUseServer, adUseClient, adOpenForwardOnly, 50},
        {"static on the server", adUseServer, adUseServer, adOpenStatic, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto connection = CoConnection::Create();
        connection->SetCursorLocation(c.Connection);
        connection->Open(conn->ConnectionString());
        auto rs = CoRecordset::Create();
        if (c.Recordset)
            rs->SetCursorLocation(*c.Recordset);
        rs->Open("SELECT id FROM tall", connection, c.Type, adLockReadOnly, adCmdText);
        EXPECT_EQ(rs->RecordCount(), c.Count);
    }
}

TEST_F(BACKEND_SUITE(StreamingTest), ClosingTheConnectionEndsTheStream)
{
    auto connection = CoConnection::Create();
    connection->Open(conn->ConnectionString());
    auto rs = Stream("SELECT id FROM tall ORDER BY id", 4, connection);
    Advance(rs, 2);
    connection->Close();
    ExpectRaises([&] { Advance(rs, 5); }, "connection was closed");
    rs->Close();
    connection->Open(conn->ConnectionString());
    rs = Stream("SELECT id FROM tall ORDER BY id", 4, connection);
    Advance(rs, 10);
    EXPECT_EQ(Id(rs), 11);
    rs.reset(); // ends its statement on the open connection
    EXPECT_EQ(connection->Execute("SELECT COUNT(*) FROM tall")->Fields()->Item(0)->Value().AsInteger(), 50);
}

TEST_F(BACKEND_SUITE(StreamingTest), CacheSizeBelowOneIsRefused)
{
    auto rs = CoRecordset::Create();
    ExpectRaises([&] { rs->SetCacheSize(0); }, "less than one row");
    EXPECT_EQ(rs->CacheSize(), 1);
}

TEST_F(BACKEND_SUITE(StreamingTest), AnEmptyResultIsBofAndEof)
{
    auto rs = Stream("SELECT id FROM tall WHERE id < 0", 4);
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), -1);
}

} // namespace

} // namespace vmado::test
