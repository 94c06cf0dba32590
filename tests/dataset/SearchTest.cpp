// Searching an open dataset: Locate, Lookup, Search and Find send one criteria text (seen through
// OnVerbose), land the cursor on the first match in view order, and leave it where it was when
// nothing matches. Positions are checked by field values and RecNo with a grid's buffer window.
#include "DataSetFixture.h"

#include "framework/rtl/DateTime.h"
#include "framework/rtl/Locale.h"

#include <string>
#include <vector>

namespace vmado::test {
namespace {

class SearchTest : public DataSetTest {
protected:
    TVADODataSet& OpenPeople()
    {
        TVADODataSet& d = Open("SELECT id, name, city, qty, born, seen, note FROM people ORDER BY id");
        d.OnVerbose = [this](const AnsiString& text, TVerboseMode mode) {
            if (mode == vmSearch)
                searches_.push_back(text);
        };
        return d;
    }
    // Where the cursor stands: the record's id and RecNo must agree.
    void ExpectOn(TVADODataSet& d, Integer id)
    {
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), id);
        EXPECT_EQ(d.RecNo(), id); // ids 1..n in view order
    }
    // The next record must be the one after, so the engine cursor and the buffers agree.
    void ExpectNextIs(TVADODataSet& d, const char* name)
    {
        d.Next();
        EXPECT_EQ(d.FieldByName("name")->AsString(), name);
    }
    std::string LastSearch() const { return searches_.empty() ? "<none>" : searches_.back(); }

    std::vector<std::string> searches_;
};

TEST_F(SearchTest, LocateOnTwoFieldsJoinsConditionsWithAnd)
{
    TVADODataSet& d = OpenPeople();
    EXPECT_TRUE(d.Locate("name;city", VarArrayOf({Variant("Brown"), Variant("Paris")}), {}));
    EXPECT_EQ(LastSearch(), "name = 'Brown' AND city = 'Paris'");
    ExpectOn(d, 3);
    ExpectNextIs(d, "Green");

    EXPECT_TRUE(d.Locate("name;city", VarArrayOf({Variant("Sm"), Variant("Pa")}), {loPartialKey}));
    EXPECT_EQ(LastSearch(), "name LIKE 'Sm%' AND city LIKE 'Pa%'");
    ExpectOn(d, 1);
    ExpectNextIs(d, "Jones");
}

TEST_F(SearchTest, ArrayValuesAndASingleScalarArriveWhole)
{
    Exec("INSERT INTO people VALUES (5, 'Smith', 'New York', 3, NULL, NULL, 'x, y')");
    TVADODataSet& d = OpenPeople();
    struct Row {
        const char* fields;
        Variant values;
        const char* criteria;
        Integer id;
    };
    const Row rows[] = {
        {"name;city", VarArrayOf({Variant("Smith"), Variant("New York")}),
         "name = 'Smith' AND city = 'New York'", 5},
        {"city", Variant("New York"), "city = 'New York'", 5},
        {"note", Variant("a, b"), "note = 'a, b'", 1},
        {"note", VarArrayOf({Variant("x, y")}), "note = 'x, y'", 5},
        {"name;city", Variant("Jones;London"), "name = 'Jones' AND city = 'London'", 2},
        {"name; city", Variant("Green,Pecs"), "name = 'Green' AND city = 'Pecs'", 4},
        {"name;city", Variant("Smith;\"New York\""), "name = 'Smith' AND city = 'New York'", 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.criteria);
        EXPECT_TRUE(d.Locate(row.fields, row.values, {}));
        EXPECT_EQ(LastSearch(), row.criteria);
        ExpectOn(d, row.id);
    }
}

