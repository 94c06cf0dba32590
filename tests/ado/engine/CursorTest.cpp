// The client cursor: positions, moves, bookmarks, MaxRecords, Find, Filter and Sort over the
// materialised rows.
#include "BackendContext.h"

#include <algorithm>

namespace vmado::test {

namespace {

class BACKEND_SUITE(CursorTest) : public EngineTest {};

std::vector<Integer> Ids(const RecordsetPtr& rs)
{
    std::vector<Integer> ids;
    if (rs->RecordCount() == 0)
        return ids;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        ids.push_back(rs->Fields()->Item("id")->Value().AsInteger());
    return ids;
}

TEST_F(BACKEND_SUITE(CursorTest), OpenStandsOnTheFirstRecord)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    EXPECT_EQ(rs->State(), adStateOpen);
    EXPECT_EQ(rs->RecordCount(), 50);
    EXPECT_FALSE(rs->Bof());
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 1);
}

TEST_F(BACKEND_SUITE(CursorTest), ManyRowsArriveWholeWithTheirNulls)
{
    // More rows than one fetch block, with NULLs scattered through them.
    Exec("CREATE TABLE many (id INTEGER PRIMARY KEY, v INTEGER, s VARCHAR(12))");
    // The WITH sits in a subquery: psqlODBC's declare-fetch mode takes a statement that starts
    // with WITH for a query.
    Exec("INSERT INTO many SELECT i, CASE WHEN i % 7 = 0 THEN NULL ELSE i * 3 END, "
         "CASE WHEN i % 5 = 0 THEN NULL ELSE 'row ' || i END "
         "FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) SELECT i FROM "
         "n) q");
    auto rs = OpenRs("SELECT id, v, s FROM many ORDER BY id", adLockReadOnly);
    ASSERT_EQ(rs->RecordCount(), 1500);
    Int64 sum = 0;
    int nullV = 0, nullS = 0;
    auto id = rs->Fields()->Item("id"), v = rs->Fields()->Item("v"), s = rs->Fields()->Item("s");
    for (Integer expected = 1; !rs->Eof(); rs->MoveNext(), ++expected) {
        ASSERT_EQ(id->Value().AsInteger(), expected);
        if (v->Value().IsNull())
            ++nullV;
        else
            sum += v->Value().AsInt64();
        if (s->Value().IsNull())
            ++nullS;
        else
            ASSERT_EQ(s->Value().AsString(), "row " + std::to_string(expected));
    }
    EXPECT_EQ(nullV, 1500 / 7);
    EXPECT_EQ(nullS, 1500 / 5);
    EXPECT_EQ(sum, Scalar("SELECT SUM(v) FROM many").AsInt64());
}

TEST_F(BACKEND_SUITE(CursorTest), MovesReachBofAndEofAndRaiseBeyond)
{
    auto rs = OpenRs("SELECT id FROM tall ORDER BY id");
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->AbsolutePosition(), adPosBOF);
    EXPECT_THROW(rs->MovePrevious(), EOleException);
    rs->MoveNext();
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 50);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), adPosEOF);
    EXPECT_THROW(rs->MoveNext(), EOleException);
    EXPECT_THROW(rs->Fields()->Item("id")->Value(), EOleException);
    rs->Move(-3);
    EXPECT_EQ(rs->AbsolutePosition(), 48);
    rs->Move(2, Variant(static_cast<Integer>(adBookmarkFirst)));
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    rs->SetAbsolutePosition(10);
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 10);
    EXPECT_THROW(rs->SetAbsolutePosition(51), EOleException);
}

TEST_F(BACKEND_SUITE(CursorTest), EmptyRecordsetIsBofAndEof)
{
    auto rs = OpenRs("SELECT id FROM tall WHERE id < 0");
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_NO_THROW(rs->MoveFirst());
    EXPECT_THROW(rs->MoveNext(), EOleException);
    EXPECT_THROW(rs->Bookmark(), EOleException);
    EXPECT_EQ(rs->Fields()->Count(), 1);
}

