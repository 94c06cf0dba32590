// Fill-up and marker statements run for real: the rows they change are the rows the dataset shows
// (checked through a connection of the test's own), their texts reach OnVerbose as sent, and the
// events, controls and failures behave around the one statement.
#include "DataSetFixture.h"

#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <map>
#include <set>
#include <vector>

namespace vmado::test {
namespace {

const std::vector<int> kIds = {1, 2, 3, 4, 5};

class FillUpTest : public DataSetTest {
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A lower-case name tells byte order and case-sensitive matching from a collation's.
        Exec("INSERT INTO people VALUES (5, 'adams', 'Paris', 3, '2010-06-15', '2010-06-15 08:00:00', 'x')");
    }

    // A detail-like dataset: the whole table, restricted by its Filter text.
    TVADODataSet& OpenFiltered(const std::string& filter, const std::string& sql = "SELECT * FROM people")
    {
        TVADODataSet& d = Make(sql);
        d.OnVerbose = [this](const AnsiString& text, TVerboseMode mode) {
            if (mode == vmExecute)
                executed_.push_back(text);
        };
        d.SetFilterStr(filter);
        d.Open();
        return d;
    }

    static std::set<int> Shown(TVADODataSet& d)
    {
        std::set<int> ids;
        for (d.First(); !d.Eof(); d.Next())
            ids.insert(d.FieldByName("id")->AsInteger());
        return ids;
    }

    // One column of every row, read through the test's own connection.
    std::map<int, std::string> Column(const std::string& name)
    {
        std::map<int, std::string> values;
        for (int id : kIds)
            values[id] = Scalar("SELECT " + name + " FROM people WHERE id = " + std::to_string(id));
        return values;
    }

    static std::set<int> Changed(const std::map<int, std::string>& before,
                                 const std::map<int, std::string>& after)
    {
        std::set<int> ids;
        for (const auto& [id, value] : before)
            if (after.at(id) != value)
                ids.insert(id);
        return ids;
    }

