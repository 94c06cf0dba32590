// The text forms of a string list: Text (CR LF lines), CommaText and DelimitedText (the
// framework's quoting and splitting), and loading and saving them through streams and files.
#include "framework/classes/Strings.h"

#include "framework/classes/Streams.h"
#include "framework/classes/internal/CommaText.h"
#include "framework/classes/internal/UpdateBracket.h"
#include "framework/rtl/Exceptions.h"

namespace vmado {

namespace {

using Bracket = internal::UpdateBracket<TStrings>;

// Blanks and control characters: every byte up to and including space. Bytes above 0x7F are
// letters of the code page, hence the unsigned view.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Reads a quoted run starting at value[pos] (the opening quote): doubled quotes stand for one,
// the first single quote ends it, a missing closing quote takes the rest. Leaves pos after it.
AnsiString ExtractQuoted(const AnsiString& value, std::size_t& pos, char quote)
{
    AnsiString result;
    ++pos;
    while (pos < value.size()) {
        const char c = value[pos++];
        if (c == quote) {
            if (pos < value.size() && value[pos] == quote) {
                result += quote;
                ++pos;
            } else {
                break;
            }
        } else {
            result += c;
        }
    }
    return result;
}

AnsiString JoinDelimited(const TStrings& list, char delimiter, char quote, bool strict)
{
    AnsiString result;
    const Integer count = list.Count();
    for (Integer i = 0; i < count; ++i) {
        if (i > 0)
            result += delimiter;
        internal::AppendDelimitedItem(result, list.Get(i), delimiter, quote, strict);
    }
    return result;
}

void SplitDelimited(TStrings& list, const AnsiString& value, char delimiter, char quote, bool strict)
{
    const auto isSeparator = [&](char c) { return c == delimiter || (!strict && IsBlank(c)); };
    const auto skipBlanks = [&](std::size_t& pos) {
        if (!strict)
            while (pos < value.size() && IsBlank(value[pos]))
                ++pos;
    };

    Bracket bracket(list);
    list.Clear();
    std::size_t pos = 0;
    skipBlanks(pos);
    while (pos < value.size()) {
        AnsiString item;
        if (value[pos] == quote)
            item = ExtractQuoted(value, pos, quote);
        // Text after a closing quote, or an unquoted item, runs up to the next separator.
        const std::size_t start = pos;
        while (pos < value.size() && !isSeparator(value[pos]))
            ++pos;
        item.append(value, start, pos - start);
        list.Add(item);
        skipBlanks(pos);
        if (pos < value.size() && value[pos] == delimiter) {
            ++pos;
            // A delimiter at the very end stands for one more, empty, item.
            if (pos == value.size())
                list.Add(AnsiString());
            skipBlanks(pos);
        }
    }
}

} // namespace

AnsiString TStrings::GetTextStr() const
{
    AnsiString result;
    const Integer count = Count();
    for (Integer i = 0; i < count; ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetTextStr(const AnsiString& value)
{
    Bracket bracket(*this);
    Clear();
    std::size_t pos = 0;
    while (pos < value.size()) {
        const std::size_t start = pos;
        while (pos < value.size() && value[pos] != '\r' && value[pos] != '\n')
            ++pos;
        Add(value.substr(start, pos - start));
        if (pos < value.size() && value[pos] == '\r')
            ++pos;
        if (pos < value.size() && value[pos] == '\n')
            ++pos;
    }
}

AnsiString TStrings::CommaText() const
{
    return JoinDelimited(*this, ',', '"', false);
}

void TStrings::SetCommaText(const AnsiString& value)
{
    SplitDelimited(*this, value, ',', '"', false);
}

AnsiString TStrings::DelimitedText() const
{
    return JoinDelimited(*this, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::SetDelimitedText(const AnsiString& value)
{
    SplitDelimited(*this, value, delimiter_, quoteChar_, strictDelimiter_);
}

// ---- streams and files -------------------------------------------------------------------------

void TStrings::LoadFromStream(TStream& stream)
{
    Bracket bracket(*this);
    const Int64 size = stream.Size() - stream.Position();
    AnsiString text;
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        stream.ReadBuffer(text.data(), size);
    }
    SetTextStr(text);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const AnsiString text = GetTextStr();
    stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const AnsiString& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

} // namespace vmado
