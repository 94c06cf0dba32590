// Property metadata and the class registry: inheritance of property lists, redeclaration,
// lookups, the default and stored rules, and how they decide what a writer puts in the stream.
#include "framework/classes/PropInfo.h"
#include "framework/classes/Component.h"
#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vmado;

namespace {

enum TMood { mdCalm, mdBusy };

class TBasePart : public TComponent {
public:
    using TComponent::TComponent;
    AnsiString ClassName() const override { return "TBasePart"; }
    Integer Count() const { return count_; }
    void SetCount(Integer v) { count_ = v; }
    TMood Mood() const { return mood_; }
    void SetMood(TMood v) { mood_ = v; }
    const AnsiString& Code() const { return code_; }
    void SetCode(const AnsiString& v) { code_ = v; }
    bool KeepCode() const { return code_ != "auto"; }

private:
    Integer count_ = 0;
    TMood mood_ = mdCalm;
    AnsiString code_;
};

// Redeclares Count with another default and adds a string list and a 64-bit value.
class TDerivedPart : public TBasePart {
public:
    explicit TDerivedPart(TComponent* owner) : TBasePart(owner) { SetCount(5); }
    AnsiString ClassName() const override { return "TDerivedPart"; }
    TStringList* Lines() const { return lines_.get(); }
    Int64 Big() const { return big_; }
    void SetBig(Int64 v) { big_ = v; }
    TBasePart* Partner() const { return partner_; }
    void SetPartner(TBasePart* v) { partner_ = v; }

private:
    std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
    Int64 big_ = 0;
    TBasePart* partner_ = nullptr;
};

// Not registered: streams as its nearest registered ancestor.
class TUnregisteredPart : public TDerivedPart {
public:
    using TDerivedPart::TDerivedPart;
    AnsiString ClassName() const override { return "TUnregisteredPart"; }
};

class TAbstractPart : public TComponent {
public:
    using TComponent::TComponent;
    virtual void Run() = 0;
};

const bool kRegistered = [] {
    ClassInfo<TBasePart>("TBasePart")
        .Parent<TComponent>()
        .Int("Count", &TBasePart::Count, &TBasePart::SetCount)
        .Default(0)
        .Enum("Mood", &TBasePart::Mood, &TBasePart::SetMood, {"mdCalm", "mdBusy"})
        .Default(mdCalm)
        .String("Code", &TBasePart::Code, &TBasePart::SetCode)
        .Stored(&TBasePart::KeepCode);
    ClassInfo<TDerivedPart>("TDerivedPart")
        .Parent("TBasePart")
        .Int("Count", &TDerivedPart::Count, &TDerivedPart::SetCount)
        .Default(5)
        .Object("Lines", &TDerivedPart::Lines)
        .Int64("Big", &TDerivedPart::Big, &TDerivedPart::SetBig)
        .Component("Partner", &TDerivedPart::Partner, &TDerivedPart::SetPartner);
    RegisterClass<TAbstractPart>("TAbstractPart").Parent<TComponent>();
    return true;
}();

std::string Text(TComponent& c)
{
    TMemoryStream binary;
    binary.WriteComponent(&c);
    binary.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(binary, text);
    return text.DataString();
}

} // namespace

TEST(PropInfo, RegistryFindsClassesIgnoringCase)
{
    ASSERT_NE(GetClass("tbasepart"), nullptr);
    EXPECT_EQ(GetClass("TBASEPART")->ClassName(), "TBasePart");
    EXPECT_EQ(GetClass("TNothing"), nullptr);
    try {
        FindClass("TNothing");
        ADD_FAILURE() << "found";
    } catch (const EReadError& e) { // EClassNotFound is a read error
        EXPECT_STREQ(e.what(), "Class TNothing not found");
    }
    EXPECT_THROW(FindClass("TNothing"), EClassNotFound);
}

TEST(PropInfo, PropertiesInheritInOrderAndRedeclarationsKeepTheirPlace)
{
    const TClassInfo& derived = FindClass("TDerivedPart");
    ASSERT_EQ(derived.Parent(), GetClass("TBasePart"));
    EXPECT_TRUE(derived.InheritsFrom(FindClass("TComponent")));
    EXPECT_FALSE(FindClass("TBasePart").InheritsFrom(derived));
    std::vector<AnsiString> names;
    for (const TPropInfo* p : derived.Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<AnsiString>{"Tag", "Count", "Mood", "Code", "Lines", "Big", "Partner"}));
    const TPropInfo* count = derived.FindProperty("COUNT");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->Default, 5);
    EXPECT_EQ(FindClass("TBasePart").FindProperty("Count")->Default, 0);
    EXPECT_EQ(derived.FindProperty("Mood")->ValueOrdinal("MDBUSY"), 1);
    EXPECT_EQ(derived.FindProperty("Mood")->ValueName(7), "");
    EXPECT_EQ(derived.FindProperty("Nothing"), nullptr);
}

