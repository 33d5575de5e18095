#pragma once

#include "arena/RunResult.h"
#include "arena/Statistics.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shamblex::arena {

// The arena's files and its summary, as text. Each is a function of the results
// alone (no times, no machine), so the same arena writes the same bytes whatever
// the number of jobs or machines that played it.

// One row per run and brain:
//   seed,brain,last_human_fell,humans_at_end,outcome,culprit,detail,replay
// last_human_fell is a frame or "survived"; the figures are empty for a spoiled run.
std::string csvText(const ArenaResults&);

// The setup, the summary and every run, as one JSON document; a shard's document
// also names its shard, and is what --merge reads.
std::string jsonText(const ArenaResults&, const ArenaSummary&);

// The table printed when the arena ends.
std::string summaryText(const ArenaResults&, const ArenaSummary&);

// A document that jsonText() wrote, or why it is not one.
std::variant<ArenaResults, std::string> readResults(std::string_view json);

// The shards of one arena combined into the arena as one machine would have played
// it, or why they do not make one: different setups, a shard missing or given
// twice, runs that do not belong.
std::variant<ArenaResults, std::string> mergeShards(std::vector<ArenaResults>);

}
