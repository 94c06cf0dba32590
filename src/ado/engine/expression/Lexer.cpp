// Splits criteria texts into tokens. Bytes of 0x80 and above are letters of the code page, so
// names such as Város need no brackets.
#include "ado/engine/expression/internal/Lexer.h"

#include "ado/engine/expression/internal/LocaleView.h"

#include "framework/rtl/Exceptions.h"

namespace vmado::engine::internal {
namespace {

bool IsWordStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool IsWordChar(unsigned char c)
{
    return IsWordStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

AnsiString Shown(std::string_view s)
{
    // Control bytes would garble the message; keep it on one line and short.
    AnsiString out;
    for (char c : s.substr(0, 40))
        out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    if (s.size() > 40)
        out += "...";
    return out;
}

[[noreturn]] void Fail(const char* what, size_t pos, std::string_view near, const char* detail)
{
    AnsiString msg = AnsiString("Syntax error in ") + what + " at position " + std::to_string(pos + 1) +
                     " near '" + Shown(near) + "'";
    if (detail && *detail)
        msg += AnsiString(": ") + detail;
    throw EOleException(msg, "Expression");
}

} // namespace

void ThrowSyntax(const char* what, const Token& token, std::string_view detail)
{
    AnsiString msg = AnsiString("Syntax error in ") + what + " at position " + std::to_string(token.Pos);
    if (token.Kind == TokenKind::End)
        msg += ": unexpected end of text";
    else
        msg += " near '" + Shown(token.Source) + "'";
    if (!detail.empty())
        msg += AnsiString(token.Kind == TokenKind::End ? ", " : ": ") + AnsiString(detail);
    throw EOleException(msg, "Expression");
}

std::vector<Token> Tokenize(std::string_view text, const char* what)
{
    std::vector<Token> out;
    size_t i = 0;
    const size_t n = text.size();
    while (true) {
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        Token t;
        t.Pos = static_cast<int>(i) + 1;
        if (i >= n) {
            t.Kind = TokenKind::End;
            out.push_back(std::move(t));
            return out;
        }
        const size_t start = i;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsWordStart(c)) {
            while (i < n && IsWordChar(static_cast<unsigned char>(text[i])))
                ++i;
            t.Kind = TokenKind::Word;
            t.Value.assign(text.substr(start, i - start));
        } else if (IsDigit(static_cast<char>(c)) || (c == '.' && i + 1 < n && IsDigit(text[i + 1])) ||
                   (c == '$' && i + 1 < n && (IsDigit(text[i + 1]) || text[i + 1] == '.'))) {
            if (c == '$') {
                t.Currency = true;
                ++i;
            }
            const size_t numStart = i;
            while (i < n && IsDigit(text[i]))
                ++i;
            // The locale's decimal separator counts too: number lines are written as typed, and a
            // comma there is part of the number, not a list separator, when a digit follows it.
            const char dec = CurrentLocale().DecimalSeparator;
            if (i < n && (text[i] == '.' || (text[i] == dec && i + 1 < n && IsDigit(text[i + 1])))) {
                ++i;
                while (i < n && IsDigit(text[i]))
                    ++i;
            }
            if (i < n && (text[i] == 'e' || text[i] == 'E')) {
                size_t j = i + 1;
                if (j < n && (text[j] == '+' || text[j] == '-'))
                    ++j;
                if (j < n && IsDigit(text[j])) {
                    i = j;
                    while (i < n && IsDigit(text[i]))
                        ++i;
                }
            }
            // "12abc" is neither a number nor a name.
            if (i < n && IsWordStart(static_cast<unsigned char>(text[i])))
                Fail(what, start, text.substr(start, i + 1 - start), "malformed number");
            t.Kind = TokenKind::Number;
            t.Value.assign(text.substr(numStart, i - numStart));
        } else if (c == '\'' || c == '"' || c == '[' || c == '#') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == close) {
                    // A doubled closing mark stands for itself (not inside #dates#).
                    if (c != '#' && i + 1 < n && text[i + 1] == close) {
                        t.Value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                t.Value += text[i++];
            }
            if (!closed) {
                const char* detail = c == '\''  ? "unterminated string"
                                     : c == '#' ? "unterminated date literal"
                                                : "unterminated name";
                Fail(what, start, text.substr(start), detail);
            }
            t.Kind = c == '\'' ? TokenKind::String : c == '#' ? TokenKind::Date : TokenKind::Name;
        } else {
            ++i;
            switch (c) {
            case '(':
                t.Kind = TokenKind::LParen;
                break;
            case ')':
                t.Kind = TokenKind::RParen;
                break;
            case '{':
                t.Kind = TokenKind::LBrace;
                break;
            case '}':
                t.Kind = TokenKind::RBrace;
                break;
            case ',':
                t.Kind = TokenKind::Comma;
                break;
            case '-':
                t.Kind = TokenKind::Minus;
                break;
            case '+':
                t.Kind = TokenKind::Plus;
                break;
            case '=':
                if (i < n && text[i] == '=')
                    ++i;
                t.Kind = TokenKind::Op;
                break;
            case '!':
                if (i < n && text[i] == '=') {
                    ++i;
                    t.Kind = TokenKind::Op;
                    break;
                }
                Fail(what, start, text.substr(start, 1), "unexpected character");
            case '<':
                if (i < n && (text[i] == '>' || text[i] == '='))
                    ++i;
                t.Kind = TokenKind::Op;
                break;
            case '>':
                if (i < n && text[i] == '=')
                    ++i;
                t.Kind = TokenKind::Op;
                break;
            default:
                Fail(what, start, text.substr(start, 1), "unexpected character");
            }
            t.Value.assign(text.substr(start, i - start));
        }
        t.Source = text.substr(start, i - start);
        out.push_back(std::move(t));
    }
}

} // namespace vmado::engine::internal
