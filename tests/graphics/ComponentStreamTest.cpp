// The binary component stream end to end: a component with every property kind writes as TPF0,
// reads back equal, converts to text and back to the same bytes, and bad input raises cleanly.
#include "StreamTestComponents.h"

#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/PropInfo.h"
#include "framework/rtl/CodePage.h"

#include <gtest/gtest.h>

#include <random>

using namespace vmado;
using namespace vmado::test;

namespace {

std::string Bytes(TMemoryStream& s)
{
    return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

std::string Write(TComponent& c)
{
    TMemoryStream s;
    s.WriteComponent(&c);
    return Bytes(s);
}

std::string ToText(const std::string& binary)
{
    TStringStream in(binary), out;
    ObjectBinaryToText(in, out);
    return out.DataString();
}

std::string ToBinary(const std::string& text)
{
    TStringStream in(text), out;
    ObjectTextToBinary(in, out);
    return out.DataString();
}

// Fills root with a value of every kind and a child that the root links to.
void Populate(TSample& root)
{
    root.SetName("Sample1");
    root.SetTag(-7);
    // Windows-1250 text: the letters and the low and high quotation marks are single bytes.
    root.SetTitle(Utf8ToAnsi("Příliš žluťoučký kůň „úpěl“ ďábelské ódy"));
    ASSERT_EQ(root.Title().size(), 40u);
    root.SetMemo(std::string(300, 'm') + "'end'\r\n"); // a long string with quotes
    root.SetSmall(100);
    root.SetMedium(1000);
    root.SetLarge(-100000);
    root.SetHuge(Int64{1} << 40);
    root.SetRatio(1.5);
    root.SetPrecision(0.1f);
    root.SetPrice(Currency::FromRaw(123456));
    root.SetStamp(45292.75);
    root.SetFlags({flAlpha, flGamma});
    root.SetShade(shDark);
    root.SetActive(true);
    root.SetLetter('#');
    root.SetColor(clRed);
    root.Font()->SetName("Arial");
    root.Font()->SetSize(10);
    root.Font()->SetStyle({fsBold, fsStrikeOut});
    root.Font()->SetColor(0x123456);
    root.Font()->SetCharset(EASTEUROPE_CHARSET);
    auto* first = static_cast<TSampleItem*>(root.Items()->Add());
    first->SetCaption(Utf8ToAnsi("První"));
    first->SetWidth(120);
    first->Font()->SetPitch(fpFixed);
    first->Font()->SetName("Courier New");
    auto* second = static_cast<TSampleItem*>(root.Items()->Add());
    second->SetShade(shMedium);
    second->Font()->SetStyle({fsItalic});
    root.blob = std::string("\x00\x01\xFE\xFF", 4) + std::string(70, 'b');
    root.notes = {"one", "", Utf8ToAnsi("tři")};

    auto* child = new TSample(&root);
    child->SetName("Child1");
    child->SetTitle("child");
    child->SetRatio(-0.001);
    root.SetLink(child);
}

void ExpectSameState(const TSample& a, const TSample& b)
{
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.Tag(), b.Tag());
    EXPECT_EQ(a.Title(), b.Title());
    EXPECT_EQ(a.Memo(), b.Memo());
    EXPECT_EQ(a.Small(), b.Small());
    EXPECT_EQ(a.Medium(), b.Medium());
    EXPECT_EQ(a.Large(), b.Large());
    EXPECT_EQ(a.Huge(), b.Huge());
    EXPECT_EQ(a.Ratio(), b.Ratio());
    EXPECT_EQ(a.Precision(), b.Precision());
    EXPECT_EQ(a.Price(), b.Price());
    EXPECT_EQ(a.Stamp(), b.Stamp());
    EXPECT_TRUE(a.Flags() == b.Flags());
    EXPECT_EQ(a.Shade(), b.Shade());
    EXPECT_EQ(a.Active(), b.Active());
    EXPECT_EQ(a.Letter(), b.Letter());
    EXPECT_EQ(a.Color(), b.Color());
    EXPECT_EQ(a.Font()->Name(), b.Font()->Name());
    EXPECT_EQ(a.Font()->Height(), b.Font()->Height());
    EXPECT_TRUE(a.Font()->Style() == b.Font()->Style());
    EXPECT_EQ(a.Font()->Color(), b.Font()->Color());
    EXPECT_EQ(a.Font()->Charset(), b.Font()->Charset());
    EXPECT_EQ(a.Font()->Pitch(), b.Font()->Pitch());
    ASSERT_EQ(a.Items()->Count(), b.Items()->Count());
    for (Integer i = 0; i < a.Items()->Count(); ++i) {
        SCOPED_TRACE(i);
        const auto* x = static_cast<const TSampleItem*>(a.Items()->Items(i));
        const auto* y = static_cast<const TSampleItem*>(b.Items()->Items(i));
        EXPECT_EQ(x->Caption(), y->Caption());
        EXPECT_EQ(x->Width(), y->Width());
        EXPECT_EQ(x->Shade(), y->Shade());
        EXPECT_EQ(x->Font()->Name(), y->Font()->Name());
        EXPECT_EQ(x->Font()->Pitch(), y->Font()->Pitch());
        EXPECT_TRUE(x->Font()->Style() == y->Font()->Style());
    }
    EXPECT_EQ(a.blob, b.blob);
    EXPECT_EQ(a.notes, b.notes);
    ASSERT_EQ(a.ComponentCount(), b.ComponentCount());
}

template <class E> void ExpectThrowWith(const std::function<void()>& action, const std::string& fragment)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected one containing \"" << fragment << "\"";
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
}

} // namespace

