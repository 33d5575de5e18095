#include "cli/Runner.h"

#include "../brains/BrainLibraries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace shamblex::cli;
using shamblex::test::readFile;
using shamblex::test::TempDirectory;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// Runs the runner in-process and returns its exit status, with whatever it wrote to
// standard output and standard error.
struct RunResult {
    int status = -1;
    std::string output;
    std::string errors;
};

RunResult runWith(const RunOptions& options)
{
    RunResult result;
    std::FILE* output = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    result.status = run(options, output, errors);
    for (auto [stream, text] : { std::pair { output, &result.output }, std::pair { errors, &result.errors } }) {
        std::fflush(stream);
        std::rewind(stream);
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
            text->append(buffer, got);
        std::fclose(stream);
    }
    return result;
}

}

TEST(Runner, StatsHaveARowAfterEveryStep)
{
    TempDirectory folder;
    RunOptions options;
    options.frames = 20;
    options.script = { { ScriptCommand::Kind::Step, 5 } };
    options.statsFile = folder.file("stats.csv");
    ASSERT_EQ(runWith(options).status, 0);
    auto rows = lines(readFile(*options.statsFile));
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0], "frame,zombies,humans");
    EXPECT_EQ(rows[1], "1,1,999");
    EXPECT_EQ(rows[25].substr(0, 3), "25,");
}

TEST(Runner, DumpsEveryKthStepAndAlwaysAtTheEnd)
{
    TempDirectory folder;
    RunOptions options;
    options.settings.beingCount = 3;
    options.frames = 6;
    options.dumpEvery = 3;
    options.dumpFile = folder.file("dump.csv");
    ASSERT_EQ(runWith(options).status, 0);
    auto rows = lines(readFile(*options.dumpFile));
    ASSERT_EQ(rows.size(), 1u + 3 * 3);
    EXPECT_EQ(rows[0], "frame,index,kind,x,y,lookDirection,moveDirection,panicked,panicCounter,moveCredit,"
                       "serialNumber,brainName");
    EXPECT_EQ(rows[1].substr(0, 6), "3,0,1,");
    EXPECT_EQ(rows[4].substr(0, 2), "6,");
    EXPECT_EQ(rows[7].substr(0, 2), "6,") << "the final dump follows the one of step 6";
    EXPECT_EQ(rows[9].substr(rows[9].size() - 6), ",Human");
}

TEST(Runner, StatsComeBeforeTheDumpOfTheSameStepOnOneStream)
{
    RunOptions options;
    options.settings.beingCount = 1;
    options.frames = 2;
    options.dumpEvery = 1;
    options.statsFile = "-";
    options.dumpFile = "-";
    RunResult result = runWith(options);
    ASSERT_EQ(result.status, 0);
    auto rows = lines(result.output);
    ASSERT_EQ(rows.size(), 2u + 2 * 2 + 1);
    EXPECT_EQ(rows[0], "frame,zombies,humans");
    EXPECT_EQ(rows[1].substr(0, 6), "frame,");
    EXPECT_EQ(rows[2], "1,1,0");
    EXPECT_EQ(rows[3].substr(0, 4), "1,0,");
    EXPECT_EQ(rows[4], "1,1,0") << "the lone zombie found no human, so the second step stood still";
}

TEST(Runner, OutputsNamingTheSameFileShareIt)
{
    TempDirectory folder;
    RunOptions options;
    options.settings.beingCount = 1;
    options.frames = 1;
    options.statsFile = folder.file("both.csv");
    options.dumpFile = (folder.path() / "." / "both.csv").string();
    ASSERT_EQ(runWith(options).status, 0);
    auto rows = lines(readFile(*options.statsFile));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2], "1,1,0");
}

TEST(Runner, BoardDumpHasOneDigitPerCell)
{
    TempDirectory folder;
    RunOptions options;
    options.settings.boardWidth = 30;
    options.settings.boardHeight = 40;
    options.settings.beingCount = 10;
    options.frames = 3;
    options.boardDumpFile = folder.file("board.txt");
    ASSERT_EQ(runWith(options).status, 0);
    auto rows = lines(readFile(*options.boardDumpFile));
    ASSERT_EQ(rows.size(), 40u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 30u);
        EXPECT_EQ(row.find_first_not_of("0123"), std::string::npos);
    }
}

TEST(Runner, AFailedRunDestroysNoOldOutput)
{
    // Whatever the run trips over (an output folder that is not there, a brain folder
    // that cannot be read), the old outputs stay as they were and nothing is left.
    TempDirectory folder;
    shamblex::test::writeFile(folder.file("stats.csv"), "old stats\n");
    for (auto damage : { "picture", "brains" }) {
        RunOptions options;
        options.statsFile = folder.file("stats.csv");
        if (std::string(damage) == "picture")
            options.pngFile = folder.file("no-such-folder/x.png");
        else
            options.settings.brainsDirectory = folder.file("no-such-folder");
        RunResult result = runWith(options);
        EXPECT_EQ(result.status, 1) << damage;
        EXPECT_NE(result.errors.find("no-such-folder"), std::string::npos) << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
        EXPECT_EQ(readFile(*options.statsFile), "old stats\n") << damage;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "a temporary file was left";
}

TEST(Runner, LoadsBrainsFromAFolderAndSaysWhichFilesItSkipped)
{
    TempDirectory folder;
    shamblex::test::copyLibrary(shamblex::test::countingBrainPath, folder, "counter.dll");
    shamblex::test::writeFile(folder.file("broken.dll"), "not a library");
    shamblex::test::copyLibrary(shamblex::test::noEntryPointPath, folder, "plain.dll");
    RunOptions options;
    options.settings.brainsDirectory = folder.path().string();
    options.settings.beingCount = 10;
    options.frames = 0;
    options.dumpFile = folder.file("dump.csv");
    RunResult result = runWith(options);
    ASSERT_EQ(result.status, 0) << result.errors;
    auto errorLines = lines(result.errors);
    ASSERT_EQ(errorLines.size(), 2u) << result.errors;
    EXPECT_EQ(errorLines[0], "shamblex-cli: skipped 'broken.dll': not a library");
    EXPECT_EQ(errorLines[1], "shamblex-cli: skipped 'plain.dll': exports no ExecuteBrain");
    auto rows = lines(readFile(*options.dumpFile));
    ASSERT_EQ(rows.size(), 1u + 12);
    EXPECT_EQ(rows[2].substr(rows[2].size() - 8), ",counter");

    options.settings.brainsDirectory = folder.file("missing");
    result = runWith(options);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("cannot read the brain folder"), std::string::npos) << result.errors;
}

TEST(Runner, PngIsTheFinalFrameAtTheWindowSize)
{
    TempDirectory folder;
    RunOptions options;
    options.frames = 3;
    options.windowWidth = 320;
    options.windowHeight = 200;
    options.pngFile = folder.file("frame.png");
    ASSERT_EQ(runWith(options).status, 0);
    std::string png = readFile(*options.pngFile);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The IHDR chunk right after the signature holds the width and height.
    auto bigEndian = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(png[at])) << 24) | (std::uint32_t(std::uint8_t(png[at + 1])) << 16)
            | (std::uint32_t(std::uint8_t(png[at + 2])) << 8) | std::uint32_t(std::uint8_t(png[at + 3]));
    };
    EXPECT_EQ(bigEndian(16), 320u);
    EXPECT_EQ(bigEndian(20), 200u);

}
