// The blob cache and the blob stream's refusals, without a database: BlobValues keeps content
// byte for byte and never mistakes the content NONE for "nothing loaded"; the variant a blob
// is posted as follows the field type.
#include "dataset/VDB.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace vmado::test {
namespace {

class UnitBlobTest : public ::testing::Test {
protected:
    UnitBlobTest()
    {
        memo_ = Add<TMemoField>("Remark");
        data_ = Add<TBlobField>("Data");
        picture_ = Add<TGraphicField>("Picture");
        name_ = Add<TStringField>("Name");
        // The lines an open makes: one per blob field, nothing loaded.
        for (const char* line : {"Remark=NONE", "Data=NONE", "Picture=NONE"})
            dataSet_.BlobValues()->Add(line);
    }
    template <typename F> F* Add(const char* name)
    {
        auto* field = new F(&dataSet_);
        field->SetFieldName(name);
        field->SetDataSet(&dataSet_);
        return field;
    }
    TVADODataSet dataSet_;
    TField* memo_;
    TField* data_;
    TField* picture_;
    TField* name_;
};

TEST_F(UnitBlobTest, NothingLoadedReadsAsEmpty)
{
    EXPECT_EQ(dataSet_.GetBlobData(memo_), "");
    EXPECT_EQ(dataSet_.GetBlobData(name_), ""); // no line for it
}

TEST_F(UnitBlobTest, ContentIsKeptByteForByte)
{
    const std::string rows[] = {
        "NONE", std::string("a\0b", 3), "line 1\r\nline 2", "x=y", std::string("\x80\xff\x00\x01", 4), " "};
    for (const std::string& content : rows) {
        SCOPED_TRACE(content);
        dataSet_.SetBlobData(data_, content);
        EXPECT_EQ(dataSet_.GetBlobData(data_), content);
    }
    dataSet_.SetBlobData(data_, "");
    EXPECT_EQ(dataSet_.GetBlobData(data_), "");
    EXPECT_EQ(dataSet_.BlobValues()->Strings(1), "Data=NONE");
}

TEST_F(UnitBlobTest, TheContentNoneIsNotTheNothingLoadedValue)
{
    dataSet_.SetBlobData(memo_, "NONE");
    EXPECT_EQ(dataSet_.GetBlobData(memo_), "NONE");
    EXPECT_EQ(dataSet_.BlobToVariant(memo_).AsString(), "NONE");
    // A reset line (as the next open makes it) is empty again.
    dataSet_.BlobValues()->Clear();
    dataSet_.BlobValues()->Add("Remark=NONE");
    EXPECT_EQ(dataSet_.GetBlobData(memo_), "");
}

TEST_F(UnitBlobTest, SetBlobDataWithoutALineChangesNothing)
{
    dataSet_.SetBlobData(name_, "text");
    EXPECT_EQ(dataSet_.GetBlobData(name_), "");
    EXPECT_EQ(dataSet_.BlobValues()->Count(), 3);
}

TEST_F(UnitBlobTest, VariantFollowsTheFieldType)
{
    const std::string bytes("\x00\x7f\x80\xff", 4);
    for (TField* field : {data_, picture_}) {
        SCOPED_TRACE(field->FieldName());
        dataSet_.SetBlobData(field, bytes);
        const Variant v = dataSet_.BlobToVariant(field);
        ASSERT_TRUE(v.IsArray());
        EXPECT_EQ(VarArrayLowBound(v, 1), 0);
        const std::vector<Byte>& got = VarArrayBytes(v);
        EXPECT_EQ(std::string(got.begin(), got.end()), bytes);
    }
    dataSet_.SetBlobData(memo_, "memo text");
    const Variant memo = dataSet_.BlobToVariant(memo_);
    EXPECT_EQ(memo.VarType(), varString);
    EXPECT_EQ(memo.AsString(), "memo text");
    EXPECT_TRUE(dataSet_.BlobToVariant(name_).IsEmpty());
}

// The dataset remembers where a field's line is; a list changed behind its back (lines moved,
// renamed, another separator) still has the line found by name, the first such one.
TEST_F(UnitBlobTest, AChangedListIsSearchedAgain)
{
    struct Case {
        const char* name;
        std::function<void(TStrings&)> change;
        Integer line; // where Data's value goes afterwards, -1 for nowhere
        const char* expected;
    };
    const Case cases[] = {
        {"a line inserted before", [](TStrings& l) { l.Insert(0, "Other=1"); }, 2, "Data=after"},
        {"a line deleted before", [](TStrings& l) { l.Delete(0); }, 0, "Data=after"},
        {"lines exchanged", [](TStrings& l) { l.Exchange(0, 1); }, 0, "Data=after"},
        {"the line renamed", [](TStrings& l) { l.SetStrings(1, "Renamed=x"); }, -1, ""},
        {"an earlier line of the same name", [](TStrings& l) { l.Insert(1, "DATA=first"); }, 1, "DATA=after"},
        {"another separator",
         [](TStrings& l) {
             l.SetNameValueSeparator(':');
             l.Add("Data:x");
         },
         3, "Data:after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStrings& list = *dataSet_.BlobValues();
        list.SetNameValueSeparator('=');
        list.Clear();
        for (const char* line : {"Remark=NONE", "Data=NONE", "Picture=NONE"})
            list.Add(line);
        dataSet_.SetBlobData(data_, "before");
        ASSERT_EQ(dataSet_.GetBlobData(data_), "before");
        c.change(list);
        std::vector<AnsiString> lines;
        for (Integer i = 0; i < list.Count(); ++i)
            lines.push_back(list.Strings(i));
        dataSet_.SetBlobData(data_, "after");
        EXPECT_EQ(dataSet_.GetBlobData(data_), c.line >= 0 ? "after" : "");
        if (c.line >= 0)
            lines[static_cast<std::size_t>(c.line)] = c.expected;
        ASSERT_EQ(list.Count(), static_cast<Integer>(lines.size()));
        for (Integer i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.Strings(i), lines[static_cast<std::size_t>(i)]) << "line " << i;
    }
}

TEST_F(UnitBlobTest, EmptiedContentIsPostedAsNull)
{
    dataSet_.SetBlobData(data_, "");
    EXPECT_TRUE(dataSet_.BlobToVariant(data_).IsNull());
    EXPECT_TRUE(dataSet_.BlobToVariant(memo_).IsNull());
}

TEST_F(UnitBlobTest, OnlyABlobFieldOfThisDatasetHasAStream)
{
    EXPECT_THROW(dataSet_.CreateBlobStream(name_, bmRead), EInvalidCast);
    TMemoField loose(nullptr);
    loose.SetFieldName("Loose");
    try {
        TVBlobStream stream(&loose, bmRead);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidCast& e) {
        EXPECT_NE(std::string(e.what()).find("'Loose' does not belong to a TVADODataSet"), std::string::npos)
            << e.what();
    }
}

TEST_F(UnitBlobTest, AWriteStreamNeedsAnEditedRecord)
{
    try {
        dataSet_.CreateBlobStream(memo_, bmWrite);
        ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("not in edit or insert mode"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace vmado::test