    std::vector<std::string> executed_;
};

TVSubFilter* AddLine(TVADODataSet& d, const char* field, TFilterType type, TRelationType relation,
                     const char* value)
{
    TVFilter* filter = d.Filters()->Add();
    TVSubFilter* line = filter->Levels()->Add();
    line->SetFieldName(field);
    line->SetFilterType(type);
    line->SetRelation(relation);
    line->SetLowerValue(value);
    line->SetLogicalOp(flEnd);
    return line;
}

struct RowsCase {
    const char* filter;
    std::set<int> rows;
};

// Filters whose naive SQL would reach other rows: LIKE is case-sensitive in the filter, text
// order is byte order, dates stored as text compare by their day.
const RowsCase kRowsCases[] = {
    {"city = 'Paris'", {1, 3, 5}},
    {"qty > 4", {1, 2, 4}},
    {"qty >= 5 AND city <> 'London'", {1, 4}},
    {"city = 'Paris' OR qty = 12", {1, 2, 3, 5}},
    {"NOT (city = 'Paris')", {2, 4}},
    {"qty BETWEEN 1 AND 7", {1, 4, 5}},
    {"qty = 5.0", {1}},
    {"city IN ('Paris', 'Pecs')", {1, 3, 4, 5}},
    {"born IS NULL", {3}},
    {"born = NULL", {3}},
    {"name LIKE 'S*'", {1}},
    {"name LIKE '%S%'", {1}},
    {"name LIKE 's%'", {}},
    {"name LIKE '_reen'", {4}},
    {"name < 'K'", {2, 3, 4}},
    {"born > #1999-01-01#", {1, 4, 5}},
    {"born = #2024-01-05#", {1}},
    {"seen = #2024-01-05 14:05:09#", {2}},
    {"seen < #2000-03-01#", {4}},
};

TEST_F(FillUpTest, ChangesExactlyTheRowsTheFilterShows)
{
    for (const RowsCase& c : kRowsCases) {
        SCOPED_TRACE(c.filter);
        TVADODataSet& d = OpenFiltered(c.filter);
        ASSERT_EQ(Shown(d), c.rows);
        EXPECT_EQ(d.FillCount(), static_cast<Integer>(c.rows.size()));
        const auto before = Column("note");
        d.FillConst("note", "filled", true);
        EXPECT_EQ(Changed(before, Column("note")), c.rows);
        EXPECT_TRUE(d.Active());
        Exec("UPDATE people SET note = 'reset'");
        TearDown();
    }
}

TEST_F(FillUpTest, FiltersCollectionAndFilterTextAndTheCommandsConditionAllApply)
{
    TVADODataSet& d = Make("SELECT * FROM people WHERE id <> 3");
    AddLine(d, "city", ffString, frEqual, "Paris");
    d.SetFilterStr("qty > 1");
    d.Open();
    ASSERT_EQ(Shown(d), (std::set<int>{1, 5}));
    EXPECT_EQ(d.FillCount(), 2);
    const auto before = Column("qty");
    d.Markers("ignored"); // no marker field: nothing happens
    EXPECT_EQ(Column("qty"), before);
    d.FillConst("qty", "40", false);
    EXPECT_EQ(Changed(before, Column("qty")), (std::set<int>{1, 5}));
}

TEST_F(FillUpTest, WithoutFilterOptionTheFiltersCollectionDoesNotNarrowTheStatement)
{
    TVADODataSet& d = Make("SELECT * FROM people");
    d.SetOptions(TVOptions{opDialog, opConnection});
    AddLine(d, "city", ffString, frEqual, "Paris");
    d.Open();
    ASSERT_EQ(Shown(d).size(), kIds.size());
    const auto before = Column("qty");
    d.FillConst("qty", "41", false);
    EXPECT_EQ(Changed(before, Column("qty")).size(), kIds.size());
}

struct OperationCase {
    const char* name;
    const char* column;
    std::function<void(TVADODataSet&)> run;
    std::map<int, std::string> expected; // the shown rows (1, 3, 5) after the run
};

TEST_F(FillUpTest, EveryOperationChangesTheShownRowsToTheExpectedValues)
{
    auto lines = std::make_shared<TStringList>();
    lines->Add("qty * 2");
    lines->Add("+ 1");
    const OperationCase cases[] = {
        {"upper",
         "name",
         [](TVADODataSet& d) { d.FillUpper("name"); },
         {{1, "SMITH"}, {3, "BROWN"}, {5, "ADAMS"}}},
        {"lower",
         "name",
         [](TVADODataSet& d) { d.FillLower("name"); },
         {{1, "smith"}, {3, "brown"}, {5, "adams"}}},
        {"const quoted",
         "name",
         [](TVADODataSet& d) { d.FillConst("name", "O'Hara", true); },
         {{1, "O'Hara"}, {3, "O'Hara"}, {5, "O'Hara"}}},
        {"const number",
         "qty",
         [](TVADODataSet& d) { d.FillConst("qty", " -17 ", false); },
         {{1, "-17"}, {3, "-17"}, {5, "-17"}}},
        {"exchange",
         "name",
         [](TVADODataSet& d) { d.FillExchange("name", "o", "'o'"); },
         {{1, "Smith"}, {3, "Br'o'wn"}, {5, "adams"}}},
        {"sql",
         "qty",
         [lines](TVADODataSet& d) { d.FillSQL("qty", lines.get()); },
         {{1, "11"}, {3, "1"}, {5, "7"}}},
        {"markers",
         "note",
         [](TVADODataSet& d) {
             d.SetMarkerField("note");
             d.Markers("it's marked");
         },
         {{1, "it's marked"}, {3, "it's marked"}, {5, "it's marked"}}},
    };
    for (const OperationCase& c : cases) {
        SCOPED_TRACE(c.name);
        TVADODataSet& d = OpenFiltered("city = 'Paris'");
        const auto before = Column(c.column);
        c.run(d);
        const auto after = Column(c.column);
        for (int id : kIds) {
            if (c.expected.count(id))
                EXPECT_EQ(after.at(id), c.expected.at(id)) << "row " << id;
            else
                EXPECT_EQ(after.at(id), before.at(id)) << "row " << id;
        }
        ASSERT_TRUE(d.Active());
        EXPECT_EQ(d.RecNo(), 1); // re-opened on the first record
        TearDown();
        // Put the column back for the next case.
        Exec("UPDATE people SET name = 'Smith', qty = 5, note = 'a, b' WHERE id = 1");
        Exec("UPDATE people SET name = 'Brown', qty = 0, note = NULL WHERE id = 3");
        Exec("UPDATE people SET name = 'adams', qty = 3, note = 'x' WHERE id = 5");
    }
}

struct TextCase {
    const char* name;
    std::function<void(TVADODataSet&)> run;
    const char* text;
};

TEST_F(FillUpTest, StatementTextsReachOnVerboseAsSent)
{
    auto lines = std::make_shared<TStringList>();
    lines->Add("qty  +");
    lines->Add("1");
    const TextCase cases[] = {
        {"upper", [](TVADODataSet& d) { d.FillUpper("name"); },
         "UPDATE people SET name = UCASE(name) WHERE \"city\" = 'Paris'"},
        {"lower", [](TVADODataSet& d) { d.FillLower("name"); },
         "UPDATE people SET name = LCASE(name) WHERE \"city\" = 'Paris'"},
        {"const quoted", [](TVADODataSet& d) { d.FillConst("name", "it's", true); },
         "UPDATE people SET name = 'it''s' WHERE \"city\" = 'Paris'"},
        {"const number", [](TVADODataSet& d) { d.FillConst("qty", "+2.5e1", false); },
         "UPDATE people SET qty = +2.5e1 WHERE \"city\" = 'Paris'"},
        {"exchange", [](TVADODataSet& d) { d.FillExchange("name", "a'", "b"); },
         "UPDATE people SET name = {fn REPLACE(name, 'a''', 'b')} WHERE \"city\" = 'Paris'"},
        {"sql", [lines](TVADODataSet& d) { d.FillSQL("qty", lines.get()); },
         "UPDATE people SET qty = qty + 1 WHERE \"city\" = 'Paris'"},
        {"markers",
         [](TVADODataSet& d) {
             d.SetMarkerField("note");
             d.Markers("x'");
         },
         "UPDATE people SET note = 'x''' WHERE \"city\" = 'Paris'"},
        {"count", [](TVADODataSet& d) { d.FillCount(); },
         "SELECT COUNT(*) FROM people WHERE \"city\" = 'Paris'"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        executed_.clear();
        OpenFiltered("city = 'Paris'");
        c.run(*dataSet_);
        EXPECT_EQ(executed_, std::vector<std::string>{c.text});
        TearDown();
    }
}

TEST_F(FillUpTest, TableCommandWithoutFiltersGivesTheBareStatement)
{
    TVADODataSet& d = Make("people");
    d.SetCommandType(coTable);
    std::vector<std::string> sent;
    d.OnVerbose = [&sent](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmExecute)
            sent.push_back(text);
    };
    d.FillUpper("name"); // closed: fill-ups open it again all the same
    EXPECT_EQ(sent, std::vector<std::string>{"UPDATE people SET name = UCASE(name)"});
    EXPECT_TRUE(d.Active());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE name = UPPER(name)"), "5");

    // The Filters collection narrows the statement by the clause GenerateWhere gives.
    sent.clear();
    AddLine(d, "city", ffString, frEqual, "Paris");
    const AnsiString where = d.GenerateWhere("", nullptr);
    ASSERT_TRUE(where.starts_with(" WHERE ")) << where;
    const auto before = Column("name");
    d.FillLower("name");
    EXPECT_EQ(sent, std::vector<std::string>{d.CleanSQL("UPDATE people SET name = LCASE(name)" + where)});
    EXPECT_EQ(Changed(before, Column("name")), (std::set<int>{1, 3, 5}));
}

TEST_F(FillUpTest, AChainCutAfterAnAndLeavesNoDanglingAnd)
{
    TVADODataSet& d = Make("people");
    TVSubFilter* first = AddLine(d, "city", ffString, frEqual, "Paris");
    first->SetLogicalOp(flAnd);
    TVSubFilter* second = d.Filters()->GetItem(0)->Levels()->Add();
    second->SetFieldName("qty");
    second->SetFilterType(ffNumeric);
    second->SetRelation(frBigger);
    second->SetLowerValue("1");
    second->SetLogicalOp(flNone);
    const AnsiString where = d.GenerateWhere("", nullptr);
    EXPECT_TRUE(where.starts_with(" WHERE ")) << where;
    EXPECT_FALSE(Trim(where).ends_with("AND")) << where;
    EXPECT_NE(where.find("Paris"), AnsiString::npos) << where;
}

TEST_F(FillUpTest, NamesWithBlanksAreQuoted)
{
    Exec("CREATE TABLE \"fill things\" (id INTEGER PRIMARY KEY, \"the value\" VARCHAR(10), \"the mark\" "
         "VARCHAR(10))");
    Exec("INSERT INTO \"fill things\" VALUES (1, 'a', NULL)");
    Exec("INSERT INTO \"fill things\" VALUES (2, 'b', NULL)");
    TVADODataSet& d = Make("SELECT * FROM \"fill things\"");
    std::vector<std::string> sent;
    d.OnVerbose = [&sent](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmExecute)
            sent.push_back(text);
    };
    d.SetFilterStr("id = 2");
    d.SetMarkerField("the mark");
    d.Open();
    d.FillConst("the value", "z", true);
    d.Markers("m");
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "UPDATE \"fill things\" SET \"the value\" = 'z' WHERE \"id\" = 2",
                        "UPDATE \"fill things\" SET \"the mark\" = 'm' WHERE \"id\" = 2",
                    }));
    EXPECT_EQ(Scalar("SELECT \"the value\" FROM \"fill things\" WHERE id = 1"), "a");
    EXPECT_EQ(Scalar("SELECT \"the value\" || \"the mark\" FROM \"fill things\" WHERE id = 2"), "zm");
}

