// Master-detail on a real database: a table following its master through the relation text and
// a query through its parameters, both tracking the master record by record.
#include "TablesFixture.h"

#include "framework/db/Fields.h"

#include <filesystem>

namespace vmado::test {
namespace {

using TableRelationTest = TablesTest;
using QueryParamsTest = TablesTest;

std::vector<Integer> CountsPerMasterRecord(TVADODataSet& master, TDataSet& detail)
{
    std::vector<Integer> counts;
    master.First();
    while (!master.Eof()) {
        counts.push_back(detail.RecordCount());
        master.Next();
    }
    return counts;
}

TEST_F(TableRelationTest, DetailFollowsMasterScrollingAndClearsWhenMasterCloses)
{
    TVADODataSet& master = MakeMaster();
    auto& orders = MakeDetail<TVTable>();
    orders.SetTableName("orders");
    orders.SetDataSource(masterSource_.get());
    orders.SetRelation("cust_no = :cust_no");
    orders.Open();
    EXPECT_EQ(orders.RecordCount(), 6) << "no master open: the relation is not applied";

    master.Open();
    EXPECT_EQ(orders.Filter(), "cust_no = 101");
    EXPECT_EQ(CountsPerMasterRecord(master, orders), (std::vector<Integer>{3, 2, 1, 0}));

    master.Close();
    EXPECT_EQ(orders.Filter(), "");
    EXPECT_EQ(Count(orders), 6);
}

TEST_F(TableRelationTest, DetailOpenedAfterItsMasterIsFilteredAtOnce)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    master.Next();
    auto& orders = MakeDetail<TVTable>();
    orders.SetTableName("orders");
    orders.SetDataSource(masterSource_.get());
    orders.SetRelation("cust_no = :cust_no");
    orders.Open();
    EXPECT_EQ(orders.Filter(), "cust_no = 102");
    EXPECT_EQ(Count(orders), 2);
}

// The settings file keeps the filter the table had at its close, which for a detail is the
// relation put in for the master record of that moment; reopened on another record, the detail
// must follow the master again, not that record.
TEST_F(TableRelationTest, SettingsFileDoesNotPinTheDetailToAnEarlierMasterRecord)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    master.Next();
    auto& orders = MakeDetail<TVTable>();
    orders.SetTableName("orders");
    orders.SetFileName((dir_ / "orders.vset").string());
    orders.SetDataSource(masterSource_.get());
    orders.SetRelation("cust_no = :cust_no");
    orders.Open();
    ASSERT_EQ(Count(orders), 2);
    orders.SortAdd("item", smDESC, false);
    orders.Close();
    ASSERT_TRUE(std::filesystem::exists(dir_ / "orders.vset"));

    master.First();
    orders.Open();
    EXPECT_EQ(orders.Filter(), "cust_no = 101");
    EXPECT_EQ(Count(orders), 3);
    EXPECT_EQ(orders.Sort(), "item DESC") << "the rest of the settings still comes back";
}

TEST_F(TableRelationTest, ValuesGoInAsLiterals)
{
    struct Case {
        const char* Name;
        const char* Relation;
        Integer MasterId;
        Integer Expected; // -1: an error naming ErrorText
        const char* ErrorText;
    } cases[] = {
        {"quote in the value", "name = :name", 1, 3, ""},
        {"colon and question mark in the value", "name = :name AND cust_no = :cust_no", 2, 2, ""},
        {"colon in the relation's own literal", "item <> 'x:cust' AND cust_no = :cust_no", 1, 3, ""},
        {"shorter name first", "code = :cust AND cust_no = :cust_no", 1, 3, ""},
        {"longer name first", "cust_no = :cust_no AND code = :cust", 2, 2, ""},
        {"name before a parenthesis", "(cust_no = :cust_no)", 2, 2, ""},
        {"date value", "opened = :opened", 1, 3, ""},
        {"null value", "region = :region", 3, 1, ""},
        {"missing master field", "cust_no = :nosuch", 1, -1, "'nosuch'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        TVADODataSet& master = MakeMaster();
        master.Open();
        ASSERT_TRUE(master.Locate("id", Variant(c.MasterId), {}));
        auto& orders = MakeDetail<TVTable>();
        orders.SetTableName("orders");
        orders.SetDataSource(masterSource_.get());
        if (c.Expected < 0) {
            // With the master open, setting the relation already puts the values in.
            try {
                orders.SetRelation(c.Relation);
                ADD_FAILURE() << "no error from SetRelation; filter " << orders.Filter();
            } catch (const EDatabaseError& e) {
                EXPECT_NE(std::string(e.what()).find(c.ErrorText), std::string::npos) << e.what();
            }
            try {
                orders.Open();
                ADD_FAILURE() << "no error; filter " << orders.Filter();
            } catch (const EDatabaseError& e) {
                EXPECT_NE(std::string(e.what()).find(c.ErrorText), std::string::npos) << e.what();
            }
            EXPECT_FALSE(orders.Active());
            continue;
        }
        orders.SetRelation(c.Relation);
        OpenOrReport(orders);
        EXPECT_EQ(Count(orders), c.Expected) << orders.Filter();
    }
}

TEST_F(TableRelationTest, SameRelationDoesNotRebuildAndModifyRelationSwitchesMaster)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    auto& orders = MakeDetail<TVTable>();
    orders.SetTableName("orders");
    orders.SetDataSource(masterSource_.get());
    orders.SetRelation("cust_no = :cust_no");
    orders.Open();
    orders.SetFilterStr("id = 1");
    orders.SetRelation("cust_no = :cust_no");
    EXPECT_EQ(orders.Filter(), "id = 1");

    orders.ModifyRelation(masterSource_.get(), "code = :cust");
    EXPECT_EQ(orders.Filter(), "code = 'C1'");
    EXPECT_EQ(Count(orders), 3);
    orders.ModifyRelation(nullptr, "code = :cust");
    EXPECT_EQ(orders.Filter(), "");
}

