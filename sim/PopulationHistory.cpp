#include "sim/PopulationHistory.h"

#include <algorithm>

namespace shamblex {

PopulationHistory::PopulationHistory(std::size_t sampleLimit)
    : m_sampleLimit(std::max<std::size_t>(2, sampleLimit + (sampleLimit & 1)))
{
}

void PopulationHistory::record(std::string_view brainName, std::int32_t humans)
{
    auto it = m_series.find(brainName);
    if (it == m_series.end())
        it = m_series.emplace(std::string(brainName), Series {}).first;
    Series& series = it->second;

    if (series.framesOffered % series.frameSpacing == 0) {
        if (series.samples.empty())
            series.samples.reserve(std::min<std::size_t>(m_sampleLimit, 1024));
        series.samples.push_back(humans);
    }
    ++series.framesOffered;

    if (series.samples.size() >= m_sampleLimit) {
        // Keep the samples at even places; they are exactly the frames a doubled
        // spacing would have recorded, so the spacing stays even across the halving.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < series.samples.size(); i += 2)
            series.samples[kept++] = series.samples[i];
        series.samples.resize(kept);
        series.frameSpacing *= 2;
    }
}

const PopulationHistory::Series* PopulationHistory::find(std::string_view brainName) const
{
    auto it = m_series.find(brainName);
    return it == m_series.end() ? nullptr : &it->second;
}

}
