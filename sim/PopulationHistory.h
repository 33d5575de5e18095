#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// Humans per brain name after a frame; built afresh every simulated frame and handed
// to the status drawing.
using BrainTally = std::map<std::string, std::int32_t, std::less<>>;

// Each listed brain's living humans after every simulated frame since the last new
// simulation, for the history graph.
//
// A screen saver may run for days, so a brain's series is bounded: when it reaches
// the sample limit, every other sample is dropped and from then on only every second
// frame is recorded (then every fourth, and so on). The series always spans the whole
// simulation at an even spacing, which is all the graph needs. Below the limit every
// frame is kept.
class PopulationHistory {
public:
    static constexpr std::size_t defaultSampleLimit = std::size_t { 1 } << 16;

    struct Series {
        std::vector<std::int32_t> samples;
        std::uint64_t frameSpacing = 1; // frames between two samples
        std::uint64_t framesOffered = 0;
    };

    // The limit is rounded up to an even number of at least 2.
    explicit PopulationHistory(std::size_t sampleLimit = defaultSampleLimit);

    void clear() { m_series.clear(); }

    // Offers one frame's count for the named brain.
    void record(std::string_view brainName, std::int32_t humans);

    // The series of the name, or null when the name has none.
    const Series* find(std::string_view brainName) const;

    bool empty() const { return m_series.empty(); }
    std::size_t sampleLimit() const { return m_sampleLimit; }

private:
    std::map<std::string, Series, std::less<>> m_series;
    std::size_t m_sampleLimit = defaultSampleLimit;
};

}