TEST_F(SearchTest, KeyFieldNamesSplitAtSemicolonsOnly)
{
    Exec("CREATE TABLE lines (id INTEGER PRIMARY KEY, \"Unit\" INTEGER, \"Unit Price\" DOUBLE PRECISION, "
         "\"Product Name\" VARCHAR(20))");
    Exec("INSERT INTO lines VALUES (1, 18, 9.5, 'Tea, green')");
    Exec("INSERT INTO lines VALUES (2, 9, 18, 'Chai')");
    Exec("INSERT INTO lines VALUES (3, 18, 18, 'Tofu')");
    TVADODataSet& d = Open("SELECT * FROM lines ORDER BY id");
    d.OnVerbose = [this](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmSearch)
            searches_.push_back(text);
    };
    struct Row {
        const char* fields;
        Variant values;
        const char* criteria;
        Integer id;
    };
    const Row rows[] = {
        {"Unit Price", Variant(18), "[Unit Price] = 18", 2},
        {"Unit", Variant(18), "Unit = 18", 1},
        {" Unit ; Unit Price ", VarArrayOf({Variant(18), Variant(18)}), "Unit = 18 AND [Unit Price] = 18", 3},
        {"Product Name", Variant("Tea, green"), "[Product Name] = 'Tea, green'", 1},
        {"Unit Price;Product Name", VarArrayOf({Variant(18), Variant("Tofu")}),
         "[Unit Price] = 18 AND [Product Name] = 'Tofu'", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fields);
        EXPECT_TRUE(d.Locate(row.fields, row.values, {}));
        EXPECT_EQ(LastSearch(), row.criteria);
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), row.id);
    }
    // A comma is part of a name, not a separator.
    EXPECT_FALSE(d.Locate("Unit,Unit Price", VarArrayOf({Variant(18), Variant(18)}), {}));
    EXPECT_EQ(d.Lookup("Unit Price", Variant(9.5), "Product Name").AsString(), "Tea, green");
    EXPECT_EQ(d.Lookup("id", Variant(2), "Product Name;Unit Price").AsString(), "Chai18");
    EXPECT_EQ(d.Lookup("Product Name", Variant("Tofu"), "Unit Price").AsInteger(), 18);
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 3);
}

TEST_F(SearchTest, CaseInsensitiveLocateComparesUpperCasedTexts)
{
    TVADODataSet& d = OpenPeople();
    struct Row {
        const char* fields;
        Variant values;
        TLocateOptions options;
        const char* criteria;
        Integer id; // 0: no match
    };
    const Row rows[] = {
        {"name", Variant("brown"), {}, "name = 'brown'", 0},
        {"name", Variant("brown"), {loCaseInsensitive}, "{fn UCASE(name)} = 'BROWN'", 3},
        {"name", Variant("jO"), {loCaseInsensitive, loPartialKey}, "{fn UCASE(name)} LIKE 'JO%'", 2},
        {"name;city",
         VarArrayOf({Variant("GREEN"), Variant("pecs")}),
         {loCaseInsensitive},
         "{fn UCASE(name)} = 'GREEN' AND {fn UCASE(city)} = 'PECS'",
         4},
        {"city;qty",
         VarArrayOf({Variant("paris"), Variant(5)}),
         {loCaseInsensitive},
         "{fn UCASE(city)} = 'PARIS' AND qty = 5",
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.criteria);
        d.Next();
        const Integer before = d.FieldByName("id")->AsInteger();
        EXPECT_EQ(d.Locate(row.fields, row.values, row.options), row.id != 0);
        EXPECT_EQ(LastSearch(), row.criteria);
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), row.id != 0 ? row.id : before);
    }
}

TEST_F(SearchTest, NumericPartialKeyFindsTheFirstValueAtLeastAsLarge)
{
    TVADODataSet& d = OpenPeople();
    EXPECT_TRUE(d.Locate("qty", Variant(6), {loPartialKey}));
    EXPECT_EQ(LastSearch(), "qty >= 6");
    ExpectOn(d, 2); // 12 comes before 7 in id order
    EXPECT_TRUE(d.Locate("qty", Variant(7), {}));
    ExpectOn(d, 4);
}

