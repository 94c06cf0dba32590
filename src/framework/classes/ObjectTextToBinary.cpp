// The text form of a component read back into the binary stream. Every construct the binary-to-
// text conversion writes maps back to the same bytes; malformed text raises EParserError.
#include "framework/classes/ComponentStreaming.h"
#include "framework/rtl/SysUtils.h"

#include "framework/classes/internal/FilerPrivate.h"
#include "framework/rtl/CodePage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace vmado {

namespace {

constexpr int kMaxDepth = 200;

enum class Tok { End, Symbol, String, Integer, Float, Char };

class TextToBinary {
public:
    TextToBinary(std::string text, TStream& output) : text_(std::move(text)), writer_(output) {}

    void Convert()
    {
        Next();
        writer_.WriteSignature();
        Object();
        writer_.FlushBuffer();
    }

private:
    // ---- tokens ----
    [[noreturn]] void Error(const AnsiString& what) const
    {
        throw EParserError(what + " on line " + std::to_string(line_));
    }
    [[noreturn]] void Expected(const AnsiString& what) const { Error(what + " expected"); }

    char Peek(std::size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    static bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    void SkipBlanks()
    {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }

    void Next()
    {
        SkipBlanks();
        tokenText_.clear();
        floatSuffix_ = '\0';
        if (pos_ >= text_.size()) {
            tok_ = Tok::End;
            return;
        }
        const char c = text_[pos_];
        if (IsLetter(c)) {
            const std::size_t start = pos_;
            while (IsLetter(Peek()) || IsDigit(Peek()))
                ++pos_;
            tokenText_ = text_.substr(start, pos_ - start);
            tok_ = Tok::Symbol;
        } else if (c == '\'' || c == '#') {
            StringToken();
        } else if (c == '$') {
            ++pos_;
            const std::size_t start = pos_;
            while (std::isxdigit(static_cast<unsigned char>(Peek())))
                ++pos_;
            if (pos_ == start)
                Expected("Hexadecimal digits");
            std::uint64_t v = 0;
            const auto r = std::from_chars(text_.data() + start, text_.data() + pos_, v, 16);
            if (r.ec != std::errc())
                Error("Invalid integer value");
            intValue_ = static_cast<Int64>(v);
            tok_ = Tok::Integer;
        } else if (IsDigit(c) || ((c == '-' || c == '+') && IsDigit(Peek(1)))) {
            NumberToken();
        } else {
            tokenText_ = std::string(1, c);
            ++pos_;
            tok_ = Tok::Char;
        }
    }

    void NumberToken()
    {
        const std::size_t start = pos_;
        if (Peek() == '-' || Peek() == '+')
            ++pos_;
        while (IsDigit(Peek()))
            ++pos_;
        bool isFloat = false;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++pos_;
            while (IsDigit(Peek()))
                ++pos_;
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
            isFloat = true;
            pos_ += 2;
            while (IsDigit(Peek()))
                ++pos_;
        }
        tokenText_ = text_.substr(start, pos_ - start);
        if (tokenText_[0] == '+')
            tokenText_.erase(0, 1);
        const char suffix = Peek();
        if (suffix == 's' || suffix == 'S' || suffix == 'c' || suffix == 'C' || suffix == 'd' ||
            suffix == 'D') {
            floatSuffix_ = static_cast<char>(suffix | 0x20);
            ++pos_;
            isFloat = true;
        }
        if (IsLetter(Peek()) || IsDigit(Peek()))
            Error("Invalid number '" + text_.substr(start, pos_ - start + 1) + "'");
        if (isFloat) {
            if (!internal::TextToFloat(tokenText_, floatValue_))
                Error("Invalid floating point value '" + tokenText_ + "'");
            tok_ = Tok::Float;
        } else {
            const auto r =
                std::from_chars(tokenText_.data(), tokenText_.data() + tokenText_.size(), intValue_);
            if (r.ec != std::errc())
                Error("Integer value '" + tokenText_ + "' out of range");
            tok_ = Tok::Integer;
        }
    }

