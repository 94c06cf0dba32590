// The blob cache and the blob stream's refusals, without a database: BlobValues keeps content
// byte for byte and never mistakes the content NONE for "nothing loaded"; the variant a blob
// is posted as follows the field type.
#include "dataset/VDB.h"

#include <gtest/gtest.h>

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