TEST_F(QueryParamsTest, DetailFollowsMasterScrolling)
{
    TVADODataSet& master = MakeMaster();
    auto& orders = MakeDetail<TVQuery>();
    orders.SetDataSource(masterSource_.get());
    TStringList sql;
    sql.SetText("SELECT * FROM orders\r\nWHERE cust_no = :cust_no AND item <> 'x:y?'\r\nORDER BY id");
    orders.SetQuery(&sql);
    master.Open();
    orders.Open();
    EXPECT_EQ(orders.CommandText(),
              "SELECT * FROM orders WHERE cust_no = 101 AND item <> 'x:y?' ORDER BY id");
    EXPECT_EQ(CountsPerMasterRecord(master, orders), (std::vector<Integer>{3, 2, 1, 0}));

    std::vector<TField*> masterFields, detailFields;
    orders.GetDetailLinkFields(masterFields, detailFields);
    ASSERT_EQ(masterFields.size(), 1u);
    EXPECT_EQ(masterFields[0], master.FieldByName("cust_no"));
    ASSERT_EQ(detailFields.size(), 1u);
    EXPECT_EQ(detailFields[0], orders.FieldByName("cust_no"));

    // The master gone, the detail keeps the records of the last master record it saw; the
    // master back, the detail follows it again from its first record.
    master.Close();
    EXPECT_TRUE(orders.Active());
    master.Open();
    EXPECT_EQ(orders.RecordCount(), 3);
}

TEST_F(QueryParamsTest, MarkersInsideValuesAndLiteralsAreNotParameters)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    ASSERT_TRUE(master.Locate("id", Variant(2), {}));
    auto& orders = MakeDetail<TVQuery>();
    orders.SetDataSource(masterSource_.get());
    TStringList sql;
    sql.SetText("SELECT * FROM orders WHERE name = :name AND item LIKE 'who?' AND region = :region");
    orders.SetQuery(&sql);
    orders.Open();
    EXPECT_EQ(Count(orders), 1);
    EXPECT_EQ(orders.FieldByName("id")->AsInteger(), 4);
}

TEST_F(QueryParamsTest, ApplicationSetParametersKeepTheirValues)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    auto& orders = MakeDetail<TVQuery>();
    orders.SetDataSource(masterSource_.get());
    TStringList sql;
    sql.SetText("SELECT * FROM orders WHERE cust_no = :cust_no AND item <> :item");
    orders.SetQuery(&sql);
    orders.ParamByName("item")->SetAsString("a");
    orders.Open();
    EXPECT_EQ(Count(orders), 2);
    master.Next();
    EXPECT_EQ(Count(orders), 2);
}

TEST_F(QueryParamsTest, MissingMasterFieldRaisesNamingIt)
{
    TVADODataSet& master = MakeMaster();
    master.Open();
    auto& orders = MakeDetail<TVQuery>();
    orders.SetDataSource(masterSource_.get());
    TStringList sql;
    sql.SetText("SELECT * FROM orders WHERE cust_no = :nosuch");
    orders.SetQuery(&sql);
    try {
        orders.Open();
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("nosuch"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(orders.Active());
}

TEST_F(QueryParamsTest, ExecSQLCountsRowsAndRollsBackOnError)
{
    TVQuery q;
    q.SetConnection(ConnectionString());
    TStringList sql;
    sql.SetText("UPDATE orders SET item = :item WHERE cust_no = :cust_no");
    q.SetQuery(&sql);
    q.ParamByName("item")->SetAsString("it's: ?");
    q.ParamByName("cust_no")->SetAsInteger(101);
    try {
        q.ExecSQL();
    } catch (const EDatabaseError& e) {
        FAIL() << e.what() << " " << e.Context();
    }
    EXPECT_EQ(q.RowsAffected(), 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM orders WHERE item = 'it''s: ?'"), "3");

    try {
        q.ExecSQL(AnsiString("UPDATE nosuch_table SET a = ? WHERE b = ?"));
        ADD_FAILURE() << "no error";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("nosuch_table"), std::string::npos) << e.what();
    }
    EXPECT_EQ(q.RowsAffected(), 3);
    q.ExecSQL(AnsiString(""));
    EXPECT_EQ(q.RowsAffected(), -1);
}

} // namespace
} // namespace vmado::test
