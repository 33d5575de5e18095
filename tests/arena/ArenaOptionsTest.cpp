#include "arena/ArenaOptions.h"

#include <gtest/gtest.h>

using namespace shamblex::arena;

namespace {

std::variant<ArenaOptions, ArenaUsageError> parse(std::vector<std::string_view> words)
{
    return parseArenaCommandLine(words);
}

std::string refusal(std::vector<std::string_view> words)
{
    auto parsed = parse(std::move(words));
    return std::holds_alternative<ArenaUsageError>(parsed) ? std::get<ArenaUsageError>(parsed).message : "accepted";
}

}

TEST(ArenaOptions, ReadsAnArenaAndAMerge)
{
    auto parsed = parse({ "--brains", "b", "--runs", "7", "--first-seed", "40", "--frames", "0", "--jobs", "3",
        "--timeout", "5", "--shard", "2/3", "--json", "s.json", "--board", "30x20", "--eat-walls" });
    ASSERT_TRUE(std::holds_alternative<ArenaOptions>(parsed)) << std::get<ArenaUsageError>(parsed).message;
    const ArenaOptions& options = std::get<ArenaOptions>(parsed);
    EXPECT_EQ(options.runs, 7);
    EXPECT_EQ(options.firstSeed, 40u);
    EXPECT_EQ(options.frames, 0);
    EXPECT_EQ(options.jobs, 3);
    EXPECT_EQ(options.timeoutSeconds, 5);
    EXPECT_EQ(options.shard.text(), "2/3");
    EXPECT_EQ(options.settings.outbreakArguments(), (std::vector<std::string> { "--board", "30x20", "--eat-walls" }));

    auto merge = parse({ "--merge", "a.json", "b.json", "--csv", "-" });
    ASSERT_TRUE(std::holds_alternative<ArenaOptions>(merge));
    EXPECT_EQ(std::get<ArenaOptions>(merge).mergeFiles, (std::vector<std::string> { "a.json", "b.json" }));
}

TEST(ArenaOptions, RefusesWhatCannotBePlayed)
{
    EXPECT_EQ(refusal({ "--runs", "5" }), "--brains DIR is needed: the folder of the brains that compete (see --help)");
    EXPECT_EQ(refusal({ "--brains", "b", "--seed", "3" }),
        "--seed: an arena plays many seeds; give the first with --first-seed");
    EXPECT_EQ(refusal({ "--brains", "b", "--runs", "0" }), "--runs: '0' is not a number from 1 to 1000000");
    EXPECT_EQ(refusal({ "--brains", "b", "--shard", "4/3", "--json", "j" }),
        "--shard: '4/3' is not K/N with 1 <= K <= N <= 1000000");
    EXPECT_EQ(refusal({ "--brains", "b", "--shard", "1/3" }),
        "--shard needs --json FILE: the shards are merged from their JSON files");
    EXPECT_EQ(refusal({ "--brains", "b", "--first-seed", "4294967295", "--runs", "2" }),
        "--runs 2 from --first-seed 4294967295 would pass the last seed, 4294967295");
    EXPECT_EQ(refusal({ "--merge", "a.json", "--runs", "3" }),
        "--merge combines files already played; --runs belongs to playing an arena");
    EXPECT_EQ(refusal({ "--merge" }), "--merge needs the files to merge");
    EXPECT_EQ(refusal({ "--brains", "b", "--jobs" }), "--jobs needs a value");
    EXPECT_EQ(refusal({ "--brains", "b", "--fast" }), "unknown option '--fast' (see --help)");
}
