#include "cli/ProgressLine.h"

#include <algorithm>

namespace shamblex::cli {

namespace {

// A run shorter than this shows no line at all.
constexpr std::chrono::seconds quietStart { 1 };
constexpr std::chrono::milliseconds redrawEvery { 200 };

}

ProgressLine::ProgressLine(std::FILE* errors, std::int64_t total, bool shown)
    : m_errors(errors)
    , m_total(std::max<std::int64_t>(total, 1))
    , m_shown(shown)
    , m_start(Clock::now())
{
}

void ProgressLine::update(std::int64_t steps)
{
    if (!m_shown)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_start < quietStart || (m_drawn && now - m_lastDrawn < redrawEvery))
        return;
    // A script's fast-forward keys may run more steps than were counted.
    const std::int64_t total = std::max(m_total, steps);
    std::fprintf(m_errors, "\rshamblex-cli: step %lld of %lld (%lld%%) ", static_cast<long long>(steps),
        static_cast<long long>(total), static_cast<long long>(100 * steps / total));
    std::fflush(m_errors);
    m_drawn = true;
    m_lastDrawn = now;
}

void ProgressLine::finish()
{
    if (!m_drawn)
        return;
    std::fprintf(m_errors, "\r%60s\r", "");
    std::fflush(m_errors);
    m_drawn = false;
}

}
