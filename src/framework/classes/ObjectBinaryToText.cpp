// The binary component stream rendered as the framework's text form: "object Name: TClass",
// properties as "Name = value" two blanks deeper per level, CR LF line ends, "end".
#include "framework/classes/ComponentStreaming.h"

#include "framework/classes/internal/FilerPrivate.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace vmado {

namespace internal {

AnsiString FloatToText(double value, bool markIntegral, bool single)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return std::signbit(value) ? "-0.0" : (markIntegral ? "0.0" : "0");

    char buffer[64];
    std::to_chars_result written{};
    for (int precision = 15; precision <= 17; ++precision) {
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                precision - 1);
        double back = 0;
        std::from_chars(buffer, written.ptr, back);
        if (single ? static_cast<float>(back) == static_cast<float>(value) : back == value)
            break;
    }
    const std::string_view sci(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = sci.find('e');
    std::string digits;
    bool negative = false;
    for (char c : sci.substr(0, e)) {
        if (c == '-')
            negative = true;
        else if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    int exponent = 0;
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    AnsiString out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        return out;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent + 1);
    if (digits.size() <= integerDigits) {
        out += digits + std::string(integerDigits - digits.size(), '0');
        if (markIntegral)
            out += ".0";
    } else {
        out += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
    }
    return out;
}

bool TextToFloat(std::string_view text, double& value)
{
    if (text.empty())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

} // namespace internal

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr int kLineLength = 64;   // characters of a string per text line
constexpr int kBytesPerLine = 32; // bytes of a binary value per text line
constexpr int kMaxDepth = 200;

class BinaryToText {
public:
    explicit BinaryToText(TStream& input) : reader_(input) {}

    AnsiString Convert()
    {
        reader_.ReadSignature();
        Object();
        return std::move(out_);
    }

private:
    void Indent() { out_.append(static_cast<std::size_t>(level_) * 2, ' '); }
    void NewLine()
    {
        out_ += kLineBreak;
        Indent();
    }
    void Enter()
    {
        if (++depth_ > kMaxDepth)
            internal::InvalidStreamFormat();
    }

