#pragma once

#include "hosting/BrainHosting.h"
#include "session/SessionStart.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shamblex {

// How the Linux program shows the saver.
enum class LinuxMode {
    Window, // an ordinary resizable window where every command works
    FullScreen, // a screen saver: full screen, ends on input
    Hack, // an XScreenSaver hack: draws into a window someone else owns
};

struct LinuxOptions {
    LinuxMode mode = LinuxMode::Window;
    // Hack mode: the window to draw into; none means the root window.
    std::optional<std::uint64_t> windowId;
    // The outbreak's settings and brains, as the runner takes them, and the saver's
    // speed, graph and directions.
    SessionStart start;
    std::optional<int> restartAfter; // seconds after the last human fell (and six times that still)
    // --seed random: every outbreak started takes a fresh seed, which is reported.
    bool randomSeed = false;
    bool showFrameRate = false; // -fps
    HostingOptions hosting; // the sandbox and its memory limit
    bool showHelp = false;
    bool showVersion = false;
};

struct LinuxUsageError {
    std::string message;
};

// The longest wait before a restart that --restart-after takes: a day.
inline constexpr int maximumRestartDelay = 86400;
// A hack restarts its outbreaks unless told otherwise: a screen saver left running
// must never show a finished or frozen outbreak for good. (shamblex.xml's slider
// has the same default, which XScreenSaver then leaves off the command line.)
inline constexpr int hackRestartDelay = 10;

// Reads the arguments after the program name, the way XScreenSaver passes them too
// ("-root", "-window-id 0x2a00007"). `screensaverWindow` is the XSCREENSAVER_WINDOW
// environment variable, when set: the window a screen-saver daemon gives its hack,
// read only when the hack is asked for (--root).
// `installedBrains` is the folder of the brains installed with the program, if there
// is one: what --installed-brains loads.
std::variant<LinuxOptions, LinuxUsageError> parseLinuxOptions(const std::vector<std::string_view>& arguments,
    std::optional<std::string_view> screensaverWindow, std::optional<std::string> installedBrains = std::nullopt);

std::string linuxUsageText();

}
