// TParams.ParseSQL: colon names become "?", literals are skipped, "::" is one colon, quoted
// names are allowed, and with DoCreate one parameter is made per occurrence, in order.
#include "framework/db/Params.h"

#include <gtest/gtest.h>

#include <vector>

namespace vmado {
namespace {

struct ParseCase {
    const char* sql;
    const char* parsed;
    std::vector<const char*> names;
};

const ParseCase kCases[] = {
    {"SELECT * FROM T", "SELECT * FROM T", {}},
    {"SELECT * FROM Orders WHERE CustNo = :Cust AND ShipDate > :D",
     "SELECT * FROM Orders WHERE CustNo = ? AND ShipDate > ?",
     {"Cust", "D"}},
    {"WHERE A = :X AND B = :X", "WHERE A = ? AND B = ?", {"X", "X"}},
    {"VALUES (:a,:b)", "VALUES (?,?)", {"a", "b"}},
    {"WHERE a=:p;", "WHERE a=?;", {"p"}},
    {"WHERE a=:p\r\nAND b=:q", "WHERE a=?\r\nAND b=?", {"p", "q"}},
    {"WHERE a = ':notparam' AND b = :p", "WHERE a = ':notparam' AND b = ?", {"p"}},
    {"WHERE a = \"x:y\" AND b = :p", "WHERE a = \"x:y\" AND b = ?", {"p"}},
    {"SELECT `a:b` FROM t WHERE c = :p", "SELECT `a:b` FROM t WHERE c = ?", {"p"}},
    // A literal ends only at its own quote character.
    {"WHERE a = 'O\"Brien' AND b = :p", "WHERE a = 'O\"Brien' AND b = ?", {"p"}},
    {"WHERE a = \"it's\" AND b = :p", "WHERE a = \"it's\" AND b = ?", {"p"}},
    {"WHERE a = 'it''s :x' AND b = :p", "WHERE a = 'it''s :x' AND b = ?", {"p"}},
    {"SELECT CAST(x AS INT)::text FROM t", "SELECT CAST(x AS INT):text FROM t", {}},
    {"SELECT '10::00' FROM t", "SELECT '10::00' FROM t", {}},
    {"WHERE name = :\"my param\" AND x = 1", "WHERE name = ? AND x = 1", {"my param"}},
    {"WHERE name = :'quoted' ", "WHERE name = ? ", {"quoted"}},
    {"WHERE a=:p1=1", "WHERE a=?", {"p1=1"}},
    {"WHERE a = :last", "WHERE a = ?", {"last"}},
    // A tab does not end a name; the blank after it does.
    {"WHERE a\t=:p\tAND 1", "WHERE a\t=? 1", {"p\tAND"}},
};

TEST(ParseSqlTest, RewritesParametersAndCreatesThemInOrder)
{
    for (const ParseCase& c : kCases) {
        SCOPED_TRACE(c.sql);
        TParams params;
        EXPECT_EQ(params.ParseSQL(c.sql, true), c.parsed);
        ASSERT_EQ(params.Count(), static_cast<Integer>(c.names.size()));
        for (std::size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(params[static_cast<Integer>(i)]->Name(), c.names[i]);
    }
}

TEST(ParseSqlTest, WithoutDoCreateKeepsTheExistingParameters)
{
    TParams params;
    params.CreateParam(ftInteger, "Kept", ptInput)->SetAsInteger(7);
    EXPECT_EQ(params.ParseSQL("WHERE a = :x AND b = :y", false), "WHERE a = ? AND b = ?");
    ASSERT_EQ(params.Count(), 1);
    EXPECT_EQ(params[0]->Name(), "Kept");
    EXPECT_EQ(params[0]->AsInteger(), 7);
}

TEST(ParseSqlTest, DoCreateClearsTheOldParameters)
{
    TParams params;
    params.CreateParam(ftInteger, "Old", ptInput);
    params.ParseSQL("WHERE a = :New", true);
    ASSERT_EQ(params.Count(), 1);
    EXPECT_EQ(params[0]->Name(), "New");
    EXPECT_EQ(params.FindParam("Old"), nullptr);
}

} // namespace
} // namespace vmado