TEST_F(BACKEND_SUITE(CursorTest), BookmarksAreNumericAndSurviveSortAndFilter)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->SetAbsolutePosition(7);
    const Variant mark = rs->Bookmark();
    EXPECT_GT(mark.AsInteger(), 0);
    rs->SetSort("name DESC");
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 50);
    rs->SetBookmark(Variant(mark.AsFloat()));
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 7);
    rs->SetFilter(Variant("id > 20"));
    EXPECT_THROW(rs->SetBookmark(mark), EOleException); // filtered out
    EXPECT_THROW(rs->SetBookmark(Variant(0.0)), EOleException);
    EXPECT_THROW(rs->SetBookmark(Variant(1e9)), EOleException);
}

TEST_F(BACKEND_SUITE(CursorTest), MaxRecordsLimitsTheRowsRead)
{
    auto rs = CoRecordset::Create();
    EXPECT_THROW(rs->SetMaxRecords(-1), EOleException);
    rs->SetMaxRecords(5);
    rs->Open("SELECT id FROM tall", conn, adOpenStatic, adLockReadOnly, adCmdText);
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->MaxRecords(), 5);
}

TEST_F(BACKEND_SUITE(CursorTest), FindForwardBackwardAndNotFound)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->Find("name = 'name-30'", 0, adSearchForward);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 30);
    rs->Find("id < 10", 0, adSearchBackward);
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 9);
    rs->Find("id < 10", 1, adSearchBackward); // skip the current one
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 8);
    rs->Find("name LIKE 'name-4*'", 0, adSearchForward, Variant(static_cast<Integer>(adBookmarkFirst)));
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 40);
    rs->Find("name = 'nobody'");
    EXPECT_TRUE(rs->Eof());
    rs->MoveLast();
    rs->Find("name = 'nobody'", 0, adSearchBackward);
    EXPECT_TRUE(rs->Bof());
}

TEST_F(BACKEND_SUITE(CursorTest), FindWithMoreThanOneConditionIsRefused)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    EXPECT_THROW(rs->Find("id = 1 AND name = 'name-01'"), EOleException);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
}

TEST_F(BACKEND_SUITE(CursorTest), FilterTextSelectsAndZeroClears)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    struct Case {
        const char* Filter;
        std::vector<Integer> Ids;
    } cases[] = {
        {"id <= 3", {1, 2, 3}},
        {"id > 47 OR id = 1", {1, 48, 49, 50}},
        {"name = 'name-05' OR (id >= 10 AND id < 12)", {5, 10, 11}},
        {"NOT id > 2", {1, 2}},
        {"name LIKE 'name-1%' AND id < 12", {10, 11}},
        {"name LIKE 'NAME-1%'", {}}, // case-sensitive
        {"{fn UCASE(name)} LIKE 'NAME-0*' AND id < 3", {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter);
        rs->SetFilter(Variant(c.Filter));
        EXPECT_EQ(VarToStr(rs->Filter()), c.Filter);
        EXPECT_EQ(Ids(rs), c.Ids);
    }
    rs->SetFilter(Variant("0"));
    EXPECT_EQ(rs->RecordCount(), 50);
    EXPECT_EQ(VarToStr(rs->Filter()), "0");
    rs->SetFilter(Variant("id = 1"));
    rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
    EXPECT_EQ(rs->RecordCount(), 50);
}

TEST_F(BACKEND_SUITE(CursorTest), FilterAndSqlWhereSelectTheSameRows)
{
    // The database's LIKE is case-sensitive too, so both sides agree.
    Exec("INSERT INTO tall (name) VALUES ('Name-X'), ('name-x')");
    auto all = OpenRs("SELECT id, name FROM tall ORDER BY id");
    all->SetFilter(Variant("name LIKE 'name-x%'"));
    auto db = OpenRs("SELECT id, name FROM tall WHERE name LIKE 'name-x%' ORDER BY id");
    EXPECT_EQ(Ids(all), Ids(db));
    EXPECT_EQ(Ids(db).size(), 1u);
}

