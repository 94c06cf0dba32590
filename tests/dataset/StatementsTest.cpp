// Generated INSERT, UPDATE and DELETE statements: their exact text from the current record, and
// that each one runs through InternalSQL and touches exactly its row on this backend.
#include "PostingFixture.h"

#include "framework/rtl/Locale.h"

namespace vmado::test {

namespace {

class StatementsTest : public PostingTest {};

const char* const kJonesWhere =
    " WHERE people.id = 2 AND people.name = 'Jones' AND people.city = 'London' AND people.qty = 12"
    " AND (people.born >= #1993-01-01# AND people.born < #1993-01-01 12:00:01 AM#)"
    " AND (people.seen >= #2024-01-05 02:05:09 PM# AND people.seen < #2024-01-05 02:05:10 PM#)"
    " AND people.note = 'say \"hi\"' "; // the blank before the removed last AND stays

TEST_F(StatementsTest, UpdateSetsOnlyTheChangedColumnAndComparesEveryOldValue)
{
    TVADODataSet& ds = Open("SELECT * FROM people ORDER BY id");
    GoTo(ds, 2);
    ds.Edit();
    ds.FieldByName("name")->SetAsString("O'Brien");
    const AnsiString sql = ds.ModifySQL();
    EXPECT_EQ(sql, std::string("UPDATE people SET name = 'O''Brien'") + kJonesWhere);
    EXPECT_EQ(ds.InternalSQL(sql), 1);
    ds.Cancel();
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 2"), "O'Brien");
}

TEST_F(StatementsTest, NullsAndEmptyValuesAreNamedInEveryClause)
{
    TVADODataSet& ds = Open("SELECT * FROM people ORDER BY id");
    GoTo(ds, 3); // born, seen and note are NULL
    ds.Edit();
    ds.FieldByName("qty")->Clear();
    ds.FieldByName("city")->SetAsString("It's");
    const AnsiString update = ds.ModifySQL();
    EXPECT_EQ(update,
              "UPDATE people SET city = 'It''s', qty = NULL WHERE people.id = 3 AND people.name = 'Brown'"
              " AND people.city = 'Paris' AND people.qty = 0 AND people.born IS NULL"
              " AND people.seen IS NULL AND people.note IS NULL ");
    EXPECT_EQ(ds.InternalSQL(update), 1);
    ds.Cancel();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE id = 3 AND qty IS NULL AND city = 'It''s'"), "1");
    GoTo(ds, 4); // note is an empty string, not NULL
    const AnsiString deletion = ds.DeleteSQL();
    EXPECT_NE(deletion.find(" AND people.note = ''"), std::string::npos) << deletion;
    EXPECT_EQ(deletion.rfind("DELETE FROM people WHERE people.id = 4 AND ", 0), 0u) << deletion;
    EXPECT_EQ(ds.InternalSQL(deletion), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE id = 4"), "0");
}

TEST_F(StatementsTest, UpdateWithoutChangesIsTheTableAndTheWhereClause)
{
    TVADODataSet& ds = Open("SELECT * FROM people ORDER BY id");
    GoTo(ds, 2);
    EXPECT_EQ(ds.ModifySQL(), std::string("UPDATE people SET ") + kJonesWhere);
    EXPECT_EQ(ds.GenerateUpdate(), kJonesWhere);
    EXPECT_EQ(ds.DeleteSQL(), std::string("DELETE FROM people") + kJonesWhere);
}

TEST_F(StatementsTest, InsertNamesEveryColumnOfTheTableAndRuns)
{
    TVADODataSet& ds = Open("SELECT * FROM people ORDER BY id");
    ds.Append();
    ds.FieldByName("id")->SetAsInteger(10);
    ds.FieldByName("name")->SetAsString("It's");
    ds.FieldByName("born")->SetAsDateTime(EncodeDate(2024, 2, 3));
    ds.FieldByName("seen")->SetAsDateTime(EncodeDate(2024, 2, 3) + EncodeTime(13, 2, 3, 0));
    const AnsiString sql = ds.InsertSQL();
    EXPECT_EQ(sql,
              "INSERT INTO people ( id, name, city, qty, born, seen, note ) VALUES ( 10, 'It''s', NULL, NULL,"
              " #2024-02-03#, #2024-02-03 01:02:03 PM#, NULL ) ");
    EXPECT_EQ(ds.InternalSQL(sql), 1);
    ds.Cancel();
    ds.Close();
    ds.Open();
    GoTo(ds, 10);
    EXPECT_EQ(ds.FieldByName("name")->AsString(), "It's");
    EXPECT_EQ(ds.FieldByName("born")->AsDateTime(), EncodeDate(2024, 2, 3));
    EXPECT_EQ(ds.FieldByName("seen")->AsDateTime(), EncodeDate(2024, 2, 3) + EncodeTime(13, 2, 3, 0));
    EXPECT_TRUE(ds.FieldByName("qty")->IsNull());
}

TEST_F(StatementsTest, InsertLeavesOutTheAutoIncrementKeyAndOtherTables)
{
    Exec("CREATE TABLE towns (id INTEGER PRIMARY KEY, label VARCHAR(20))");
    Exec("INSERT INTO towns VALUES (1, 'Big')");
    TVADODataSet& ds = Make("SELECT people.id, people.name, towns.label FROM people, towns"
                            " WHERE towns.id = people.id ORDER BY people.id");
    ds.SetPrimaryKey("id");
    ds.Open();
    // Every field's Origin names the command's table; the caller tells which come from another.
    ASSERT_EQ(ds.FieldByName("label")->Origin(), "people.label");
    ds.FieldByName("label")->SetOrigin("towns.label");
    EXPECT_EQ(ds.ModifySQL(), "UPDATE people SET  WHERE people.id = 1 AND people.name = 'Smith' ");
    ds.Edit();
    ds.FieldByName("label")->SetAsString("Small");
    ds.FieldByName("name")->SetAsString("Smyth");
    EXPECT_EQ(ds.ModifySQL(),
              "UPDATE people SET name = 'Smyth' WHERE people.id = 1 AND people.name = 'Smith' ");
    ds.Cancel();
    ds.Insert();
    ds.FieldByName("name")->SetAsString("Who");
    ds.FieldByName("label")->SetAsString("Where");
    EXPECT_EQ(ds.InsertSQL(), "INSERT INTO people ( name ) VALUES ( 'Who' ) ");
    ds.Cancel();
}

TEST_F(StatementsTest, BooleansAndFloatsRunOnTheBackend)
{
    MakeGadgets();
    TVADODataSet& ds = Open("SELECT id, flag, price, code FROM gadgets ORDER BY id");
    GoTo(ds, 1);
    ds.Edit();
    ds.FieldByName("flag")->SetAsBoolean(true);
    ds.FieldByName("price")->SetAsFloat(0.1);
    const AnsiString update = ds.ModifySQL();
    EXPECT_EQ(update, "UPDATE gadgets SET flag = -1, price = 0.1 WHERE gadgets.id = 1 AND gadgets.flag = 0"
                      " AND gadgets.price = 1.5 AND gadgets.code = 'a' ");
    EXPECT_EQ(ds.InternalSQL(update), 1);
    ds.Cancel();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM gadgets WHERE id = 1 AND flag = TRUE AND price = 0.1"), "1");
    ds.Append();
    ds.FieldByName("id")->SetAsInteger(3);
    ds.FieldByName("flag")->SetAsBoolean(true);
    ds.FieldByName("price")->SetAsFloat(-2.5);
    ds.FieldByName("code")->SetAsString("c");
    const AnsiString insert = ds.InsertSQL();
    EXPECT_EQ(insert, "INSERT INTO gadgets ( id, flag, price, code ) VALUES ( 3, TRUE, -2.5, 'c' ) ");
    EXPECT_EQ(ds.InternalSQL(insert), 1);
    ds.Cancel();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM gadgets WHERE id = 3 AND flag = TRUE AND price = -2.5"), "1");
    ds.Close();
    ds.Open();
    GoTo(ds, 1);
    const AnsiString deletion = ds.DeleteSQL();
    EXPECT_NE(deletion.find("gadgets.flag = -1 AND gadgets.price = 0.10000000000000001"), std::string::npos)
        << deletion;
    EXPECT_EQ(ds.InternalSQL(deletion), 1);
}

TEST_F(StatementsTest, NumbersKeepAPointWhateverTheLocale)
{
    MakeGadgets();
    {
        TFormatSettings settings = FormatSettings();
        settings.DecimalSeparator = ',';
        settings.ThousandSeparator = '.';
        ScopedFormatSettings scoped(settings);
        TVADODataSet& ds = Open("SELECT id, price FROM gadgets ORDER BY id");
        GoTo(ds, 2);
        ds.Edit();
        ds.FieldByName("price")->SetAsFloat(3.75);
        const AnsiString update = ds.ModifySQL();
        EXPECT_EQ(update, "UPDATE gadgets SET price = 3.75 WHERE gadgets.id = 2 AND gadgets.price = 2.25 ");
        EXPECT_EQ(ds.InternalSQL(update), 1);
        ds.Cancel();
        ds.Close();
    }
    EXPECT_EQ(Scalar("SELECT price FROM gadgets WHERE id = 2"), "3.75");
}

TEST_F(StatementsTest, NoTableMeansNoStatement)
{
    TVADODataSet& ds = Open("SELECT 1 AS one");
    EXPECT_EQ(ds.InsertSQL(), "");
    EXPECT_EQ(ds.ModifySQL(), "");
    EXPECT_EQ(ds.DeleteSQL(), "");
    EXPECT_EQ(ds.GenerateUpdate(), "");
}

TEST_F(StatementsTest, WhereClauseNeedsAFieldForEveryColumn)
{
    TVADODataSet& ds = Make("SELECT id, name FROM people ORDER BY id");
    auto* id = new TIntegerField(&ds); // persistent fields: only id, no name
    id->SetFieldName("id");
    id->SetDataSet(&ds);
    ds.Open();
    try {
        ds.GenerateUpdate();
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("'name' not found"), std::string::npos) << e.what();
    }
}

} // namespace

} // namespace vmado::test