TEST(ComponentStream, EveryKindWritesReadsAndRoundTripsThroughText)
{
    ScopedCodePage singleByte(CP_1250); // the sample's title is Windows-1250 bytes
    TSample original(nullptr);
    Populate(original);
    const std::string binary = Write(original);
    ASSERT_EQ(binary.substr(0, 4), "TPF0");

    TSample copy(nullptr);
    TStringStream in(binary);
    EXPECT_EQ(in.ReadComponent(&copy), &copy);
    EXPECT_EQ(in.Position(), in.Size()); // the reader hands back its read-ahead
    ExpectSameState(original, copy);
    ASSERT_EQ(copy.ComponentCount(), 1);
    auto* child = dynamic_cast<TSample*>(copy.Components(0));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Name(), "Child1");
    EXPECT_EQ(child->Ratio(), -0.001);
    EXPECT_EQ(copy.Link(), child); // the forward reference was fixed up after the children
    EXPECT_EQ(copy.loadedCalls, 1);
    EXPECT_EQ(child->loadedCalls, 1);
    EXPECT_FALSE(copy.ComponentState().Contains(csLoading));
    EXPECT_FALSE(copy.ComponentState().Contains(csReading));
    EXPECT_FALSE(child->ComponentState().Contains(csLoading));

    EXPECT_EQ(Write(copy), binary);

    const std::string text = ToText(binary);
    EXPECT_EQ(ToBinary(text), binary);
    EXPECT_EQ(ToText(ToBinary(text)), text);
}

TEST(ComponentStream, ReadingWithoutAnInstanceCreatesTheRegisteredClass)
{
    ScopedCodePage singleByte(CP_1250); // the sample's title is Windows-1250 bytes
    TSample original(nullptr);
    Populate(original);
    TStringStream in(Write(original));
    std::unique_ptr<TComponent> read(in.ReadComponent(nullptr));
    auto* sample = dynamic_cast<TSample*>(read.get());
    ASSERT_NE(sample, nullptr);
    ExpectSameState(original, *sample);
}

