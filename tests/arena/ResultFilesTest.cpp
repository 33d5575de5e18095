#include "arena/ResultFiles.h"

#include "ArenaResultsBuilder.h"

#include <gtest/gtest.h>

using namespace shamblex::arena;
using shamblex::arena::test::ResultsBuilder;
using shamblex::arena::test::survived;

namespace {

ArenaResults sample()
{
    ResultsBuilder arena({ "plain", "with, comma \"and quote\"" }, 300, 5);
    arena.results.setup.firstSeed = 7;
    arena.results.setup.outbreakArguments = { "--board", "60x40", "--open-arena" };
    arena.finished(7, { { 120, 0 }, { survived, 4 } })
        .spoiled(8, RunOutcome::Threw, "with, comma \"and quote\"")
        .finished(9, { { survived, 2 }, { 0, 0 } })
        .spoiled(10, RunOutcome::TimedOut, std::nullopt)
        .finished(11, { { 299, 0 }, { 300, 0 } });
    return arena.results;
}

std::vector<ArenaResults> shardsOf(const ArenaResults& whole, std::int64_t count)
{
    std::vector<ArenaResults> shards;
    for (std::int64_t index = 1; index <= count; ++index) {
        ArenaResults shard { whole.setup, { index, count }, {} };
        for (const RunResult& run : whole.runs) {
            if (shard.shard.holds(run.seed - whole.setup.firstSeed))
                shard.runs.push_back(run);
        }
        shards.push_back(shard);
    }
    return shards;
}

}

TEST(ResultFiles, CsvHasARowPerRunAndBrainWithItsReplay)
{
    std::string csv = csvText(sample());
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "seed,brain,last_human_fell,humans_at_end,score,outcome,culprit,detail,replay");
    EXPECT_NE(csv.find("\n7,plain,120,0,120,finished,,,shamblex-cli --brains brains --board 60x40 --open-arena --seed 7 "
                       "--frames 300\n"),
        std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n7,\"with, comma \"\"and quote\"\"\",survived,4,304,finished,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n8,plain,,,,threw,\"with, comma \"\"and quote\"\"\",what went wrong,"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n10,plain,,,,timed out,,what went wrong,"), std::string::npos) << csv;
}

TEST(ResultFiles, JsonReadsBackAsTheResultsItWasWrittenFrom)
{
    ArenaResults whole = sample();
    auto read = readResults(jsonText(whole, summarize(whole)));
    ASSERT_TRUE(std::holds_alternative<ArenaResults>(read)) << std::get<std::string>(read);
    const ArenaResults& back = std::get<ArenaResults>(read);
    EXPECT_EQ(back.setup, whole.setup);
    EXPECT_EQ(back.runs, whole.runs);
    EXPECT_TRUE(back.shard.isWhole());

    for (std::string_view bad : { "not json", "[1, 2]", "{}", R"({"arena": {"brains_folder": 3}})" }) {
        auto refused = readResults(bad);
        EXPECT_TRUE(std::holds_alternative<std::string>(refused)) << bad;
    }
}

TEST(ResultFiles, ShardsMergeIntoTheWholeAndNothingElse)
{
    ArenaResults whole = sample();
    std::vector<ArenaResults> shards = shardsOf(whole, 3);
    std::swap(shards[0], shards[2]); // the order of the files does not matter
    auto merged = mergeShards(shards);
    ASSERT_TRUE(std::holds_alternative<ArenaResults>(merged)) << std::get<std::string>(merged);
    EXPECT_EQ(jsonText(std::get<ArenaResults>(merged), summarize(std::get<ArenaResults>(merged))),
        jsonText(whole, summarize(whole)));

    auto refusal = [](std::vector<ArenaResults> files) {
        auto result = mergeShards(std::move(files));
        return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "merged";
    };
    EXPECT_EQ(refusal({ shards[0], shards[1] }), "shard 1/3 is missing");
    EXPECT_EQ(refusal({ shards[0], shards[1], shards[2], shards[1] }), "shard 2/3 is given twice");
    std::vector<ArenaResults> other = shards;
    other[1].setup.frames = 301;
    EXPECT_NE(refusal(other).find("another arena"), std::string::npos);
    other = shards;
    other[0].runs.push_back(whole.runs[1]);
    EXPECT_NE(refusal(other).find("not its own"), std::string::npos);
}