TEST_F(SearchTest, QuotesNullsAndDatesAreFound)
{
    Exec("INSERT INTO people VALUES (5, 'O''Brien', 'Cork', 1, '1999-12-31', '1999-12-31 08:30:00', NULL)");
    TVADODataSet& d = OpenPeople();
    struct Row {
        const char* field;
        Variant value;
        const char* criteria;
        Integer id;
    };
    const Row rows[] = {
        {"name", Variant("O'Brien"), "name = 'O''Brien'", 5},
        {"born", Variant::Null(), "born IS NULL", 3},
        {"born", Variant::FromDate(EncodeDate(2000, 2, 29)), "born = #2000-02-29#", 4},
        {"born", Variant("1993-01-01"), "born = #1993-01-01#", 2},
        {"seen", Variant::FromDate(EncodeDateTime(2024, 1, 5, 14, 5, 9, 0)),
         "seen = #2024-01-05 02:05:09 PM#", 2},
        {"seen", Variant::FromDate(EncodeDateTime(1999, 12, 31, 8, 30, 0, 0)),
         "seen = #1999-12-31 08:30:00 AM#", 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.criteria);
        EXPECT_TRUE(d.Locate(row.field, row.value, {}));
        EXPECT_EQ(LastSearch(), row.criteria);
        ExpectOn(d, row.id);
    }
    // A Null among several keys goes through the filter.
    EXPECT_TRUE(d.Locate("city;born", VarArrayOf({Variant("Paris"), Variant::Null()}), {}));
    EXPECT_EQ(LastSearch(), "city = 'Paris' AND born IS NULL");
    ExpectOn(d, 3);
}

TEST_F(SearchTest, DateAndNumberKeysAreFoundUnderOtherLocaleSettings)
{
    TFormatSettings hungarian;
    hungarian.DecimalSeparator = ',';
    hungarian.ThousandSeparator = ' ';
    hungarian.DateSeparator = '.';
    hungarian.ShortDateFormat = "yyyy.MM.dd.";
    hungarian.LongTimeFormat = "H:mm:ss";
    hungarian.TimeAMString = "de.";
    hungarian.TimePMString = "du.";
    ScopedFormatSettings scoped(hungarian);
    TVADODataSet& d = OpenPeople();
    EXPECT_TRUE(d.Locate("seen", Variant::FromDate(EncodeDateTime(2000, 2, 29, 23, 59, 59, 0)), {}));
    EXPECT_EQ(LastSearch(), "seen = #2000-02-29 11:59:59 PM#");
    ExpectOn(d, 4);
    EXPECT_TRUE(
        d.Locate("name;born", VarArrayOf({Variant("Jones"), Variant::FromDate(EncodeDate(1993, 1, 1))}), {}));
    ExpectOn(d, 2);
    EXPECT_TRUE(d.Locate("qty", Variant(6.5), {loPartialKey}));
    EXPECT_EQ(LastSearch(), "qty >= 6,5");
    ExpectOn(d, 2);
}

TEST_F(SearchTest, BooleanKeysAreWrittenAsMinusOneAndZero)
{
    const bool pg = Backend().Postgres();
    Exec("CREATE TABLE flags (id INTEGER PRIMARY KEY, ok BOOLEAN)");
    Exec(std::string("INSERT INTO flags VALUES (1, ") + (pg ? "false" : "0") + ")");
    Exec(std::string("INSERT INTO flags VALUES (2, ") + (pg ? "true" : "1") + ")");
    TVADODataSet& d = Open("SELECT id, ok FROM flags ORDER BY id");
    ASSERT_EQ(d.FieldByName("ok")->DataType(), ftBoolean);
    std::vector<std::string> seen;
    d.OnVerbose = [&](const AnsiString& text, TVerboseMode) { seen.push_back(text); };
    EXPECT_TRUE(d.Locate("ok", Variant(true), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 2);
    EXPECT_TRUE(d.Search("ok", "False", true, 0));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"ok = -1", "ok = 0"}));
}

TEST_F(SearchTest, DatePartialKeyFindsTheFirstDateOnOrAfter)
{
    TVADODataSet& d = OpenPeople();
    d.Last();
    EXPECT_TRUE(d.Locate("born", Variant::FromDate(EncodeDate(1995, 6, 1)), {loPartialKey}));
    EXPECT_EQ(LastSearch(), "born >= #1995-06-01#");
    ExpectOn(d, 1);
}

