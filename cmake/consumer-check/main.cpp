#include "framework/rtl/Exceptions.h"

#include <cstdio>

int main()
{
    try {
        throw vmado::EConvertError("'abc' is not a valid integer value");
    } catch (const vmado::Exception& e) {
        std::printf("vmado package found and linked: %s\n", e.what());
    }
    return 0;
}