TEST_F(FillUpTest, EventsComeInOrderAroundTheStatementWithControlsDisabled)
{
    struct EventCase {
        const char* name;
        std::function<void(TVADODataSet&)> run;
        std::vector<std::string> order;
    };
    const EventCase cases[] = {
        {"fill",
         [](TVADODataSet& d) { d.FillUpper("name"); },
         {"fill start", "close", "execute", "open", "fill end"}},
        {"markers",
         [](TVADODataSet& d) { d.Markers("y"); },
         {"mark start", "close", "execute", "open", "mark end"}},
    };
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.name);
        TVADODataSet& d = OpenFiltered("city = 'Paris'");
        d.SetMarkerField("note");
        std::vector<std::string> seen;
        auto note = [&seen, &d](const char* what) {
            seen.push_back(what);
            EXPECT_TRUE(d.ControlsDisabled()) << what;
        };
        d.OnFillStart = [&](TDataSet*) { note("fill start"); };
        d.OnFillEnd = [&](TDataSet*) { note("fill end"); };
        d.OnMarkStart = [&](TDataSet*) { note("mark start"); };
        d.OnMarkEnd = [&](TDataSet*) { note("mark end"); };
        d.AfterClose = [&](TDataSet*) { note("close"); };
        d.AfterOpen = [&](TDataSet*) { note("open"); };
        d.OnVerbose = [&](const AnsiString&, TVerboseMode mode) {
            if (mode == vmExecute)
                note("execute");
        };
        c.run(d);
        EXPECT_EQ(seen, c.order);
        EXPECT_FALSE(d.ControlsDisabled());
        TearDown();
    }
}

