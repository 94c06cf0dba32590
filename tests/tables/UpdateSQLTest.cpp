// Update SQL on a real database: the user's statements run for posted and deleted records with
// new and OLD_ values, exactly one record or nothing changes, and each run uses the dataset's
// connection as it is then.
#include "TablesFixture.h"

#include "framework/db/Fields.h"
#include "framework/rtl/DateTime.h"

namespace vmado::test {
namespace {

class UpdateSQLTest : public TablesTest {
protected:
    TVADODataSet& OpenPeople(TVUpdateSQL& update)
    {
        people_ = std::make_unique<TVADODataSet>(nullptr);
        people_->SetConnection(ConnectionString());
        people_->SetCommand("SELECT * FROM people ORDER BY id");
        people_->SetUpdateObject(&update);
        people_->Open();
        return *people_;
    }
    void TearDown() override
    {
        people_.reset();
        TablesTest::TearDown();
    }
    std::unique_ptr<TVADODataSet> people_;
};

TEST_F(UpdateSQLTest, ModifyWritesNewValuesFoundByOldOnes)
{
    TVUpdateSQL update;
    update.ModifySQL()->SetText(
        "UPDATE people SET name = :name, city = :city, seen = :seen\r\n"
        "WHERE id = :OLD_id AND name = :Old_Name AND born = :OLD_born AND seen = :OLD_seen");
    std::vector<AnsiString> verbose;
    update.OnModifyVerbose = [&](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmExecute)
            verbose.push_back(text);
    };
    TVADODataSet& people = OpenPeople(update);
    ASSERT_TRUE(people.Locate("id", Variant(2), {}));
    people.Edit();
    people.FieldByName("name")->SetAsString("O'Neil: who?");
    people.FieldByName("city")->Clear();
    people.FieldByName("seen")->SetAsDateTime(EncodeDateTime(2024, 3, 4, 15, 16, 17, 0));
    people.Post();

    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 2"), "O'Neil: who?");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE id = 2 AND city IS NULL"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE seen = '2024-03-04 15:16:17'"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "4");
    ASSERT_EQ(verbose.size(), 1u);
    EXPECT_NE(verbose[0].find("WHERE id = 2 AND name = 'Jones' AND born = {d '1993-01-01' } AND seen = {d "
                              "'2024-01-05 02:05:09 PM' }"),
              AnsiString::npos)
        << verbose[0];
    EXPECT_EQ(update.GetQuery(ukModify)->RowsAffected(), 1);
}

TEST_F(UpdateSQLTest, InsertAndDelete)
{
    TVUpdateSQL update;
    update.InsertSQL()->SetText(
        "INSERT INTO people (id, name, city, qty, born) VALUES (:id, :name, :city, :qty, :born)");
    update.DeleteSQL()->SetText("DELETE FROM people WHERE id = :old_id AND name = :OLD_NAME");
    TVADODataSet& people = OpenPeople(update);

    people.Append();
    people.FieldByName("id")->SetAsInteger(10);
    people.FieldByName("name")->SetAsString("New 'one'");
    people.FieldByName("qty")->SetAsInteger(3);
    people.FieldByName("born")->SetAsDateTime(EncodeDate(2024, 2, 29));
    people.Post();
    EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 10"), "New 'one'");
    EXPECT_EQ(
        Scalar(
            "SELECT COUNT(*) FROM people WHERE id = 10 AND city IS NULL AND qty = 3 AND born = '2024-02-29'"),
        "1");

    // A record the user only browsed: its old values are the ones it shows.
    ASSERT_TRUE(people.Locate("id", Variant(3), {}));
    EXPECT_EQ(people.FieldByName("name")->OldValue().AsString(), "Brown");
    people.Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE id = 3"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "4");
}

TEST_F(UpdateSQLTest, AnythingButOneRecordFailsAndChangesNothing)
{
    struct Case {
        const char* Name;
        const char* Modify;
    } cases[] = {
        {"two records", "UPDATE people SET qty = :qty WHERE city = :OLD_city"},
        {"no record", "UPDATE people SET qty = :qty WHERE id = -1"},
        {"empty statement", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TVUpdateSQL update;
        update.ModifySQL()->SetText(c.Modify);
        TVADODataSet& people = OpenPeople(update);
        ASSERT_TRUE(people.Locate("id", Variant(1), {}));
        people.Edit();
        people.FieldByName("qty")->SetAsInteger(99);
        try {
            people.Post();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), "Update Failed!");
        }
        EXPECT_EQ(people.State(), dsEdit);
        people.Cancel();
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE qty = 99"), "0");
        EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "5");
        EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 3"), "0");
        people_.reset();
    }
}

