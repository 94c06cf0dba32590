// Comma text and delimited text read into a string list; whatever was read must be written back
// so that reading the written text gives the same items.
#include "framework/classes/Strings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first bytes choose the delimiter, the quote and strictness of a second reading.
    const char delimiter = static_cast<char>(data[0]);
    const char quote = static_cast<char>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

    TStringList list;
    list.SetCommaText(text);
    TStringList back;
    back.SetCommaText(list.CommaText());
    if (back.Count() != list.Count())
        std::abort();
    for (Integer i = 0; i < list.Count(); ++i)
        if (back[i] != list[i])
            std::abort();

    // A quote that is a blank, or (unless strict) a delimiter that is one, cannot be told from the
    // blanks the reader passes over: such settings give no round trip, in the framework either.
    const bool strict = size % 2 == 0;
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    if (delimiter == quote || blank(quote) || (!strict && blank(delimiter)) || delimiter == '\0')
        return 0;
    TStringList custom;
    custom.SetDelimiter(delimiter);
    custom.SetQuoteChar(quote);
    custom.SetStrictDelimiter(strict);
    custom.SetDelimitedText(text);
    TStringList again;
    again.SetDelimiter(delimiter);
    again.SetQuoteChar(quote);
    again.SetStrictDelimiter(custom.StrictDelimiter());
    again.SetDelimitedText(custom.DelimitedText());
    if (again.Count() != custom.Count())
        std::abort();
    for (Integer i = 0; i < custom.Count(); ++i)
        if (again[i] != custom[i])
            std::abort();
    return 0;
}
