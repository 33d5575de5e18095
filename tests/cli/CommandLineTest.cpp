#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <vector>

using namespace shamblex::cli;

namespace {

ParsedCommandLine parse(std::initializer_list<std::string_view> words)
{
    std::vector<std::string_view> arguments(words);
    return parseCommandLine(arguments);
}

std::string errorOf(std::initializer_list<std::string_view> words)
{
    auto parsed = parse(words);
    auto* error = std::get_if<UsageError>(&parsed);
    return error ? error->message : std::string("(accepted)");
}

RunOptions optionsOf(std::initializer_list<std::string_view> words)
{
    auto parsed = parse(words);
    if (auto* error = std::get_if<UsageError>(&parsed))
        ADD_FAILURE() << "refused: " << error->message;
    return std::get_if<RunOptions>(&parsed) ? std::get<RunOptions>(parsed) : RunOptions {};
}

}

TEST(CommandLine, ReadsEveryOptionAndKeepsTheLastOfARepeat)
{
    RunOptions options = optionsOf({ "--board", "30x40", "--beings", "0", "--open-arena", "--simple-zombies",
        "--eat-walls", "--seed", "4294967295", "--frames", "5", "--frames", "7", "--stats", "-", "--dump", "d.csv",
        "--dump-every", "3", "--board-dump", "b.txt", "--script", "  step:2   step:0  " });
    EXPECT_EQ(options.settings.boardWidth, 30);
    EXPECT_EQ(options.settings.boardHeight, 40);
    EXPECT_EQ(options.settings.beingCount, 0);
    EXPECT_TRUE(options.settings.openArena && options.settings.simpleZombies && options.settings.eatWalls);
    EXPECT_EQ(options.settings.seed, 4294967295u);
    EXPECT_EQ(options.frames, 7);
    EXPECT_EQ(options.statsFile, "-");
    EXPECT_EQ(options.dumpFile, "d.csv");
    EXPECT_EQ(options.dumpEvery, 3);
    EXPECT_EQ(options.boardDumpFile, "b.txt");
    ASSERT_EQ(options.script.size(), 2u);
    EXPECT_EQ(options.script[0].kind, ScriptCommand::Kind::Step);
    EXPECT_EQ(options.script[0].count, 2);
    EXPECT_EQ(options.script[1].count, 0);
}

TEST(CommandLine, TakesBrainsAPictureAndCommands)
{
    RunOptions options = optionsOf({ "--brains", "some folder", "--png", "x.png", "--size", "16384x1", "--script",
        "key:space left:-1,5 right:3,4 watch:7,8" });
    EXPECT_EQ(options.settings.brainsDirectory, "some folder");
    EXPECT_EQ(options.pngFile, "x.png");
    EXPECT_EQ(options.windowWidth, 16384);
    EXPECT_EQ(options.windowHeight, 1);
    ASSERT_EQ(options.script.size(), 4u);
    EXPECT_EQ(options.script[0].key, ' ');
    EXPECT_EQ(options.script[1].kind, ScriptCommand::Kind::Left);
    EXPECT_EQ(options.script[1].x, -1);
    EXPECT_EQ(options.script[2].kind, ScriptCommand::Kind::Right);
    EXPECT_EQ(options.script[3].kind, ScriptCommand::Kind::Watch);
    EXPECT_EQ(options.script[3].y, 8);
}

TEST(CommandLine, RangesAreInclusiveAndNumbersArePlainDigits)
{
    EXPECT_EQ(optionsOf({ "--board", "46340x1" }).settings.boardWidth, 46340);
    EXPECT_EQ(optionsOf({ "--beings", "100000000" }).settings.beingCount, 100000000);
    EXPECT_EQ(optionsOf({ "--frames", "2147483647" }).frames, 2147483647);

    for (auto words : std::vector<std::vector<std::string_view>> {
             { "--board", "46341x1" },
             { "--board", "0x5" },
             { "--board", "5X5" },
             { "--board", "5x" },
             { "--board", "x5" },
             { "--board", "5x5x5" },
             { "--board", "+5x5" },
             { "--beings", "100000001" },
             { "--beings", "-1" },
             { "--beings", " 5" },
             { "--beings", "" },
             { "--seed", "4294967296" },
             { "--frames", "2147483648" },
             { "--frames", "99999999999999999999999" },
             { "--dump-every", "0" },
             { "--size", "16385x10" },
         }) {
        auto parsed = parseCommandLine(words);
        EXPECT_TRUE(std::holds_alternative<UsageError>(parsed)) << words[0] << " " << words[1];
    }
}

TEST(CommandLine, ErrorsNameTheOffendingWord)
{
    EXPECT_EQ(errorOf({ "--bored", "5x5" }), "unknown option '--bored' (see --help)");
    EXPECT_EQ(errorOf({ "--frames" }), "--frames needs a value");
    EXPECT_EQ(errorOf({ "--board", "12y4" }), "--board: '12y4' is not WxH with W and H from 1 to 46340");
    EXPECT_NE(errorOf({ "--script", "step:1 jump:2" }).find("'jump:2'"), std::string::npos);
    EXPECT_NE(errorOf({ "--stats", "" }).find("--stats"), std::string::npos);
}

TEST(Script, TokensFollowTheirGrammar)
{
    auto ok = parseScript("key:+ key:F key:space right:3,4 watch:0,-2147483648 step:0");
    ASSERT_FALSE(ok.error);
    ASSERT_EQ(ok.commands.size(), 6u);
    EXPECT_EQ(ok.commands[0].key, '+');
    EXPECT_EQ(ok.commands[1].key, 'F');
    EXPECT_EQ(ok.commands[3].kind, ScriptCommand::Kind::Right);
    EXPECT_EQ(ok.commands[4].y, -2147483648LL);
    EXPECT_TRUE(parseScript("").commands.empty());
    EXPECT_TRUE(parseScript("   ").commands.empty());

    for (const char* bad : { "key:", "key:ab", "key:Space", "step:", "step:-1", "step:2147483648", "left:1",
             "left:1,", "left:,1", "left:1,2,3", "left:--1,2", "watch:1,2147483648", "step", ":", "Step:1",
             "key:space,", "step:1\t" }) {
        auto parsed = parseScript(bad);
        ASSERT_TRUE(parsed.error) << bad;
        EXPECT_EQ(parsed.error->token, bad);
    }
}
