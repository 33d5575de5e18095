#pragma once

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
    bool showHelp = false;
};

struct LinuxUsageError {
    std::string message;
};

// Reads the arguments after the program name, the way XScreenSaver passes them too
// ("-root", "-window-id 0x2a00007"). `screensaverWindow` is the XSCREENSAVER_WINDOW
// environment variable, when set: the window a screen-saver daemon gives its hack.
std::variant<LinuxOptions, LinuxUsageError> parseLinuxOptions(
    const std::vector<std::string_view>& arguments, std::optional<std::string_view> screensaverWindow);

std::string linuxUsageText();

}
