// File names cross to the operating system in UTF-8; error texts come back into the code page.
#include "framework/classes/internal/FileNames.h"

#include "framework/rtl/CodePage.h"

#include <cstring>

namespace vmado::internal {

std::string FileNameToOs(const AnsiString& fileName)
{
    return AnsiToUtf8(fileName);
}

AnsiString SystemErrorText(int error)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be the buffer.
    return Utf8ToAnsi(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace vmado::internal
