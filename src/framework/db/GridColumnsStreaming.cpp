// The column classes' published properties in the grid's declaration order, each with the rule
// that keeps a value from the stream while it is unassigned or equal to its default.
#include "framework/db/GridColumns.h"

#include "framework/classes/PropInfo.h"

namespace vmado {

namespace {

const std::vector<AnsiString>& AlignmentNames()
{
    static const std::vector<AnsiString> names{"taLeftJustify", "taRightJustify", "taCenter"};
    return names;
}

void DeclareGridColumnClasses()
{
    ClassInfo<TColumnTitle>("TColumnTitle")
        .Parent<TPersistent>()
        .Enum("Alignment", &TColumnTitle::Alignment, &TColumnTitle::SetAlignment, AlignmentNames())
        .Stored(&TColumnTitle::IsAlignmentStored)
        .String("Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption)
        .Stored(&TColumnTitle::IsCaptionStored)
        .Int("Color", &TColumnTitle::Color, &TColumnTitle::SetColor)
        .Idents(ColorIdents())
        .Stored(&TColumnTitle::IsColorStored)
        .Object("Font", &TColumnTitle::Font)
        .Stored(&TColumnTitle::IsFontStored);

    ClassInfo<TColumn>("TColumn")
        .Parent<TCollectionItem>()
        .Enum("Alignment", &TColumn::Alignment, &TColumn::SetAlignment, AlignmentNames())
        .Stored(&TColumn::IsAlignmentStored)
        .Enum("ButtonStyle", &TColumn::ButtonStyle, &TColumn::SetButtonStyle,
              {"cbsAuto", "cbsEllipsis", "cbsNone"})
        .Default(cbsAuto)
        .Int("Color", &TColumn::Color, &TColumn::SetColor)
        .Idents(ColorIdents())
        .Stored(&TColumn::IsColorStored)
        .Int("DropDownRows", &TColumn::DropDownRows, &TColumn::SetDropDownRows)
        .Default(DefaultDropDownRows)
        .Bool("Expanded", &TColumn::Expanded, &TColumn::SetExpanded)
        .Default(true)
        .String("FieldName", &TColumn::FieldName, &TColumn::SetFieldName)
        .Object("Font", &TColumn::Font)
        .Stored(&TColumn::IsFontStored)
        .Enum("ImeMode", &TColumn::ImeMode, &TColumn::SetImeMode,
              {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata",
               "imKata", "imChinese", "imSHanguel", "imHanguel"})
        .Stored(&TColumn::IsImeModeStored)
        .String("ImeName", &TColumn::ImeName, &TColumn::SetImeName)
        .Stored(&TColumn::IsImeNameStored)
        .Object("PickList", &TColumn::PickList)
        .Component("PopupMenu", &TColumn::PopupMenu, &TColumn::SetPopupMenu)
        .Bool("ReadOnly", &TColumn::ReadOnly, &TColumn::SetReadOnly)
        .Stored(&TColumn::IsReadOnlyStored)
        .Object("Title", &TColumn::Title)
        .Int("Width", &TColumn::Width, &TColumn::SetWidth)
        .Stored(&TColumn::IsWidthStored)
        .Bool("Visible", &TColumn::Visible, &TColumn::SetVisible);

    ClassInfo<TDBGridColumns>("TDBGridColumns").Parent<TCollection>();
}

} // namespace

void RegisterGridColumnClasses()
{
    static const bool registered = (DeclareGridColumnClasses(), true);
    (void)registered;
}

} // namespace vmado
