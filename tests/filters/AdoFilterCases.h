// Filter lines and the rows of the Person table that their ADO-dialect text must select: one
// table of cases shared by the in-memory compiler test and the test on a real SQLite table.
#pragma once

#include "filters/VFilters.h"

#include <ostream>
#include <string>
#include <vector>

namespace vmado::test {

struct LineSpec {
    const char* field;
    TFilterType type;
    TRelationType relation;
    const char* lower;
    const char* upper = "";
    bool negation = false;
    TLogicalType op = flEnd;
};

struct AdoCase {
    const char* name;
    std::vector<LineSpec> lines;
    bool upper;
    std::vector<int> ids; // the Person ids selected, ascending
};

void AddLine(TVFilter& filter, const LineSpec& spec);
// One filter holding the case's lines; its fmADO text.
AnsiString AdoText(const AdoCase& c);

// The Person table: CREATE statement and rows as SQL value lists.
extern const char* const kPersonCreate;
extern const std::vector<const char*> kPersonRows;

extern const std::vector<AdoCase> kAdoStringCases;
extern const std::vector<AdoCase> kAdoValueCases;
extern const std::vector<AdoCase> kAdoChainCases;

// Lines whose negation must select exactly the other rows holding a value.
extern const std::vector<LineSpec> kComplementLines;

inline std::string CaseName(const AdoCase& c)
{
    return c.name;
}
inline void PrintTo(const AdoCase& c, std::ostream* os)
{
    *os << c.name;
}

} // namespace vmado::test
