#include "shell/linux/LinuxOptions.h"

#include "session/CommandLineNumbers.h"

namespace shamblex {

std::variant<LinuxOptions, LinuxUsageError> parseLinuxOptions(
    const std::vector<std::string_view>& arguments, std::optional<std::string_view> screensaverWindow)
{
    LinuxOptions options;
    bool root = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.showHelp = true;
        } else if (argument == "--fullscreen") {
            options.mode = LinuxMode::FullScreen;
        } else if (argument == "--root" || argument == "-root") {
            root = true;
        } else if (argument == "--window-id" || argument == "-window-id") {
            if (i + 1 >= arguments.size())
                return LinuxUsageError { std::string(argument) + " needs a window id" };
            auto id = parseWindowId(arguments[++i]);
            if (!id)
                return LinuxUsageError { std::string(argument) + ": '" + std::string(arguments[i])
                    + "' is not a window id (hex like 0x2a00007, or decimal)" };
            options.windowId = *id;
            options.mode = LinuxMode::Hack;
        } else {
            return LinuxUsageError { "unknown option '" + std::string(argument) + "' (see --help)" };
        }
    }

    // A screen-saver daemon names its window in the environment; "-root" draws there,
    // or on the root window when no daemon started us.
    if (options.mode != LinuxMode::Hack && (root || screensaverWindow)) {
        if (screensaverWindow) {
            auto id = parseWindowId(*screensaverWindow);
            if (!id)
                return LinuxUsageError { "XSCREENSAVER_WINDOW='" + std::string(*screensaverWindow)
                    + "' is not a window id" };
            options.windowId = *id;
        }
        options.mode = LinuxMode::Hack;
    }
    return options;
}

std::string linuxUsageText()
{
    return R"(Usage: shamblex [OPTION]...
A zombie outbreak on a city grid, as a window or a screen saver.

  (no option)          an ordinary window; every command works
  --fullscreen         a screen saver: full screen, ends on a key, a click or a move
  --root, -root        an XScreenSaver hack: draws into $XSCREENSAVER_WINDOW, or
                       onto the root window
  --window-id ID, -window-id ID
                       an XScreenSaver hack drawing into window ID (hex or decimal)
  --help               show this text

Inside the window press "?" to see every key command; left-click places a human,
right-click a zombie. Brains (*.dll) are loaded from the working directory with "l".
Closing the window writes the settings to zombie.sav in the working directory.
For an outbreak without a window, run shamblex-cli (see shamblex-cli --help).
)";
}

}
