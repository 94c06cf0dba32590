// Colour names, their text forms and the fixed RGB values that stand in for the desktop's
// system colours. Every named colour maps to exactly one name and back.
#include "framework/graphics/Graphics.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace vmado {

namespace {

struct NamedValue {
    Integer Value;
    const char* Name;
};

constexpr NamedValue kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

constexpr NamedValue kCharsetNames[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

template <std::size_t N> bool ValueToName(const NamedValue (&table)[N], Integer value, AnsiString& name)
{
    for (const NamedValue& entry : table)
        if (entry.Value == value) {
            name = entry.Name;
            return true;
        }
    return false;
}

template <std::size_t N> bool NameToValue(const NamedValue (&table)[N], std::string_view name, Integer& value)
{
    for (const NamedValue& entry : table)
        if (SameText(entry.Name, name)) {
            value = entry.Value;
            return true;
        }
    return false;
}

// The classic desktop scheme, as R, G, B per system colour index.
constexpr std::array<std::array<std::uint8_t, 3>, 31> kSystemRgb = {{
    {212, 208, 200}, // scroll bar
    {58, 110, 165},  // background
    {10, 36, 106},   // active caption
    {128, 128, 128}, // inactive caption
    {212, 208, 200}, // menu
    {255, 255, 255}, // window
    {0, 0, 0},       // window frame
    {0, 0, 0},       // menu text
    {0, 0, 0},       // window text
    {255, 255, 255}, // caption text
    {212, 208, 200}, // active border
    {212, 208, 200}, // inactive border
    {128, 128, 128}, // application workspace
    {10, 36, 106},   // highlight
    {255, 255, 255}, // highlight text
    {212, 208, 200}, // button face
    {128, 128, 128}, // button shadow
    {128, 128, 128}, // gray text
    {0, 0, 0},       // button text
    {212, 208, 200}, // inactive caption text
    {255, 255, 255}, // button highlight
    {64, 64, 64},    // 3D dark shadow
    {212, 208, 200}, // 3D light
    {0, 0, 0},       // info text
    {255, 255, 225}, // info background
    {181, 181, 181}, // (unassigned index)
    {0, 0, 128},     // hot light
    {166, 202, 240}, // gradient active caption
    {192, 192, 192}, // gradient inactive caption
    {10, 36, 106},   // menu highlight
    {212, 208, 200}, // menu bar
}};

[[noreturn]] void NotAnInteger(std::string_view text)
{
    throw EConvertError("'" + AnsiString(text) + "' is not a valid integer value");
}

} // namespace

bool ColorToIdent(TColor color, AnsiString& ident)
{
    return ValueToName(kColorNames, color, ident);
}

bool IdentToColor(std::string_view ident, TColor& color)
{
    return NameToValue(kColorNames, ident, color);
}

AnsiString ColorToString(TColor color)
{
    AnsiString name;
    if (ColorToIdent(color, name))
        return name;
    static const char* const hex = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(color);
    AnsiString out = "$";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += hex[(bits >> shift) & 15];
    return out;
}

TColor StringToColor(std::string_view text)
{
    TColor color = 0;
    if (IdentToColor(text, color))
        return color;
    std::string_view s = text;
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    if (s.empty())
        NotAnInteger(text);
    if (s.front() == '$' || (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))) {
        s.remove_prefix(s.front() == '$' ? 1 : 2);
        std::uint32_t bits = 0;
        const auto r = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
        if (s.empty() || s.size() > 8 || r.ec != std::errc() || r.ptr != s.data() + s.size())
            NotAnInteger(text);
        return static_cast<TColor>(bits);
    }
    if (s.front() == '+')
        s.remove_prefix(1);
    Int64 value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || value < INT32_MIN || value > INT32_MAX)
        NotAnInteger(text);
    return static_cast<TColor>(value);
}

TColor ColorToRGB(TColor color)
{
    if (color >= 0)
        return color;
    const auto index = static_cast<std::uint32_t>(color) & 0xFF;
    if (index >= kSystemRgb.size())
        return 0;
    const auto& rgb = kSystemRgb[index];
    return static_cast<TColor>(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16));
}

const TIntegerIdents& ColorIdents()
{
    static const TIntegerIdents idents{[](Int64 value, AnsiString& ident) {
                                           return value >= INT32_MIN && value <= INT32_MAX &&
                                                  ColorToIdent(static_cast<TColor>(value), ident);
                                       },
                                       [](std::string_view ident, Int64& value) {
                                           TColor color = 0;
                                           if (!IdentToColor(ident, color))
                                               return false;
                                           value = color;
                                           return true;
                                       }};
    return idents;
}

bool CharsetToIdent(Integer charset, AnsiString& ident)
{
    return ValueToName(kCharsetNames, charset, ident);
}

bool IdentToCharset(std::string_view ident, Integer& charset)
{
    return NameToValue(kCharsetNames, ident, charset);
}

const TIntegerIdents& CharsetIdents()
{
    static const TIntegerIdents idents{[](Int64 value, AnsiString& ident) {
                                           return value >= 0 && value <= 255 &&
                                                  CharsetToIdent(static_cast<Integer>(value), ident);
                                       },
                                       [](std::string_view ident, Int64& value) {
                                           Integer charset = 0;
                                           if (!IdentToCharset(ident, charset))
                                               return false;
                                           value = charset;
                                           return true;
                                       }};
    return idents;
}

} // namespace vmado
