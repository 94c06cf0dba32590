// Text in the UTF-8 code page through the dataset: names in any script, emoji and bytes that are
// not UTF-8 at all read, edit, post, sort, filter and locate exactly, with no '?' anywhere; string
// fields take as many characters as declared, whatever their bytes.
#include "PostingFixture.h"

#include "framework/rtl/CodePage.h"

#include <vector>

namespace vmado::test {
namespace {

const TLockType kLockTypes[] = {ltLockBatchOptimistic, ltLockOptimistic};

class Utf8TextTest : public PostingTest {
protected:
    void SetUp() override
    {
        PostingTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec("INSERT INTO people (id, name, city) VALUES (5, 'João', 'São Paulo')");
        Exec("INSERT INTO people (id, name, city) VALUES (6, '日本語', '東京')");
        Exec("INSERT INTO people (id, name, city) VALUES (7, '😀 Smile', '🌍')");
        Exec("INSERT INTO people (id, name, city) VALUES (8, 'Ωμέγα', 'Αθήνα')");
        Exec("INSERT INTO people (id, name, city) VALUES (9, 'Жуков', 'Москва')");
    }

    std::vector<std::string> Names(TVADODataSet& d)
    {
        std::vector<std::string> out;
        for (d.First(); !d.Eof(); d.Next())
            out.push_back(d.FieldByName("name")->AsString());
        return out;
    }