TEST_F(BACKEND_SUITE(CursorTest), MalformedFilterRaisesAndKeepsTheView)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->SetFilter(Variant("id < 5"));
    EXPECT_THROW(rs->SetFilter(Variant("id < < 5")), EOleException);
    EXPECT_THROW(rs->SetFilter(Variant("nosuch = 1")), EOleException);
    EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(BACKEND_SUITE(CursorTest), SortOnTwoKeysIsStable)
{
    Exec("CREATE TABLE pairs (id INTEGER PRIMARY KEY, a INTEGER, b VARCHAR(10))");
    Exec("INSERT INTO pairs VALUES (1, 2, 'x'), (2, 1, 'y'), (3, 2, 'a'), (4, 1, 'y'), (5, NULL, 'z'), (6, "
         "2, 'x')");
    auto rs = OpenRs("SELECT id, a, b FROM pairs ORDER BY id");
    struct Case {
        const char* Sort;
        std::vector<Integer> Ids;
    } cases[] = {
        {"a ASC, b DESC", {5, 2, 4, 1, 6, 3}},
        {"a DESC,b", {3, 1, 6, 2, 4, 5}},
        {"[b]", {3, 1, 6, 2, 4, 5}},
        {"", {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sort);
        rs->SetSort(c.Sort);
        EXPECT_EQ(rs->Sort(), c.Sort);
        EXPECT_EQ(Ids(rs), c.Ids);
    }
    EXPECT_THROW(rs->SetSort("nosuch"), EOleException);
    EXPECT_THROW(rs->SetSort("[a"), EOleException);
}

// The rows' own values ordered the plain way (Null first, numbers by value, text byte by byte,
// equal rows in fetch order): what a sort on keys cols (descending where marked) must give.
std::vector<Integer> ReferenceOrder(const RecordsetPtr& rs,
                                    const std::vector<std::pair<AnsiString, bool>>& keys)
{
    std::vector<std::vector<Variant>> rows;
    rs->SetSort("");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        std::vector<Variant> row;
        row.push_back(rs->Fields()->Item("id")->Value());
        for (const auto& key : keys)
            row.push_back(rs->Fields()->Item(key.first)->Value());
        rows.push_back(std::move(row));
    }
    auto compare = [](const Variant& a, const Variant& b) {
        if (a.IsNull() || b.IsNull())
            return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
        if (a.VarType() == varString || a.VarType() == varOleStr) {
            const int r = a.AsString().compare(b.AsString());
            return r < 0 ? -1 : (r > 0 ? 1 : 0);
        }
        if (a.VarType() == varDouble || b.VarType() == varDouble)
            return a.AsFloat() < b.AsFloat() ? -1 : (a.AsFloat() > b.AsFloat() ? 1 : 0);
        return a.AsInt64() < b.AsInt64() ? -1 : (a.AsInt64() > b.AsInt64() ? 1 : 0);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& x, const auto& y) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const int r = compare(x[k + 1], y[k + 1]);
            if (r)
                return keys[k].second ? r > 0 : r < 0;
        }
        return false;
    });
    std::vector<Integer> ids;
    for (const auto& row : rows)
        ids.push_back(row[0].AsInteger());
    return ids;
}

