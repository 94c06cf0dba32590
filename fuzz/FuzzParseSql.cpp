// Statement texts with parameters: ParseSQL replaces each one by "?" and creates it, or raises a
// database error; the parsed text never holds more "?" than the original plus the parameters.
#include "framework/db/Params.h"
#include "framework/rtl/Exceptions.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vmado;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const AnsiString sql(reinterpret_cast<const char*>(data), size);
    TParams params;
    try {
        const AnsiString parsed = params.ParseSQL(sql, true);
        const auto marks = [](const AnsiString& s) { return std::count(s.begin(), s.end(), '?'); };
        if (marks(parsed) > marks(sql) + params.Count())
            std::abort();
        TParams again;
        if (again.ParseSQL(sql, false) != parsed)
            std::abort();
    } catch (const Exception&) {
    }
    return 0;
}
