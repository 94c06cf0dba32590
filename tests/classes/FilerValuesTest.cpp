// Value-level writing and reading of the component stream: the smallest integer form, short and
// long strings, identifiers, wide and UTF-8 strings, variants, skipping and the read-ahead.
#include "framework/classes/Filer.h"
#include "framework/rtl/CodePage.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace vmado;

namespace {

std::string Written(const std::function<void(TWriter&)>& write)
{
    TStringStream s;
    {
        TWriter writer(s);
        write(writer);
    }
    return s.DataString();
}

struct IntegerRow {
    Int64 Value;
    std::string Bytes;
};

} // namespace

TEST(FilerValues, IntegersTakeTheSmallestForm)
{
    const IntegerRow rows[] = {
        {0, std::string("\x02\x00", 2)},
        {127, "\x02\x7F"},
        {-128, "\x02\x80"},
        {128, std::string("\x03\x80\x00", 3)},
        {-129, "\x03\x7F\xFF"},
        {32767, "\x03\xFF\x7F"},
        {-32768, std::string("\x03\x00\x80", 3)},
        {32768, std::string("\x04\x00\x80\x00\x00", 5)},
        {std::numeric_limits<Integer>::min(), std::string("\x04\x00\x00\x00\x80", 5)},
        {Int64{1} << 31, std::string("\x13\x00\x00\x00\x80\x00\x00\x00\x00", 9)},
        {std::numeric_limits<Int64>::min(), std::string("\x13\x00\x00\x00\x00\x00\x00\x00\x80", 9)},
    };
    for (const IntegerRow& row : rows) {
        SCOPED_TRACE(row.Value);
        const std::string bytes = Written([&](TWriter& w) { w.WriteInteger(row.Value); });
        EXPECT_EQ(bytes, row.Bytes);
        TStringStream in(bytes);
        TReader reader(in);
        EXPECT_EQ(reader.ReadInt64(), row.Value);
    }
    TStringStream big(rows[9].Bytes);
    TReader reader(big);
    try {
        reader.ReadInteger();
        ADD_FAILURE() << "a 64-bit value read as 32-bit";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Invalid property value");
    }
}

TEST(FilerValues, StringsAreShortUpTo255Bytes)
{
    const std::string s255(255, 'x'), s256(256, 'y');
    const std::string shortForm = Written([&](TWriter& w) { w.WriteString(s255); });
    EXPECT_EQ(shortForm.substr(0, 2), "\x06\xFF");
    EXPECT_EQ(shortForm.size(), 257u);
    const std::string longForm = Written([&](TWriter& w) { w.WriteString(s256); });
    EXPECT_EQ(longForm.substr(0, 5), std::string("\x0C\x00\x01\x00\x00", 5));
    EXPECT_EQ(longForm.size(), 261u);
    TStringStream in(shortForm + longForm);
    TReader reader(in);
    EXPECT_EQ(reader.ReadString(), s255);
    EXPECT_EQ(reader.ReadString(), s256);
}

TEST(FilerValues, WideAndUtf8StringsArriveInTheCodePage)
{
    // "Řeř" as UTF-16 and as UTF-8; in Windows-1250 it is D8 65 F8, in UTF-8 the same UTF-8.
    const std::string wide("\x12\x03\x00\x00\x00\x58\x01\x65\x00\x59\x01", 11);
    const std::string utf8("\x14\x05\x00\x00\x00\xC5\x98\x65\xC5\x99", 10);
    TStringStream in(wide + utf8);
    TReader reader(in);
    EXPECT_EQ(reader.ReadString(), Utf8ToAnsi("Řeř"));
    EXPECT_EQ(reader.ReadString(), Utf8ToAnsi("Řeř"));
    // Characters the code page cannot hold still arrive whole as wide text.
    const std::string cyrillic("\x14\x08\x00\x00\x00\xD0\x9F\xF0\x9F\x98\x80\xC5\x99", 13);
    TStringStream more(cyrillic + cyrillic);
    TReader other(more);
    EXPECT_EQ(other.ReadWideString(), u"\u041F\U0001F600\u0159");
    // One replacement per character, not per byte, where the code page lacks them.
    EXPECT_EQ(other.ReadString(), Utf8ToAnsi("\u041F\U0001F600\u0159"));
    // Written back as wide text, the same UTF-16 units.
    EXPECT_EQ(Written([](TWriter& w) { w.WriteWideString(u"\u0158e\u0159"); }), wide);
}

TEST(FilerValues, IdentifiersAndBooleans)
{
    const std::string bytes = Written([](TWriter& w) {
        w.WriteIdent("TRUE");
        w.WriteIdent("false");
        w.WriteIdent("nil");
        w.WriteIdent("Null");
        w.WriteIdent("clRed");
        w.WriteBoolean(true);
    });
    EXPECT_EQ(bytes, std::string("\x09\x08\x0D\x00\x07\x05"
                                 "clRed"
                                 "\x09",
                                 12));
    TStringStream in(bytes);
    TReader reader(in);
    EXPECT_EQ(reader.ReadIdent(), "True");
    EXPECT_EQ(reader.ReadIdent(), "False");
    EXPECT_EQ(reader.ReadIdent(), "nil");
    EXPECT_EQ(reader.ReadIdent(), "Null");
    EXPECT_EQ(reader.ReadIdent(), "clRed");
    EXPECT_TRUE(reader.ReadBoolean());
}

