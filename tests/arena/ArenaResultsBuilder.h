#pragma once

// Hand-built arena results for the tests: runs are added one at a time with the
// figures a test wants.
#include "arena/RunResult.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace shamblex::arena::test {

inline constexpr std::optional<std::int32_t> survived = std::nullopt;

struct ResultsBuilder {
    ArenaResults results;

    ResultsBuilder(std::vector<std::string> brains, std::int32_t frames, std::int64_t runs = 4)
    {
        results.setup.brainsFolder = "brains";
        results.setup.brainNames = std::move(brains);
        results.setup.frames = frames;
        results.setup.runs = runs;
    }

    // A finished run: per brain, the frame its last human fell (or `survived`) and
    // its humans at the end.
    ResultsBuilder& finished(
        std::uint32_t seed, std::initializer_list<std::pair<std::optional<std::int32_t>, std::int32_t>> brains)
    {
        RunResult run { seed, RunOutcome::Finished, std::nullopt, "", {} };
        for (const auto& [fell, humans] : brains) {
            BrainResult brain;
            brain.lastHumanFell = fell;
            brain.humansAtEnd = humans;
            run.brains.push_back(brain);
        }
        results.runs.push_back(std::move(run));
        return *this;
    }
    // The last run's brain at `index` forfeited at `frame`.
    ResultsBuilder& forfeited(std::size_t index, std::int32_t frame, std::string what)
    {
        results.runs.back().brains[index].fault = BrainFault { frame, std::move(what) };
        return *this;
    }
    ResultsBuilder& spoiled(std::uint32_t seed, RunOutcome outcome, std::optional<std::string> culprit)
    {
        results.runs.push_back({ seed, outcome, std::move(culprit), "what went wrong", {} });
        return *this;
    }
};

}