    void Object()
    {
        Enter();
        Byte flags = 0;
        Integer childPos = 0;
        reader_.ReadPrefix(flags, childPos);
        const AnsiString className = reader_.ReadStr();
        const AnsiString name = reader_.ReadStr();
        if (className.empty())
            internal::InvalidStreamFormat();
        Indent();
        out_ += (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
        if (!name.empty())
            out_ += name + ": ";
        out_ += className;
        if (flags & ffChildPos)
            out_ += " [" + std::to_string(childPos) + "]";
        out_ += kLineBreak;
        ++level_;
        while (!reader_.EndOfList())
            Property();
        reader_.ReadListEnd();
        while (!reader_.EndOfList())
            Object();
        reader_.ReadListEnd();
        --level_;
        Indent();
        out_ += "end";
        out_ += kLineBreak;
        --depth_;
    }

    void Property()
    {
        const AnsiString name = reader_.ReadStr();
        if (name.empty())
            internal::InvalidStreamFormat();
        Indent();
        out_ += name + " = ";
        Value();
        out_ += kLineBreak;
    }

    enum class Kind { Bytes, Utf8, Wide };

    // Printable runs go in quotes; quotes and control characters go as #code, and so does, in
    // UTF-8 and wide text, everything beyond ASCII: in decimal for UTF-8 text (the framework's
    // own form, which reads back as UTF-8), as four hex digits for wide text, so that each
    // comes back as the type it was. Long texts break every 64 characters with " +".
    void Quoted(const std::u32string& text, Kind kind)
    {
        if (text.empty()) {
            out_ += "''";
            return;
        }
        // Wide text of plain characters only still needs one code to be told from 8-bit text.
        bool marked = kind != Kind::Wide;
        auto plain = [&](char32_t c) { return c >= U' ' && c != U'\'' && (kind == Kind::Bytes || c <= 127); };
        const auto length = static_cast<int>(text.size());
        ++level_;
        if (length > kLineLength)
            NewLine();
        int i = 0;
        int lineStart = 0;
        while (i < length) {
            bool lineFull = false;
            if (plain(text[i]) && (marked || i + 1 < length)) {
                const int j = i;
                do
                    ++i;
                while (i < length && plain(text[i]) && i - lineStart < kLineLength &&
                       (marked || i + 1 < length));
                lineFull = i - lineStart >= kLineLength;
                out_ += '\'';
                for (int k = j; k < i; ++k)
                    out_ += static_cast<char>(text[k]);
                out_ += '\'';
            } else {
                const auto code = static_cast<std::uint32_t>(text[i]);
                if (kind == Kind::Wide) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "#$%04X", code);
                    out_ += hex;
                    marked = true;
                } else {
                    out_ += '#' + std::to_string(code);
                }
                ++i;
                lineFull = i - lineStart >= kLineLength;
            }
            if (lineFull && i < length) {
                out_ += " +";
                NewLine();
                lineStart = i;
            }
        }
        --level_;
    }

    void Binary()
    {
        reader_.ReadValue();
        unsigned char b[4];
        reader_.Read(b, 4);
        const auto length =
            static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t{b[3]} << 24));
        if (length < 0)
            internal::InvalidStreamFormat();
        static const char* const hex = "0123456789ABCDEF";
        out_ += '{';
        ++level_;
        std::int32_t left = length;
        while (left > 0) {
            NewLine();
            const int n = std::min(left, kBytesPerLine);
            unsigned char line[kBytesPerLine];
            reader_.Read(line, n);
            for (int k = 0; k < n; ++k) {
                out_ += hex[line[k] >> 4];
                out_ += hex[line[k] & 15];
            }
            left -= n;
        }
        --level_;
        out_ += '}';
    }

    void Value()
    {
        Enter();
        switch (reader_.NextValue()) {
        case vaList:
            reader_.ReadValue();
            out_ += '(';
            ++level_;
            while (!reader_.EndOfList()) {
                NewLine();
                Value();
            }
            reader_.ReadListEnd();
            --level_;
            out_ += ')';
            break;
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            out_ += std::to_string(reader_.ReadInt64());
            break;
        case vaExtended:
            out_ += internal::FloatToText(reader_.ReadFloat(), true);
            break;
        case vaSingle:
            out_ += internal::FloatToText(reader_.ReadSingle(), false, true) + "s";
            break;
        case vaCurrency:
            out_ += std::to_string(reader_.ReadCurrency().Raw) + "c";
            break;
        case vaDate:
            out_ += internal::FloatToText(reader_.ReadDate(), false) + "d";
            break;
        case vaString:
        case vaLString: {
            const AnsiString s = reader_.ReadString();
            std::u32string units(s.size(), U'\0');
            for (std::size_t k = 0; k < s.size(); ++k)
                units[k] = static_cast<unsigned char>(s[k]);
            Quoted(units, Kind::Bytes);
            break;
        }
        case vaWString: {
            const std::u16string wide = reader_.ReadWideString();
            Quoted(std::u32string(wide.begin(), wide.end()), Kind::Wide);
            break;
        }
        case vaUTF8String: {
            // As UTF-16 units, the way the framework numbers the characters it writes as codes.
            const std::u16string units = reader_.ReadWideString();
            Quoted(std::u32string(units.begin(), units.end()), Kind::Utf8);
            break;
        }
        case vaIdent:
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull:
            out_ += reader_.ReadIdent();
            break;
        case vaBinary:
            Binary();
            break;
        case vaSet: {
            reader_.ReadValue();
            out_ += '[';
            bool first = true;
            for (AnsiString element = reader_.ReadStr(); !element.empty(); element = reader_.ReadStr()) {
                if (!first)
                    out_ += ", ";
                out_ += element;
                first = false;
            }
            out_ += ']';
            break;
        }
        case vaCollection:
            reader_.ReadValue();
            out_ += '<';
            ++level_;
            while (!reader_.EndOfList()) {
                NewLine();
                out_ += "item";
                const TValueType next = reader_.NextValue();
                if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
                    out_ += " [" + std::to_string(reader_.ReadInteger()) + "]";
                }
                out_ += kLineBreak;
                reader_.CheckValue(vaList);
                ++level_;
                while (!reader_.EndOfList())
                    Property();
                reader_.ReadListEnd();
                --level_;
                Indent();
                out_ += "end";
            }
            reader_.ReadListEnd();
            --level_;
            out_ += '>';
            break;
        }
        --depth_;
    }

    TReader reader_;
    AnsiString out_;
    int level_ = 0;
    int depth_ = 0;
};

} // namespace

void ObjectBinaryToText(TStream& input, TStream& output)
{
    AnsiString text;
    {
        BinaryToText converter(input);
        text = converter.Convert();
    } // the reader hands back its read-ahead here
    output.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

} // namespace vmado
