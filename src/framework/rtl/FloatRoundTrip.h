// Texts that store a double without loss: what a record or a file keeps must read back as the
// very same value, where a display text may round.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado {

// FloatToStr's text when it reads back (StrToFloat) as the same double, else the general form
// with the fewest digits (16 or 17) that does. Locale decimal separator, like FloatToStr.
AnsiString FloatToStrRoundTrip(double value);

} // namespace vmado
