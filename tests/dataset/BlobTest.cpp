// Memo and binary fields through blob streams on a real database: content read from the engine
// for the active record, positioned reads and writes, truncation, the modified flag, and the
// content posted back byte for byte (zero bytes and bytes from 0x80 up included).
#include "DataSetFixture.h"
#include "framework/rtl/CodePage.h"

#include "framework/classes/Streams.h"

#include <string>

namespace vmado::test {
namespace {

const std::string kBytes("\x00\x01\x7f\x80\xff"
                         "A\x00",
                         7);

class BlobTest : public DataSetTest {
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const bool pg = Backend().Postgres();
        Exec(std::string("CREATE TABLE docs (id INTEGER PRIMARY KEY, memo ") + (pg ? "TEXT" : "CLOB") +
             ", data " + Backend().BlobType() + ")");
        Exec("INSERT INTO docs VALUES (1, 'hello world', " +
             Hex("0001"
                 "7f80ff"
                 "4100") +
             ")");
        Exec("INSERT INTO docs VALUES (2, 'NONE', NULL)");
        Exec("INSERT INTO docs VALUES (3, NULL, " + Hex("ff") + ")");
        Exec("INSERT INTO docs VALUES (4, 'four', NULL)");
    }
    static std::string Hex(const std::string& digits)
    {
        return Backend().Postgres() ? "decode('" + digits + "', 'hex')" : "X'" + digits + "'";
    }
    // The stored bytes of a binary column in upper-case hex, NULL as "<null>".
    std::string StoredHex(const std::string& column, int id)
    {
        const std::string where = " FROM docs WHERE id = " + std::to_string(id);
        if (Backend().Postgres()) {
            return Scalar("SELECT CASE WHEN " + column + " IS NULL THEN '<null>' ELSE upper(encode(" +
                          column + ", 'hex')) END" + where);
        }
        return Scalar("SELECT CASE WHEN " + column + " IS NULL THEN '<null>' ELSE hex(" + column + ") END" +
                      where);
    }
    TVADODataSet& OpenDocs() { return Open("SELECT id, memo, data FROM docs ORDER BY id"); }
    TBlobField* Memo() { return dynamic_cast<TBlobField*>(dataSet_->FieldByName("memo")); }
    TBlobField* Data() { return dynamic_cast<TBlobField*>(dataSet_->FieldByName("data")); }
    std::string ReadAll(TField* field)
    {
        std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(field, bmRead);
        std::string out(static_cast<std::size_t>(s->Size()), '\0');
        if (!out.empty())
            s->ReadBuffer(out.data(), static_cast<Int64>(out.size()));
        return out;
    }
    // The whole content, leaving the position where it was.
    static std::string Contents(TStream& s)
    {
        const Int64 position = s.Position();
        std::string out(static_cast<std::size_t>(s.Size()), '\0');
        s.SetPosition(0);
        if (!out.empty())
            s.ReadBuffer(out.data(), static_cast<Int64>(out.size()));
        s.SetPosition(position);
        return out;
    }
    static void Write(TStream& s, const std::string& bytes)
    {
        s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    }
    void GoTo(int id) { ASSERT_TRUE(dataSet_->Locate("id", Variant(id), {})); }
};

static std::string HexOf(const std::string& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST_F(BlobTest, MemoAndBinaryFieldsReadTheActiveRecord)
{
    TVADODataSet& d = OpenDocs();
    ASSERT_NE(Memo(), nullptr);
    ASSERT_NE(Data(), nullptr);
    EXPECT_EQ(Memo()->DataType(), ftMemo);
    EXPECT_EQ(Data()->DataType(), ftBlob);
    struct Row {
        int id;
        std::string memo;
        std::string data;
    };
    const Row rows[] = {{1, "hello world", kBytes}, {2, "NONE", ""}, {3, "", "\xff"}, {4, "four", ""}};
    // The grid has fetched ahead, so the engine cursor is not on the active record until a
    // stream puts it there.
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), row.id);
        EXPECT_EQ(Memo()->AsString(), row.memo);
        EXPECT_EQ(ReadAll(Data()), row.data);
        EXPECT_EQ(Data()->AsString(), row.data);
        // Only a blob that holds something has the "(Blob)" mark in the record line.
        EXPECT_EQ(Memo()->IsNull(), row.memo.empty());
        EXPECT_EQ(Data()->IsNull(), row.data.empty());
        d.Next();
    }
    d.First();
    EXPECT_EQ(Memo()->AsString(), "hello world");
    EXPECT_EQ(d.BlobValues()->Strings(0), "memo=hello world");
    EXPECT_EQ(d.RecNo(), 1);
}

