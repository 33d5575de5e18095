#pragma once

#include "arena/RunResult.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shamblex::arena {

// A mean with its 95% confidence interval, mean ± halfWidth, from Student's t
// distribution. With fewer than two values there is no interval.
struct Estimate {
    double mean = 0;
    std::optional<double> halfWidth;
};

Estimate estimateMean(std::span<const double>);
// The 0.975 quantile of Student's t distribution: the factor of a two-sided 95%
// interval. Exact to four decimals for every number of degrees of freedom.
double studentT975(std::int64_t degreesOfFreedom);
// The middle value, or the mean of the two middle values; 0 for none.
double median(std::vector<double>);

// One brain's figures over every finished run, and its share of the spoiled ones.
struct BrainSummary {
    std::size_t brain = 0; // its place in the brain list
    std::string name;
    std::int64_t finishedRuns = 0;
    Estimate score; // what ranks it (BrainResult::score)
    std::size_t tier = 1; // see ArenaSummary::tierRule
    std::int64_t reachedCap = 0; // runs in which it still had humans at the last frame
    Estimate survival; // frames its humans lasted
    double medianSurvival = 0;
    std::int64_t outlivedAll = 0; // runs in which it lasted longer than every other brain
    double outlivedAllShare = 0;
    Estimate humansAtEnd;
    // Finished runs it forfeited (it faulted and sat out), and spoiled runs this
    // brain was named for.
    std::int64_t forfeited = 0;
    std::int64_t crashed = 0;
    std::int64_t threw = 0;
    std::int64_t timedOut = 0;
};

// What the runs say of one brain against another.
enum class Verdict {
    Better, // the 95% interval of the mean score difference lies above 0
    Worse, // ... below 0
    NoDifference, // it holds 0, or there are too few runs for an interval
};
std::string_view verdictName(Verdict);

// One brain against another over the same runs: the mean of the differences run by
// run, which takes out what the outbreak of each seed did to both. `leader` is the
// better ranked of the two.
struct PairedComparison {
    std::size_t leader = 0;
    std::size_t other = 0;
    Estimate survivalDifference;
    Estimate humansDifference;
    Estimate scoreDifference;
    Verdict verdict = Verdict::NoDifference; // of the leader against the other
};

struct ArenaSummary {
    std::vector<BrainSummary> ranking; // best first
    std::vector<PairedComparison> againstLeader; // in ranking order, the leader left out
    // Every pair, the better ranked first: (1,2), (1,3), ..., (2,3), ... by rank.
    std::vector<PairedComparison> pairs;
    std::int64_t finishedRuns = 0;
    std::int64_t crashed = 0;
    std::int64_t threw = 0;
    std::int64_t timedOut = 0;
    std::int64_t failed = 0;
    std::int64_t unknownCulprit = 0; // spoiled runs that no brain could be named for
};

// Ranks the brains by mean score, then mean humans at the end, then median survival,
// then list order, so that equal brains keep their order; compares every pair on
// the same runs and puts the brains in tiers (the rules below, as the files state
// them).
ArenaSummary summarize(const ArenaResults&);

inline constexpr std::string_view rankingRule
    = "ranked by the mean score of a run: the frames a brain's humans lasted, plus the humans it still had "
      "at the last frame (so a brain with humans left beats any whose humans all fell)";
inline constexpr std::string_view tierRule
    = "the best ranked brain heads tier 1; each next brain joins the tier of the brain that heads the current "
      "tier unless the runs show it worse than that brain (95% interval of the paired score difference), and "
      "then it heads the next tier";

// Rounds for the files: the figures are written as decimals with this many places,
// so that they read the same wherever they were computed.
double rounded(double value, int places);

}
