// A one-line progress report on stderr for long work, shown only when stderr is a terminal so
// that logs and pipes get no carriage returns.
#pragma once

#include "framework/rtl/Types.h"

#include <chrono>
#include <ostream>
#include <string>

namespace vmado::app {

class Progress {
public:
    // Reports on stderr when it is a terminal, else stays silent.
    explicit Progress(std::string label);
    // Reports on out (null: silent) once the work has taken longer than quiet, redrawing at
    // most once per interval.
    Progress(std::string label, std::ostream* out, std::chrono::milliseconds quiet,
             std::chrono::milliseconds interval);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool Active() const { return out_ != nullptr; }
    // done of total; a total of 0 or less is unknown and shows the count alone. The line is
    // redrawn only when its text changes and the interval has passed.
    void Update(Int64 done, Int64 total);
    // Clears the line.
    void Done();

private:
    std::string label_;
    std::ostream* out_;
    std::string shown_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_;
    std::chrono::milliseconds quiet_;
    std::chrono::milliseconds interval_;
};

} // namespace vmado::app
