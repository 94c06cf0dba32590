// Filter collections in the binary component stream: the exact bytes of the published
// properties (names, order, defaults left out) and a full round trip that reads back equal.
#include "filters/VFilters.h"

#include "framework/classes/Component.h"
#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Filer.h"
#include "framework/classes/PropInfo.h"
#include "framework/classes/Streams.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vmado;

namespace {

// A component that publishes two filter collections, as the dataset and the settings wrapper do.
class TFilterHolder : public TComponent {
public:
    explicit TFilterHolder(TComponent* owner)
        : TComponent(owner), filters_(std::make_unique<TVFilters>(this)),
          colors_(std::make_unique<TVFilters>(this))
    {
        filters_->SetPropName("Filters");
        colors_->SetPropName("Colors");
    }
    AnsiString ClassName() const override { return "TFilterHolder"; }
    TVFilters* Filters() const { return filters_.get(); }
    TVFilters* Colors() const { return colors_.get(); }

private:
    std::unique_ptr<TVFilters> filters_;
    std::unique_ptr<TVFilters> colors_;
};

const bool holderRegistered = [] {
    ClassInfo<TFilterHolder>("TFilterHolder")
        .Parent<TComponent>()
        .Collection("Colors", &TFilterHolder::Colors)
        .Collection("Filters", &TFilterHolder::Filters);
    return true;
}();

TVSubFilter* AddLine(TVFilter& filter, const AnsiString& field, TFilterType type, TRelationType relation,
                     const AnsiString& lower, const AnsiString& upper, bool negation, TLogicalType op)
{
    TVSubFilter* line = filter.Levels()->Add();
    line->SetFieldName(field);
    line->SetFilterType(type);
    line->SetRelation(relation);
    line->SetLowerValue(lower);
    line->SetUpperValue(upper);
    line->SetNegation(negation);
    line->SetLogicalOp(op);
    return line;
}

std::string Bytes(TMemoryStream& stream)
{
    std::string out(static_cast<std::size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(out.data(), stream.Size());
    return out;
}

// Builders for the expected stream bytes.
std::string Str(const std::string& s)
{
    return std::string(1, static_cast<char>(s.size())) + s;
}
std::string Prop(const std::string& name)
{
    return Str(name);
}
std::string StringValue(const std::string& s)
{
    return std::string(1, vaString) + Str(s);
}
std::string IdentValue(const std::string& s)
{
    return std::string(1, vaIdent) + Str(s);
}
std::string Int32Value(Integer v)
{
    std::string out(1, vaInt32);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}
const std::string kNull(1, vaNull);
const std::string kList(1, vaList);
const std::string kCollection(1, vaCollection);

void ExpectSameLines(const TVSubFilters& a, const TVSubFilters& b)
{
    ASSERT_EQ(a.Count(), b.Count());
    for (Integer i = 0; i < a.Count(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        const TVSubFilter& x = *a.GetItem(i);
        const TVSubFilter& y = *b.GetItem(i);
        EXPECT_EQ(x.FieldName(), y.FieldName());
        EXPECT_EQ(x.FilterType(), y.FilterType());
        EXPECT_EQ(x.Negation(), y.Negation());
        EXPECT_EQ(x.Relation(), y.Relation());
        EXPECT_EQ(x.LowerValue(), y.LowerValue());
        EXPECT_EQ(x.UpperValue(), y.UpperValue());
        EXPECT_EQ(x.LogicalOp(), y.LogicalOp());
    }
}

void ExpectSameFilters(const TVFilters& a, const TVFilters& b)
{
    ASSERT_EQ(a.Count(), b.Count());
    for (Integer i = 0; i < a.Count(); ++i) {
        SCOPED_TRACE("filter " + std::to_string(i));
        const TVFilter& x = *a.GetItem(i);
        const TVFilter& y = *b.GetItem(i);
        EXPECT_EQ(x.Name(), y.Name());
        EXPECT_EQ(x.Caption(), y.Caption());
        EXPECT_EQ(x.BackGround(), y.BackGround());
        EXPECT_EQ(x.ForeGround(), y.ForeGround());
        EXPECT_EQ(x.GetSelected(), y.GetSelected());
        ExpectSameLines(*x.Levels(), *y.Levels());
    }
}

} // namespace

TEST(FilterStreaming, WritesThePublishedPropertiesInTheirStoredForm)
{
    ASSERT_TRUE(holderRegistered);
    TFilterHolder holder(nullptr);
    TVFilter& filter = *holder.Filters()->Add();
    AddLine(filter, "City", ffString, frEqual, "Paris", "", false, flAnd);
    AddLine(filter, "Age", ffNumeric, frBigger, "10", "20", true, flEnd);
    filter.SetBackGround(0x123456); // no colour name: written as a number
    filter.SetForeGround(0x0000FF); // clRed

    TMemoryStream stream;
    WriteComponent(stream, holder);

    const std::string line1 = kList + Prop("FieldName") + StringValue("City") + Prop("FilterType") +
                              IdentValue("ffString") + Prop("Relation") + IdentValue("frEqual") +
                              Prop("LowerValue") + StringValue("Paris") + Prop("LogicalOp") +
                              IdentValue("flAnd") + kNull;
    const std::string line2 = kList + Prop("FieldName") + StringValue("Age") + Prop("FilterType") +
                              IdentValue("ffNumeric") + Prop("Negation") + std::string(1, vaTrue) +
                              Prop("Relation") + IdentValue("frBigger") + Prop("LowerValue") +
                              StringValue("10") + Prop("UpperValue") + StringValue("20") + Prop("LogicalOp") +
                              IdentValue("flEnd") + kNull;
    const std::string item = kList + Prop("Name") + StringValue("Level1") + Prop("Levels") + kCollection +
                             line1 + line2 + kNull + Prop("BackGround") + Int32Value(0x123456) +
                             Prop("ForeGround") + IdentValue("clRed") + Prop("Selected") +
                             StringValue("<all>") + kNull;
    const std::string expected = "TPF0" + Str("TFilterHolder") + Str("") + Prop("Colors") + kCollection +
                                 kNull + Prop("Filters") + kCollection + item + kNull + kNull + kNull;
    EXPECT_EQ(Bytes(stream), expected);
}

TEST(FilterStreaming, ReadsAStreamWrittenElsewhere)
{
    // As another writer may store it: a colour by name, another in 16 bits, a default written
    // out (Negation False), absent properties left at their defaults.
    const std::string line = kList + Prop("FieldName") + StringValue("Qty") + Prop("Negation") +
                             std::string(1, vaFalse) + Prop("Relation") + IdentValue("frBiggerEqual") +
                             Prop("LowerValue") + StringValue("5") + Prop("LogicalOp") + IdentValue("flEnd") +
                             kNull;
    const std::string item = kList + Prop("Name") + StringValue("Rule") + Prop("Levels") + kCollection +
                             line + kNull + Prop("Caption") + StringValue("Big ones") + Prop("BackGround") +
                             IdentValue("clBlue") + Prop("ForeGround") + std::string(1, vaInt16) +
                             "\x34\x12" + Prop("Selected") + StringValue("Qty") + kNull;
    const std::string bytes = "TPF0" + Str("TFilterHolder") + Str("") + Prop("Filters") + kCollection + item +
                              kNull + kNull + kNull;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    stream.SetPosition(0);

    TFilterHolder holder(nullptr);
    ReadComponent(stream, &holder);
    ASSERT_EQ(holder.Filters()->Count(), 1);
    const TVFilter& filter = *holder.Filters()->GetItem(0);
    EXPECT_EQ(filter.Name(), "Rule");
    EXPECT_EQ(filter.Caption(), "Big ones");
    EXPECT_EQ(filter.BackGround(), 0xFF0000);
    EXPECT_EQ(filter.ForeGround(), 0x1234);
    EXPECT_EQ(filter.GetSelected(), "Qty");
    ASSERT_EQ(filter.Levels()->Count(), 1);
    const TVSubFilter& read = *filter.Levels()->GetItem(0);
    EXPECT_EQ(read.FieldName(), "Qty");
    EXPECT_EQ(read.FilterType(), ffNone);
    EXPECT_FALSE(read.Negation());
    EXPECT_EQ(read.Relation(), frBiggerEqual);
    EXPECT_EQ(read.LowerValue(), "5");
    EXPECT_EQ(read.UpperValue(), "");
    EXPECT_EQ(read.LogicalOp(), flEnd);
    EXPECT_EQ(holder.Colors()->Count(), 0);
}

TEST(FilterStreaming, RoundTripReadsBackEqual)
{
    TFilterHolder holder(nullptr);
    TVFilters& filters = *holder.Filters();
    TVFilter& a = *filters.Add();
    a.SetCaption("Smiths over thirty");
    AddLine(a, "Name", ffString, frJokerRight, "Sm", "", false, flAnd);
    AddLine(a, "Age", ffNumeric, frBigger, "30", "", false, flEnd);
    TVFilter& b = *filters.Add();
    b.SetName("Paris");
    AddLine(b, "City", ffString, frEqual, "Par'is", "", true, flOrNot);
    AddLine(b, "Born", ffDate, frEqual, "2024-01-05", "2024-03-01 03:04:05 PM", false, flNone);
    AddLine(b, "", ffNone, frEmpty, "", "", false, flNone);
    filters.Add(); // no lines at all

    TVFilter& rule = *holder.Colors()->Add();
    rule.SetCaption("Red rows");
    rule.SetBackGround(0x0000FF);
    rule.SetForeGround(-16777208); // a system colour: negative values survive
    rule.SetSelected("Name,City");
    AddLine(rule, "Active", ffLogical, frEqual, "True", "", false, flEnd);

    TMemoryStream stream;
    WriteComponent(stream, holder);
    stream.SetPosition(0);

    TFilterHolder copy(nullptr);
    copy.Filters()->Add()->SetCaption("stale");
    ReadComponent(stream, &copy);
    ExpectSameFilters(*holder.Filters(), *copy.Filters());
    ExpectSameFilters(*holder.Colors(), *copy.Colors());
    EXPECT_EQ(copy.Filters()->GetItem(1)->Name(), "Paris");
    EXPECT_EQ(copy.Filters()->SQLText(fmSQL, false), holder.Filters()->SQLText(fmSQL, false));

    // Written again, the copy gives the same bytes.
    TMemoryStream again;
    WriteComponent(again, copy);
    EXPECT_EQ(Bytes(again), Bytes(stream));
}

TEST(FilterStreaming, TextFormShowsTheValueNames)
{
    TFilterHolder holder(nullptr);
    AddLine(*holder.Filters()->Add(), "City", ffString, frJokerSub, "ari", "", false, flEnd);
    TMemoryStream binary;
    WriteComponent(binary, holder);
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(binary, text);
    const std::string form = Bytes(text);
    EXPECT_NE(form.find("FilterType = ffString"), std::string::npos) << form;
    EXPECT_NE(form.find("Relation = frJokerSub"), std::string::npos) << form;
    EXPECT_NE(form.find("LogicalOp = flEnd"), std::string::npos) << form;
    EXPECT_NE(form.find("Name = 'Level1'"), std::string::npos) << form;
}

TEST(FilterStreaming, UnknownValueNameIsAReadError)
{
    TFilterHolder holder(nullptr);
    AddLine(*holder.Filters()->Add(), "City", ffString, frEqual, "x", "", false, flEnd);
    TMemoryStream binary;
    WriteComponent(binary, holder);
    std::string bytes = Bytes(binary);
    const std::string good = IdentValue("frEqual");
    const std::string bad = IdentValue("frEquus");
    const auto at = bytes.find(good);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, good.size(), bad);

    TMemoryStream broken;
    broken.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    broken.SetPosition(0);
    TFilterHolder copy(nullptr);
    EXPECT_THROW(ReadComponent(broken, &copy), EReadError);
}
