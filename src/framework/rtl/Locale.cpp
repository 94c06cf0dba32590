// Storage of the process-wide locale settings record.
#include "framework/rtl/Locale.h"

namespace vmado {

TFormatSettings& FormatSettings() noexcept
{
    static TFormatSettings settings;
    return settings;
}

} // namespace vmado
