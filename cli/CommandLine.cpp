#include "cli/CommandLine.h"

#include "session/CommandLineNumbers.h"

#include <limits>

namespace shamblex::cli {

namespace {

constexpr std::int32_t maximumWindowSide = 16384;
constexpr std::uint64_t maximumCount = std::numeric_limits<std::int32_t>::max();

UsageError badValue(std::string_view option, std::string_view value, std::string_view expected)
{
    return { std::string(option) + ": " + quoted(value) + " is not " + std::string(expected) };
}

}

std::string usageText()
{
    return std::string(R"(Usage: shamblex-cli [OPTION]...
Runs a Shamblex outbreak without a window and writes what happened.

Settings:
)") + std::string(settingsOptionsHelp())
        + R"(
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
  --video FILE         every drawn frame as a video, through the ffmpeg program
                       (MP4/H.264 by default; the container follows the extension)
  --fps N              the video's frames a second, 1 to 240 (30)
  --size WxH           the window's client size for --png and --video, 1 to 16384
                       (1024x768)

Brains (a run with brains plays them in a sandboxed worker process):
)" + std::string(hostingOptionsHelp()) + R"(

  --help               show this text
  --version            show the version

Exit status: 0 done, 1 a file or the memory failed, 2 a bad command line, 3 a
brain crashed, exited, broke the sandbox or never returned, 130 or 143 interrupted.
)";
}

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments)
{
    RunOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string error;
        OptionRead read = readSettingsOption(arguments, i, options.settings, error);
        if (read == OptionRead::NotMine)
            read = readHostingOption(arguments, i, options.hosting, error);
        if (read == OptionRead::Read)
            continue;
        if (read == OptionRead::Malformed)
            return UsageError { error };

        std::string_view option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
            continue;
        }
        if (option == "--version") {
            options.showVersion = true;
            continue;
        }

        static constexpr std::string_view valued[] = { "--script", "--frames", "--stats", "--dump", "--dump-every",
            "--board-dump", "--png", "--video", "--fps", "--size" };
        bool takesValue = false;
        for (std::string_view name : valued)
            takesValue = takesValue || option == name;
        if (!takesValue)
            return UsageError { "unknown option " + quoted(option) + " (see --help)" };
        if (i + 1 >= arguments.size())
            return UsageError { std::string(option) + " needs a value" };
        std::string_view value = arguments[++i];

        if (option == "--script") {
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
        } else if (option == "--fps") {
            auto rate = parseUnsigned(value, 240);
            if (!rate || *rate == 0)
                return badValue(option, value, "a number from 1 to 240");
            options.videoFrameRate = static_cast<int>(*rate);
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
            else if (option == "--video")
                options.videoFile = file;
            else
                options.pngFile = file;
        }
    }
    return options;
}

}
