#include "cli/CommandLine.h"

#include "base/OptionTable.h"
#include "session/CommandLineNumbers.h"

#include <limits>

namespace shamblex::cli {

namespace {

constexpr std::int32_t maximumWindowSide = 16384;
constexpr std::uint64_t maximumCount = std::numeric_limits<std::int32_t>::max();

// The runner's command line, read into `options`.
OptionTable commandLine(RunOptions& options)
{
    OptionTable table(R"(Usage: shamblex-cli [OPTION]...
Runs a Shamblex outbreak without a window and writes what happened.

)");
    using Refusal = OptionTable::Refusal;
    auto file = OptionTable::fileName;
    auto count = [](std::int32_t& target, std::uint64_t least) {
        return [&target, least](std::string_view value) {
            auto number = parseUnsigned(value, maximumCount);
            if (!number || *number < least)
                return Refusal(OptionTable::notA(value, "a number from " + std::to_string(least) + " to 2147483647"));
            target = static_cast<std::int32_t>(*number);
            return Refusal();
        };
    };

    table.section("Settings");
    addSettingsOptions(table, options.settings);

    table.section("Run");
    table.value({ "--script" }, "\"TOKENS\"",
        "commands after the first new simulation:\n  step:N  key:C  key:space  left:X,Y  right:X,Y  watch:X,Y\n  pin:X,Y",
        [&](std::string_view value) {
            ParsedScript script = parseScript(value);
            if (script.error)
                return Refusal("malformed token " + quoted(script.error->token)
                    + " (tokens: step:N key:C key:space left:X,Y right:X,Y watch:X,Y pin:X,Y)");
            options.script = std::move(script.commands);
            return Refusal();
        });
    table.value({ "--frames" }, "N", "frame steps after the script (1000)", count(options.frames, 0));
    table.value({ "--pin-serial" }, "N",
        "pin the being that holds serial N at the first frame step:\nits label and an outline follow it in the pictures",
        readUnsigned32(options.pinSerial));

    table.section("Output (FILE \"-\" is standard output)");
    table.value({ "--stats" }, "FILE", "frame,zombies,humans after every frame step", file(options.statsFile));
    table.value({ "--brain-stats" }, "FILE", "frame,brain,humans,panicked for every brain after every\nframe step",
        file(options.brainStatsFile));
    table.value({ "--dump" }, "FILE", "every being at the end of the run", file(options.dumpFile));
    table.value({ "--dump-every" }, "K", "... and after every K-th frame step", [&](std::string_view value) {
        std::int32_t every = 0;
        if (auto refusal = count(every, 1)(value))
            return refusal;
        options.dumpEvery = every;
        return Refusal();
    });
    table.value({ "--board-dump" }, "FILE", "the board's cell kinds at the end, one line per row",
        file(options.boardDumpFile));
    table.value({ "--png" }, "FILE", "draw the frames and save the last one as a PNG", file(options.pngFile));
    table.value({ "--video" }, "FILE",
        "every drawn frame as a video, through the ffmpeg program\n"
        "(MP4/H.264 by default; the container follows the extension)",
        file(options.videoFile));
    table.value({ "--fps" }, "N", "the video's frames a second, 1 to 240 (30)", [&](std::string_view value) {
        auto rate = parseUnsigned(value, 240);
        if (!rate || *rate == 0)
            return Refusal(OptionTable::notA(value, "a number from 1 to 240"));
        options.videoFrameRate = static_cast<int>(*rate);
        return Refusal();
    });
    table.value({ "--size" }, "WxH", "the window's client size for --png and --video, 1 to 16384\n(1024x768)",
        [&](std::string_view value) {
            auto size = parseSize(value, maximumWindowSide);
            if (!size)
                return Refusal(OptionTable::notA(value, "WxH with W and H from 1 to 16384"));
            options.windowWidth = size->width;
            options.windowHeight = size->height;
            return Refusal();
        });

    table.value({ "--trace" }, "FILE",
        "one JSON line per brain call: the record before it and what\n"
        "it changed (see docs/brains.md)",
        file(options.traceFile));
    table.value({ "--trace-serial" }, "N",
        "trace only the being that holds serial N at the first frame\nstep, wherever it goes",
        readUnsigned32(options.traceSerial));

    table.section("Brains (a run with brains plays them in a sandboxed worker process)");
    addHostingOptions(table, options.hosting);
    table.value({ "--check-brain" }, "FILE",
        "only check FILE as the runner checks a brain before loading it:\n"
        "status 0 when it would load, 1 with the reason when not",
        file(options.checkBrainFile));

    table.section("Information");
    table.flag({ "--help", "-h" }, "show this text", [&] { options.showHelp = true; });
    table.flag({ "--version" }, "show the version", [&] { options.showVersion = true; });
    table.footer(R"(
Exit status: 0 done, 1 a file or the memory failed, 2 a bad command line, 3 a
brain crashed, exited, broke the sandbox or never returned, 130 or 143 interrupted.
)");
    return table;
}

}

std::string usageText()
{
    RunOptions options;
    return commandLine(options).help();
}

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments)
{
    RunOptions options;
    if (auto error = commandLine(options).parse(arguments))
        return UsageError { *error };
    if (options.traceSerial && !options.traceFile)
        return UsageError { "--trace-serial needs --trace FILE: the file the calls go to" };
    return options;
}

}
