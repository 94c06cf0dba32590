// The record line: comma-text entries rendered into a text area sized for the worst case; no
// byte outside the area is touched, the terminator stays inside, and a line that would not fit
// is refused instead of cut.
#include "AdoBaseFixture.h"

#include "ado/ADOBasePrivate.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace vmado::test {

std::unique_ptr<TFields> RecordLine_MakeFields(const std::vector<std::string>& names,
                                               const std::vector<std::string>& blobs);

namespace {

class RecordLine : public WrapperTest {
protected:
    // The dataset's fields: one per name; those listed in blobs are blob fields.
    std::unique_ptr<TFields> Fields(const std::vector<std::string>& names,
                                    const std::vector<std::string>& blobs = {})
    {
        return RecordLine_MakeFields(names, blobs);
    }

    // A buffer with guard bytes after the text area, to catch writes beyond it.
    struct Buffer {
        std::vector<char> bytes;
        Integer recSize;
        explicit Buffer(Integer size) : bytes(static_cast<size_t>(size) + 16, '\xAB'), recSize(size) {}
        char* data() { return bytes.data(); }
        std::string Line() const { return std::string(bytes.data()); }
        bool GuardIntact() const
        {
            for (size_t i = static_cast<size_t>(recSize); i < bytes.size(); ++i)
                if (bytes[i] != '\xAB')
                    return false;
            return true;
        }
    };

    std::vector<std::string> Split(const std::string& line)
    {
        TStringList list;
        list.SetCommaText(line);
        return Items(list);
    }
};

TEST_F(RecordLine, RecSizeCountsEveryEntryAtItsWorstCase)
{
    Exec("CREATE TABLE sizes (t VARCHAR(20), big VARCHAR(100000), b " + Backend().BlobType() +
         ", i INTEGER)");
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM sizes");
    auto fields = Fields({"t", "big", "b", "i"}, {"b", "big2"});
    // Twenty characters take up to twenty times the longest character of the code page.
    const Integer textBound = adobase::FieldTextBound(adVarChar, 20);
    EXPECT_EQ(textBound, 20 * AnsiMaxCharSize());
    const Integer expected =
        (2 * textBound + 3) + (2 * 65000 + 3) + 11 + (2 * adobase::FieldTextBound(adInteger, 4) + 3);
    EXPECT_EQ(r->CalcRecSize(*fields), expected);
    EXPECT_EQ(r->RecSize, expected);
    EXPECT_EQ(Items(*r->BlobFields), (std::vector<std::string>{"b"}));
}

TEST_F(RecordLine, ClosedRecordsetHasNoTextArea)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    auto fields = Fields({"id"});
    EXPECT_EQ(r.CalcRecSize(*fields), 0);
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_THROW(r.LoadRecord(buf, false), EDatabaseError);
    EXPECT_EQ(buf[0], 'x');
}

TEST_F(RecordLine, ValuesRenderAsTheirStandardTexts)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT id, name, born, seen, note FROM people ORDER BY id");
    auto fields = Fields({"id", "name", "born", "seen", "note"});
    Buffer buf(r->CalcRecSize(*fields));
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "1,Smith,2024-01-05,2024-01-05,\"a, b\"");
    EXPECT_TRUE(buf.GuardIntact());
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(Split(buf.Line()),
              (std::vector<std::string>{"2", "Jones", "1993-01-01", "2024-01-05 02:05:09 PM", "say \"hi\""}));
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(Split(buf.Line()), (std::vector<std::string>{"3", "Brown", "", "", ""}));
    EXPECT_TRUE(buf.GuardIntact());
}

TEST_F(RecordLine, BlankBuffersAndPositionsOffRecordsHaveEmptyEntries)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT id, name, note FROM people ORDER BY id");
    auto fields = Fields({"id", "name", "note"}, {"note"});
    Buffer buf(r->CalcRecSize(*fields));
    r->Next();
    r->LoadRecord(buf.data(), true);
    EXPECT_EQ(buf.Line(), "\"\",\"\",\"\"");
    r->First(); // before the first record
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "\"\",\"\",\"\"");
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "1,Smith,(Blob)");
    // A Null blob has no mark: its entry is empty, like any Null.
    r->Next();
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "3,Brown,\"\"");
    EXPECT_TRUE(buf.GuardIntact());
}

TEST_F(RecordLine, AFullLineOfDoubledQuotesKeepsItsTerminatorInside)
{
    ScopedCodePage singleByte(CP_1250); // where a line of quotes is the worst case, to the byte
    Exec("CREATE TABLE q (a VARCHAR(5), b VARCHAR(3))");
    Exec("INSERT INTO q VALUES ('\"\"\"\"\"', '\"\"\"')");
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM q");
    auto fields = Fields({"a", "b"});
    const Integer size = r->CalcRecSize(*fields);
    EXPECT_EQ(size, (2 * 5 + 3) + (2 * 3 + 3));
    Buffer buf(size);
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(Split(buf.Line()), (std::vector<std::string>{"\"\"\"\"\"", "\"\"\""}));
    // 12 bytes, a comma, 8 bytes and the terminator: the whole area, and not one byte more.
    EXPECT_EQ(buf.Line().size() + 1, static_cast<size_t>(size));
    EXPECT_TRUE(buf.GuardIntact());
}

