// Grid columns without a grid: the defaults, which values a stream carries (compared byte for
// byte with streams built from the format), reading those streams back, and copying columns.
#include "common/StreamBytes.h"

#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/PropInfo.h"
#include "framework/db/GridColumns.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vmado::test {
namespace {

// A component holding a column collection, as a grid or a settings carrier does.
class TColumnHolder : public TComponent {
public:
    explicit TColumnHolder(TComponent* owner)
        : TComponent(owner), columns_(std::make_unique<TDBGridColumns>(this))
    {
        RegisterGridColumnClasses();
        static const bool registered = [] {
            ClassInfo<TColumnHolder>("TColumnHolder")
                .Parent<TComponent>()
                .Collection("Columns", &TColumnHolder::Columns);
            return true;
        }();
        (void)registered;
    }
    AnsiString ClassName() const override { return "TColumnHolder"; }
    TDBGridColumns* Columns() const { return columns_.get(); }

private:
    std::unique_ptr<TDBGridColumns> columns_;
};

std::string Write(TComponent& c)
{
    TMemoryStream s;
    s.WriteComponent(&c);
    return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void Read(const std::string& bytes, TComponent& into)
{
    TStringStream s(bytes);
    s.ReadComponent(&into);
}

// The holder's stream with one column whose properties are itemProps.
std::string OneColumnStream(const StreamBytes& itemProps)
{
    StreamBytes s = StreamBytes::Root("TColumnHolder", "Holder");
    s.Prop("Columns").Collection().Item().Append(itemProps).End().End();
    return s.End().End().Bytes();
}

TEST(GridColumnsTest, DefaultsWithoutGridOrField)
{
    TDBGridColumns columns(nullptr);
    TColumn* c = columns.Add();
    c->SetFieldName("name");
    EXPECT_EQ(c->Alignment(), taLeftJustify);
    EXPECT_EQ(c->ButtonStyle(), cbsAuto);
    EXPECT_EQ(c->Color(), clWindow);
    EXPECT_EQ(c->DropDownRows(), 7u);
    EXPECT_FALSE(c->Expanded()); // only an object field in a grid can expand
    EXPECT_EQ(c->ImeMode(), imDontCare);
    EXPECT_FALSE(c->ReadOnly());
    EXPECT_EQ(c->Width(), 64);
    EXPECT_TRUE(c->Visible());
    EXPECT_EQ(c->Title()->Caption(), "name"); // the field name until a caption is assigned
    EXPECT_EQ(c->Title()->Color(), clBtnFace);
    EXPECT_EQ(c->Title()->Alignment(), taLeftJustify);
    EXPECT_EQ(c->AssignedValues().Bits(), 0u);
    EXPECT_EQ(c->DisplayName(), "name");
}

struct StreamCase {
    const char* name;
    std::function<void(TColumn&)> setUp;
    std::function<void(StreamBytes&)> expected; // the item's properties
};

TEST(GridColumnsTest, StreamCarriesOnlyAssignedValuesThatDifferFromTheDefaults)
{
    const StreamCase cases[] = {
        {"fresh column", [](TColumn&) {},
         [](StreamBytes& s) { s.PropBool("Expanded", false).PropBool("Visible", true); }},
        {"field name",
         [](TColumn& c) {
             c.SetFieldName("city");
             c.SetExpanded(true); // reads false outside a grid, so the stream says False
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false).PropString("FieldName", "city").PropBool("Visible", true);
         }},
        {"width", [](TColumn& c) { c.SetWidth(120); },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false).PropInt("Width", 120).PropBool("Visible", true);
         }},
        {"default width assigned", [](TColumn& c) { c.SetWidth(64); },
         [](StreamBytes& s) { s.PropBool("Expanded", false).PropBool("Visible", true); }},
        {"hidden column with a width",
         [](TColumn& c) {
             c.SetWidth(80);
             c.SetVisible(false);
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false).PropInt("Width", -1).PropBool("Visible", false);
         }},
        {"hidden column without a width", [](TColumn& c) { c.SetVisible(false); },
         [](StreamBytes& s) { s.PropBool("Expanded", false).PropBool("Visible", false); }},
        {"colour, alignment, read-only",
         [](TColumn& c) {
             c.SetColor(clInfoBk);
             c.SetAlignment(taCenter);
             c.SetReadOnly(true);
         },
         [](StreamBytes& s) {
             s.PropIdent("Alignment", "taCenter")
                 .PropIdent("Color", "clInfoBk")
                 .PropBool("Expanded", false)
                 .PropBool("ReadOnly", true)
                 .PropBool("Visible", true);
         }},
        {"defaults assigned explicitly",
         [](TColumn& c) {
             c.SetColor(clWindow);
             c.SetAlignment(taLeftJustify);
             c.SetReadOnly(false);
             c.SetImeMode(imDontCare);
             c.Title()->SetCaption("qty");
             c.SetFieldName("qty");
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false).PropString("FieldName", "qty").PropBool("Visible", true);
         }},
        {"unnamed colour as a number", [](TColumn& c) { c.SetColor(0x123456); },
         [](StreamBytes& s) {
             s.PropInt("Color", 0x123456).PropBool("Expanded", false).PropBool("Visible", true);
         }},
        {"button style and drop-down rows",
         [](TColumn& c) {
             c.SetButtonStyle(cbsEllipsis);
             c.SetDropDownRows(12);
         },
         [](StreamBytes& s) {
             s.PropIdent("ButtonStyle", "cbsEllipsis")
                 .PropInt("DropDownRows", 12)
                 .PropBool("Expanded", false)
                 .PropBool("Visible", true);
         }},
        {"font", [](TColumn& c) { c.Font()->SetStyle({fsBold}); },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false)
                 .PropIdent("Font.Charset", "DEFAULT_CHARSET")
                 .PropIdent("Font.Color", "clWindowText")
                 .PropInt("Font.Height", -11)
                 .PropString("Font.Name", "MS Sans Serif")
                 .Prop("Font.Style")
                 .Set({"fsBold"})
                 .PropBool("Visible", true);
         }},
        {"input method",
         [](TColumn& c) {
             c.SetImeMode(imHira);
             c.SetImeName("Japanese");
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false)
                 .PropIdent("ImeMode", "imHira")
                 .PropString("ImeName", "Japanese")
                 .PropBool("Visible", true);
         }},
        {"pick list",
         [](TColumn& c) {
             c.PickList()->Add("S");
             c.PickList()->Add("N");
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false)
                 .Prop("PickList.Strings")
                 .List({"S", "N"})
                 .PropBool("Visible", true);
         }},
        {"title",
         [](TColumn& c) {
             c.SetFieldName("id");
             c.Title()->SetAlignment(taRightJustify);
             c.Title()->SetCaption("Number");
             c.Title()->SetColor(clNavy);
             c.Title()->Font()->SetName("Tahoma");
         },
         [](StreamBytes& s) {
             s.PropBool("Expanded", false)
                 .PropString("FieldName", "id")
                 .PropIdent("Title.Alignment", "taRightJustify")
                 .PropString("Title.Caption", "Number")
                 .PropIdent("Title.Color", "clNavy")
                 .DefaultFont("Title.Font", "Tahoma")
                 .PropBool("Visible", true);
         }},
    };
    for (const StreamCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        TColumnHolder holder(nullptr);
        holder.SetName("Holder");
        tc.setUp(*holder.Columns()->Add());
        StreamBytes item;
        tc.expected(item);
        const std::string expected = OneColumnStream(item);
        EXPECT_EQ(Write(holder), expected);

        // What the stream carries reads back into a column that writes the same bytes.
        TColumnHolder copy(nullptr);
        Read(expected, copy);
        ASSERT_EQ(copy.Columns()->Count(), 1);
        EXPECT_EQ(Write(copy), expected);
    }
}

