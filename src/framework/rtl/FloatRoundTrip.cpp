// Texts that store a double without loss; every value that needs at most 15 digits keeps
// FloatToStr's text exactly.
#include "framework/rtl/FloatRoundTrip.h"

#include "framework/rtl/SysUtils.h"

#include <cmath>

namespace vmado {

AnsiString FloatToStrRoundTrip(double value)
{
    AnsiString text = FloatToStr(value);
    double back = 0;
    if (!std::isfinite(value) || (TryStrToFloat(text, back) && back == value))
        return text;
    for (Integer precision = 16; precision <= 17; ++precision) {
        text = FloatToStrF(value, ffGeneral, precision, 0);
        if (TryStrToFloat(text, back) && back == value)
            break;
    }
    return text;
}

} // namespace vmado
