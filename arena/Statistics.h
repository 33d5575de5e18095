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

// The leader against another brain over the same runs: the mean of the
// differences run by run, which takes out what the outbreak of each seed did to both.
struct PairedComparison {
    std::size_t leader = 0;
    std::size_t other = 0;
    Estimate survivalDifference;
    Estimate humansDifference;
};

struct ArenaSummary {
    std::vector<BrainSummary> ranking; // best first
    std::vector<PairedComparison> againstLeader; // in ranking order, the leader left out
    std::int64_t finishedRuns = 0;
    std::int64_t crashed = 0;
    std::int64_t threw = 0;
    std::int64_t timedOut = 0;
    std::int64_t failed = 0;
    std::int64_t unknownCulprit = 0; // spoiled runs that no brain could be named for
};

// Ranks the brains by mean survival, then mean humans at the end, then median,
// then list order, so that equal brains keep their order.
ArenaSummary summarize(const ArenaResults&);

// Rounds for the files: the figures are written as decimals with this many places,
// so that they read the same wherever they were computed.
double rounded(double value, int places);

}
