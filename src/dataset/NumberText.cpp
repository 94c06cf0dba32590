#include "dataset/NumberText.h"

#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <cctype>

namespace vmado {

namespace {

bool Digit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::optional<AnsiString> SqlNumberLiteral(const AnsiString& value)
{
    const AnsiString text = Trim(value);
    const char separator = FormatSettings().DecimalSeparator;
    AnsiString out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        out += text[i++];
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (Digit(c)) {
            digits = true;
            out += c;
        } else if ((c == '.' || c == separator) && !point) {
            point = true;
            out += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out += text[i++];
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            out += text[i++];
        if (i == text.size() || !Digit(text[i]))
            return std::nullopt;
        while (i < text.size() && Digit(text[i]))
            out += text[i++];
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

} // namespace vmado