TEST_F(FillUpTest, UnquotedConstMustBeANumber)
{
    const char* const bad[] = {"abc", "1; DELETE FROM people", "", "1,5,6", "1e", "--1", "0x10", "1.2.3",
                               "NULL"};
    for (const char* value : bad) {
        SCOPED_TRACE(value);
        TVADODataSet& d = OpenFiltered("city = 'Paris'");
        const auto before = Column("qty");
        try {
            d.FillConst("qty", value, false);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.Message()).find("'qty'"), std::string::npos) << e.Message();
        }
        EXPECT_TRUE(executed_.empty());
        EXPECT_TRUE(d.Active());
        EXPECT_EQ(Column("qty"), before);
        TearDown();
    }
}

TEST_F(FillUpTest, UnquotedConstIsWrittenWithAPointWhateverTheLocale)
{
    const ScopedFormatSettings restore;
    FormatSettings().DecimalSeparator = ',';
    TVADODataSet& d = Make("SELECT id, qty FROM people");
    d.SetCommandType(coText);
    std::vector<std::string> sent;
    d.OnVerbose = [&sent](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmExecute)
            sent.push_back(text);
    };
    d.SetFilterStr("id = 2");
    d.Open();
    d.FillConst("qty", "2,5", false);
    EXPECT_EQ(sent, std::vector<std::string>{"UPDATE people SET qty = 2.5 WHERE \"id\" = 2"});
    EXPECT_EQ(Column("qty").at(1), "5");
}