TEST(PropInfo, InstancesFindTheirNearestRegisteredClass)
{
    TUnregisteredPart part(nullptr);
    EXPECT_EQ(GetClassInfo(part), GetClass("TDerivedPart"));
    TComponent plain(nullptr);
    EXPECT_EQ(GetClassInfo(plain), GetClass("TComponent"));
}

TEST(PropInfo, CreateInstanceMakesOwnedComponentsAndRefusesAbstractClasses)
{
    TComponent owner(nullptr);
    TPersistent* made = FindClass("TDerivedPart").CreateInstance(&owner);
    auto* part = dynamic_cast<TDerivedPart*>(made);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->Owner(), &owner);
    EXPECT_FALSE(FindClass("TAbstractPart").CanCreate());
    EXPECT_THROW(FindClass("TAbstractPart").CreateInstance(&owner), EReadError);
}

TEST(PropInfo, DefaultAndStoredRulesDecideWhatIsWritten)
{
    TDerivedPart part(nullptr);
    part.SetName("Part1");
    EXPECT_EQ(Text(part), "object Part1: TDerivedPart\r\nend\r\n"); // everything at its default

    part.SetCount(0); // differs from the redeclared default 5
    part.SetMood(mdBusy);
    part.SetCode("auto"); // the stored predicate says no
    part.SetBig(-1);
    part.Lines()->Add("first");
    part.Lines()->Add("second");
    EXPECT_EQ(Text(part), "object Part1: TDerivedPart\r\n"
                          "  Count = 0\r\n"
                          "  Mood = mdBusy\r\n"
                          "  Lines.Strings = (\r\n"
                          "    'first'\r\n"
                          "    'second')\r\n"
                          "  Big = -1\r\n"
                          "end\r\n");
    part.SetCode("x");
    EXPECT_NE(Text(part).find("  Code = 'x'\r\n"), std::string::npos);

    // And back: the string list's defined property arrives through the dotted path.
    TMemoryStream binary;
    binary.WriteComponent(&part);
    binary.SetPosition(0);
    TDerivedPart copy(nullptr);
    binary.ReadComponent(&copy);
    ASSERT_EQ(copy.Lines()->Count(), 2);
    EXPECT_EQ(copy.Lines()->Strings(1), "second");
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.Big(), -1);
    EXPECT_EQ(copy.Code(), "x");
}

TEST(PropInfo, ComponentReferencesStreamByNameAndResolveAfterReading)
{
    // A sibling of the written component is named through its owner.
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* a = new TDerivedPart(&form);
    a->SetName("A");
    auto* b = new TBasePart(&form);
    b->SetName("B");
    a->SetPartner(b);
    EXPECT_NE(Text(*a).find("  Partner = Form1.B\r\n"), std::string::npos) << Text(*a);

    // A component the written one owns is named plainly, and found again when read.
    TDerivedPart root(nullptr);
    root.SetName("Root");
    auto* own = new TBasePart(&root);
    own->SetName("B");
    root.SetPartner(own);
    EXPECT_NE(Text(root).find("  Partner = B\r\n"), std::string::npos) << Text(root);
    TMemoryStream s;
    s.WriteComponent(&root);

    TDerivedPart copy(nullptr);
    auto* copyB = new TBasePart(&copy);
    copyB->SetName("B");
    s.SetPosition(0);
    s.ReadComponent(&copy);
    EXPECT_EQ(copy.Name(), "Root");
    EXPECT_EQ(copy.Partner(), copyB);

    // Nothing of that name in the reading root: the reference stays empty.
    TDerivedPart lonely(nullptr);
    s.SetPosition(0);
    s.ReadComponent(&lonely);
    EXPECT_EQ(lonely.Partner(), nullptr);
}

TEST(PropInfo, PrefixedChildrenReadIntoTheirOwner)
{
    const std::string text = "object Root: TComponent\r\n"
                             "  inherited A: TBasePart [1]\r\n"
                             "    Count = 3\r\n"
                             "  end\r\n"
                             "  inline B: TDerivedPart\r\n"
                             "    Mood = mdBusy\r\n"
                             "  end\r\n"
                             "end\r\n";
    TStringStream in(text), binary;
    ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
    std::unique_ptr<TComponent> root(binary.ReadComponent(nullptr));
    ASSERT_EQ(root->ComponentCount(), 2);
    auto* a = dynamic_cast<TBasePart*>(root->FindComponent("A"));
    auto* b = dynamic_cast<TDerivedPart*>(root->FindComponent("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->Count(), 3);
    EXPECT_EQ(b->Mood(), mdBusy);
}