TEST(ComponentStream, BinaryMatchesHandComputedBytes)
{
    TSample sample(nullptr);
    sample.SetName("S");
    sample.SetSmall(100);   // fits a signed byte
    sample.SetMedium(1000); // needs 16 bits
    sample.SetLarge(-129);  // just past the byte range
    sample.SetRatio(1.5);
    const std::string b = Write(sample);

    const std::string header = std::string("TPF0") + "\x07TSample" + "\x01S";
    ASSERT_EQ(b.substr(0, header.size()), header);
    auto valueAfter = [&](const std::string& name) {
        const std::string key = std::string(1, static_cast<char>(name.size())) + name;
        const std::size_t at = b.find(key);
        EXPECT_NE(at, std::string::npos) << name;
        return at == std::string::npos ? std::string() : b.substr(at + key.size());
    };
    EXPECT_EQ(valueAfter("Small").substr(0, 2), std::string("\x02\x64", 2));
    EXPECT_EQ(valueAfter("Medium").substr(0, 3), std::string("\x03\xE8\x03", 3));
    EXPECT_EQ(valueAfter("Large").substr(0, 3), std::string("\x03\x7F\xFF", 3));
    EXPECT_EQ(valueAfter("Ratio").substr(0, 11),
              std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11));
    // Defaults stay out; the font's always-written attributes use the framework's names.
    EXPECT_EQ(b.find("\x05Title"), std::string::npos);
    EXPECT_EQ(b.find("\x05Shade"), std::string::npos);
    EXPECT_EQ(b.find("\x0A"
                     "Font.Pitch"),
              std::string::npos);
    EXPECT_EQ(b.find("\x09"
                     "Font.Size"),
              std::string::npos);
    EXPECT_EQ(valueAfter("Font.Charset").substr(0, 17), std::string("\x07\x0F"
                                                                    "DEFAULT_CHARSET"));
    EXPECT_EQ(valueAfter("Font.Color").substr(0, 14), std::string("\x07\x0C"
                                                                  "clWindowText"));
    EXPECT_EQ(valueAfter("Font.Height").substr(0, 2), std::string("\x02\xF5", 2));
    EXPECT_EQ(valueAfter("Font.Name").substr(0, 15), std::string("\x06\x0DMS Sans Serif"));
    EXPECT_EQ(valueAfter("Font.Style").substr(0, 2), std::string("\x0B\x00", 2));
    EXPECT_EQ(valueAfter("Items").substr(0, 2), std::string("\x0E\x00", 2)); // empty collection
    // The end: no more properties, no children.
    EXPECT_EQ(b.substr(b.size() - 2), std::string("\x00\x00", 2));
}

TEST(ComponentStream, TextFormLooksLikeTheFrameworks)
{
    TSample sample(nullptr);
    sample.SetName("Sample1");
    sample.SetTitle("It's");
    sample.SetFlags({flBeta, flDelta});
    sample.Font()->SetStyle({fsBold});
    auto* item = static_cast<TSampleItem*>(sample.Items()->Add());
    item->SetCaption("x");
    sample.blob = "\x01\x02";
    const std::string text = ToText(Write(sample));
    const std::string expected = "object Sample1: TSample\r\n"
                                 "  Title = 'It'#39's'\r\n"
                                 "  Flags = [flBeta, flDelta]\r\n"
                                 "  Font.Charset = DEFAULT_CHARSET\r\n"
                                 "  Font.Color = clWindowText\r\n"
                                 "  Font.Height = -11\r\n"
                                 "  Font.Name = 'MS Sans Serif'\r\n"
                                 "  Font.Style = [fsBold]\r\n"
                                 "  Items = <\r\n"
                                 "    item\r\n"
                                 "      Caption = 'x'\r\n"
                                 "      Font.Charset = DEFAULT_CHARSET\r\n"
                                 "      Font.Color = clWindowText\r\n"
                                 "      Font.Height = -11\r\n"
                                 "      Font.Name = 'MS Sans Serif'\r\n"
                                 "      Font.Style = []\r\n"
                                 "    end>\r\n"
                                 "  Blob = {\r\n"
                                 "    0102}\r\n"
                                 "end\r\n";
    EXPECT_EQ(text, expected);
}

