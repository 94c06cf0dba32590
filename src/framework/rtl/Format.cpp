// The framework's Format: walks the format once, taking arguments in order (or by index) and
// rejecting an argument whose kind the conversion does not accept.
#include "framework/rtl/Format.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <vector>

namespace vmado {

namespace {

[[noreturn]] void Invalid(std::string_view format)
{
    throw EConvertError("Format '" + AnsiString(format) + "' invalid or incompatible with argument");
}

[[noreturn]] void Missing(std::string_view format)
{
    throw EConvertError("No argument for format '" + AnsiString(format) + "'");
}

class ArgReader {
public:
    ArgReader(std::string_view format, const TVarRec* first, std::size_t count)
        : format_(format), args_(first), count_(count)
    {
    }
    const TVarRec& Next()
    {
        if (next_ >= count_)
            Missing(format_);
        return args_[next_++];
    }
    void Seek(std::size_t index) { next_ = index; }
    Integer NextInteger()
    {
        const TVarRec& a = Next();
        if (a.GetKind() != TVarRec::Kind::Integer)
            Invalid(format_);
        return static_cast<Integer>(a.IntValue());
    }

private:
    std::string_view format_;
    const TVarRec* args_;
    std::size_t count_;
    std::size_t next_ = 0;
};

bool IsInteger(const TVarRec& a)
{
    return a.GetKind() == TVarRec::Kind::Integer || a.GetKind() == TVarRec::Kind::Int64;
}

AnsiString Digits(std::uint64_t magnitude, int base)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    AnsiString out;
    do {
        out.insert(out.begin(), kDigits[magnitude % static_cast<unsigned>(base)]);
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude != 0);
    return out;
}

AnsiString PadDigits(AnsiString digits, int precision)
{
    if (precision > 0 && static_cast<int>(digits.size()) < precision)
        digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    return digits;
}

} // namespace

namespace {

AnsiString FormatArgs(std::string_view format, const TVarRec* first, std::size_t count)
{
    ArgReader reader(format, first, count);
    AnsiString out;
    std::size_t i = 0;
    const std::size_t n = format.size();
    auto readNumber = [&](int& value) -> bool {
        if (i < n && format[i] == '*') {
            value = reader.NextInteger();
            ++i;
            return true;
        }
        if (i >= n || format[i] < '0' || format[i] > '9')
            return false;
        long v = 0;
        while (i < n && format[i] >= '0' && format[i] <= '9') {
            v = std::min(v * 10 + (format[i] - '0'), 100000L);
            ++i;
        }
        value = static_cast<int>(v);
        return true;
    };

    while (i < n) {
        const char c = format[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i >= n)
            Invalid(format);
        if (format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int number = -1;
        bool left = false;
        int width = -1;
        int precision = -1;
        if (readNumber(number) && i < n && format[i] == ':') {
            reader.Seek(static_cast<std::size_t>(std::max(number, 0)));
            ++i;
            number = -1;
            if (i < n && format[i] == '-') {
                left = true;
                ++i;
            }
            readNumber(width);
        } else if (number >= 0) {
            width = number;
        } else if (i < n && format[i] == '-') {
            left = true;
            ++i;
            readNumber(width);
        }
        if (i < n && format[i] == '.') {
            ++i;
            if (!readNumber(precision))
                precision = 0;
        }
        if (i >= n)
            Invalid(format);
        const char type = static_cast<char>(format[i++] | 0x20);
        AnsiString text;
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            const TVarRec& a = reader.Next();
            if (!IsInteger(a))
                Invalid(format);
            const bool wide = a.GetKind() == TVarRec::Kind::Int64;
            const Int64 v = a.IntValue();
            if (type == 'd') {
                const std::uint64_t magnitude =
                    v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
                text = (v < 0 ? "-" : "") + PadDigits(Digits(magnitude, 10), precision);
            } else {
                // Unsigned and hexadecimal read the two's complement of the argument's width.
                const std::uint64_t bits = wide ? static_cast<std::uint64_t>(v)
                                                : static_cast<std::uint64_t>(static_cast<Cardinal>(v));
                text = PadDigits(Digits(bits, type == 'x' ? 16 : 10), precision);
            }
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            const TVarRec& a = reader.Next();
            const bool isCurrency = a.GetKind() == TVarRec::Kind::Currency;
            if (a.GetKind() != TVarRec::Kind::Double && !isCurrency)
                Invalid(format);
            const double v = isCurrency ? Currency::FromRaw(a.IntValue()).ToDouble() : a.DoubleValue();
            const Currency cur = Currency::FromRaw(a.IntValue());
            switch (type) {
            case 'e':
                text = FloatToStrF(v, ffExponent, (precision < 0 || precision > 18) ? 15 : precision, 3);
                break;
            case 'g':
                text = FloatToStrF(v, ffGeneral, (precision < 0 || precision > 18) ? 15 : precision, 0);
                break;
            default: {
                const TFloatFormat ff = type == 'f' ? ffFixed : (type == 'n' ? ffNumber : ffCurrency);
                const int decimals = precision < 0 ? (type == 'm' ? FormatSettings().CurrencyDecimals : 2)
                                                   : std::min(precision, 18);
                text = isCurrency ? CurrToStrF(cur, ff, decimals) : FloatToStrF(v, ff, 18, decimals);
                break;
            }
            }
            break;
        }
        case 's': {
            const TVarRec& a = reader.Next();
            if (a.GetKind() != TVarRec::Kind::String && a.GetKind() != TVarRec::Kind::Char)
                Invalid(format);
            std::string_view s = a.Text();
            if (precision >= 0 && static_cast<std::size_t>(precision) < s.size())
                s = s.substr(0, static_cast<std::size_t>(precision));
            text = AnsiString(s);
            break;
        }
        default:
            Invalid(format);
        }
        if (width > 0 && static_cast<int>(text.size()) < width) {
            const std::size_t pad = static_cast<std::size_t>(width) - text.size();
            if (left)
                text.append(pad, ' ');
            else
                text.insert(0, pad, ' ');
        }
        out += text;
    }
    return out;
}

} // namespace

AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args)
{
    return FormatArgs(format, args.begin(), args.size());
}

AnsiString Format(std::string_view format, const std::vector<TVarRec>& args)
{
    return FormatArgs(format, args.data(), args.size());
}

} // namespace vmado
