// What the benchmark programs share with scripts/bench: the row count they are given, checked
// strictly, and one tab-separated record per ratio appended to the file VMADO_BENCH_REPORT names,
// so the runner collects figures without reading the human-readable output.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vmado::bench {

// The smallest table the benchmarks accept: the dataset benchmark's Locate target sits ten rows
// from the end, and a smaller table measures little but the open.
constexpr long MinRows = 1000;

// A whole positive count from text; throws naming what and the text when it is anything else.
inline long ParseCount(const char* text, const char* what, long minimum = 1)
{
    const std::string value = text ? text : "";
    char* end = nullptr;
    errno = 0;
    const long long n = value.empty() ? 0 : std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno == ERANGE || n < minimum || n > 100000000)
        throw std::invalid_argument(std::string(what) + " must be a whole number from " +
                                    std::to_string(minimum) + " to 100000000, not '" + value + "'");
    return static_cast<long>(n);
}

// The row count from VMADO_BENCH_ROWS, or fallback when it is not set.
inline long RowsFromEnvironment(long fallback)
{
    const char* rows = std::getenv("VMADO_BENCH_ROWS");
    return rows ? ParseCount(rows, "VMADO_BENCH_ROWS", MinRows) : fallback;
}

// Appends one ratio: the library's figure against the baseline's in unit ("s" or "MB"), with the
// goal the benchmark states ("" for none). Nothing is written when VMADO_BENCH_REPORT is unset;
// a report file that cannot be written is an error, as a runner would otherwise show a gap.
inline void RecordRatio(const std::string& program, const std::string& label, double library, double baseline,
                        const char* unit, const std::string& goal)
{
    const char* file = std::getenv("VMADO_BENCH_REPORT");
    if (!file || !*file)
        return;
    std::FILE* out = std::fopen(file, "a");
    if (!out)
        throw std::runtime_error(std::string("cannot append to the report file ") + file);
    std::fprintf(out, "%s\t%s\t%.9g\t%.9g\t%s\t%s\n", program.c_str(), label.c_str(), library, baseline, unit,
                 goal.c_str());
    if (std::fclose(out) != 0)
        throw std::runtime_error(std::string("cannot write the report file ") + file);
}

} // namespace vmado::bench
