// The parts of the framework's locale settings that literal readers need, in a form read
// without allocating: separators, the order of the short date, the AM/PM designators.
#pragma once

#include <string>

namespace vmado::engine::internal {

struct LocaleView {
    enum class Order { MDY, DMY, YMD };
    char DateSeparator = '/';
    char DecimalSeparator = '.';
    Order DateOrder = Order::MDY;
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // A two-digit year yy reads as the latest year <= CenturyEnd ending in yy: 00-29 are
    // 2000-2029 and 30-99 are 1930-1999 whatever today's date, as ADO reads them.
    static constexpr int CenturyEnd = 2029;
};

// The settings as of the last compilation. Compilation refreshes the view (RefreshLocale);
// evaluation only reads it, so a change of settings applies to texts compiled after it.
const LocaleView& CurrentLocale();
void RefreshLocale();

} // namespace vmado::engine::internal
