// The text form of the component stream: how each value type is written, that text reads back
// to the same bytes, and that malformed text is refused with the line it failed on.
#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/internal/FilerPrivate.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vmado;

namespace {

std::string ToBinary(const std::string& text)
{
    TStringStream in(text), out;
    ObjectTextToBinary(in, out);
    return out.DataString();
}

std::string ToText(const std::string& binary)
{
    TStringStream in(binary), out;
    ObjectBinaryToText(in, out);
    return out.DataString();
}

// One property P holding the given value text, as a whole object text.
std::string WithValue(const std::string& value)
{
    return "object A: TX\r\n  P = " + value + "\r\nend\r\n";
}

// The bytes of the value of P in the binary form of WithValue.
std::string ValueBytes(const std::string& value)
{
    const std::string binary = ToBinary(WithValue(value));
    const std::string prefix = std::string("TPF0\x02TX\x01"
                                           "A\x01P",
                                           11);
    EXPECT_EQ(binary.substr(0, prefix.size()), prefix);
    return binary.substr(prefix.size(), binary.size() - prefix.size() - 2);
}

struct ValueRow {
    const char* Text;
    std::string Bytes;
};

} // namespace

TEST(ObjectText, ValuesBecomeTheirBinaryTypes)
{
    const ValueRow rows[] = {
        {"12", std::string("\x02\x0C", 2)},
        {"-300", "\x03\xD4\xFE"},
        {"$FF", std::string("\x03\xFF\x00", 3)},
        {"1.5", std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11)},
        {"12.0", std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\x02\x40", 11)},
        {"1.5E2", std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x96\x06\x40", 11)},
        {"0.25s", std::string("\x0F\x00\x00\x80\x3E", 5)},
        {"15000c", std::string("\x10\x98\x3A\x00\x00\x00\x00\x00\x00", 9)},
        {"2d", std::string("\x11\x00\x00\x00\x00\x00\x00\x00\x40", 9)},
        {"'It''s'", "\x06\x04It's"},
        {"'a'#13#10'b' +\r\n    'c'", "\x06\x05"
                                      "a\r\nbc"},
        {"#$41'B'", "\x06\x02"
                    "AB"},
        {"''", std::string("\x06\x00", 2)},
        // Codes beyond ASCII make UTF-8 text, as the framework writes it; codes in four hex digits
        // are UTF-16 units of wide text; a pair of surrogate codes is one character.
        {"#345", std::string("\x14\x02\x00\x00\x00\xC5\x99", 7)},
        {"'caf'#233", std::string("\x14\x05\x00\x00\x00"
                                  "caf\xC3\xA9",
                                  10)},
        {"#55357#56832", std::string("\x14\x04\x00\x00\x00\xF0\x9F\x98\x80", 9)},
        {"#$0159", std::string("\x12\x01\x00\x00\x00\x59\x01", 7)},
        {"#$0061'b'", std::string("\x12\x02\x00\x00\x00\x61\x00\x62\x00", 9)},
        {"'x' + #$00E9", std::string("\x12\x02\x00\x00\x00\x78\x00\xE9\x00", 9)},
        {"clRed", "\x07\x05"
                  "clRed"},
        {"DataModule1.Menu1", "\x07\x11"
                              "DataModule1.Menu1"},
        {"Glyphs.Images.Big", "\x07\x11"
                              "Glyphs.Images.Big"},
        {"True", "\x09"},
        {"nil", "\x0D"},
        {"[]", std::string("\x0B\x00", 2)},
        {"[fsBold, fsItalic]", std::string("\x0B\x06"
                                           "fsBold\x08"
                                           "fsItalic\x00",
                                           18)},
        {"()", std::string("\x01\x00", 2)},
        {"(\r\n    1\r\n    'x')", std::string("\x01\x02\x01\x06\x01x\x00", 7)},
        {"{\r\n    00ff10}", std::string("\x0A\x03\x00\x00\x00\x00\xFF\x10", 8)},
        {"<>", std::string("\x0E\x00", 2)},
        {"<\r\n    item [2]\r\n      Q = 1\r\n    end>",
         std::string("\x0E\x02\x02\x01\x01Q\x02\x01\x00\x00", 10)},
    };
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(ValueBytes(row.Text), row.Bytes);
    }
}

