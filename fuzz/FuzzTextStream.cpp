// Text component streams: converting one to binary either succeeds or raises a read or write
// error (EParserError names the line); binary written from text must render and read back to
// the same bytes.
#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Filer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TStringStream in(std::string(reinterpret_cast<const char*>(data), size)), binary;
    try {
        ObjectTextToBinary(in, binary);
    } catch (const EReadError&) {
        return 0;
    } catch (const EWriteError&) {
        return 0; // a name or string too long for the binary form
    }
    TStringStream binaryIn(binary.DataString()), text;
    ObjectBinaryToText(binaryIn, text);
    TStringStream textIn(text.DataString()), again;
    ObjectTextToBinary(textIn, again);
    if (again.DataString() != binary.DataString())
        std::abort();
    return 0;
}
