// SQL text analysis: WHERE condition, table list, selected fields, qualified names, IN conditions.
#include "utils/SqlText.h"

#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

namespace vmado {
namespace {

struct Row {
    const char* Input;
    const char* Expected;
};

TEST(ExtractWhere, CutsAtTheEarliestClauseKeywordAndCleans)
{
    const Row rows[] = {
        {"SELECT * FROM T where A = 1 order by B", "A = 1"},
        {"SELECT * FROM T WHERE A = 1 GROUP BY A ORDER BY A", "A = 1"},
        {"SELECT * FROM T WHERE A = 1 ORDER BY A GROUP BY A", "A = 1"},
        {"SELECT * FROM T", ""},
        {"", ""},
        {"SELECT * FROM T WHERE A = 1\r\nAND B = 2", "A = 1 AND B = 2"},
        {"SELECT * FROM T WHERE A = 1 \r\n  AND   B = 2", "A = 1 AND B = 2"},
        {"SELECT * FROM T WHERE A = 1\nAND B = 2\n", "A = 1 AND B = 2"},
        {"SELECT * FROM T WHERE\r\nA = 1 HAVING x", "A = 1"},
        {"SELECT * FROM T WHERE A=1 COMPUTE SUM(A)", "A=1"},
        {"SELECT * FROM T WHERE A=1 FOR BROWSE", "A=1"},
        {"SELECT * FROM T WHERE", ""},
        // A keyword inside a longer word or a literal still counts: plain search, not a parser.
        {"SELECT * FROM T WHERE Name = 'ORDER BY me'", "Name = '"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Input);
        EXPECT_EQ(ExtractWhere(row.Input), row.Expected);
    }
}

TEST(ExtractTableName, TakesTheFromListOrItsFirstTable)
{
    struct TableRow {
        const char* Sql;
        bool FirstOnly;
        const char* Expected;
    };
    const TableRow rows[] = {
        {"SELECT * FROM A x, B y WHERE x.K = y.K", true, "A x"},
        {"SELECT * FROM A x, B y WHERE x.K = y.K", false, "A x, B y"},
        {"select * from Orders order by 1", false, "Orders"},
        {"SELECT * FROM   Orders\r\n  o", false, "Orders o"},
        {"SELECT 1", false, ""},
        {"SELECT * FROM T GROUP BY A", true, "T"},
        {"SELECT * FROM A,B", true, "A"},
    };
    for (const TableRow& row : rows) {
        SCOPED_TRACE(row.Sql);
        EXPECT_EQ(ExtractTableName(row.Sql, row.FirstOnly), row.Expected);
    }
}

TEST(QualifiedNames, ClearTableNameExtractTableAndField)
{
    struct NameRow {
        const char* S;
        const char* Table;
        const char* Field;
    };
    const NameRow rows[] = {
        {"dbo.Orders.Qty", "Orders", "Qty"},
        {"\"Order Details\".Qty", "Order Details", "Qty"},
        {"dbo.\"Order Details\".\"Unit Price\"", "Order Details", "\"Unit Price\""},
        {"Orders", "Orders", "Orders"},
        {"\"Order Details\"", "Order Details", "\"Order Details\""},
        {"\"Unclosed.Qty", "", "\"Unclosed.Qty"},
        {"a.b.c", "a", "b.c"},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.S);
        EXPECT_EQ(ExtractTable(row.S, "."), row.Table);
        EXPECT_EQ(ExtractField(row.S, "."), row.Field);
    }
    EXPECT_EQ(ClearTableName("[dbo].T"), "[dbo].T");
    EXPECT_EQ(ClearTableName("dbo.T"), "T");
    EXPECT_EQ(ClearTableName("x.dbo.T"), "T");
    EXPECT_EQ(ClearTableName("DBO.T"), "DBO.T");
    EXPECT_EQ(ClearTableName(""), "");
}

TEST(CreateINCondition, BuildsValidConditions)
{
    struct InRow {
        const char* Values;
        bool Quoted;
        const char* Expected;
    };
    const InRow rows[] = {
        {"A;B C", true, "STATUS IN ('A', 'B', 'C')"},
        {"1,2", false, "STATUS IN (1, 2)"},
        {"1;2", false, "STATUS IN (1, 2)"},
        {"1, 2", false, "STATUS IN (1, 2)"},
        {"1 ,  2 ; 3", false, "STATUS IN (1, 2, 3)"},
        {"1,2,", false, "STATUS IN (1, 2)"},
        {"7", true, "STATUS IN ('7')"},
        {"a,,b", true, "STATUS IN ('a', '', 'b')"},
        {"1,,2", false, "STATUS IN (1, 2)"},
        {"O'Brien", true, "STATUS IN ('O''Brien')"},
        {"", false, "1 = 0"},
        {"", true, "1 = 0"},
        {" , ; ", false, "1 = 0"},
    };
    for (const InRow& row : rows) {
        SCOPED_TRACE(row.Values);
        EXPECT_EQ(CreateINCondition("STATUS", row.Values, row.Quoted), row.Expected);
    }
}

std::vector<AnsiString> Items(const TStrings& list)
{
    std::vector<AnsiString> items;
    for (Integer i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

TEST(ExtractFieldList, MapsSelectedFieldsToTheirTables)
{
    struct FieldRow {
        const char* Sql;
        std::vector<AnsiString> Expected;
    };
    const FieldRow rows[] = {
        {"SELECT * FROM T", {}},
        {"SELECT  *  FROM T", {}},
        {"SELECT o.A, o.B FROM Orders o", {"A=Orders.A", "B=Orders.B"}},
        {"SELECT A, B FROM Orders", {"A=Orders.A", "B=Orders.B"}},
        {"SELECT A, c.Name FROM Orders o, Customers c WHERE o.C = c.C",
         {"A=Orders.A", "Name=Customers.Name"}},
        {"SELECT o.A, x.B FROM Orders o", {"A=Orders.A", "x.B"}},
        {"SELECT O.A FROM Orders o", {"A=Orders.A"}},
        {"SELECT o.A FROM Orders AS o", {"A=Orders.A"}},
        {"SELECT Orders.A FROM Orders", {"A=Orders.A"}},
        {"select A,\r\nB from T order by A", {"A=T.A", "B=T.B"}},
        {"SELECT A, B", {}},
    };
    for (const FieldRow& row : rows) {
        SCOPED_TRACE(row.Sql);
        TStringList list;
        list.Add("old");
        ExtractFieldList(row.Sql, list);
        EXPECT_EQ(Items(list), row.Expected);
    }
}

TEST(ExtractFieldList, WithoutSelectLeavesTheListAlone)
{
    TStringList list;
    list.Add("old");
    ExtractFieldList("UPDATE T SET A = 1", list);
    EXPECT_EQ(Items(list), std::vector<AnsiString>{"old"});
}

TEST(ExtractFieldList, ResultReadsAsNameValuePairs)
{
    TStringList list;
    ExtractFieldList("SELECT o.Qty, Price FROM Orders o", list);
    EXPECT_EQ(list.Values("Qty"), "Orders.Qty");
    EXPECT_EQ(list.Values("Price"), "Orders.Price");
}

} // namespace
} // namespace vmado
