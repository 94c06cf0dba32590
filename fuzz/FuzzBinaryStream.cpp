// Binary component streams: rendering one as text either succeeds or raises EReadError, and so
// does reading that text back (names and identifiers of a hostile stream need not be ones the
// text form can carry).
#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Filer.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string binary(reinterpret_cast<const char*>(data), size);
    TStringStream in(binary), text;
    try {
        ObjectBinaryToText(in, text);
    } catch (const EReadError&) {
        return 0;
    }
    TStringStream textIn(text.DataString()), back;
    try {
        ObjectTextToBinary(textIn, back);
    } catch (const EReadError&) {
    } catch (const EWriteError&) {
    }
    return 0;
}
