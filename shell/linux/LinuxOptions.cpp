#include "shell/linux/LinuxOptions.h"

#include "base/OptionTable.h"
#include "session/CommandLineNumbers.h"
#include "session/SaverSession.h"

namespace shamblex {

namespace {

// What the command line asked for beyond the options themselves.
struct Screens {
    bool root = false;
    bool fullScreen = false;
};

// The program's command line, read into `options`. `installedBrains` is what
// --installed-brains loads.
OptionTable commandLine(LinuxOptions& options, Screens& screens, const std::optional<std::string>& installedBrains)
{
    OptionTable table(R"(Usage: shamblex [OPTION]...
A zombie outbreak on a city grid, as a window or a screen saver.

)");
    using Refusal = OptionTable::Refusal;
    SettingsOptions& settings = options.start.settings;

    table.section("Where it shows");
    table.text("  (no option)          an ordinary window; every command works\n");
    table.flag({ "--fullscreen" }, "a screen saver: full screen, ends on a key, a click or a move",
        [&] { screens.fullScreen = true; });
    table.flag({ "--root", "-root" }, "an XScreenSaver hack: draws into $XSCREENSAVER_WINDOW, or\nonto the root window",
        [&] { screens.root = true; });
    table.add({ .names = { "--window-id", "-window-id" },
        .takes = OptionTable::Takes::Value,
        .valueName = "ID",
        .help = "an XScreenSaver hack drawing into window ID (hex or decimal)",
        .read =
            [&](std::string_view value) {
                auto id = parseWindowId(value);
                if (!id)
                    return Refusal(quoted(value) + " is not a window id (hex like 0x2a00007, or decimal)");
                options.windowId = *id;
                return Refusal();
            },
        .missing = "a window id" });

    // What XScreenSaver may pass any hack: a hack that exits on one leaves the
    // screen blank, so they are taken and have no effect here (the saver draws
    // through the window's own visual and colormap, and paces itself).
    table.text("  -install, -visual V, -pair, -delay N\n"
               "                       XScreenSaver's hack options: accepted, no effect\n");
    for (std::string_view name : { "-install", "-pair" })
        table.add({ .names = { name }, .read = [](std::string_view) { return Refusal(); }, .hidden = true });
    for (std::string_view name : { "-visual", "-delay" })
        table.add({ .names = { name },
            .takes = OptionTable::Takes::Value,
            .read = [](std::string_view) { return Refusal(); },
            .hidden = true });

    table.section("The outbreak");
    addOutbreakOptions(table, settings);
    table.value({ "--board-side" }, "N", "a board of N x N cells", [&](std::string_view value) {
        // A square board, for a configuration dialog's single slider.
        auto side = parseUnsigned(value, maximumBoardSide);
        if (!side || *side == 0)
            return Refusal(quoted(value) + " is not a number from 1 to 46340");
        settings.boardWidth = settings.boardHeight = static_cast<std::int32_t>(*side);
        return Refusal();
    });
    table.value({ "--seed" }, "N|random",
        "start the random generator from state N (1); \"random\" gives\n"
        "every outbreak started a fresh seed, written to standard error\n"
        "and to the saver's log ($XDG_STATE_HOME/shamblex/saver.log,\n"
        "else ~/.local/state/shamblex/saver.log)",
        [&](std::string_view value) {
            if (value == "random") {
                options.randomSeed = true;
                settings.seed.reset();
                return Refusal();
            }
            auto seed = parseUnsigned(value, std::numeric_limits<std::uint32_t>::max());
            if (!seed)
                return Refusal(quoted(value) + " is not a number from 0 to 4294967295, or random");
            settings.seed = static_cast<std::uint32_t>(*seed);
            options.randomSeed = false;
            return Refusal();
        });
    addBrainsOption(table, settings, "(a brain file stands for its folder; \"l\" then reloads the\nbrains of DIR)");
    table.flag({ "--installed-brains" }, "load the brains installed with shamblex", [&] {
        // Like --brains with the folder installed beside the program; a later
        // --brains replaces it, as a repeated option does. Without one, the
        // parse below says so.
        settings.brainsDirectory = installedBrains.value_or("");
    });
    table.value({ "--restart-after" }, "S",
        "start a new outbreak S seconds after the last human fell,\n"
        "or once no human was infected for 6 x S seconds of\n"
        "running (10 for a hack, otherwise never unless given)",
        [&](std::string_view value) {
            auto seconds = parseUnsigned(value, maximumRestartDelay);
            if (!seconds)
                return Refusal(quoted(value) + " is not a number of seconds from 0 to 86400");
            options.restartAfter = static_cast<int>(*seconds);
            return Refusal();
        });

    table.section("The view");
    table.value({ "--speed" }, "MS", "start at 1, 5, 25, 75 or 150 milliseconds a frame (5)", [&](std::string_view value) {
        auto period = parseUnsigned(value, 1000);
        if (!period || !SaverSession::isTimerPeriod(static_cast<int>(*period)))
            return Refusal(quoted(value) + " is not a period of the speed key (1, 5, 25, 75 or 150 milliseconds)");
        options.start.timerPeriod = static_cast<int>(*period);
        return Refusal();
    });
    table.flag({ "--graph" }, "start with the population history graph shown", [&] { options.start.graph = true; });
    table.flag({ "--directions" }, "start with the look and move directions shown",
        [&] { options.start.directions = true; });
    table.flag({ "--fps", "-fps" }, "show the frame steps and the frames shown each second",
        [&] { options.showFrameRate = true; });
    table.value({ "--pin-serial" }, "N",
        "pin the being that holds serial N at the first frame step, as a\nmiddle click on it does",
        readUnsigned32(options.start.pinSerial));

    table.section("Brains");
    addHostingOptions(table, options.hosting);

    table.section("Information");
    table.flag({ "--help", "-h" }, "show this text", [&] { options.showHelp = true; });
    table.flag({ "--version" }, "show the version", [&] { options.showVersion = true; });

    std::string footer = "\nIn the window (press \"?\" there for the help page):\n";
    for (const SaverCommand& command : SaverSession::commands()) {
        std::string label(command.label);
        footer += "  " + label + std::string(label.size() < 10 ? 10 - label.size() : 1, ' ')
            + std::string(command.action) + "\n";
    }
    footer += R"(
Closing the window writes the settings to zombie.sav in the working directory;
"p" saves pictures beside it. A screen saver that is a hack writes nothing.
For an outbreak without a window, run shamblex-cli (see shamblex-cli --help).
)";
    table.footer(footer);
    return table;
}

}

std::variant<LinuxOptions, LinuxUsageError> parseLinuxOptions(const std::vector<std::string_view>& arguments,
    std::optional<std::string_view> screensaverWindow, std::optional<std::string> installedBrains)
{
    LinuxOptions options;
    Screens screens;
    if (auto error = commandLine(options, screens, installedBrains).parse(arguments))
        return LinuxUsageError { *error };
    if (options.start.settings.brainsDirectory && options.start.settings.brainsDirectory->empty())
        return LinuxUsageError { "--installed-brains: no brains are installed beside this program" };
    const bool root = screens.root;
    const bool fullScreen = screens.fullScreen;
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
    LinuxOptions options;
    Screens screens;
    return commandLine(options, screens, std::nullopt).help();
}

}
