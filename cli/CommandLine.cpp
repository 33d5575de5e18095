#include "cli/CommandLine.h"

#include <limits>

namespace shamblex::cli {

namespace {

constexpr std::uint64_t maximumBoardSide = 46340; // 46340 squared still fits a signed 32-bit count
constexpr std::uint64_t maximumBeings = 100'000'000;
constexpr std::uint64_t maximumWindowSide = 16384;
constexpr std::uint64_t maximumCount = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t maximumSeed = std::numeric_limits<std::uint32_t>::max();

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

std::optional<Size> parseSize(std::string_view text, std::uint64_t maximumSide)
{
    auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    auto width = parseUnsigned(text.substr(0, x), maximumSide);
    auto height = parseUnsigned(text.substr(x + 1), maximumSide);
    if (!width || !height || *width == 0 || *height == 0)
        return std::nullopt;
    return Size { static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height) };
}

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

UsageError badValue(std::string_view option, std::string_view value, std::string_view expected)
{
    return { std::string(option) + ": " + quoted(value) + " is not " + std::string(expected) };
}

}

std::string usageText()
{
    return R"(Usage: shamblex-cli [OPTION]...
Runs a Shamblex outbreak without a window and writes what happened.

Settings:
  --board WxH          board of W x H cells, each from 1 to 46340 (250x250)
  --beings N           beings in a new simulation, 0 to 100000000 (1000)
  --open-arena         an open arena instead of a city
  --simple-zombies     zombies follow the simple rule instead of the smart one
  --eat-walls          zombies eat walls
  --brains DIR         load the brain libraries (*.dll) found in DIR first
  --seed N             start the random generator from state N (1)

Run:
  --script "TOKENS"    commands after the first new simulation:
                         step:N  key:C  key:space  left:X,Y  right:X,Y  watch:X,Y
  --frames N           frame steps after the script (1000)

Output (FILE "-" is standard output):
  --stats FILE         frame,zombies,humans after every frame step
  --dump FILE          every being at the end of the run
  --dump-every K       ... and after every K-th frame step
  --board-dump FILE    the board's cell kinds at the end, one line per row
  --png FILE           draw the frames and save the last one as a PNG
  --size WxH           the window's client size for --png, 1 to 16384 (1024x768)

  --help               show this text

Exit status: 0 done, 1 a file or the memory failed, 2 a bad command line.
)";
}

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments)
{
    RunOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];

        if (option == "--open-arena") {
            options.openArena = true;
            continue;
        }
        if (option == "--simple-zombies") {
            options.simpleZombies = true;
            continue;
        }
        if (option == "--eat-walls") {
            options.eatWalls = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            continue;
        }

        static constexpr std::string_view valued[] = { "--board", "--beings", "--brains", "--seed", "--script",
            "--frames", "--stats", "--dump", "--dump-every", "--board-dump", "--png", "--size" };
        bool takesValue = false;
        for (std::string_view name : valued)
            takesValue = takesValue || option == name;
        if (!takesValue)
            return UsageError { "unknown option " + quoted(option) + " (see --help)" };
        if (i + 1 >= arguments.size())
            return UsageError { std::string(option) + " needs a value" };
        std::string_view value = arguments[++i];

        if (option == "--board") {
            auto size = parseSize(value, maximumBoardSide);
            if (!size)
                return badValue(option, value, "WxH with W and H from 1 to 46340");
            options.boardWidth = size->width;
            options.boardHeight = size->height;
        } else if (option == "--beings") {
            auto count = parseUnsigned(value, maximumBeings);
            if (!count)
                return badValue(option, value, "a number from 0 to 100000000");
            options.beingCount = static_cast<std::int32_t>(*count);
        } else if (option == "--brains") {
            if (value.empty())
                return badValue(option, value, "a folder");
            options.brainsDirectory = std::string(value);
        } else if (option == "--seed") {
            auto seed = parseUnsigned(value, maximumSeed);
            if (!seed)
                return badValue(option, value, "a number from 0 to 4294967295");
            options.seed = static_cast<std::uint32_t>(*seed);
        } else if (option == "--script") {
            ParsedScript script = parseScript(value);
            if (script.error)
                return UsageError { "--script: malformed token " + quoted(script.error->token)
                    + " (tokens: step:N key:C key:space left:X,Y right:X,Y watch:X,Y)" };
            options.script = std::move(script.commands);
        } else if (option == "--frames") {
            auto frames = parseUnsigned(value, maximumCount);
            if (!frames)
                return badValue(option, value, "a number from 0 to 2147483647");
            options.frames = static_cast<std::int32_t>(*frames);
        } else if (option == "--dump-every") {
            auto every = parseUnsigned(value, maximumCount);
            if (!every || *every == 0)
                return badValue(option, value, "a number from 1 to 2147483647");
            options.dumpEvery = static_cast<std::int32_t>(*every);
        } else if (option == "--size") {
            auto size = parseSize(value, maximumWindowSide);
            if (!size)
                return badValue(option, value, "WxH with W and H from 1 to 16384");
            options.windowWidth = size->width;
            options.windowHeight = size->height;
        } else {
            if (value.empty())
                return badValue(option, value, "a file name");
            std::string file(value);
            if (option == "--stats")
                options.statsFile = file;
            else if (option == "--dump")
                options.dumpFile = file;
            else if (option == "--board-dump")
                options.boardDumpFile = file;
            else
                options.pngFile = file;
        }
    }
    return options;
}

}
