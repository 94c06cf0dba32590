#include "Progress.h"

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace vmado::app {

namespace {

// Quick work finishes before a report would be read; it stays quiet.
constexpr auto kQuiet = std::chrono::milliseconds(300);

} // namespace

Progress::Progress(std::string label)
    : Progress(std::move(label), isatty(STDERR_FILENO) ? &std::cerr : nullptr, kQuiet)
{
}

Progress::Progress(std::string label, std::ostream* out, std::chrono::milliseconds quiet)
    : label_(std::move(label)), out_(out), start_(std::chrono::steady_clock::now()), quiet_(quiet)
{
}

Progress::~Progress()
{
    Done();
}

void Progress::Update(Int64 done, Int64 total)
{
    if (!out_ || std::chrono::steady_clock::now() - start_ < quiet_)
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
}

void Progress::Done()
{
    if (!out_ || shown_.empty())
        return;
    *out_ << '\r' << std::string(shown_.size(), ' ') << '\r' << std::flush;
    shown_.clear();
}

} // namespace vmado::app
