#include "arena/ArenaOptions.h"

#include "base/OptionTable.h"
#include "session/CommandLineNumbers.h"

#include <algorithm>
#include <type_traits>

#include <limits>

namespace shamblex::arena {

namespace {

// The arena's command line, read into `options`.
OptionTable commandLine(ArenaOptions& options, bool& sharded)
{
    OptionTable table(R"(Usage: shamblex-arena --brains DIR [OPTION]...
       shamblex-arena --merge FILE... [--csv FILE] [--json FILE] [--plot FILE.png]
Plays many seeded outbreaks of the brains in DIR, each in a sandboxed process of
its own, and ranks the brains by how long their humans last. A brain that faults
forfeits the run (its humans stand still from then on) instead of spoiling it.

A run is the outbreak that "shamblex-cli --brains DIR --seed S --frames F" plays
(with the same outbreak options); its brains' humans are dealt out in turn.

)");
    using Refusal = OptionTable::Refusal;
    auto number = [](auto& target, std::uint64_t least, std::uint64_t most, std::string expected) {
        return [&target, least, most, expected](std::string_view value) {
            auto read = parseUnsigned(value, most);
            if (!read || *read < least)
                return Refusal(OptionTable::notA(value, expected));
            target = static_cast<std::remove_reference_t<decltype(target)>>(*read);
            return Refusal();
        };
    };
    auto file = OptionTable::fileName;

    table.section("Arena");
    addBrainsOption(table, options.settings);
    table.value({ "--runs" }, "N", "runs to play, 1 to 1000000 (100)",
        number(options.runs, 1, maximumRuns, "a number from 1 to 1000000"));
    table.value({ "--first-seed" }, "S", "the first run's seed; the others follow it (1)",
        number(options.firstSeed, 0, std::numeric_limits<std::uint32_t>::max(), "a number from 0 to 4294967295"));
    table.value({ "--frames" }, "F", "frame steps of a run (5000)",
        number(options.frames, 0, std::numeric_limits<std::int32_t>::max(), "a number from 0 to 2147483647"));
    table.value({ "--jobs" }, "J", "runs played at once, 1 to 256 (one per processor)",
        number(options.jobs, 1, maximumJobs, "a number from 1 to 256"));
    table.value({ "--timeout" }, "SECONDS",
        "a run still going after this long is ended and counted as\ntimed out, 1 to 86400 (60)",
        number(options.timeoutSeconds, 1, maximumTimeoutSeconds, "a number of seconds from 1 to 86400"));
    table.value({ "--shard" }, "K/N", "play only the K-th of N shares of the runs (needs --json)",
        [&](std::string_view value) {
            auto shard = parseShard(value);
            if (!shard)
                return Refusal(OptionTable::notA(value, "K/N with 1 <= K <= N <= 1000000"));
            options.shard = *shard;
            sharded = true;
            return Refusal();
        });
    table.flag({ "--allow-skipped" },
        "play without the brain files that cannot play (each is\nlisted in the files); otherwise they stop the arena",
        [&] { options.allowSkipped = true; });
    // A seed of its own would make every run the same outbreak.
    table.add({ .names = { "--seed" },
        .read = [](std::string_view) { return Refusal("an arena plays many seeds; give the first with --first-seed"); },
        .hidden = true });

    table.section("Brains (each run plays in a sandboxed worker process)");
    addHostingOptions(table, options.hosting);

    table.section("Outbreak");
    addOutbreakOptions(table, options.settings);

    table.section("Results (FILE \"-\" is standard output; the summary then goes to standard error)");
    table.value({ "--csv" }, "FILE", "one row per run and brain, with the command that replays it",
        file(options.csvFile));
    table.value({ "--json" }, "FILE", "the same, with the setup and the summary", file(options.jsonFile));
    table.value({ "--plot" }, "FILE.png", "survival curves: the share of runs with humans left, by frame",
        file(options.plotFile));
    table.value({ "--html" }, "FILE",
        "a report to publish: one self-contained web page with the\n"
        "ranking and tiers, curves, every pair, and a section per brain",
        file(options.htmlFile));
    table.add({ .names = { "--merge" },
        .takes = OptionTable::Takes::Values,
        .valueName = "FILE",
        .help = "combine the --json files of every shard of one arena into the\nresults one machine would have written",
        .readWords =
            [&](OptionTable::Words files) {
                for (std::string_view merged : files)
                    options.mergeFiles.emplace_back(merged);
                return Refusal();
            },
        .missing = "the files to merge" });

    table.section("Information");
    table.flag({ "--help", "-h" }, "show this text", [&] { options.showHelp = true; });
    table.flag({ "--version" }, "show the version", [&] { options.showVersion = true; });
    table.footer(R"(
Exit status: 0 done (spoiled runs are reported, not failures), 1 the brains, a
file or the machine failed, 2 a bad command line, 130 or 143 interrupted.
)");
    return table;
}

}

std::string arenaUsageText()
{
    ArenaOptions options;
    bool sharded = false;
    return commandLine(options, sharded).help();
}

std::variant<ArenaOptions, ArenaUsageError> parseArenaCommandLine(std::span<const std::string_view> arguments)
{
    ArenaOptions options;
    bool sharded = false;
    std::vector<std::string_view> given;
    if (auto error = commandLine(options, sharded).parse(arguments, &given))
        return ArenaUsageError { *error };
    // The options that play an arena, which a merge has no use for.
    std::vector<std::string_view> playingOptions;
    for (std::string_view option : given) {
        static constexpr std::string_view results[] = { "--help", "-h", "--version", "--merge", "--csv", "--json",
            "--plot", "--html" };
        if (std::find(std::begin(results), std::end(results), option) == std::end(results))
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