TEST(ObjectText, BinaryToTextAndBackGivesTheSameBytes)
{
    const std::string text = "inherited Form1: TForm1 [3]\r\n"
                             "  Caption = 'Okno s '#269'e'#154'tinou'\r\n"
                             "  Long = \r\n"
                             "    'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +\r\n"
                             "    'bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb' +\r\n"
                             "    'cc'\r\n"
                             "  Ratio = 0.1\r\n"
                             "  Whole = 12.0\r\n"
                             "  Big = 1E20\r\n"
                             "  Tiny = -1.5E-7\r\n"
                             "  Third = 0.3333333333333333\r\n"
                             "  Wide = 'Ab'#$0159\r\n"
                             "  Utf8 = 'Ab'#345#1055#55357#56832\r\n"
                             "  PopupMenu = DataModule1.Menu1\r\n"
                             "  Money = -5c\r\n"
                             "  Items = <\r\n"
                             "    item [1]\r\n"
                             "      Sub.Name = 'x'\r\n"
                             "    end\r\n"
                             "    item\r\n"
                             "    end>\r\n"
                             "  Data = {\r\n"
                             "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
                             "    20}\r\n"
                             "  Strings = (\r\n"
                             "    'one'\r\n"
                             "    (\r\n"
                             "      2))\r\n"
                             "  inline Child: TFrame\r\n"
                             "  end\r\n"
                             "  object TNoName\r\n"
                             "  end\r\n"
                             "end\r\n";
    const std::string binary = ToBinary(text);
    EXPECT_EQ(ToText(binary), text);
    EXPECT_EQ(ToBinary(ToText(binary)), binary);
    EXPECT_EQ(binary.substr(0, 6), "TPF0\xF3\x02"); // inherited with a child position
}