TEST(GridColumnsTest, ReadingMarksValuesAsAssigned)
{
    StreamBytes item;
    item.PropIdent("Color", "clRed")
        .PropBool("Expanded", false)
        .PropString("FieldName", "name")
        .DefaultFont("Font", "Arial")
        .PropIdent("PopupMenu", "MenuOfAnotherForm") // not in this stream: the reference stays empty
        .PropBool("ReadOnly", true)
        .PropString("Title.Caption", "Name")
        .PropInt("Width", 200)
        .PropBool("Visible", true);
    TColumnHolder holder(nullptr);
    Read(OneColumnStream(item), holder);
    const TColumn* c = holder.Columns()->Items(0);
    EXPECT_EQ(c->Color(), clRed);
    EXPECT_EQ(c->FieldName(), "name");
    EXPECT_EQ(c->Font()->Name(), "Arial");
    EXPECT_TRUE(c->ReadOnly());
    EXPECT_EQ(c->Title()->Caption(), "Name");
    EXPECT_EQ(c->Width(), 200);
    EXPECT_EQ(c->PopupMenu(), nullptr);
    const TColumnValues assigned = c->AssignedValues();
    for (TColumnValue v : {cvColor, cvFont, cvReadOnly, cvTitleCaption, cvWidth})
        EXPECT_TRUE(assigned.Contains(v)) << v;
    for (TColumnValue v : {cvAlignment, cvTitleColor, cvTitleFont, cvTitleAlignment, cvImeMode})
        EXPECT_FALSE(assigned.Contains(v)) << v;
}