TEST_F(FillUpTest, AFilterSqlCannotSayRefusesBeforeAnythingRuns)
{
    const char* const filters[] = {"UCASE(name) = 'SMITH'", "note > 'é'"};
    for (const char* filter : filters) {
        SCOPED_TRACE(filter);
        TVADODataSet& d = OpenFiltered(filter);
        const auto before = Column("note");
        bool started = false;
        d.OnFillStart = [&started](TDataSet*) { started = true; };
        try {
            d.FillConst("note", "z", true);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.Message()).find("Filter"), std::string::npos) << e.Message();
        }
        EXPECT_THROW(d.FillCount(), EDatabaseError);
        EXPECT_FALSE(started);
        EXPECT_TRUE(executed_.empty());
        EXPECT_TRUE(d.Active());
        EXPECT_EQ(Column("note"), before);
        TearDown();
    }
}

TEST_F(FillUpTest, AFilterOnAClosedDatasetIsRefused)
{
    TVADODataSet& d = Make("SELECT * FROM people");
    d.SetFilterStr("city = 'Paris'");
    const auto before = Column("note");
    EXPECT_THROW(d.FillConst("note", "z", true), EDatabaseError);
    EXPECT_FALSE(d.Active());

    EXPECT_THROW(d.FillCount(), EDatabaseError);
    EXPECT_EQ(Column("note"), before);
}

TEST_F(FillUpTest, ARejectedStatementRollsBackAndLeavesTheDatasetClosed)
{
    TVADODataSet& d = OpenFiltered("city = 'Paris'");
    bool ended = false;
    d.OnFillEnd = [&ended](TDataSet*) { ended = true; };
    auto lines = std::make_shared<TStringList>();
    lines->Add("no_such_column + 1");
    const auto before = Column("qty");
    EXPECT_THROW(d.FillSQL("qty", lines.get()), Exception);
    EXPECT_FALSE(d.Active());
    EXPECT_FALSE(ended);
    EXPECT_FALSE(d.ControlsDisabled());
    EXPECT_EQ(Column("qty"), before);
    // The transaction is gone: the connection takes the next statement.
    d.Open();
    d.FillConst("qty", "9", false);
    EXPECT_TRUE(ended);
    EXPECT_EQ(Changed(before, Column("qty")), (std::set<int>{1, 3, 5}));
}

TEST_F(FillUpTest, MaxRecordsSetWhileClosedLimitsEveryOpenAndAFillUpItCutsIsRefused)
{
    TVADODataSet& d = Make("SELECT * FROM people");
    d.SetMaxRecords(2);
    d.SetMaxRecords(-1); // ignored
    d.Open();
    EXPECT_EQ(d.RecordCount(), 2);
    d.Close();
    d.Open();
    EXPECT_EQ(d.RecordCount(), 2);
    EXPECT_EQ(d.GetMaxRecords(), 2);
    // The table holds rows the dataset does not show, so the statement would reach them.
    const auto before = Column("note");
    EXPECT_THROW(d.FillConst("note", "z", true), EDatabaseError);
    EXPECT_EQ(Column("note"), before);

    d.Close();
    d.SetMaxRecords(0);
    d.Open();
    EXPECT_EQ(d.RecordCount(), static_cast<Integer>(std::size(kIds)));
}

TEST_F(FillUpTest, AnEditInProgressIsPostedFirst)
{
    TVADODataSet& d = OpenFiltered("city = 'Paris'");
    d.First();
    const int id = d.FieldByName("id")->AsInteger();
    d.Edit();
    d.FieldByName("name")->SetAsString("Edited");
    d.FillUpper("city");
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = " + std::to_string(id)), "Edited");
    EXPECT_EQ(Scalar("SELECT city FROM people WHERE id = " + std::to_string(id)), "PARIS");
}

TEST_F(FillUpTest, NothingHappensWhereThereIsNothingToDo)
{
    auto empty = std::make_shared<TStringList>();
    TVADODataSet& d = OpenFiltered("city = 'Paris'");
    d.FillSQL("qty", empty.get());
    d.FillSQL("qty", nullptr);
    d.Markers("z"); // no marker field
    d.SetMarkerField("note");
    d.Close();
    d.Markers("z"); // closed
    EXPECT_TRUE(executed_.empty());
    EXPECT_FALSE(d.Active());

    // A command with no table names nothing to update.
    TVADODataSet& noTable = Make("SELECT 1");
    noTable.FillUpper("name");
    EXPECT_EQ(noTable.FillCount(), -1);
    EXPECT_FALSE(noTable.Active());
}

} // namespace
} // namespace vmado::test
