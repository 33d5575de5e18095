#include "arena/Statistics.h"

#include "ArenaResultsBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace shamblex::arena;
using shamblex::arena::test::ResultsBuilder;
using shamblex::arena::test::survived;

namespace {

// The 0.975 quantile of Student's t distribution computed here from the density
// alone (Simpson's rule for the probability, bisection for the quantile), so that
// the arena's table is checked against numbers it did not come from.
double independentT975(int degrees)
{
    const double nu = degrees;
    const double scale = std::exp(std::lgamma((nu + 1) / 2) - std::lgamma(nu / 2)) / std::sqrt(nu * std::acos(-1.0));
    auto density = [&](double x) { return scale * std::pow(1 + x * x / nu, -(nu + 1) / 2); };
    auto probabilityUpTo = [&](double t) {
        const int steps = 20000;
        const double h = t / steps;
        double sum = density(0) + density(t);
        for (int i = 1; i < steps; ++i)
            sum += density(i * h) * (i % 2 ? 4 : 2);
        return 0.5 + sum * h / 3;
    };
    double low = 1.9, high = 13;
    for (int i = 0; i < 40; ++i) {
        double middle = (low + high) / 2;
        (probabilityUpTo(middle) < 0.975 ? low : high) = middle;
    }
    return (low + high) / 2;
}

}

TEST(Statistics, EveryEntryOfTheStudentTableMatchesTheDistribution)
{
    for (int degrees = 1; degrees <= 30; ++degrees)
        EXPECT_NEAR(studentT975(degrees), independentT975(degrees), 0.6e-4) << degrees << " degrees of freedom";
}

TEST(Statistics, StudentQuantileHoldsInsideAndBeyondTheTable)
{
    // Reference values of the 0.975 quantile, to four decimals.
    const std::pair<std::int64_t, double> known[] = { { 1, 12.7062 }, { 7, 2.3646 }, { 30, 2.0423 }, { 31, 2.0395 },
        { 40, 2.0211 }, { 100, 1.9840 }, { 1000, 1.9623 } };
    for (auto [degrees, quantile] : known)
        EXPECT_NEAR(studentT975(degrees), quantile, 1e-4) << degrees << " degrees of freedom";
}

TEST(Statistics, MeanIntervalAndMedianOfASmallSample)
{
    const std::vector<double> values { 2, 4, 4, 4, 5, 5, 7, 9 };
    Estimate estimate = estimateMean(values);
    EXPECT_DOUBLE_EQ(estimate.mean, 5);
    // Sample deviation sqrt(32 / 7), t(7) = 2.3646, over sqrt(8).
    ASSERT_TRUE(estimate.halfWidth);
    EXPECT_NEAR(*estimate.halfWidth, 2.3646 * std::sqrt(32.0 / 7) / std::sqrt(8.0), 1e-9);
    EXPECT_DOUBLE_EQ(median(values), 4.5);
    EXPECT_DOUBLE_EQ(median({ 3, 1, 2 }), 2);
    EXPECT_FALSE(estimateMean(std::vector<double> { 4 }).halfWidth) << "one value has no interval";
}

TEST(Summary, RanksBrainsCountsWhoOutlivedEveryoneAndBlamesSpoiledRuns)
{
    ResultsBuilder arena({ "a", "b", "c" }, 100);
    arena.finished(1, { { 50, 0 }, { survived, 5 }, { 70, 0 } })
        .finished(2, { { survived, 3 }, { survived, 2 }, { 10, 0 } })
        .spoiled(3, RunOutcome::Crashed, "c")
        .spoiled(4, RunOutcome::TimedOut, std::nullopt);
    ArenaSummary summary = summarize(arena.results);

    ASSERT_EQ(summary.ranking.size(), 3u);
    EXPECT_EQ(summary.ranking[0].name, "b");
    EXPECT_EQ(summary.ranking[1].name, "a");
    EXPECT_EQ(summary.ranking[2].name, "c");
    EXPECT_DOUBLE_EQ(summary.ranking[0].survival.mean, 100) << "a brain with humans left lasted every frame";
    EXPECT_DOUBLE_EQ(summary.ranking[1].survival.mean, 75);
    EXPECT_DOUBLE_EQ(summary.ranking[1].humansAtEnd.mean, 1.5);
    // Run 1: b outlived both; run 2: a and b both lasted to the end, so neither did.
    EXPECT_EQ(summary.ranking[0].outlivedAll, 1);
    EXPECT_DOUBLE_EQ(summary.ranking[0].outlivedAllShare, 0.5);
    EXPECT_EQ(summary.ranking[1].outlivedAll, 0);

    EXPECT_EQ(summary.finishedRuns, 2);
    EXPECT_EQ(summary.crashed, 1);
    EXPECT_EQ(summary.timedOut, 1);
    EXPECT_EQ(summary.unknownCulprit, 1);
    EXPECT_EQ(summary.ranking[2].crashed, 1);
    EXPECT_EQ(summary.ranking[0].crashed + summary.ranking[1].crashed, 0);

    // The leader against each other brain, run by run: b - a is 50 then 0.
    ASSERT_EQ(summary.againstLeader.size(), 2u);
    const PairedComparison& pair = summary.againstLeader[0];
    EXPECT_EQ(arena.results.setup.brainNames[pair.other], "a");
    EXPECT_DOUBLE_EQ(pair.survivalDifference.mean, 25);
    ASSERT_TRUE(pair.survivalDifference.halfWidth);
    EXPECT_NEAR(*pair.survivalDifference.halfWidth, 12.7062 * std::sqrt(1250.0) / std::sqrt(2.0), 1e-3);
}

TEST(Summary, HumansLeftAtTheCapSeparateBrainsAndTiersFollowTheHeadOfEachTier)
{
    // a and b reach the cap every run, a with more humans; c loses its humans late,
    // d early. a beats b run by run by a little; b and c cannot be told apart; c
    // is clearly worse than a. d is clearly worse than everything.
    ResultsBuilder arena({ "d", "c", "b", "a" }, 100);
    arena.finished(1, { { 10, 0 }, { survived, 2 }, { survived, 3 }, { survived, 6 } })
        .finished(2, { { 12, 0 }, { 99, 0 }, { survived, 1 }, { survived, 4 } })
        .finished(3, { { 11, 0 }, { survived, 5 }, { survived, 2 }, { survived, 5 } })
        .finished(4, { { 9, 0 }, { 98, 0 }, { survived, 2 }, { survived, 4 } });
    ArenaSummary summary = summarize(arena.results);

    std::vector<std::string> order;
    std::vector<std::size_t> tiers;
    for (const BrainSummary& brain : summary.ranking) {
        order.push_back(brain.name);
        tiers.push_back(brain.tier);
    }
    EXPECT_EQ(order, (std::vector<std::string> { "a", "b", "c", "d" })) << "humans at the cap rank a over b";
    EXPECT_DOUBLE_EQ(summary.ranking[0].score.mean, 104.75);
    EXPECT_EQ(summary.ranking[2].reachedCap, 2);
    // a against b: +3, +3, +3, +2, better, so b heads tier 2. b against c: +1, +2,
    // -3, +4, no difference, so c joins tier 2 although a beats it (+4, +5, 0, +6);
    // d is worse than b by far and heads tier 3.
    EXPECT_EQ(tiers, (std::vector<std::size_t> { 1, 2, 2, 3 }));
    ASSERT_EQ(summary.pairs.size(), 6u);
    EXPECT_EQ(summary.pairs[0].verdict, Verdict::Better) << "a against b";
    EXPECT_EQ(summary.pairs[3].verdict, Verdict::NoDifference) << "b against c";
}
