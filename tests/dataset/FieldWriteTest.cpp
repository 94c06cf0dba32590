// Field writes while editing: each value goes into the record line in its text form, reads back
// the same, and a line that would outgrow the text area is refused with nothing cut.
#include "DataSetFixture.h"

#include "framework/rtl/DateTime.h"

#include <cstring>

namespace vmado::test {
namespace {

class FieldWriteTest : public DataSetTest {
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        Exec("CREATE TABLE flags (k INTEGER PRIMARY KEY, b BOOLEAN, t TIME, s VARCHAR(30), f DOUBLE "
             "PRECISION)");
        Exec("INSERT INTO flags VALUES (1, FALSE, '08:00:00', 'plain', 1.5)");
    }
    // The line entry of a field in the active buffer, as stored.
    std::string Entry(TVADODataSet& d, Integer position)
    {
        TStringList entries;
        entries.SetCommaText(d.ActiveBuffer());
        return entries.Strings(position);
    }
};

TEST_F(FieldWriteTest, ValuesGoIntoTheLineInTheirTextForms)
{
    TVADODataSet& d = Open("SELECT k, b, t, s, f FROM flags");
    d.Edit();
    d.FieldByName("b")->SetAsBoolean(true);
    EXPECT_EQ(Entry(d, 1), "-1");
    d.FieldByName("b")->Clear();
    EXPECT_EQ(Entry(d, 1), "");
    EXPECT_TRUE(d.FieldByName("b")->IsNull());

    d.FieldByName("t")->SetAsDateTime(EncodeTime(14, 5, 9, 456));
    EXPECT_EQ(Entry(d, 2), "02:05:09.456 PM");
    EXPECT_NEAR(d.FieldByName("t")->AsDateTime(), EncodeTime(14, 5, 9, 456), 1e-9);
    d.FieldByName("t")->SetAsDateTime(EncodeTime(14, 5, 9, 0));
    EXPECT_EQ(Entry(d, 2), "02:05:09 PM");

    d.FieldByName("s")->SetAsString("comma, \"quote\" and blank");
    EXPECT_EQ(d.FieldByName("s")->AsString(), "comma, \"quote\" and blank");
    d.FieldByName("f")->SetAsFloat(-0.25);
    EXPECT_EQ(Entry(d, 4), "-0.25");
    // The other entries kept their places.
    EXPECT_EQ(d.FieldByName("k")->AsInteger(), 1);
    EXPECT_EQ(d.FieldByName("s")->OldValue().AsString(), "plain");
    EXPECT_EQ(d.FieldByName("s")->NewValue().AsString(), "comma, \"quote\" and blank");
    d.Cancel();
    EXPECT_EQ(d.FieldByName("s")->AsString(), "plain");
}

TEST_F(FieldWriteTest, ALineThatWouldNotFitIsRefusedAndTheBufferKept)
{
    // A persistent field wider than its column lets a value past the column's share of the line.
    TVADODataSet& d = Make("SELECT s FROM flags");
    auto* s = new TStringField(&d);
    s->SetFieldName("s");
    s->SetSize(500);
    s->SetDataSet(&d);
    d.Open();
    d.Edit();
    const std::string before = d.ActiveBuffer();
    const Integer bookmarkBefore = [&] {
        Integer v;
        std::memcpy(&v, d.ActiveBuffer() + d.BookmarkOffset(), sizeof v);
        return v;
    }();
    try {
        s->SetAsString(std::string(300, 'x'));
        FAIL() << "a line longer than the text area must be refused";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("'s'"), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::string(d.ActiveBuffer()), before);
    Integer bookmarkAfter;
    std::memcpy(&bookmarkAfter, d.ActiveBuffer() + d.BookmarkOffset(), sizeof bookmarkAfter);
    EXPECT_EQ(bookmarkAfter, bookmarkBefore);
    d.Cancel();
}

} // namespace
} // namespace vmado::test