TEST_F(SearchTest, FewerKeyValuesThanKeyFieldsIsAListError)
{
    TVADODataSet& d = OpenPeople();
    d.Next();
    for (const Variant& values : {VarArrayOf({Variant("Smith")}), Variant("Smith")}) {
        try {
            d.Locate("name;city", values, {});
            ADD_FAILURE() << "no exception";
        } catch (const EListError& e) {
            EXPECT_NE(std::string(e.what()).find("2 key fields (name;city) got 1 key values"),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_TRUE(searches_.empty());
    ExpectOn(d, 2);
}

TEST_F(SearchTest, AFailedSearchLeavesTheCursorWhereItWas)
{
    TVADODataSet& d = OpenPeople();
    d.Next();
    d.Next();
    ExpectOn(d, 3);
    EXPECT_FALSE(d.Locate("name", Variant("Nobody"), {})); // engine Find
    ExpectOn(d, 3);
    EXPECT_FALSE(d.Locate("name;city", VarArrayOf({Variant("Smith"), Variant("London")}), {})); // filter path
    ExpectOn(d, 3);
    EXPECT_FALSE(d.Locate("nosuchfield", Variant("x"), {}));
    EXPECT_FALSE(d.Locate("name;nosuchfield", VarArrayOf({Variant("Smith"), Variant("x")}), {}));
    ExpectOn(d, 3);
    EXPECT_TRUE(d.Lookup("name", Variant("Nobody"), "city").IsNull());
    ExpectOn(d, 3);
    ExpectNextIs(d, "Green");
}

TEST_F(SearchTest, OrInsideAFieldNameTakesTheFilterPathAndStillFinds)
{
    Exec("CREATE TABLE orders (orderno INTEGER PRIMARY KEY, item VARCHAR(10))");
    Exec("INSERT INTO orders VALUES (10, 'pen')");
    Exec("INSERT INTO orders VALUES (20, 'ink')");
    Exec("INSERT INTO orders VALUES (30, 'pad')");
    TVADODataSet& d = Open("SELECT orderno, item FROM orders ORDER BY orderno");
    d.Last();
    EXPECT_TRUE(d.Search("ORDERNO", "20", false, 0));
    EXPECT_EQ(d.FieldByName("item")->AsString(), "ink");
    EXPECT_EQ(d.RecNo(), 2);
    EXPECT_FALSE(d.Find("ORDERNO = 40"));
    EXPECT_EQ(d.FieldByName("item")->AsString(), "ink");
    d.Next();
    EXPECT_EQ(d.FieldByName("item")->AsString(), "pad");
}

TEST_F(SearchTest, FindWithOrLandsOnTheFirstMatchInViewOrder)
{
    TVADODataSet& d = OpenPeople();
    d.Last();
    EXPECT_TRUE(d.Find("name = 'Green' OR name = 'Jones'"));
    ExpectOn(d, 2);
    ExpectNextIs(d, "Brown");
}

TEST_F(SearchTest, FindRespectsTheDatasetFilter)
{
    TVADODataSet& d = Make("SELECT id, name, city FROM people ORDER BY id");
    d.SetFilterStr("city = 'Paris'");
    d.Open();
    EXPECT_FALSE(d.Locate("name;city", VarArrayOf({Variant("Jones"), Variant("London")}), {}));
    EXPECT_TRUE(d.Locate("name;city", VarArrayOf({Variant("Brown"), Variant("Paris")}), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 3);
    EXPECT_EQ(d.RecNo(), 2);
    EXPECT_EQ(d.RecordCount(), 2); // the filter is back after the search
}

TEST_F(SearchTest, SearchFillsTheValueWithLeadingZeros)
{
    Exec("CREATE TABLE codes (id INTEGER PRIMARY KEY, code VARCHAR(6))");
    Exec("INSERT INTO codes VALUES (1, '0012')");
    Exec("INSERT INTO codes VALUES (2, '0007')");
    Exec("INSERT INTO codes VALUES (3, '7')");
    TVADODataSet& d = Open("SELECT id, code FROM codes ORDER BY id");
    std::vector<std::string> seen;
    d.OnVerbose = [&](const AnsiString& text, TVerboseMode mode) {
        seen.push_back(text);
        (void)mode;
    };
    EXPECT_TRUE(d.Search("code", "7", false, 4));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 2);
    EXPECT_TRUE(d.Search(d.FieldByName("code"), "7", false, 0));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 3);
    EXPECT_TRUE(d.Search("code", "1", true, 3));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"code = '0007'", "code = '7'", "code LIKE '001%'"}));
    EXPECT_FALSE(d.Search("code", "", false, 4));
    EXPECT_FALSE(d.Search("", "7", false, 4));
    EXPECT_FALSE(d.Search(static_cast<TField*>(nullptr), "7", false, 4));
    EXPECT_FALSE(d.Search("nosuch", "7", false, 4));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 1);
}