TEST(FilerValues, FloatsOfEveryFormReadAsFloat)
{
    const std::string bytes = Written([](TWriter& w) {
        w.WriteFloat(1.5);
        w.WriteSingle(0.25f);
        w.WriteCurrency(Currency::FromRaw(15000));
        w.WriteDate(45292.5);
        w.WriteInteger(-3);
    });
    EXPECT_EQ(bytes.substr(0, 11), std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11));
    EXPECT_EQ(bytes.substr(11, 5), std::string("\x0F\x00\x00\x80\x3E", 5));
    EXPECT_EQ(bytes.substr(16, 9), std::string("\x10\x98\x3A\x00\x00\x00\x00\x00\x00", 9));
    TStringStream in(bytes);
    TReader reader(in);
    EXPECT_EQ(reader.ReadFloat(), 1.5);
    EXPECT_EQ(reader.ReadFloat(), 0.25);
    EXPECT_EQ(reader.ReadFloat(), 1.5);
    EXPECT_EQ(reader.ReadDate(), 45292.5);
    EXPECT_EQ(reader.ReadFloat(), -3.0);
}

TEST(FilerValues, VariantsKeepTheirKind)
{
    const Variant values[] = {Variant(),
                              Variant::Null(),
                              Variant(Integer{70000}),
                              Variant(Int64{1} << 40),
                              Variant(2.25),
                              Variant("text"),
                              Variant(true),
                              Variant(Currency::FromRaw(12345)),
                              Variant::FromDate(45000.25),
                              VarArrayOf({Variant(1), Variant("a")}),
                              VarByteArray("\x01\xFF", 2)};
    const std::string bytes = Written([&](TWriter& w) {
        for (const Variant& v : values)
            w.WriteVariant(v);
    });
    TStringStream in(bytes);
    TReader reader(in);
    for (const Variant& expected : values) {
        const Variant read = reader.ReadVariant();
        SCOPED_TRACE(VarTypeName(expected.VarType()));
        EXPECT_EQ(read.IsArray(), expected.IsArray());
        EXPECT_TRUE(read == expected);
        if (!expected.IsArray()) {
            EXPECT_EQ(read.VarType() & varTypeMask, expected.VarType() & varTypeMask);
        }
    }
}

TEST(FilerValues, SkipValuePassesOverEveryType)
{
    const std::string bytes = Written([](TWriter& w) {
        w.WriteListBegin();
        w.WriteInteger(5);
        w.WriteInteger(500);
        w.WriteInteger(500000);
        w.WriteInteger(Int64{1} << 40);
        w.WriteFloat(2);
        w.WriteSingle(2);
        w.WriteCurrency(Currency::FromRaw(1));
        w.WriteDate(1);
        w.WriteString("s");
        w.WriteString(std::string(300, 'l'));
        w.WriteWideString(u"w");
        w.WriteUTF8String("u");
        w.WriteIdent("id");
        w.WriteBoolean(false);
        w.WriteIdent("nil");
        w.WriteBinary("\x01\x02", 2);
        w.WriteValue(vaSet);
        w.WriteStr("a");
        w.WriteStr("");
        w.WriteValue(vaCollection);
        w.WriteInteger(3); // an item's order index
        w.WriteListBegin();
        w.WriteStr("P");
        w.WriteInteger(1);
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteInteger(42);
    });
    TStringStream in(bytes);
    TReader reader(in);
    reader.SkipValue();
    EXPECT_EQ(reader.ReadInteger(), 42);
}

TEST(FilerValues, ReaderHandsBackWhatItReadAhead)
{
    TStringStream s(Written([](TWriter& w) { w.WriteInteger(7); }) + "trailing");
    {
        TReader reader(s);
        EXPECT_EQ(reader.ReadInteger(), 7);
    }
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.ReadString(100), "trailing");
}

TEST(FilerValues, MismatchedAndBrokenValuesRaise)
{
    struct Case {
        std::string Bytes;
        std::function<void(TReader&)> Read;
        const char* Message;
    };
    const Case cases[] = {
        {"\x06\x01x", [](TReader& r) { r.ReadInteger(); }, "Invalid property value"},
        {std::string("\x02\x00", 2), [](TReader& r) { r.ReadString(); }, "Invalid property value"},
        {"\x06\x02xy", [](TReader& r) { r.ReadChar(); }, "Invalid property value"},
        {"\x07\x01", [](TReader& r) { r.ReadIdent(); }, "Stream read error"},
        {"\x0C\xFF\xFF\xFF\xFF", [](TReader& r) { r.ReadString(); }, "Invalid stream format"},
        {"\x0C\x00\x00\x00\x7F", [](TReader& r) { r.ReadString(); }, "Stream read error"}, // 2 GB promised
        {"\x63", [](TReader& r) { r.ReadValue(); }, "Invalid stream format"},
        {std::string(400, '\x01'), [](TReader& r) { r.SkipValue(); }, "Invalid stream format"}, // nesting
        {std::string("\x0E\x06\x00", 3), [](TReader& r) { r.SkipValue(); }, "Invalid property value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes));
        TStringStream in(c.Bytes);
        TReader reader(in);
        try {
            c.Read(reader);
            ADD_FAILURE() << "no exception";
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}