TEST_F(BlobTest, AGridPaintingMemosLeavesTheNextFetchOnCourse)
{
    for (int id = 5; id <= 9; ++id)
        Exec("INSERT INTO docs VALUES (" + std::to_string(id) + ", 'memo " + std::to_string(id) + "', NULL)");
    TVADODataSet& d = OpenDocs();
    // Each memo read puts the engine cursor on the row the grid paints, last the bottom one.
    auto paint = [&] {
        const Integer active = grid_->ActiveRecord();
        for (Integer row = 0; row < grid_->RecordCount(); ++row) {
            grid_->SetActiveRecord(row);
            ReadAll(Memo());
        }
        grid_->SetActiveRecord(active);
    };
    d.Next();
    d.Prior(); // on the first record, not yet known to be the first
    ASSERT_FALSE(d.Bof());
    paint();
    EXPECT_EQ(d.MoveBy(-1), 0);
    EXPECT_TRUE(d.Bof());
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(d.RecNo(), 1);
    paint();
    EXPECT_EQ(d.MoveBy(6), 6);
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 7);
    EXPECT_EQ(Memo()->AsString(), "memo 7");
}

TEST_F(BlobTest, TheValueOfAMemoIsTextAndOfABinaryFieldItsBytes)
{
    OpenDocs();
    EXPECT_EQ(Memo()->AsVariant().AsString(), "hello world");
    const Variant v = Data()->AsVariant();
    ASSERT_TRUE(v.IsArray());
    const std::vector<Byte>& bytes = VarArrayBytes(v);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kBytes);
}