TEST_F(RecordLine, AFullLineOfMultiByteCharactersFitsInUtf8)
{
    // Three bytes a character, the most a character takes in UTF-16 without a surrogate pair.
    if (Backend().Name() == "odbc-sqlite")
        GTEST_SKIP() << "the SQLite ODBC driver keeps only the low byte of each UTF-16 unit it is sent";
    ScopedCodePage utf8(CP_UTF8);
    Exec("CREATE TABLE e (a VARCHAR(3), b VARCHAR(2))");
    Exec("INSERT INTO e VALUES ('日本語', '\"日')");
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM e");
    auto fields = Fields({"a", "b"});
    Buffer buf(r->CalcRecSize(*fields));
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(Split(buf.Line()), (std::vector<std::string>{"日本語", "\"日"}));
    EXPECT_TRUE(buf.GuardIntact());
}

TEST_F(RecordLine, TheProviderGrowsABudgetToTheLongestValueStored)
{
    // SQLite keeps whatever it is given, whatever the declared type: a long text in a column
    // declared numeric must still reach the line whole.
    VMADO_EMBEDDED_SQLITE_ONLY();
    Exec("CREATE TABLE o (a VARCHAR(3), n DOUBLE)");
    Exec("INSERT INTO o VALUES ('abc', 1.5)");
    Exec("INSERT INTO o VALUES ('abcdef', printf('%.200c', 'x'))");
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM o ORDER BY rowid");
    auto fields = Fields({"a", "n"});
    Buffer buf(r->CalcRecSize(*fields));
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "abc,1.5");
    r->Next();
    r->LoadRecord(buf.data(), false);
    EXPECT_EQ(buf.Line(), "abcdef," + std::string(200, 'x'));
    EXPECT_TRUE(buf.GuardIntact());
}

TEST(RecordLineWriter, AnEntryBeyondItsShareIsRefusedAndNothingIsWritten)
{
    const std::vector<Integer> budgets = {2 * 3 + 3, 11};
    const struct {
        std::vector<std::string> Entries;
        const char* Error; // empty: fits
    } rows[] = {
        {{"abc", "(Blob)"}, ""},
        {{"\"\"\"", "(Blob)"}, ""},
        {{"abcdefgh", "0123456789"}, ""}, // unquoted texts need less than the worst case
        {{"abcdefghi", "(Blob)"},
         "Value of field 'f0' (9 characters) does not fit its record entry of 9 bytes"},
        {{"a", "0123456789A"},
         "Value of field 'f1' (11 characters) does not fit its record entry of 11 bytes"},
        {{std::string("a\0b", 3), "x"}, "Field 'f0' holds a zero byte"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Error);
        std::vector<char> buffer(20 + 4, 'z');
        try {
            adobase::RecordLineWriter writer(budgets, 20);
            for (size_t i = 0; i < row.Entries.size(); ++i)
                writer.Add("f" + std::to_string(i), row.Entries[i]);
            writer.Write(buffer.data());
            EXPECT_STREQ(row.Error, "");
            EXPECT_LE(std::strlen(buffer.data()), 19u);
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(row.Error), std::string::npos) << e.what();
            EXPECT_NE(std::string(row.Error), "");
            EXPECT_EQ(buffer[0], 'z');
        }
        EXPECT_EQ(std::string(buffer.end() - 4, buffer.end()), "zzzz");
    }
}

TEST(RecordLineWriter, ALineBeyondTheAreaIsRefused)
{
    const std::vector<Integer> budgets; // no shares known: only the area counts
    std::vector<char> buffer(8, 'z');
    adobase::RecordLineWriter fits(budgets, 4);
    fits.Add("a", "ab");
    fits.Add("b", "");
    EXPECT_THROW(fits.Write(buffer.data()), EDatabaseError); // 'ab,""' is 5 bytes + terminator
    EXPECT_EQ(buffer[0], 'z');
    adobase::RecordLineWriter small(budgets, 4);
    small.Add("a", "a");
    small.Add("b", "b");
    small.Write(buffer.data());
    EXPECT_STREQ(buffer.data(), "a,b");
    EXPECT_EQ(buffer[4], 'z');
}

} // namespace
} // namespace vmado::test

namespace vmado::test {

// The framework's field classes without a dataset: string fields, and blob fields for the
// names listed in blobs. The list owns and frees them.
std::unique_ptr<TFields> RecordLine_MakeFields(const std::vector<std::string>& names,
                                               const std::vector<std::string>& blobs)
{
    auto fields = std::make_unique<TFields>(nullptr);
    for (const auto& n : names) {
        const bool blob = std::find(blobs.begin(), blobs.end(), n) != blobs.end();
        TField* f = blob ? static_cast<TField*>(new TMemoField(nullptr)) : new TStringField(nullptr);
        f->SetFieldName(n);
        fields->Add(f);
    }
    return fields;
}

} // namespace vmado::test
