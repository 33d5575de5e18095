#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex::arena {

// How a run ended. Only a finished run has figures; the others are spoiled and
// count in no mean.
enum class RunOutcome {
    Finished,
    Crashed, // the run's worker crashed or exited, and no brain could be named for it
    Threw, // a brain threw an exception (read in files of earlier versions; a brain that throws now forfeits)
    TimedOut, // the run passed the time limit
    Failed, // the run could not be played (the folder or the memory failed, a fault not reproduced)
};

std::string_view outcomeName(RunOutcome);
std::optional<RunOutcome> outcomeNamed(std::string_view);

// How a brain forfeited a run: it faulted (crashed, exited, threw, made a system
// call the sandbox refuses, did not return) and sat out from then on, its humans
// standing still, while the run went on.
struct BrainFault {
    std::int32_t frame = 0;
    std::string what; // "crashed (segmentation fault)", "threw \"...\"", ...

    bool operator==(const BrainFault&) const = default;
};

// One brain's figures in one finished run.
struct BrainResult {
    // The frame after which the brain had no humans left; none when it still had
    // humans at the last frame.
    std::optional<std::int32_t> lastHumanFell;
    std::int32_t humansAtEnd = 0;
    std::optional<BrainFault> fault;

    // How many frames the brain's humans lasted: the frame its last human fell, or
    // every frame of the run.
    std::int32_t survivalFrames(std::int32_t frames) const { return lastHumanFell ? *lastHumanFell : frames; }
    // Whether it still had humans after `frame`.
    bool aliveAfter(std::int32_t frame) const { return !lastHumanFell || *lastHumanFell > frame; }
    // What ranks the brains, run by run: the frames its humans lasted, plus the
    // humans it still had at the last frame. A brain with humans left beats every
    // brain whose humans all fell; two with humans left are told apart by how many,
    // two without by how long theirs lasted.
    std::int64_t score(std::int32_t frames) const { return std::int64_t { survivalFrames(frames) } + humansAtEnd; }

    bool operator==(const BrainResult&) const = default;
};

struct RunResult {
    std::uint32_t seed = 0;
    RunOutcome outcome = RunOutcome::Finished;
    std::optional<std::string> culprit; // the brain that spoiled the run, when known
    std::string detail; // what went wrong, one line; empty for a finished run
    std::vector<BrainResult> brains; // in brain-list order; empty unless finished

    bool operator==(const RunResult&) const = default;
};

// A brain file of the folder that plays no part, and why.
struct SkippedBrain {
    std::string fileName;
    std::string reason;

    bool operator==(const SkippedBrain&) const = default;
};

// What an arena plays: everything its results depend on.
struct ArenaSetup {
    std::string brainsFolder; // as given on the command line
    std::vector<std::string> brainNames; // in the order the folder lists them
    std::vector<std::string> brainDigests; // each brain file's SHA-256, in the same order
    std::vector<SkippedBrain> skipped; // files the folder holds that play no part
    std::string version; // the Shamblex that played it
    std::int64_t runs = 100;
    std::uint32_t firstSeed = 1;
    std::int32_t frames = 5000;
    std::vector<std::string> outbreakArguments; // board, beings and switches, as words
    std::int32_t timeoutSeconds = 60;

    std::uint32_t seedOf(std::int64_t runIndex) const { return firstSeed + static_cast<std::uint32_t>(runIndex); }
    // The shamblex-cli command line that plays the run of `seed` again.
    std::string replayCommand(std::uint32_t seed) const;

    bool operator==(const ArenaSetup&) const = default;
};

// One machine's share of the runs: the K-th of N takes every N-th run from the K-th.
struct Shard {
    std::int64_t index = 1;
    std::int64_t count = 1;

    bool holds(std::int64_t runIndex) const { return runIndex % count == index - 1; }
    bool isWhole() const { return count == 1; }
    std::string text() const { return std::to_string(index) + "/" + std::to_string(count); }
};

inline constexpr std::int64_t maximumShards = 1'000'000;

// "K/N" with 1 <= K <= N <= maximumShards.
std::optional<Shard> parseShard(std::string_view);

struct ArenaResults {
    ArenaSetup setup;
    Shard shard;
    std::vector<RunResult> runs; // the shard's runs, in seed order
};

// A command-line word quoted for the shell that the replay is typed into, when it
// needs quoting.
std::string shellWord(std::string_view);

}
