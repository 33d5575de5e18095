#include "arena/Statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace shamblex::arena {

double studentT975(std::int64_t degreesOfFreedom)
{
    static constexpr std::array<double, 30> table { 12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060,
        2.2622, 2.2281, 2.2010, 2.1788, 2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860, 2.0796, 2.0739,
        2.0687, 2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423 };
    if (degreesOfFreedom < 1)
        return 0;
    if (degreesOfFreedom <= static_cast<std::int64_t>(table.size()))
        return table[static_cast<std::size_t>(degreesOfFreedom - 1)];
    // Beyond the table, the Cornish-Fisher expansion around the normal quantile is
    // exact to well under 1e-4.
    const double z = 1.959963984540054;
    const double n = static_cast<double>(degreesOfFreedom);
    const double z3 = z * z * z, z5 = z3 * z * z, z7 = z5 * z * z;
    return z + (z3 + z) / (4 * n) + (5 * z5 + 16 * z3 + 3 * z) / (96 * n * n)
        + (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / (384 * n * n * n);
}

Estimate estimateMean(std::span<const double> values)
{
    Estimate estimate;
    if (values.empty())
        return estimate;
    const double n = static_cast<double>(values.size());
    estimate.mean = std::accumulate(values.begin(), values.end(), 0.0) / n;
    if (values.size() < 2)
        return estimate;
    double squares = 0;
    for (double value : values)
        squares += (value - estimate.mean) * (value - estimate.mean);
    const double deviation = std::sqrt(squares / (n - 1));
    estimate.halfWidth = studentT975(static_cast<std::int64_t>(values.size()) - 1) * deviation / std::sqrt(n);
    return estimate;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double rounded(double value, int places)
{
    const double scale = std::pow(10.0, places);
    double result = std::round(value * scale) / scale;
    return result == 0 ? 0 : result; // no "-0"
}

std::string_view verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Better: return "better";
    case Verdict::Worse: return "worse";
    case Verdict::NoDifference: return "no difference";
    }
    return "no difference";
}

