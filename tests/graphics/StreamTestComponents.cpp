// Published-property declarations of the stream-test components.
#include "StreamTestComponents.h"

#include "framework/classes/PropInfo.h"

namespace vmado::test {

namespace {

const bool kRegistered = [] {
    ClassInfo<TSampleItem>("TSampleItem")
        .Parent<TCollectionItem>()
        .String("Caption", &TSampleItem::Caption, &TSampleItem::SetCaption)
        .Int("Width", &TSampleItem::Width, &TSampleItem::SetWidth)
        .Default(64)
        .Enum("Shade", &TSampleItem::Shade, &TSampleItem::SetShade, {"shLight", "shMedium", "shDark"})
        .Default(shLight)
        .Object("Font", &TSampleItem::Font);

    ClassInfo<TSample>("TSample")
        .Parent<TComponent>()
        .String("Title", &TSample::Title, &TSample::SetTitle)
        .String("Memo", &TSample::Memo, &TSample::SetMemo)
        .Int("Small", &TSample::Small, &TSample::SetSmall)
        .Default(0)
        .Int("Medium", &TSample::Medium, &TSample::SetMedium)
        .Default(0)
        .Int("Large", &TSample::Large, &TSample::SetLarge)
        .Default(0)
        .Int64("Huge", &TSample::Huge, &TSample::SetHuge)
        .Float("Ratio", &TSample::Ratio, &TSample::SetRatio)
        .Float("Precision", &TSample::Precision, &TSample::SetPrecision, TFloatKind::Single)
        .CurrencyProp("Price", &TSample::Price, &TSample::SetPrice)
        .Float("Stamp", &TSample::Stamp, &TSample::SetStamp, TFloatKind::Date)
        .Set("Flags", &TSample::Flags, &TSample::SetFlags, {"flAlpha", "flBeta", "flGamma", "flDelta"})
        .Enum("Shade", &TSample::Shade, &TSample::SetShade, {"shLight", "shMedium", "shDark"})
        .Default(shMedium)
        .Bool("Active", &TSample::Active, &TSample::SetActive)
        .Default(false)
        .Char("Letter", &TSample::Letter, &TSample::SetLetter)
        .Default('A')
        .Int("Color", &TSample::Color, &TSample::SetColor)
        .Default(clWindow)
        .Idents(ColorIdents())
        .Object("Font", &TSample::Font)
        .Collection("Items", &TSample::Items)
        .Component("Link", &TSample::Link, &TSample::SetLink);
    return true;
}();

} // namespace

} // namespace vmado::test
