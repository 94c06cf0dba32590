#include "Progress.h"

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace vmado::app {

namespace {

// Quick work finishes before a report would be read; it stays quiet.
constexpr auto kQuiet = std::chrono::milliseconds(300);
// A terminal redrawn for every record would slow the work down more than it tells.
constexpr auto kInterval = std::chrono::milliseconds(100);

} // namespace

Progress::Progress(std::string label)
    : Progress(std::move(label), isatty(STDERR_FILENO) ? &std::cerr : nullptr, kQuiet, kInterval)
{
}

Progress::Progress(std::string label, std::ostream* out, std::chrono::milliseconds quiet,
                   std::chrono::milliseconds interval)
    : label_(std::move(label)), out_(out), start_(std::chrono::steady_clock::now()), quiet_(quiet),
      interval_(interval)
{
}

Progress::~Progress()
{
    Done();
}

void Progress::Update(Int64 done, Int64 total)
{
    const auto now = std::chrono::steady_clock::now();
    if (!out_ || now - start_ < quiet_ || (!shown_.empty() && now - drawn_ < interval_))
        return;
    std::string text = label_ + ": ";
    if (total > 0)
        text += std::to_string(std::min<Int64>(done, total) * 100 / total) + "% (" + std::to_string(done) +
                " of " + std::to_string(total) + ")";
    else
        text += std::to_string(done) + " records";
    if (text == shown_)
        return;
    // Blanks cover the rest of a longer line shown before.
    const std::size_t pad = shown_.size() > text.size() ? shown_.size() - text.size() : 0;
    *out_ << '\r' << text << std::string(pad, ' ') << std::flush;
    shown_ = text;
    drawn_ = now;
}

void Progress::Done()
{
    if (!out_ || shown_.empty())
        return;
    *out_ << '\r' << std::string(shown_.size(), ' ') << '\r' << std::flush;
    shown_.clear();
}

} // namespace vmado::app