ArenaSummary summarize(const ArenaResults& results)
{
    const ArenaSetup& setup = results.setup;
    const std::size_t brains = setup.brainNames.size();
    ArenaSummary summary;
    std::vector<std::vector<double>> survival(brains), humans(brains), scores(brains);
    std::vector<BrainSummary> figures(brains);
    for (std::size_t b = 0; b < brains; ++b) {
        figures[b].brain = b;
        figures[b].name = setup.brainNames[b];
    }

    for (const RunResult& run : results.runs) {
        if (run.outcome != RunOutcome::Finished) {
            switch (run.outcome) {
            case RunOutcome::Crashed: ++summary.crashed; break;
            case RunOutcome::Threw: ++summary.threw; break;
            case RunOutcome::TimedOut: ++summary.timedOut; break;
            default: ++summary.failed; break;
            }
            auto named = run.culprit ? std::find(setup.brainNames.begin(), setup.brainNames.end(), *run.culprit)
                                     : setup.brainNames.end();
            if (named == setup.brainNames.end()) {
                ++summary.unknownCulprit;
                continue;
            }
            BrainSummary& culprit = figures[static_cast<std::size_t>(named - setup.brainNames.begin())];
            if (run.outcome == RunOutcome::Crashed)
                ++culprit.crashed;
            else if (run.outcome == RunOutcome::Threw)
                ++culprit.threw;
            else if (run.outcome == RunOutcome::TimedOut)
                ++culprit.timedOut;
            continue;
        }
        ++summary.finishedRuns;
        for (std::size_t b = 0; b < brains && b < run.brains.size(); ++b) {
            const std::int32_t lasted = run.brains[b].survivalFrames(setup.frames);
            survival[b].push_back(lasted);
            humans[b].push_back(run.brains[b].humansAtEnd);
            scores[b].push_back(static_cast<double>(run.brains[b].score(setup.frames)));
            figures[b].reachedCap += !run.brains[b].lastHumanFell.has_value();
            figures[b].forfeited += run.brains[b].fault.has_value();
            bool outlived = brains > 1;
            for (std::size_t other = 0; other < brains && other < run.brains.size() && outlived; ++other)
                outlived = other == b || run.brains[other].survivalFrames(setup.frames) < lasted;
            figures[b].outlivedAll += outlived;
        }
    }

    for (std::size_t b = 0; b < brains; ++b) {
        BrainSummary& brain = figures[b];
        brain.finishedRuns = static_cast<std::int64_t>(survival[b].size());
        brain.survival = estimateMean(survival[b]);
        brain.score = estimateMean(scores[b]);
        brain.medianSurvival = median(survival[b]);
        brain.humansAtEnd = estimateMean(humans[b]);
        brain.outlivedAllShare
            = brain.finishedRuns > 0 ? static_cast<double>(brain.outlivedAll) / static_cast<double>(brain.finishedRuns) : 0;
    }
    // Ranked on the figures as the files show them, so that a merge of shards, which
    // reads nothing but the runs, ranks exactly as one machine did.
    summary.ranking = figures;
    std::stable_sort(summary.ranking.begin(), summary.ranking.end(), [](const BrainSummary& a, const BrainSummary& b) {
        auto key = [](const BrainSummary& s) {
            return std::array<double, 3> { rounded(s.score.mean, 1), rounded(s.humansAtEnd.mean, 2), s.medianSurvival };
        };
        return key(a) > key(b);
    });

    // Every pair on the runs both finished, the better ranked first. The verdict is
    // read from the interval as the files round it, so that every file tells the same.
    auto compare = [&](std::size_t leader, std::size_t other) {
        std::vector<double> survivalGaps, humanGaps, scoreGaps;
        for (const RunResult& run : results.runs) {
            if (run.outcome != RunOutcome::Finished || run.brains.size() != brains)
                continue;
            const BrainResult& a = run.brains[leader];
            const BrainResult& b = run.brains[other];
            survivalGaps.push_back(static_cast<double>(a.survivalFrames(setup.frames)) - b.survivalFrames(setup.frames));
            humanGaps.push_back(static_cast<double>(a.humansAtEnd) - b.humansAtEnd);
            scoreGaps.push_back(static_cast<double>(a.score(setup.frames) - b.score(setup.frames)));
        }
        PairedComparison pair { leader, other, estimateMean(survivalGaps), estimateMean(humanGaps),
            estimateMean(scoreGaps), Verdict::NoDifference };
        if (pair.scoreDifference.halfWidth) {
            const double low = rounded(pair.scoreDifference.mean - *pair.scoreDifference.halfWidth, 1);
            const double high = rounded(pair.scoreDifference.mean + *pair.scoreDifference.halfWidth, 1);
            pair.verdict = low > 0 ? Verdict::Better : high < 0 ? Verdict::Worse : Verdict::NoDifference;
        }
        return pair;
    };
    for (std::size_t first = 0; first < summary.ranking.size(); ++first)
        for (std::size_t second = first + 1; second < summary.ranking.size(); ++second)
            summary.pairs.push_back(compare(summary.ranking[first].brain, summary.ranking[second].brain));
    for (std::size_t place = 1; place < summary.ranking.size(); ++place)
        summary.againstLeader.push_back(summary.pairs[place - 1]);

    // Tiers, as tierRule says: "no difference" is not transitive, so each brain is
    // compared with the head of the tier it would join.
    std::size_t tier = 1;
    std::size_t head = 0;
    for (std::size_t place = 0; place < summary.ranking.size(); ++place) {
        if (place > 0) {
            const PairedComparison* pair = nullptr;
            for (const PairedComparison& candidate : summary.pairs)
                if (candidate.leader == summary.ranking[head].brain && candidate.other == summary.ranking[place].brain)
                    pair = &candidate;
            if (pair && pair->verdict == Verdict::Better) {
                ++tier;
                head = place;
            }
        }
        summary.ranking[place].tier = tier;
    }
    return summary;
}

}
