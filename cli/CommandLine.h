#pragma once

#include "cli/Script.h"
#include "hosting/HostingOptions.h"
#include "session/SettingsOptions.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shamblex::cli {

// What the runner was asked to do. Settings options are kept as given and applied to
// the built-in defaults before the first new simulation.
struct RunOptions {
    SettingsOptions settings;

    std::vector<ScriptCommand> script;
    std::int32_t frames = 1000;

    // "-" names standard output.
    std::optional<std::string> statsFile;
    std::optional<std::string> dumpFile;
    std::optional<std::int32_t> dumpEvery;
    std::optional<std::string> boardDumpFile;
    std::optional<std::string> pngFile;
    std::optional<std::string> videoFile;
    // One JSON line per brain call; with a serial, only the calls of the being that
    // holds it at the first frame step.
    std::optional<std::string> traceFile;
    std::optional<std::string> brainStatsFile; // frame,brain,humans,panicked after every step
    std::optional<std::uint32_t> traceSerial;
    // Pins the being that holds this serial at the first frame step (its label and
    // outline in --png and --video).
    std::optional<std::uint32_t> pinSerial;
    int videoFrameRate = 30; // frames a second
    // Whether the run draws: a picture or a video is asked for.
    bool drawn() const { return pngFile || videoFile; }
    std::int32_t windowWidth = 1024;
    std::int32_t windowHeight = 768;

    HostingOptions hosting; // the brain worker's sandbox
    // --check-brain FILE: only says whether this program would load the file.
    std::optional<std::string> checkBrainFile;
    bool showHelp = false;
    bool showVersion = false;
};

// A command line the runner refuses: one line for standard error, exit status 2.
struct UsageError {
    std::string message;
};

using ParsedCommandLine = std::variant<RunOptions, UsageError>;

// Parses the arguments after the program name. A repeated option takes its last value.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments);

// The text --help prints.
std::string usageText();

}