TEST_F(UpdateSQLTest, ParameterOfNoFieldKeepsItsValueAndNewStatementsParseAgain)
{
    TVUpdateSQL update;
    update.ModifySQL()->SetText("UPDATE people SET note = :extra WHERE id = :OLD_id");
    TVADODataSet& people = OpenPeople(update);
    update.GetQuery(ukModify)->ParamByName("extra")->SetAsString("kept");
    ASSERT_TRUE(people.Locate("id", Variant(4), {}));
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(8);
    people.Post();
    EXPECT_EQ(Scalar("SELECT note FROM people WHERE id = 4"), "kept");

    update.ModifySQL()->SetText("UPDATE people SET qty = :qty WHERE id = :OLD_id");
    ASSERT_EQ(update.GetQuery(ukModify)->GetParamsCount(), 2);
    EXPECT_EQ(update.GetQuery(ukModify)->Params()->FindParam("extra"), nullptr);
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(9);
    people.Post();
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 4"), "9");
}

TEST_F(UpdateSQLTest, EachApplyUsesTheDatasetsCurrentConnection)
{
    TVUpdateSQL update;
    update.ModifySQL()->SetText("UPDATE people SET qty = :qty WHERE id = :OLD_id");
    TVADODataSet& people = OpenPeople(update);
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(50);
    people.Post();
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "50");

    // A second database with its own copy of the table.
    const auto secondDir = dir_.Path() / "second";
    std::filesystem::create_directories(secondDir);
    const std::string second = Backend().FreshDatabase(secondDir);
    {
        TVQuery setup;
        setup.SetConnection(second);
        setup.ExecSQL(
            AnsiString("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(30),"
                       " qty INTEGER, born DATE, seen TIMESTAMP, note VARCHAR(40))"));
        setup.ExecSQL(AnsiString("INSERT INTO people (id, name, qty) VALUES (1, 'Other', 1)"));
    }
    people.Close();
    people.SetConnection(second);
    people.Open();
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(60);
    people.Post();

    TVQuery check;
    check.SetConnection(second);
    TStringList sql;
    sql.SetText("SELECT qty FROM people WHERE id = 1");
    check.SetQuery(&sql);
    check.Open();
    EXPECT_EQ(check.FieldByName("qty")->AsInteger(), 60);
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "50");
}

TEST_F(UpdateSQLTest, FreeingTheUpdateObjectWhileInUseIsClean)
{
    auto* update = new TVUpdateSQL(nullptr);
    update->ModifySQL()->SetText("UPDATE people SET qty = :qty WHERE id = :OLD_id");
    TVADODataSet& people = OpenPeople(*update);
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(21);
    people.Post();
    delete update;
    EXPECT_EQ(people.UpdateObject(), nullptr);
    // Posting again goes through the recordset itself.
    people.Edit();
    people.FieldByName("qty")->SetAsInteger(22);
    people.Post();
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "22");

    // The other way round: the dataset goes first, the update object stays usable.
    TVUpdateSQL survivor;
    survivor.ModifySQL()->SetText("UPDATE people SET qty = :qty WHERE id = :OLD_id");
    OpenPeople(survivor);
    people_.reset();
    EXPECT_EQ(survivor.GetDataSet(), nullptr);
    EXPECT_THROW(survivor.Apply(ukModify), EDatabaseError);
}

} // namespace
} // namespace vmado::test