TEST(GridColumnsTest, AHiddenColumnShowsAgainWithAUsableWidth)
{
    StreamBytes item;
    item.PropBool("Expanded", false).PropInt("Width", -1).PropBool("Visible", false);
    TColumnHolder holder(nullptr);
    Read(OneColumnStream(item), holder);
    TColumn* c = holder.Columns()->Items(0);
    EXPECT_EQ(c->Width(), -1);
    c->SetVisible(true);
    EXPECT_EQ(c->Width(), 64);
}

TEST(GridColumnsTest, AssignCopiesAssignedValuesAndResetsTheRest)
{
    TDBGridColumns columns(nullptr);
    TColumn* source = columns.Add();
    source->SetFieldName("qty");
    source->SetWidth(90);
    source->SetVisible(false);
    source->SetButtonStyle(cbsNone);
    source->SetDropDownRows(3);
    source->PickList()->Add("1");
    source->Title()->SetCaption("Quantity");
    source->Title()->Font()->SetSize(12);

    TColumn* target = columns.Add();
    target->SetColor(clRed); // not assigned in the source: back to the default
    target->SetReadOnly(true);
    target->Title()->SetColor(clLime);
    target->Assign(source);

    EXPECT_EQ(target->FieldName(), "qty");
    EXPECT_FALSE(target->Visible());
    EXPECT_EQ(target->ButtonStyle(), cbsNone);
    EXPECT_EQ(target->DropDownRows(), 3u);
    EXPECT_EQ(target->PickList()->Count(), 1);
    EXPECT_EQ(target->Title()->Caption(), "Quantity");
    EXPECT_EQ(target->Title()->Font()->Size(), 12);
    EXPECT_EQ(target->Color(), clWindow);
    EXPECT_FALSE(target->ReadOnly());
    EXPECT_EQ(target->Title()->Color(), clBtnFace);
    EXPECT_EQ(target->AssignedValues().Bits(), source->AssignedValues().Bits());
    target->SetVisible(true);
    EXPECT_EQ(target->Width(), 90); // the hidden column's width travelled

    EXPECT_THROW(target->Assign(nullptr), EConvertError);
}

TEST(GridColumnsTest, PopupMenuReferenceIsClearedWhenTheMenuGoes)
{
    TDBGridColumns columns(nullptr);
    TColumn* c = columns.Add();
    auto menu = std::make_unique<TComponent>(nullptr);
    c->SetPopupMenu(menu.get());
    EXPECT_EQ(c->PopupMenu(), menu.get());
    menu.reset();
    EXPECT_EQ(c->PopupMenu(), nullptr);
}

TEST(GridColumnsTest, AnUnknownColumnPropertyFailsTheRead)
{
    StreamBytes item;
    item.PropInt("Widht", 10);
    TColumnHolder holder(nullptr);
    try {
        Read(OneColumnStream(item), holder);
        FAIL() << "read an unknown property";
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("Widht"), AnsiString::npos) << e.Message();
    }
}

} // namespace
} // namespace vmado::test