    ScopedCodePage utf8_{CP_UTF8}; // before any connection opens
};

TEST_F(Utf8TextTest, ReadsEveryScriptExactly)
{
    TVADODataSet& d = Open("SELECT id, name, city FROM people ORDER BY id");
    const std::vector<std::string> cities = {"Paris", "London", "Paris", "Pecs",  "São Paulo",
                                             "東京",  "🌍",      "Αθήνα", "Москва"};
    std::vector<std::string> read;
    for (d.First(); !d.Eof(); d.Next())
        read.push_back(d.FieldByName("city")->AsString());
    EXPECT_EQ(read, cities);
    EXPECT_EQ(Names(d)[4], "João");
    EXPECT_EQ(Names(d)[6], "😀 Smile");
}

TEST_F(Utf8TextTest, PostsEditsAndInsertsOfAsManyCharactersAsDeclared)
{
    // name is VARCHAR(20): twenty characters, however many bytes they take.
    const std::string longest = "Joãozinho 日本 😀 Ωж!"; // 18 characters, 29 bytes
    std::string emoji;
    for (int i = 0; i < 20; ++i)
        emoji += "😀"; // 20 characters, 80 bytes
    for (TLockType lock : kLockTypes) {
        SCOPED_TRACE(static_cast<int>(lock));
        TVADODataSet& d = OpenLocked("SELECT * FROM people ORDER BY id", lock);
        GoTo(d, 5);
        d.Edit();
        d.FieldByName("name")->SetAsString(longest);
        d.FieldByName("qty")->SetAsInteger(1); // a change elsewhere must not touch the city either
        d.Post();
        GoTo(d, 6);
        d.Edit();
        d.FieldByName("name")->SetAsString(emoji);
        d.Post();
        d.Insert();
        d.FieldByName("id")->SetAsInteger(lock == ltLockOptimistic ? 20 : 21);
        d.FieldByName("name")->SetAsString("Ana 日本 🌍");
        d.Post();
        EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 5"), longest);
        EXPECT_EQ(Scalar("SELECT city FROM people WHERE id = 5"), "São Paulo");
        EXPECT_EQ(Scalar("SELECT name FROM people WHERE id = 6"), emoji);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people WHERE name = 'Ana 日本 🌍'"), "1");
        d.Close();
        d.Open();
        GoTo(d, 6);
        EXPECT_EQ(d.FieldByName("name")->AsString(), emoji);
        // One character more is refused with its length in characters, not cut.
        d.Edit();
        try {
            d.FieldByName("name")->SetAsString(emoji + "x");
            ADD_FAILURE() << "no exception";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("21 characters"), std::string::npos) << e.what();
        }
        d.Cancel();
        d.Close();
        Exec("DELETE FROM people WHERE id >= 20");
    }
}

TEST_F(Utf8TextTest, SortsFiltersAndLocatesByTheStoredText)
{
    TVADODataSet& d = Open("SELECT id, name, city FROM people");
    d.SetSortStr("name");
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Brown", "Green", "Jones", "João", "Smith", "Ωμέγα",
                                                  "Жуков", "日本語", "😀 Smile"}));
    d.SetSortStr("");

    struct Row {
        const char* filter;
        std::vector<std::string> names;
    } rows[] = {
        {"name = 'João'", {"João"}},      {"city = '東京'", {"日本語"}},
        {"name LIKE 'Jo_o'", {"João"}}, // '_' is one character, not one byte
        {"name LIKE '_本_'", {"日本語"}}, {"name LIKE '😀%'", {"😀 Smile"}},
        {"city LIKE '%ã%'", {"João"}},    {"name > 'Smith' AND name < '日'", {"Ωμέγα", "Жуков"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.filter);
        d.SetFilterStr(r.filter);
        EXPECT_EQ(Names(d), r.names);
    }
    d.SetFilterStr("");

    EXPECT_TRUE(d.Locate("name", Variant("日本語"), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 6);
    EXPECT_TRUE(d.Locate("city", Variant("São Paulo"), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 5);
    EXPECT_TRUE(d.Locate("name", Variant("Ωμ"), {loPartialKey}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 8);
    EXPECT_TRUE(d.Locate("city", Variant("🌍"), {}));
    EXPECT_EQ(d.FieldByName("name")->AsString(), "😀 Smile");
    EXPECT_FALSE(d.Locate("name", Variant("Joao"), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 7);
}

TEST_F(Utf8TextTest, CaseInsensitiveSearchFoldsLettersBeyondAscii)
{
    TVADODataSet& d = Open("SELECT id, name, city FROM people ORDER BY id");
    struct Row {
        const char* filter;
        std::vector<std::string> names;
    } rows[] = {
        {"{fn UCASE(name)} = 'JOÃO'", {"João"}},    {"{fn UCASE(name)} = {fn UCASE('joão')}", {"João"}},
        {"{fn UCASE(city)} LIKE 'SÃO%'", {"João"}}, {"{fn LCASE(name)} = 'ωμέγα'", {"Ωμέγα"}},
        {"{fn UCASE(city)} = 'МОСКВА'", {"Жуков"}}, {"{fn LCASE(name)} LIKE 'жу_ов'", {"Жуков"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.filter);
        d.SetFilterStr(r.filter);
        EXPECT_EQ(Names(d), r.names);
    }
    d.SetFilterStr("");
    EXPECT_TRUE(d.Find("{fn UCASE(city)} = 'ΑΘΉΝΑ'"));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 8);
}

TEST_F(Utf8TextTest, BytesThatAreNotUtf8ComeBackUnchanged)
{
    // Only SQLite stores text that is not valid UTF-8: 0xE3 is 'ã' in Windows-1252.
    VMADO_EMBEDDED_SQLITE_ONLY();
    Exec("INSERT INTO people (id, name, city) VALUES (10, CAST(X'4A6FE36F' AS TEXT), 'x')");
    Exec("CREATE TABLE nokey (name VARCHAR(10), qty INTEGER)");
    Exec("INSERT INTO nokey VALUES (CAST(X'4A6FE36F' AS TEXT), 1)");
    Exec("INSERT INTO nokey VALUES ('Jo?o', 1)");
    for (const char* sql : {"SELECT * FROM people ORDER BY id", "SELECT * FROM nokey"}) {
        SCOPED_TRACE(sql);
        TVADODataSet& d = Open(sql);
        EXPECT_TRUE(d.Locate("name", Variant("Jo\xE3o"), {}));
        EXPECT_EQ(d.FieldByName("name")->AsString(), "Jo\xE3o");
        d.Edit();
        d.FieldByName("qty")->SetAsInteger(42);
        d.Post();
        d.Close();
    }
    EXPECT_EQ(Scalar("SELECT hex(name) || ' ' || qty FROM people WHERE id = 10"), "4A6FE36F 42");
    EXPECT_EQ(Scalar("SELECT hex(name) || ' ' || qty FROM nokey ORDER BY rowid"), "4A6FE36F 42");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM nokey WHERE name = 'Jo?o' AND qty = 1"), "1");
}

} // namespace
} // namespace vmado::test
