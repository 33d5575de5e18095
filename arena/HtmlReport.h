#pragma once

#include "arena/RunResult.h"
#include "arena/Statistics.h"

#include <string>

namespace shamblex::arena {

// The arena as one self-contained web page, to publish: the setup (frames, outbreak,
// seeds, brain files with their SHA-256, version), the ranking with its tiers, the
// survival curves (inline SVG), every pair compared, and a section per brain with
// its faults and their replay commands, the seeds it lost first and the spread of
// its scores. Inline CSS and SVG only: the page fetches nothing. Like the other
// files, a function of the results alone.
std::string htmlReport(const ArenaResults&, const ArenaSummary&);

}