TEST_F(BACKEND_SUITE(CursorTest), SortOrdersEdgeValuesLikeThePlainComparison)
{
    // Extremes, Nulls, zeros of both signs, texts that agree in their first eight bytes, and
    // texts around seven bytes, the longest a sort key holds whole, equal ones among them.
    Exec("CREATE TABLE edges (id INTEGER PRIMARY KEY, i BIGINT, r DOUBLE PRECISION, t TEXT)");
    Exec("INSERT INTO edges VALUES (1, 5, 2.5, 'abcdefghX'), (2, NULL, NULL, NULL), "
         "(3, -9223372036854775807 - 1, -1e308, ''), (4, 9223372036854775807, 1e-300, 'abcdefghA'), "
         "(5, 0, -0.0, 'abcdefgh'), (6, 0, 0.0, 'abcdefg'), (7, -1, -2.5, 'b'), (8, 5, 2.5, 'abcdefghX'), "
         "(9, NULL, 0.0, 'abcdefgh'), (10, -9223372036854775807 - 1, NULL, NULL), (11, -2, 1e308, "
         "'abcdefgi'), (12, 1, 1.0, 'abcdefg'), (13, 1, 1.0, 'abcdef'), (14, 1, 1.0, 'abcdeg'), "
         "(15, 1, 1.0, 'abcdefa'), (16, 1, 1.0, 'abcdef'), (17, 1, 1.0, 'abcdefgh'), (18, 1, 1.0, "
         "'abcdefga')");
    auto rs = OpenRs("SELECT id, i, r, t FROM edges ORDER BY id", adLockReadOnly);
    const std::vector<std::vector<std::pair<AnsiString, bool>>> sorts = {
        {{"i", false}},
        {{"i", true}},
        {{"r", false}},
        {{"r", true}},
        {{"t", false}},
        {{"t", true}},
        {{"t", false}, {"i", true}},
        {{"r", true}, {"t", false}},
        {{"i", false}, {"r", false}, {"t", false}},
        {{"t", true}, {"i", false}, {"r", true}, {"id", true}},
    };
    for (const auto& keys : sorts) {
        AnsiString text;
        for (const auto& key : keys)
            text += (text.empty() ? "" : ", ") + key.first + (key.second ? " DESC" : "");
        SCOPED_TRACE(text);
        const std::vector<Integer> expected = ReferenceOrder(rs, keys);
        rs->SetSort(text);
        EXPECT_EQ(Ids(rs), expected);
    }
}

TEST_F(BACKEND_SUITE(CursorTest), TextsOfEveryLengthSurviveEdits)
{
    // Around the lengths a text is kept inline or in the column's arena, and one past the
    // longest length a reference holds by itself.
    Exec("CREATE TABLE lens (id INTEGER PRIMARY KEY, t TEXT)");
    std::vector<AnsiString> values;
    for (int n = 0; n <= 17; ++n)
        values.push_back(AnsiString(static_cast<std::size_t>(n), static_cast<char>('a' + n)));
    values.push_back(AnsiString(8400000, 'L'));
    {
        auto rs = OpenRs("SELECT id, t FROM lens");
        for (std::size_t i = 0; i < values.size(); ++i) {
            rs->AddNew();
            rs->Fields()->Item("id")->SetValue(Variant(static_cast<Integer>(i + 1)));
            rs->Fields()->Item("t")->SetValue(Variant(values[i]));
            rs->Update();
        }
    }
    auto rs = OpenRs("SELECT id, t FROM lens ORDER BY id");
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        std::size_t i = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++i) {
            ASSERT_LT(i, values.size());
            const Variant v = rs->Fields()->Item("t")->Value();
            // An empty text may come back as Null from a database that does not keep the difference.
            EXPECT_EQ(v.IsNull() ? AnsiString() : v.AsString(), values[i]) << "row " << i + 1;
        }
        EXPECT_EQ(i, values.size());
    };
    check("loaded");
    // Each value replaced by one of the same length, a shorter and a longer one in turn.
    std::size_t i = 0;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++i) {
        const std::size_t n = values[i].size();
        const std::size_t length = i % 3 == 0 ? n : (i % 3 == 1 ? n / 2 : n + 5);
        values[i] = AnsiString(length, static_cast<char>('A' + i % 26));
        rs->Fields()->Item("t")->SetValue(Variant(values[i]));
        rs->Update();
    }
    check("edited");
    rs->Requery();
    check("read back from the database");
}

TEST_F(BACKEND_SUITE(CursorTest), FilterThenSortCombine)
{
    auto rs = OpenRs("SELECT id, name FROM tall");
    rs->SetSort("id DESC");
    rs->SetFilter(Variant("id < 4"));
    EXPECT_EQ(Ids(rs), (std::vector<Integer>{3, 2, 1}));
}