TEST_F(SearchTest, LookupReturnsOneValueOrTheTextsRunTogether)
{
    TVADODataSet& d = OpenPeople();
    EXPECT_EQ(d.Lookup("id", Variant(2), "name;city").AsString(), "JonesLondon");
    ExpectOn(d, 2);
    const Variant qty = d.Lookup("name", Variant("Green"), "qty");
    EXPECT_EQ(qty.AsInteger(), 7);
    ExpectOn(d, 4);
    EXPECT_EQ(d.Lookup("name", Variant("Smith"), "city;nosuch;qty").AsString(), "Paris5");
    EXPECT_TRUE(d.Lookup("name", Variant("Smith"), "nosuch").IsNull());
    EXPECT_TRUE(d.Lookup("name", Variant("Brown"), "born").IsNull());
    ExpectOn(d, 3);
}

TEST_F(SearchTest, AnEmptyRecordsetFindsNothingButReportsTheSearch)
{
    TVADODataSet& d = Open("SELECT id, name FROM empty_table");
    std::vector<std::string> seen;
    d.OnVerbose = [&](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmSearch)
            seen.push_back(text);
    };
    int scrolls = 0;
    d.AfterScroll = [&](TDataSet*) { ++scrolls; };
    EXPECT_FALSE(d.Find("name = 'x'"));
    EXPECT_FALSE(d.Locate("name;id", VarArrayOf({Variant("x"), Variant(1)}), {}));
    EXPECT_TRUE(d.Lookup("id", Variant(1), "name").IsNull());
    EXPECT_EQ(seen, (std::vector<std::string>{"name = 'x'", "name = 'x' AND id = 1", "id = 1"}));
    EXPECT_EQ(scrolls, 0);
    EXPECT_TRUE(d.Eof());
    EXPECT_FALSE(d.Find(""));
}

TEST_F(SearchTest, EverySearchScrollsOnceFoundOrNot)
{
    TVADODataSet& d = OpenPeople();
    std::vector<std::string> events;
    d.BeforeScroll = [&](TDataSet*) { events.push_back("before"); };
    d.AfterScroll = [&](TDataSet*) { events.push_back("after"); };
    d.OnScroll = [&](TDataSet*) { events.push_back("scroll"); };
    EXPECT_TRUE(d.Locate("name", Variant("Jones"), {}));
    EXPECT_FALSE(d.Locate("name", Variant("Nobody"), {}));
    EXPECT_EQ(events, (std::vector<std::string>{"before", "after", "scroll", "before", "after", "scroll"}));
}

TEST_F(SearchTest, TheGridWindowFollowsAJumpToTheEnd)
{
    std::string sql = "SELECT id, name FROM tall ORDER BY id";
    Exec("CREATE TABLE tall (id INTEGER PRIMARY KEY, name VARCHAR(10))");
    for (int i = 1; i <= 20; ++i)
        Exec("INSERT INTO tall VALUES (" + std::to_string(i) + ", 'n" + std::to_string(i) + "')");
    TVADODataSet& d = Open(sql);
    EXPECT_TRUE(d.Locate("name", Variant("n18"), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 18);
    EXPECT_EQ(d.RecNo(), 18);
    for (int expected : {17, 16, 15, 14}) {
        d.Prior();
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), expected);
    }
    EXPECT_TRUE(d.Locate("id", Variant(3), {}));
    EXPECT_EQ(d.FieldByName("name")->AsString(), "n3");
    d.Next();
    EXPECT_EQ(d.FieldByName("name")->AsString(), "n4");
}

TEST_F(SearchTest, ABrokenCriteriaTextRaisesAndKeepsThePosition)
{
    TVADODataSet& d = OpenPeople();
    d.Next();
    EXPECT_THROW(d.Find("name = = 'x'"), Exception);
    EXPECT_THROW(d.Find("name = 'x' AND AND"), Exception);
    ExpectOn(d, 2);
    EXPECT_EQ(d.RecordCount(), 4);
    ExpectNextIs(d, "Brown");
}

} // namespace
} // namespace vmado::test