TEST_F(BlobTest, ReadsSeeksAndReadsPastTheEnd)
{
    OpenDocs();
    std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(Memo(), bmRead);
    EXPECT_EQ(s->Size(), 11);
    char buf[32] = {};
    EXPECT_EQ(s->Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(s->Position(), 5);
    EXPECT_EQ(s->Seek(-5, soFromEnd), 6);
    EXPECT_EQ(s->Read(buf, sizeof buf), 5);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(s->Read(buf, sizeof buf), 0);
    EXPECT_EQ(s->Seek(3, soFromCurrent), 14);
    EXPECT_EQ(s->Read(buf, 1), 0);
    EXPECT_EQ(s->Seek(-10, soFromCurrent), 4);
    EXPECT_EQ(s->Read(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "o w");
    try {
        s->Seek(-1, soFromBeginning);
        ADD_FAILURE() << "no exception";
    } catch (const EStreamError& e) {
        EXPECT_NE(std::string(e.what()).find("before the start of the blob stream of field 'memo'"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(s->Seek(0, 7), EStreamError);
    EXPECT_EQ(s->Position(), 7);
    try {
        Write(*s, "x");
        ADD_FAILURE() << "no exception";
    } catch (const EWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("open for reading only"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(Memo()->Modified());
}

TEST_F(BlobTest, WritingNeedsAnEditedRecordAndABlobField)
{
    OpenDocs();
    EXPECT_THROW(dataSet_->CreateBlobStream(Memo(), bmWrite), EDatabaseError);
    EXPECT_THROW(dataSet_->CreateBlobStream(Data(), bmReadWrite), EDatabaseError);
    try {
        dataSet_->CreateBlobStream(dataSet_->FieldByName("id"), bmRead);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidCast& e) {
        EXPECT_NE(std::string(e.what()).find("'id' is not a blob field"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Memo()->AsString(), "hello world");
}

TEST_F(BlobTest, WritesSpliceAtThePositionAndTruncateCutsThere)
{
    OpenDocs();
    dataSet_->Edit();
    {
        std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(Memo(), bmReadWrite);
        EXPECT_EQ(s->Seek(6, soFromBeginning), 6);
        Write(*s, "W");
        EXPECT_EQ(s->Position(), 7);
        EXPECT_EQ(Contents(*s), "hello World");
        EXPECT_EQ(s->Position(), 7);
        s->Seek(0, soFromEnd);
        Write(*s, "!");
        EXPECT_EQ(Contents(*s), "hello World!");
        s->Seek(5, soFromBeginning);
        static_cast<TVBlobStream&>(*s).Truncate();
        EXPECT_EQ(s->Size(), 5);
        s->Seek(8, soFromBeginning);
        Write(*s, "x"); // past the end: the gap is zero bytes
        EXPECT_EQ(Contents(*s), std::string("hello\0\0\0x", 9));
        // The field and the cache take the content when the stream is done.
        EXPECT_FALSE(Memo()->Modified());
        EXPECT_EQ(dataSet_->GetBlobData(Memo()), "hello world");
    }
    EXPECT_TRUE(Memo()->Modified());
    EXPECT_EQ(dataSet_->GetBlobData(Memo()), std::string("hello\0\0\0x", 9));
    // A further stream on a modified field keeps the written content.
    EXPECT_EQ(ReadAll(Memo()), std::string("hello\0\0\0x", 9));
    dataSet_->Cancel();
    EXPECT_FALSE(Memo()->Modified());
    EXPECT_EQ(Memo()->AsString(), "hello world");
}

TEST_F(BlobTest, AStreamCopiedInChunksKeepsEveryByte)
{
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += static_cast<char>((i * 7 + i / 256) & 0xff);
    OpenDocs();
    dataSet_->Edit();
    TMemoryStream source;
    source.WriteBuffer(big.data(), static_cast<Int64>(big.size()));
    Data()->LoadFromStream(source); // copies in 64 KB blocks
    EXPECT_EQ(Data()->BlobSize(), 200000);
    EXPECT_EQ(ReadAll(Data()), big);
    dataSet_->Post();
    EXPECT_EQ(Scalar("SELECT " + std::string(Backend().Postgres() ? "octet_length" : "length") +
                     "(data) FROM docs WHERE id = 1"),
              "200000");
    EXPECT_EQ(StoredHex("data", 1), HexOf(big));
    dataSet_->Close();
    OpenDocs();
    EXPECT_EQ(Data()->AsString(), big);
}

TEST_F(BlobTest, AWriteStreamStartsEmpty)
{
    OpenDocs();
    dataSet_->Edit();
    {
        std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(Memo(), bmWrite);
    }
    EXPECT_TRUE(Memo()->Modified());
    EXPECT_EQ(Memo()->AsString(), "");
    EXPECT_TRUE(Memo()->IsNull());
    {
        std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(Memo(), bmWrite);
        Write(*s, "abc");
    }
    {
        std::unique_ptr<TStream> s = dataSet_->CreateBlobStream(Memo(), bmWrite);
        Write(*s, "xy");
    }
    EXPECT_EQ(Memo()->AsString(), "xy");
}

TEST_F(BlobTest, MemoAndBinaryContentArePostedExactly)
{
    OpenDocs();
    const std::string memo = Utf8ToAnsi("abc á déjŕ \"q\", 'x'\r\nline two");
    const std::string bytes = std::string("\x00\xff\x80\x81", 4) + "NONE" + std::string("\x00", 1);
    dataSet_->Edit();
    Memo()->SetAsString(memo);
    Data()->SetAsString(bytes);
    dataSet_->Post();
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE id = 1"), memo);
    EXPECT_EQ(StoredHex("data", 1), HexOf(bytes));
    EXPECT_EQ(dataSet_->FieldByName("id")->AsInteger(), 1);
    dataSet_->Close();
    OpenDocs();
    EXPECT_EQ(Memo()->AsString(), memo);
    EXPECT_EQ(Data()->AsString(), bytes);
}

TEST_F(BlobTest, TheContentNoneIsPostedAndReadBack)
{
    OpenDocs();
    GoTo(4);
    dataSet_->Edit();
    Memo()->SetAsString("NONE");
    EXPECT_EQ(Memo()->AsString(), "NONE");
    dataSet_->Post();
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE id = 4"), "NONE");
    dataSet_->Close();
    OpenDocs();
    GoTo(4);
    EXPECT_EQ(Memo()->AsString(), "NONE");
}

TEST_F(BlobTest, AnUnmodifiedBlobIsLeftAloneAtPost)
{
    OpenDocs();
    GoTo(3);
    dataSet_->Edit();
    Memo()->SetAsString("only the memo");
    EXPECT_FALSE(Data()->Modified());
    dataSet_->Post();
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE id = 3"), "only the memo");
    EXPECT_EQ(StoredHex("data", 3), "FF");
}

TEST_F(BlobTest, ClearingABlobStoresNull)
{
    OpenDocs();
    dataSet_->Edit();
    Data()->Clear();
    Memo()->Clear();
    dataSet_->Post();
    EXPECT_EQ(StoredHex("data", 1), "<null>");
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE id = 1"), "<null>");
}

TEST_F(BlobTest, AnAppendedRecordTakesItsBlobs)
{
    OpenDocs();
    dataSet_->Append();
    dataSet_->FieldByName("id")->SetAsInteger(9);
    Memo()->SetAsString("new memo");
    Data()->SetAsString(kBytes);
    EXPECT_EQ(ReadAll(Data()), kBytes);
    dataSet_->Post();
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE id = 9"), "new memo");
    EXPECT_EQ(StoredHex("data", 9), HexOf(kBytes));
}

} // namespace
} // namespace vmado::test
