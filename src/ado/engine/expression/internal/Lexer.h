// Tokens of a criteria text. Positions are 1-based byte offsets into the text, as error
// messages report them.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>
#include <vector>

namespace vmado::engine::internal {

enum class TokenKind {
    End,
    Word,   // a bare name or keyword
    Name,   // [bracketed] or "double quoted": always a column name
    String, // 'single quoted', '' doubled; Value holds the content
    Number, // as typed; Currency marks a leading '$'
    Date,   // #...#; Value holds the content
    LParen,
    RParen,
    LBrace,
    RBrace,
    Comma,
    Op, // = <> != == < > <= >=
    Minus,
    Plus,
};

struct Token {
    TokenKind Kind = TokenKind::End;
    int Pos = 0;             // 1-based position of the first byte
    std::string_view Source; // the token's bytes in the text
    AnsiString Value;        // decoded content (strings, names, dates, numbers)
    bool Currency = false;
};

// `what` names the text in messages ("filter", "find criteria"). Throws EOleException for an
// unterminated quote or a character that starts no token. Numbers may use the decimal separator
// of the locale view current at the call.
std::vector<Token> Tokenize(std::string_view text, const char* what);

[[noreturn]] void ThrowSyntax(const char* what, const Token& token, std::string_view detail = {});

} // namespace vmado::engine::internal
