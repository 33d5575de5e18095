#include "shell/linux/LinuxOptions.h"

#include "session/CommandLineNumbers.h"
#include "session/SaverSession.h"

#include <span>

namespace shamblex {

std::variant<LinuxOptions, LinuxUsageError> parseLinuxOptions(const std::vector<std::string_view>& arguments,
    std::optional<std::string_view> screensaverWindow, std::optional<std::string> installedBrains)
{
    LinuxOptions options;
    bool root = false;
    bool fullScreen = false;
    std::span<const std::string_view> words(arguments);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string error;
        if (arguments[i] == "--seed" && i + 1 < arguments.size() && arguments[i + 1] == "random") {
            options.randomSeed = true;
            options.start.settings.seed.reset();
            ++i;
            continue;
        }
        OptionRead read = readSettingsOption(words, i, options.start.settings, error);
        if (read == OptionRead::Read && options.start.settings.seed)
            options.randomSeed = false; // a later --seed N replaces --seed random
        if (read == OptionRead::NotMine)
            read = readHostingOption(words, i, options.hosting, error);
        if (read == OptionRead::Read)
            continue;
        if (read == OptionRead::Malformed)
            return LinuxUsageError { error };
        std::string_view argument = arguments[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.showHelp = true;
        } else if (argument == "--version") {
            options.showVersion = true;
        } else if (argument == "-fps" || argument == "--fps") {
            options.showFrameRate = true;
        } else if (argument == "--fullscreen") {
            fullScreen = true;
        } else if (argument == "--root" || argument == "-root") {
            root = true;
        } else if (argument == "--installed-brains") {
            // Like --brains with the folder installed beside the program; a later
            // --brains replaces it, as a repeated option does.
            if (!installedBrains)
                return LinuxUsageError { "--installed-brains: no brains are installed beside this program" };
            options.start.settings.brainsDirectory = *installedBrains;
        } else if (argument == "--graph") {
            options.start.graph = true;
        } else if (argument == "--directions") {
            options.start.directions = true;
        } else if (argument == "--window-id" || argument == "-window-id") {
            auto text = value();
            if (!text)
                return LinuxUsageError { std::string(argument) + " needs a window id" };
            auto id = parseWindowId(*text);
            if (!id)
                return LinuxUsageError { std::string(argument) + ": " + quoted(*text)
                    + " is not a window id (hex like 0x2a00007, or decimal)" };
            options.windowId = *id;
        } else if (argument == "--speed") {
            auto text = value();
            auto period = text ? parseUnsigned(*text, 1000) : std::nullopt;
            if (!period || !SaverSession::isTimerPeriod(static_cast<int>(*period)))
                return LinuxUsageError { "--speed: " + quoted(text.value_or("")) + " is not a period of the speed key "
                    + "(1, 5, 25, 75 or 150 milliseconds)" };
            options.start.timerPeriod = static_cast<int>(*period);
        } else if (argument == "--board-side") {
            // A square board, for a configuration dialog's single slider.
            auto text = value();
            auto side = text ? parseUnsigned(*text, maximumBoardSide) : std::nullopt;
            if (!side || *side == 0)
                return LinuxUsageError { "--board-side: " + quoted(text.value_or(""))
                    + " is not a number from 1 to 46340" };
            options.start.settings.boardWidth = options.start.settings.boardHeight = static_cast<std::int32_t>(*side);
        } else if (argument == "--restart-after") {
            auto text = value();
            auto seconds = text ? parseUnsigned(*text, maximumRestartDelay) : std::nullopt;
            if (!seconds)
                return LinuxUsageError { "--restart-after: " + quoted(text.value_or(""))
                    + " is not a number of seconds from 0 to 86400" };
            options.restartAfter = static_cast<int>(*seconds);
        } else {
            return LinuxUsageError { "unknown option " + quoted(argument) + " (see --help)" };
        }
    }

    if (fullScreen && (root || options.windowId))
        return LinuxUsageError { "--fullscreen and " + std::string(root ? "--root" : "--window-id")
            + " ask for two different screens; give one of them" };
    if (fullScreen)
        options.mode = LinuxMode::FullScreen;
    if (options.windowId) {
        options.mode = LinuxMode::Hack;
    } else if (root) {
        // A screen-saver daemon names its window in the environment; without one the
        // hack draws onto the root window.
        options.mode = LinuxMode::Hack;
        if (screensaverWindow) {
            auto id = parseWindowId(*screensaverWindow);
            if (!id)
                return LinuxUsageError { "XSCREENSAVER_WINDOW=" + quoted(*screensaverWindow)
                    + " is not a window id (hex like 0x2a00007, or decimal)" };
            options.windowId = *id;
        }
    }
    if (options.mode == LinuxMode::Hack && !options.restartAfter)
        options.restartAfter = hackRestartDelay;
    return options;
}

std::string linuxUsageText()
{
    std::string text = R"(Usage: shamblex [OPTION]...
A zombie outbreak on a city grid, as a window or a screen saver.

Where it shows:
  (no option)          an ordinary window; every command works
  --fullscreen         a screen saver: full screen, ends on a key, a click or a move
  --root, -root        an XScreenSaver hack: draws into $XSCREENSAVER_WINDOW, or
                       onto the root window
  --window-id ID, -window-id ID
                       an XScreenSaver hack drawing into window ID (hex or decimal)

The outbreak:
)";
    text += outbreakOptionsHelp();
    text += seedOptionHelp();
    text += R"(  --seed random        a fresh seed for every outbreak started, written to
                       standard error and to the saver's log
                       ($XDG_STATE_HOME/shamblex/saver.log, ~/.local/state/...)
)";
    text += brainsOptionHelp();
    text += R"(                       (a brain file stands for its folder; "l" then reloads
                       the brains of DIR)
  --installed-brains   load the brains installed with shamblex
  --board-side N       a board of N x N cells
  --speed MS           start at 1, 5, 25, 75 or 150 milliseconds a frame (5)
  --fps, -fps          show the frame steps and the frames shown each second
  --graph              start with the population history graph shown
  --directions         start with the look and move directions shown
  --restart-after S    start a new outbreak S seconds after the last human fell,
                       or once no human was infected for 6 x S seconds of
                       running (10 for a hack, otherwise never unless given)

Brains:
)";
    text += hostingOptionsHelp();
    text += R"(
  --help               show this text
  --version            show the version

In the window (press "?" there for the help page):
)";
    for (const SaverCommand& command : SaverSession::commands()) {
        std::string label(command.label);
        text += "  " + label + std::string(label.size() < 10 ? 10 - label.size() : 1, ' ') + std::string(command.action)
            + "\n";
    }
    text += R"(
Closing the window writes the settings to zombie.sav in the working directory;
"p" saves pictures beside it. A screen saver that is a hack writes nothing.
For an outbreak without a window, run shamblex-cli (see shamblex-cli --help).
)";
    return text;
}

}
