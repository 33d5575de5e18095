#pragma once

#include "arena/RunResult.h"
#include "hosting/HostingOptions.h"
#include "session/SettingsOptions.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shamblex::arena {

// What shamblex-arena was asked to do: play an arena (or a shard of one), or merge
// the files of shards played elsewhere.
struct ArenaOptions {
    SettingsOptions settings; // the brains folder and the outbreak; never a seed
    std::int64_t runs = 100;
    std::uint32_t firstSeed = 1;
    std::int32_t frames = 5000;
    std::optional<int> jobs; // default: one per processor
    std::int32_t timeoutSeconds = 60;
    Shard shard;

    std::vector<std::string> mergeFiles; // --merge: the shard files, in the order given
    bool merging() const { return !mergeFiles.empty(); }

    // "-" names standard output.
    std::optional<std::string> csvFile;
    std::optional<std::string> jsonFile;
    std::optional<std::string> plotFile;
    std::optional<std::string> htmlFile; // the report to publish

    bool allowSkipped = false; // a brain file that cannot play is left out rather than an error
    HostingOptions hosting;
    bool showHelp = false;
    bool showVersion = false;
};

inline constexpr std::int64_t maximumRuns = 1'000'000;
inline constexpr std::int32_t maximumTimeoutSeconds = 86'400;
inline constexpr int maximumJobs = 256;

struct ArenaUsageError {
    std::string message;
};

// Parses the arguments after the program name. A repeated option takes its last
// value.
std::variant<ArenaOptions, ArenaUsageError> parseArenaCommandLine(std::span<const std::string_view> arguments);

// The text --help prints.
std::string arenaUsageText();

}