TEST(ComponentStream, UnknownClassesAndPropertiesAreNamed)
{
    struct Case {
        const char* Text;
        const char* Message;
        bool RootClassMatters = false; // reading into a given root ignores the stream's class name
    };
    const Case cases[] = {
        {"object X: TNoSuchClass\r\nend\r\n", "Class TNoSuchClass not found", true},
        {"object S1: TSample\r\n  object C: TNoChild\r\n  end\r\nend\r\n", "Class TNoChild not found"},
        {"object S1: TSample\r\n  Bogus = 1\r\nend\r\n",
         "Error reading S1.Bogus: Property Bogus does not exist"},
        {"object S1: TSample\r\n  Font.Bogus = 1\r\nend\r\n",
         "Error reading S1.Font.Bogus: Property Bogus does not exist"},
        {"object S1: TSample\r\n  Title.Sub = 1\r\nend\r\n",
         "Error reading S1.Title.Sub: Property Title does not exist"},
        {"object S1: TSample\r\n  Small = 'text'\r\nend\r\n",
         "Error reading S1.Small: Invalid property value"},
        {"object S1: TSample\r\n  Shade = shPurple\r\nend\r\n",
         "Error reading S1.Shade: Invalid property value"},
        {"object S1: TSample\r\n  Flags = [flAlpha, flOmega]\r\nend\r\n",
         "Error reading S1.Flags: Invalid property value"},
        {"object S1: TSample\r\n  Color = clNoColour\r\nend\r\n",
         "Error reading S1.Color: Invalid property value"},
        {"object S1: TSample\r\n  Items = <\r\n    item\r\n      Bogus = 2\r\n    end>\r\nend\r\n",
         "Error reading S1.Bogus: Property Bogus does not exist"},
        {"object S1: TSample\r\n  Blob = 5\r\nend\r\n", "Error reading S1.Blob: Invalid property value"},
        {"object S1: TSample\r\n  Font.Charset = 300\r\nend\r\n",
         "Error reading S1.Font.Charset: 300 is out of range for property Charset"},
        {"object S1: TSample\r\n  Medium = 40000\r\nend\r\n",
         "Error reading S1.Medium: 40000 is out of range for property Medium"},
        {"object S1: TFont\r\nend\r\n", "Class TFont is not a component", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string binary = ToBinary(c.Text);
        ExpectThrowWith<EReadError>(
            [&] {
                TStringStream in(binary);
                std::unique_ptr<TComponent> read(in.ReadComponent(nullptr));
            },
            c.Message);
        if (c.RootClassMatters)
            continue;
        // Into an existing component too; it is left usable and not loading.
        TSample target(nullptr);
        ExpectThrowWith<EReadError>(
            [&] {
                TStringStream in(binary);
                in.ReadComponent(&target);
            },
            "");
        EXPECT_FALSE(target.ComponentState().Contains(csLoading));
        EXPECT_FALSE(target.ComponentState().Contains(csReading));
    }
}

TEST(ComponentStream, ForeignAndEmptyStreamsAreInvalidFormat)
{
    for (const std::string& data :
         {std::string(), std::string("TPF"), std::string("PK\x03\x04 not a component"),
          std::string("object X: TSample\r\nend\r\n")}) {
        SCOPED_TRACE(data);
        ExpectThrowWith<EReadError>(
            [&] {
                TStringStream in(data);
                std::unique_ptr<TComponent> read(in.ReadComponent(nullptr));
            },
            "Invalid stream format");
        ExpectThrowWith<EReadError>(
            [&] {
                TStringStream in(data), out;
                ObjectBinaryToText(in, out);
            },
            "Invalid stream format");
    }
}

TEST(ComponentStream, EveryTruncationRaisesReadError)
{
    ScopedCodePage singleByte(CP_1250); // the sample's title is Windows-1250 bytes
    TSample original(nullptr);
    Populate(original);
    const std::string binary = Write(original);
    const std::string text = ToText(binary);
    for (std::size_t length = 0; length < binary.size(); ++length) {
        SCOPED_TRACE(length);
        const std::string cut = binary.substr(0, length);
        TStringStream in(cut);
        EXPECT_THROW(std::unique_ptr<TComponent> read(in.ReadComponent(nullptr)), EReadError);
        TStringStream in2(cut), out;
        EXPECT_THROW(ObjectBinaryToText(in2, out), EReadError);
    }
    for (std::size_t length = 0; length + 8 < text.size(); ++length) { // the last "end" + CR LF may go
        SCOPED_TRACE(length);
        TStringStream in(text.substr(0, length)), out;
        EXPECT_THROW(ObjectTextToBinary(in, out), EParserError);
        EXPECT_EQ(out.Size(), 0); // nothing half-written
    }
}

TEST(ComponentStream, CorruptedStreamsRaiseOrReadButNeverCrash)
{
    ScopedCodePage singleByte(CP_1250); // the sample's title is Windows-1250 bytes
    TSample original(nullptr);
    Populate(original);
    const std::string binary = Write(original);
    std::mt19937 random(20261210);
    int raised = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string bad = binary;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            const std::size_t at = 4 + random() % (bad.size() - 4);
            bad[at] = static_cast<char>(random() % 3 == 0 ? random() % 22 : random() % 256);
        }
        try {
            TStringStream in(bad);
            std::unique_ptr<TComponent> read(in.ReadComponent(nullptr));
        } catch (const Exception&) {
            ++raised;
        }
        try {
            TStringStream in(bad), out;
            ObjectBinaryToText(in, out);
            TStringStream text(out.DataString()), back;
            ObjectTextToBinary(text, back);
        } catch (const Exception&) {
        }
    }
    EXPECT_GT(raised, 1000); // most corruptions are caught, the rest read as other values
}