TEST_F(BACKEND_SUITE(CursorTest), ClosedRecordsetRaisesOnUse)
{
    auto rs = OpenRs("SELECT id FROM tall");
    auto field = rs->Fields()->Item(0);
    rs->Close();
    EXPECT_EQ(rs->State(), adStateClosed);
    EXPECT_THROW(rs->MoveNext(), EOleException);
    EXPECT_THROW(field->Value(), EOleException);
    EXPECT_THROW(rs->Close(), EOleException);
}

TEST_F(BACKEND_SUITE(CursorTest), TableNameOpensTheTable)
{
    auto rs = CoRecordset::Create();
    rs->Open("tall", conn, adOpenStatic, adLockReadOnly, adCmdTable);
    EXPECT_EQ(rs->RecordCount(), 50);
    auto rs2 = CoRecordset::Create();
    rs2->Open("wide", conn, adOpenStatic, adLockReadOnly, adCmdUnknown);
    EXPECT_EQ(rs2->RecordCount(), 3);
}

TEST_F(BACKEND_SUITE(CursorTest), StatusOfAnUntouchedRecordIsUnmodified)
{
    auto rs = OpenRs("SELECT id FROM tall");
    EXPECT_EQ(rs->Status(), adRecUnmodified);
}

} // namespace

} // namespace vmado::test

namespace vmado::test {
namespace {

TEST_F(BACKEND_SUITE(CursorTest), LongTextsAmongShortOnesArriveWholeInEveryBlock)
{
    // Long values (past any short room a driver binds) scattered through several fetch blocks.
    Exec("CREATE TABLE longs (id INTEGER PRIMARY KEY, t TEXT)");
    Exec("INSERT INTO longs SELECT i, CASE WHEN i % 5 = 0 THEN " + Backend().RepeatText("'ab'", "150 + i") +
         " WHEN i % 7 = 0 THEN NULL ELSE 'short ' || i END "
         "FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) SELECT i FROM "
         "n) q");
    auto rs = OpenRs("SELECT id, t FROM longs ORDER BY id", adLockReadOnly);
    ASSERT_EQ(rs->RecordCount(), 700);
    for (int i = 1; !rs->Eof(); rs->MoveNext(), ++i) {
        const Variant t = rs->Fields()->Item("t")->Value();
        if (i % 5 == 0) {
            std::string expected;
            for (int k = 0; k < 150 + i; ++k)
                expected += "ab";
            ASSERT_EQ(t.AsString(), expected) << "id " << i;
        } else if (i % 7 == 0) {
            ASSERT_TRUE(t.IsNull()) << "id " << i;
        } else {
            ASSERT_EQ(t.AsString(), "short " + std::to_string(i));
        }
    }
}

TEST_F(BACKEND_SUITE(CursorTest), TextsOfEveryShortLengthReadBackExactly)
{
    // Up to seven bytes a text lives inside its row's reference, past that in the column's arena:
    // every length on both sides, of letters that differ at each position so no byte can move.
    const std::string letters = "aZ0-y9Kb.Qc1 dR";
    Exec("CREATE TABLE lengths (id INTEGER PRIMARY KEY, t VARCHAR(20))");
    for (std::size_t n = 0; n < letters.size(); ++n)
        Exec("INSERT INTO lengths VALUES (" + std::to_string(n) + ", '" + letters.substr(0, n) + "')");
    auto rs = OpenRs("SELECT id, t FROM lengths ORDER BY id", adLockReadOnly);
    ASSERT_EQ(rs->RecordCount(), static_cast<Integer>(letters.size()));
    for (std::size_t n = 0; !rs->Eof(); rs->MoveNext(), ++n)
        EXPECT_EQ(rs->Fields()->Item("t")->Value().AsString(), letters.substr(0, n)) << n << " bytes";
}

} // namespace
} // namespace vmado::test
