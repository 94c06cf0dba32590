// TFont: the attributes, their single change signal, and the published-property declaration
// that streams a font as Font.Charset, Font.Color, Font.Height, Font.Name, Font.Style.
#include "framework/graphics/Graphics.h"

#include "framework/rtl/Exceptions.h"

#include <cstdlib>
#include <limits>

namespace vmado {

Integer MulDiv(Integer a, Integer b, Integer c)
{
    if (c == 0)
        return -1;
    const Int64 product = static_cast<Int64>(a) * b;
    const Int64 divisor = c;
    Int64 quotient = product / divisor;
    const Int64 remainder = product % divisor;
    if (2 * std::llabs(remainder) >= std::llabs(divisor))
        quotient += ((product < 0) != (divisor < 0)) ? -1 : 1;
    if (quotient < std::numeric_limits<Integer>::min() || quotient > std::numeric_limits<Integer>::max())
        return -1;
    return static_cast<Integer>(quotient);
}

TFont::TFont() = default;

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont::Assign(const TPersistent* source)
{
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        if (font == this)
            return;
        charset_ = font->charset_;
        color_ = font->color_;
        height_ = font->height_;
        name_ = font->name_;
        pitch_ = font->pitch_;
        style_ = font->style_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TFont::SetCharset(TFontCharset value)
{
    if (charset_ == value)
        return;
    charset_ = value;
    Changed();
}

void TFont::SetColor(TColor value)
{
    if (color_ == value)
        return;
    color_ = value;
    Changed();
}

void TFont::SetHeight(Integer value)
{
    if (height_ == value)
        return;
    height_ = value;
    Changed();
}

void TFont::SetName(const AnsiString& value)
{
    if (name_ == value)
        return;
    name_ = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value)
{
    if (pitch_ == value)
        return;
    pitch_ = value;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    if (style_ == value)
        return;
    style_ = value;
    Changed();
}

namespace {

const bool kFontRegistered = [] {
    ClassInfo<TFont>("TFont")
        .Parent<TPersistent>()
        .Int("Charset", &TFont::Charset, &TFont::SetCharset)
        .Idents(CharsetIdents())
        .Int("Color", &TFont::Color, &TFont::SetColor)
        .Idents(ColorIdents())
        .Int("Height", &TFont::Height, &TFont::SetHeight)
        .String("Name", &TFont::Name, &TFont::SetName)
        .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"})
        .Default(fpDefault)
        .Int("Size", &TFont::Size, &TFont::SetSize)
        .Stored(false)
        .Set("Style", &TFont::Style, &TFont::SetStyle, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return true;
}();

} // namespace

} // namespace vmado
