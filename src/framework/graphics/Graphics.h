// Colours and fonts as the framework has them: TColor values (standard colours as BGR, system
// colours as 0x80000000 | index), their names, and TFont with size and height tied at 96 dpi.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/Persistent.h"
#include "framework/classes/PropInfo.h"
#include "framework/rtl/Types.h"

namespace vmado {

// ---- Colours -----------------------------------------------------------------------------------

// System colours: the platform's colour index with the top bit set (negative as a TColor).
constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

// Standard colours: $00BBGGRR.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The name of a colour ("clRed"), for the colours that have one.
bool ColorToIdent(TColor color, AnsiString& ident);
// The colour of a name, ASCII case ignored.
bool IdentToColor(std::string_view ident, TColor& color);
// The name, or "$" and eight upper-case hexadecimal digits ("$00123456").
AnsiString ColorToString(TColor color);
// A name, "$" hexadecimal (up to eight digits) or a decimal integer; else EConvertError
// "'<text>' is not a valid integer value".
TColor StringToColor(std::string_view text);
// A system colour becomes the RGB value of a fixed classic desktop scheme; others stay.
TColor ColorToRGB(TColor color);
// For colour properties: streamed by name where the colour has one.
const TIntegerIdents& ColorIdents();

// ---- Character sets ----------------------------------------------------------------------------

using TFontCharset = Byte;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset MAC_CHARSET = 77;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset JOHAB_CHARSET = 130;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset GREEK_CHARSET = 161;
constexpr TFontCharset TURKISH_CHARSET = 162;
constexpr TFontCharset VIETNAMESE_CHARSET = 163;
constexpr TFontCharset HEBREW_CHARSET = 177;
constexpr TFontCharset ARABIC_CHARSET = 178;
constexpr TFontCharset BALTIC_CHARSET = 186;
constexpr TFontCharset RUSSIAN_CHARSET = 204;
constexpr TFontCharset THAI_CHARSET = 222;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

bool CharsetToIdent(Integer charset, AnsiString& ident);
bool IdentToCharset(std::string_view ident, Integer& charset);
const TIntegerIdents& CharsetIdents();

// ---- Fonts -------------------------------------------------------------------------------------

enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

// a * b / c rounded to the nearest integer, halves away from zero, in 64-bit arithmetic;
// -1 when c is 0 or the result does not fit 32 bits, as the platform's function answers.
Integer MulDiv(Integer a, Integer b, Integer c);

// A font description. Size (points) and Height (pixels; negative for the character height)
// are two views of one value at PixelsPerInch 96; setting either recomputes the other.
// Published: Charset, Color, Height, Name, Pitch, Size (not stored), Style.
class TFont : public TPersistent {
public:
    static constexpr Integer PixelsPerInch = 96;

    TFont();
    AnsiString ClassName() const override { return "TFont"; }
    // Copies every attribute of another font and signals one change; other sources raise.
    void Assign(const TPersistent* source) override;

    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    Integer Height() const { return height_; }
    void SetHeight(Integer value);
    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch value);
    Integer Size() const { return -MulDiv(height_, 72, PixelsPerInch); }
    void SetSize(Integer value) { SetHeight(-MulDiv(value, PixelsPerInch, 72)); }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);

    TNotifyEvent OnChange; // after every change

protected:
    void Changed();

private:
    TFontCharset charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    Integer height_ = -11;
    AnsiString name_ = "MS Sans Serif";
    TFontPitch pitch_ = fpDefault;
    TFontStyles style_;
};

} // namespace vmado
