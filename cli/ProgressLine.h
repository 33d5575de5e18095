#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace shamblex::cli {

// The line a long run shows on a terminal: "shamblex-cli: step N of M (P%)",
// rewritten in place a few times a second once the run has lasted a second, and
// wiped when it ends. Never written into a file or a pipe, where it would only be
// noise among the outputs.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // `total` steps are expected; `shown` false keeps the line off (not a terminal).
    ProgressLine(std::FILE* errors, std::int64_t total, bool shown);
    ~ProgressLine() { finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Cheap when the line is off: no clock is read.
    void update(std::int64_t steps);
    // Wipes the line, so that what is written next starts on a clean one.
    void finish();

private:
    std::FILE* m_errors;
    std::int64_t m_total;
    bool m_shown;
    Clock::time_point m_start;
    Clock::time_point m_lastDrawn;
    bool m_drawn = false;
};

}
