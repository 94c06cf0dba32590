// Connection strings: any text and key are read and written without a crash; a key written
// with SetADOPart reads back with GetADOPart when it cannot be confused with another.
#include "utils/ConnectionString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input is key, a zero byte, then the connection string.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const AnsiString key = zero == std::string::npos ? "DSN" : input.substr(0, zero);
    const AnsiString cs = zero == std::string::npos ? input : input.substr(zero + 1);

    (void)GetADOPart(cs, key);
    (void)SplitADOParts(cs);
    const AnsiString written = SetADOPart(cs, key, "v", true);
    (void)GetADOPart(written, key);
    // A fresh string with a plain key is always found again.
    const AnsiString fresh = SetADOPart(cs, "ZqFuzzKey", "value", true);
    if (cs.find("ZqFuzzKey") == AnsiString::npos && cs.find('"') == AnsiString::npos &&
        cs.find('\'') == AnsiString::npos && GetADOPart(fresh, "ZqFuzzKey") != "value")
        std::abort();
    return 0;
}
