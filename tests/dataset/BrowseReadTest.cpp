// Field reads of an unchanged record in browse state come straight from the engine's stored cells;
// the same record in edit state is read from its rendered record line. Both must give the same
// values, null-ness and cached blob lines, for every kind of stored text a column can hold.
#include "DataSetFixture.h"

#include <string>
#include <vector>

namespace vmado::test {
namespace {

class BrowseReadTest : public DataSetTest {
protected:
    // What a reader of every field sees of the active record.
    struct Seen {
        std::vector<bool> nulls;
        std::vector<std::string> values;
        std::string blobLine;
        bool operator==(const Seen&) const = default;
    };
    Seen Read(TVADODataSet& d)
    {
        Seen seen;
        for (Integer i = 0; i < d.Fields()->Count(); ++i) {
            TField* f = d.Fields()->Fields(i);
            seen.nulls.push_back(f->IsNull());
            const Variant v = f->AsVariant();
            seen.values.push_back(VarIsNull(v) ? "<null>" : f->AsString());
        }
        seen.blobLine = d.BlobValues()->Strings(0);
        return seen;
    }
};

TEST_F(BrowseReadTest, BrowseAndEditReadsOfEveryStoredFormAgree)
{
    const bool pg = Backend().Postgres();
    Exec(std::string("CREATE TABLE notes (id INTEGER PRIMARY KEY, code VARCHAR(6), memo ") +
         (pg ? "TEXT" : "CLOB") + ")");
    struct Case {
        const char* code;
        const char* memo;
    };
    const std::vector<Case> cases = {
        {"'abc'", "'hello world'"},
        {"NULL", "NULL"},
        {"''", "''"},
        {"'abcdef'", "'NONE'"}, // the placeholder as content
        {"'x'", pg ? "E'line one\\r\\nline two'" : "'line one' || char(13, 10) || 'line two'"},
        {"'a b  '", "'a memo longer than the sixteen bytes a short string keeps in place'"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        Exec("INSERT INTO notes VALUES (" + std::to_string(i + 1) + ", " + cases[i].code + ", " +
             cases[i].memo + ")");
    if (!pg) // SQLite keeps what it is given: a number in the text columns
        Exec("INSERT INTO notes VALUES (99, 12, 34)");
    TVADODataSet& d = Open("SELECT code, memo, id FROM notes ORDER BY id");
    int rows = 0;
    for (; !d.Eof(); d.Next(), ++rows) {
        SCOPED_TRACE(d.FieldByName("id")->AsString());
        const Seen browse = Read(d);
        d.Edit();
        const Seen edit = Read(d);
        d.Cancel();
        EXPECT_EQ(browse.values, edit.values);
        EXPECT_EQ(browse.nulls, edit.nulls);
        EXPECT_EQ(browse.blobLine, edit.blobLine);
        EXPECT_EQ(Read(d), browse) << "a second read differs";
    }
    EXPECT_EQ(rows, static_cast<int>(cases.size()) + (pg ? 0 : 1));
    // Spot checks against the data itself, so the agreement above is not an agreement on nothing.
    d.First();
    EXPECT_EQ(d.FieldByName("code")->AsString(), "abc");
    EXPECT_EQ(d.FieldByName("memo")->AsVariant().AsString(), "hello world");
    EXPECT_EQ(d.BlobValues()->Strings(0), "memo=hello world");
    d.Next();
    EXPECT_TRUE(d.FieldByName("code")->IsNull());
    EXPECT_TRUE(VarIsNull(d.FieldByName("memo")->AsVariant()));
    d.Next();
    // An empty text reads as no value, as it always has through the record line.
    EXPECT_TRUE(d.FieldByName("code")->IsNull());
    EXPECT_EQ(d.FieldByName("memo")->AsString(), "");
    EXPECT_EQ(d.BlobValues()->Strings(0), "memo=NONE");
    d.Next();
    EXPECT_EQ(d.FieldByName("memo")->AsString(), "NONE");
    d.Next();
    EXPECT_EQ(d.FieldByName("memo")->AsString(), "line one\r\nline two");
    d.Next();
    EXPECT_EQ(d.FieldByName("code")->AsString(), "a b  ");
}

TEST_F(BrowseReadTest, AModifiedMemoReadsItsNewContentUntilCancelled)
{
    Exec("CREATE TABLE notes (id INTEGER PRIMARY KEY, memo TEXT)");
    Exec("INSERT INTO notes VALUES (1, 'stored')");
    TVADODataSet& d = Open("SELECT id, memo FROM notes");
    TField* memo = d.FieldByName("memo");
    EXPECT_EQ(memo->AsString(), "stored");
    d.Edit();
    memo->SetAsString("typed");
    EXPECT_EQ(memo->AsString(), "typed");
    EXPECT_EQ(memo->AsVariant().AsString(), "typed");
    d.Cancel();
    EXPECT_EQ(memo->AsString(), "stored");
    EXPECT_EQ(d.BlobValues()->Strings(0), "memo=stored");
}

} // namespace
} // namespace vmado::test