    // Adjacent quoted runs and #codes form one string. tokenBytes_ holds it as bytes (quoted text
    // as it stands, codes as bytes), tokenUnicode_ as UTF-16 units or code points (quoted text
    // through the code page). Which of them becomes the value is told by how the codes were
    // written: a code beyond ASCII in decimal or short hex makes a UTF-8 string, as the framework
    // writes one; a code in four hex digits is a UTF-16 unit and makes a wide string.
    void StringToken()
    {
        tok_ = Tok::String;
        tokenUtf8_ = false;
        tokenWide_ = false;
        tokenBytes_.clear();
        tokenUnicode_.clear();
        for (;;) {
            if (Peek() == '\'') {
                ++pos_;
                const std::size_t runStart = tokenBytes_.size();
                for (;;) {
                    if (pos_ >= text_.size() || Peek() == '\n' || Peek() == '\r')
                        Error("Unterminated string");
                    if (Peek() == '\'') {
                        if (Peek(1) != '\'')
                            break;
                        ++pos_; // a doubled quote stands for one
                    }
                    tokenBytes_ += text_[pos_];
                    ++pos_;
                }
                ++pos_;
                tokenUnicode_ += AnsiToUtf32(std::string_view(tokenBytes_).substr(runStart));
            } else if (Peek() == '#') {
                ++pos_;
                std::uint32_t code = 0;
                const std::size_t start = pos_;
                bool hex = false;
                if (Peek() == '$') {
                    hex = true;
                    ++pos_;
                    while (std::isxdigit(static_cast<unsigned char>(Peek())))
                        ++pos_;
                    if (std::from_chars(text_.data() + start + 1, text_.data() + pos_, code, 16).ec !=
                        std::errc())
                        Error("Invalid character code");
                } else {
                    while (IsDigit(Peek()))
                        ++pos_;
                    if (std::from_chars(text_.data() + start, text_.data() + pos_, code).ec != std::errc())
                        Error("Invalid character code");
                }
                if (code > 0x10FFFF)
                    Error("Invalid character code");
                if (hex && pos_ - start - 1 >= 4)
                    tokenWide_ = true;
                else if (code > 127)
                    tokenUtf8_ = true;
                tokenBytes_ += static_cast<char>(code);
                tokenUnicode_ += static_cast<char32_t>(code);
            } else {
                return;
            }
        }
    }

    bool IsSymbol(std::string_view word) const { return tok_ == Tok::Symbol && SameText(tokenText_, word); }
    bool IsChar(char c) const { return tok_ == Tok::Char && tokenText_[0] == c; }
    void CheckChar(char c)
    {
        if (!IsChar(c))
            Expected(AnsiString("'") + c + "'");
    }
    AnsiString TakeSymbol()
    {
        if (tok_ != Tok::Symbol)
            Expected("Identifier");
        AnsiString s = tokenText_;
        Next();
        return s;
    }
    void Enter()
    {
        if (++depth_ > kMaxDepth)
            Error("Nesting too deep");
    }

