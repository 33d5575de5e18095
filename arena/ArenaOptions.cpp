#include "arena/ArenaOptions.h"

#include "session/CommandLineNumbers.h"

#include <limits>

namespace shamblex::arena {

namespace {

ArenaUsageError badValue(std::string_view option, std::string_view value, std::string_view expected)
{
    return { std::string(option) + ": " + quoted(value) + " is not " + std::string(expected) };
}

}

std::string arenaUsageText()
{
    return std::string(R"(Usage: shamblex-arena --brains DIR [OPTION]...
       shamblex-arena --merge FILE... [--csv FILE] [--json FILE] [--plot FILE.png]
Plays many seeded outbreaks of the brains in DIR, each in a sandboxed process of
its own, and ranks the brains by how long their humans last. A brain that faults
forfeits the run (its humans stand still from then on) instead of spoiling it.

A run is the outbreak that "shamblex-cli --brains DIR --seed S --frames F" plays
(with the same outbreak options); its brains' humans are dealt out in turn.

Arena:
  --brains DIR         the brains that compete: the brain libraries (*.dll) in DIR
  --runs N             runs to play, 1 to 1000000 (100)
  --first-seed S       the first run's seed; the others follow it (1)
  --frames F           frame steps of a run (5000)
  --jobs J             runs played at once, 1 to 256 (one per processor)
  --timeout SECONDS    a run still going after this long is ended and counted as
                       timed out, 1 to 86400 (60)
  --shard K/N          play only the K-th of N shares of the runs (needs --json)
  --allow-skipped      play without the brain files that cannot play (each is
                       listed in the files); otherwise they stop the arena

Brains (each run plays in a sandboxed worker process):
)") + std::string(hostingOptionsHelp()) + R"(
Outbreak:
)" + std::string(outbreakOptionsHelp()) + R"(
Results (FILE "-" is standard output; the summary then goes to standard error):
  --csv FILE           one row per run and brain, with the command that replays it
  --json FILE          the same, with the setup and the summary
  --plot FILE.png      survival curves: the share of runs with humans left, by frame
  --merge FILE...      combine the --json files of every shard of one arena into the
                       results one machine would have written

  --help               show this text
  --version            show the version

Exit status: 0 done (spoiled runs are reported, not failures), 1 the brains, a
file or the machine failed, 2 a bad command line, 130 or 143 interrupted.
)";
}

std::variant<ArenaOptions, ArenaUsageError> parseArenaCommandLine(std::span<const std::string_view> arguments)
{
    ArenaOptions options;
    std::vector<std::string_view> playingOptions; // given, and meaningless for a merge
    bool sharded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];
        if (option == "--seed")
            return ArenaUsageError { "--seed: an arena plays many seeds; give the first with --first-seed" };
        std::string error;
        OptionRead read = readSettingsOption(arguments, i, options.settings, error);
        if (read == OptionRead::NotMine)
            read = readHostingOption(arguments, i, options.hosting, error);
        if (read == OptionRead::Read) {
            playingOptions.push_back(option);
            continue;
        }
        if (read == OptionRead::Malformed)
            return ArenaUsageError { error };
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            continue;
        }
        if (option == "--version") {
            options.showVersion = true;
            continue;
        }
        if (option == "--allow-skipped") {
            options.allowSkipped = true;
            playingOptions.push_back(option);
            continue;
        }
        if (option == "--merge") {
            while (i + 1 < arguments.size() && arguments[i + 1].substr(0, 2) != "--")
                options.mergeFiles.emplace_back(arguments[++i]);
            if (options.mergeFiles.empty())
                return ArenaUsageError { "--merge needs the files to merge" };
            continue;
        }

        static constexpr std::string_view valued[] = { "--runs", "--first-seed", "--frames", "--jobs", "--timeout",
            "--shard", "--csv", "--json", "--plot" };
        bool takesValue = false;
        for (std::string_view name : valued)
            takesValue = takesValue || option == name;
        if (!takesValue)
            return ArenaUsageError { "unknown option " + quoted(option) + " (see --help)" };
        if (i + 1 >= arguments.size())
            return ArenaUsageError { std::string(option) + " needs a value" };
        std::string_view value = arguments[++i];

        if (option == "--runs") {
            auto runs = parseUnsigned(value, maximumRuns);
            if (!runs || *runs == 0)
                return badValue(option, value, "a number from 1 to 1000000");
            options.runs = static_cast<std::int64_t>(*runs);
        } else if (option == "--first-seed") {
            auto seed = parseUnsigned(value, std::numeric_limits<std::uint32_t>::max());
            if (!seed)
                return badValue(option, value, "a number from 0 to 4294967295");
            options.firstSeed = static_cast<std::uint32_t>(*seed);
        } else if (option == "--frames") {
            auto frames = parseUnsigned(value, std::numeric_limits<std::int32_t>::max());
            if (!frames)
                return badValue(option, value, "a number from 0 to 2147483647");
            options.frames = static_cast<std::int32_t>(*frames);
        } else if (option == "--jobs") {
            auto jobs = parseUnsigned(value, maximumJobs);
            if (!jobs || *jobs == 0)
                return badValue(option, value, "a number from 1 to 256");
            options.jobs = static_cast<int>(*jobs);
        } else if (option == "--timeout") {
            auto seconds = parseUnsigned(value, maximumTimeoutSeconds);
            if (!seconds || *seconds == 0)
                return badValue(option, value, "a number of seconds from 1 to 86400");
            options.timeoutSeconds = static_cast<std::int32_t>(*seconds);
        } else if (option == "--shard") {
            auto shard = parseShard(value);
            if (!shard)
                return badValue(option, value, "K/N with 1 <= K <= N <= 1000000");
            options.shard = *shard;
            sharded = true;
        } else {
            if (value.empty())
                return badValue(option, value, "a file name");
            std::string file(value);
            (option == "--csv" ? options.csvFile : option == "--json" ? options.jsonFile : options.plotFile) = file;
            continue;
        }
        playingOptions.push_back(option);
    }

    if (options.showHelp || options.showVersion)
        return options;
    if (options.merging()) {
        if (!playingOptions.empty())
            return ArenaUsageError { "--merge combines files already played; " + std::string(playingOptions.front())
                + " belongs to playing an arena" };
        return options;
    }
    if (!options.settings.brainsDirectory)
        return ArenaUsageError { "--brains DIR is needed: the folder of the brains that compete (see --help)" };
    if (static_cast<std::uint64_t>(options.firstSeed) + static_cast<std::uint64_t>(options.runs) - 1
        > std::numeric_limits<std::uint32_t>::max())
        return ArenaUsageError { "--runs " + std::to_string(options.runs) + " from --first-seed "
            + std::to_string(options.firstSeed) + " would pass the last seed, 4294967295" };
    if (sharded && !options.jsonFile)
        return ArenaUsageError { "--shard needs --json FILE: the shards are merged from their JSON files" };
    return options;
}

}