TEST(ObjectText, FloatsUseTheFrameworksGeneralFormat)
{
    struct Row {
        double Value;
        bool Extended;
        const char* Text;
    };
    const Row rows[] = {
        {1.5, true, "1.5"},
        {12, true, "12.0"},
        {12, false, "12"},
        {0.1, true, "0.1"},
        {-0.0, true, "-0.0"},
        {0, true, "0.0"},
        {1e20, true, "1E20"},
        {1.5e-7, true, "1.5E-7"},
        {0.00001, true, "0.00001"},
        {0.000001, true, "1E-6"},
        {123456789012345.0, true, "123456789012345.0"},
        {1234567890123456.0, true, "1.234567890123456E15"},
        {1.0 / 3, true, "0.3333333333333333"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(internal::FloatToText(row.Value, row.Extended), row.Text);
        double back = 0;
        ASSERT_TRUE(internal::TextToFloat(row.Text, back));
        EXPECT_EQ(back, row.Value);
    }
    EXPECT_EQ(internal::FloatToText(0.1f, false, true), "0.100000001490116");
}

TEST(ObjectText, MalformedTextNamesTheLine)
{
    struct Case {
        const char* Text;
        const char* Message;
    };
    const Case cases[] = {
        {"", "'object' expected on line 1"},
        {"thing A: TX\r\nend", "'object' expected on line 1"},
        {"object\r\n", "Identifier expected on line 2"},
        {"object A: TX\r\n  P 1\r\nend", "'=' expected on line 2"},
        {"object A: TX\r\n  P = 'open\r\nend", "Unterminated string on line 2"},
        {"object A: TX\r\n  P = {\r\n  0}\r\nend", "Invalid binary value on line 3"},
        {"object A: TX\r\n  P = {\r\n  0G}\r\nend", "Invalid binary value on line 3"},
        {"object A: TX\r\n  P = 12abc\r\nend", "Invalid number '12a' on line 2"},
        {"object A: TX\r\n  P = 99999999999999999999\r\nend", "out of range on line 2"},
        {"object A: TX\r\n  P = [a b]\r\nend", "',' expected on line 2"},
        {"object A: TX\r\n  P = <\r\n  thing\r\n  end>\r\nend", "'item' expected on line 3"},
        {"object A: TX\r\n  P = (1\r\n", "')' expected on line 3"},
        {"object A: TX\r\n  P = 'a' +\r\n  1\r\nend", "String expected on line 3"},
        {"object A: TX\r\n  P = ;\r\nend", "Invalid property value on line 2"},
        {"object A: TX\r\n  P =", "Property value expected on line 2"},
        {"object A: TX\r\n  P = #99999999\r\nend", "Invalid character code on line 2"},
        {"object A: TX\r\n  P = Form2.\r\nend", "Identifier expected on line 2"},
        {"object A: TX\r\n  P = Form2.3\r\nend", "Identifier expected on line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TStringStream in(c.Text), out;
        try {
            ObjectTextToBinary(in, out);
            ADD_FAILURE() << "accepted";
        } catch (const EParserError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
        EXPECT_EQ(out.Size(), 0);
    }
    // Deep nesting is refused, not recursed into without end.
    TStringStream deep(WithValue(std::string(5000, '(') + std::string(5000, ')'))), out;
    EXPECT_THROW(ObjectTextToBinary(deep, out), EParserError);
}

// Strings of every type written by the writer come back from their text with the same type and
// bytes: 8-bit text of the code page, UTF-8 text (beyond the code page too, beyond the basic
// plane, plain ASCII between), and wide text (plain ASCII only, and a lone surrogate).
TEST(ObjectText, StringTypesSurviveTheTextForm)
{
    struct Row {
        const char* Name;
        std::function<void(TWriter&)> Write;
        const char* TextHas; // how the value shows in the text
    };
    const Row rows[] = {
        {"Ansi", [](TWriter& w) { w.WriteString("P\xF8\xEDli\x9A 'x'"); }, "'P\xF8\xEDli\x9A '#39'x'#39"},
        {"Long", [](TWriter& w) { w.WriteString(std::string(300, '\xE1')); }, "'\xE1\xE1"},
        {"Cyrillic", [](TWriter& w) { w.WriteUTF8String("\xD0\x9F\xD1\x80\xD0\xB8 ok"); },
         "#1055#1088#1080' ok'"},
        {"Emoji", [](TWriter& w) { w.WriteUTF8String("a\xF0\x9F\x98\x80\r\n"); }, "'a'#55357#56832#13#10"},
        {"Latin", [](TWriter& w) { w.WriteUTF8String("caf\xC3\xA9"); }, "'caf'#233"},
        {"Wide", [](TWriter& w) { w.WriteWideString(u"\u0158e\u0159"); }, "#$0158'e'#$0159"},
        {"WideAscii", [](TWriter& w) { w.WriteWideString(u"abc"); }, "'ab'#$0063"},
        {"WideLone", [](TWriter& w) { w.WriteWideString(std::u16string(1, char16_t(0xD800)) + u"x"); },
         "#$D800'x'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        TStringStream binary;
        {
            TWriter w(binary);
            w.WriteSignature();
            w.WritePrefix(0, 0);
            w.WriteStr("TX");
            w.WriteStr("A");
            w.WriteStr("P");
            row.Write(w);
            w.WriteListEnd();
            w.WriteListEnd();
        }
        const std::string text = ToText(binary.DataString());
        EXPECT_NE(text.find(row.TextHas), std::string::npos) << text;
        EXPECT_EQ(ToBinary(text), binary.DataString());
    }
}