    // ---- grammar ----
    void Object()
    {
        Enter();
        Byte flags = 0;
        if (IsSymbol("inherited"))
            flags = ffInherited;
        else if (IsSymbol("inline"))
            flags = ffInline;
        else if (!IsSymbol("object"))
            Expected("'object'");
        Next();
        AnsiString name;
        AnsiString className = TakeSymbol();
        if (IsChar(':')) {
            Next();
            name = className;
            className = TakeSymbol();
        }
        Integer childPos = 0;
        if (IsChar('[')) {
            Next();
            if (tok_ != Tok::Integer || intValue_ < INT32_MIN || intValue_ > INT32_MAX)
                Expected("Integer");
            childPos = static_cast<Integer>(intValue_);
            flags |= ffChildPos;
            Next();
            CheckChar(']');
            Next();
        }
        writer_.WritePrefix(flags, childPos);
        writer_.WriteStr(className);
        writer_.WriteStr(name);
        while (!IsSymbol("end") && !IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline"))
            Property();
        writer_.WriteListEnd();
        while (!IsSymbol("end"))
            Object();
        writer_.WriteListEnd();
        Next();
        --depth_;
    }

    void Property()
    {
        AnsiString name = TakeSymbol();
        while (IsChar('.')) {
            Next();
            name += "." + TakeSymbol();
        }
        writer_.WriteStr(name);
        CheckChar('=');
        Next();
        Value();
    }

    void StringValue()
    {
        std::string bytes;
        std::u32string unicode;
        bool utf8 = false, wide = false;
        for (;;) {
            bytes += tokenBytes_;
            unicode += tokenUnicode_;
            utf8 = utf8 || tokenUtf8_;
            wide = wide || tokenWide_;
            Next();
            if (!IsChar('+'))
                break;
            Next();
            if (tok_ != Tok::String)
                Expected("String");
        }
        if (wide)
            writer_.WriteWideString(internal::Utf32ToUtf16(unicode));
        else if (utf8)
            writer_.WriteUTF8String(internal::Utf16ToUtf8(internal::Utf32ToUtf16(unicode)));
        else
            writer_.WriteString(bytes);
    }

    void Binary()
    {
        std::string bytes;
        int high = -1;
        for (;;) {
            if (pos_ >= text_.size())
                Expected("'}'");
            const char c = text_[pos_++];
            if (c == '}')
                break;
            if (c == '\n')
                ++line_;
            if (static_cast<unsigned char>(c) <= ' ')
                continue;
            int nibble = -1;
            if (c >= '0' && c <= '9')
                nibble = c - '0';
            else if (c >= 'A' && c <= 'F')
                nibble = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                nibble = c - 'a' + 10;
            else
                Error("Invalid binary value");
            if (high < 0) {
                high = nibble;
            } else {
                bytes.push_back(static_cast<char>(high * 16 + nibble));
                high = -1;
            }
        }
        if (high >= 0)
            Error("Invalid binary value");
        writer_.WriteBinary(bytes.data(), static_cast<Int64>(bytes.size()));
        Next();
    }

    void Value()
    {
        Enter();
        switch (tok_) {
        case Tok::Integer:
            writer_.WriteInteger(intValue_);
            Next();
            break;
        case Tok::Float:
            switch (floatSuffix_) {
            case 's':
                writer_.WriteSingle(static_cast<float>(floatValue_));
                break;
            case 'd':
                writer_.WriteDate(floatValue_);
                break;
            case 'c': {
                Int64 raw = 0;
                const auto r = std::from_chars(tokenText_.data(), tokenText_.data() + tokenText_.size(), raw);
                if (r.ec != std::errc() || r.ptr != tokenText_.data() + tokenText_.size()) {
                    if (!(std::fabs(floatValue_) < 9.2e18))
                        Error("Currency value '" + tokenText_ + "' out of range");
                    raw = std::llround(floatValue_);
                }
                writer_.WriteCurrency(Currency::FromRaw(raw));
                break;
            }
            default:
                writer_.WriteFloat(floatValue_);
                break;
            }
            Next();
            break;
        case Tok::String:
            StringValue();
            break;
        case Tok::Symbol: {
            // A reference into another module (Form2.Menu1) is one identifier, dots and all.
            AnsiString ident = tokenText_;
            while (Peek() == '.') {
                ++pos_;
                if (!IsLetter(Peek()))
                    Expected("Identifier");
                const std::size_t start = pos_;
                while (IsLetter(Peek()) || IsDigit(Peek()))
                    ++pos_;
                ident += '.';
                ident.append(text_, start, pos_ - start);
            }
            writer_.WriteIdent(ident);
            Next();
            break;
        }
        case Tok::Char:
            switch (tokenText_[0]) {
            case '[':
                Next();
                writer_.WriteValue(vaSet);
                if (!IsChar(']')) {
                    for (;;) {
                        const AnsiString element = TakeSymbol();
                        writer_.WriteStr(element);
                        if (IsChar(']'))
                            break;
                        CheckChar(',');
                        Next();
                    }
                }
                writer_.WriteStr("");
                Next();
                break;
            case '(':
                Next();
                writer_.WriteListBegin();
                while (!IsChar(')')) {
                    if (tok_ == Tok::End)
                        Expected("')'");
                    Value();
                }
                writer_.WriteListEnd();
                Next();
                break;
            case '{':
                Binary();
                break;
            case '<':
                Next();
                writer_.WriteValue(vaCollection);
                while (!IsChar('>')) {
                    if (!IsSymbol("item"))
                        Expected("'item'");
                    Next();
                    if (IsChar('[')) {
                        Next();
                        if (tok_ != Tok::Integer || intValue_ < INT32_MIN || intValue_ > INT32_MAX)
                            Expected("Integer");
                        writer_.WriteInteger(intValue_);
                        Next();
                        CheckChar(']');
                        Next();
                    }
                    writer_.WriteListBegin();
                    while (!IsSymbol("end"))
                        Property();
                    writer_.WriteListEnd();
                    Next();
                }
                writer_.WriteListEnd();
                Next();
                break;
            default:
                Error("Invalid property value");
            }
            break;
        case Tok::End:
            Expected("Property value");
        }
        --depth_;
    }

    std::string text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    TWriter writer_;
    Tok tok_ = Tok::End;
    std::string tokenText_;
    std::string tokenBytes_;
    std::u32string tokenUnicode_;
    bool tokenUtf8_ = false;
    bool tokenWide_ = false;
    Int64 intValue_ = 0;
    double floatValue_ = 0;
    char floatSuffix_ = '\0';
    int depth_ = 0;
};

} // namespace

void ObjectTextToBinary(TStream& input, TStream& output)
{
    const Int64 left = input.Size() - input.Position();
    std::string text(static_cast<std::size_t>(std::max<Int64>(left, 0)), '\0');
    input.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    // Built in memory first, so that text failing half-way leaves nothing in the output.
    TMemoryStream binary;
    {
        TextToBinary converter(std::move(text), binary);
        converter.Convert();
    }
    output.WriteBuffer(binary.Memory(), binary.Size());
}

} // namespace vmado
