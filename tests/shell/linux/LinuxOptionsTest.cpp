#include "shell/linux/LinuxOptions.h"

#include "session/SaverSession.h"

#include <gtest/gtest.h>

using namespace shamblex;

namespace {

LinuxOptions optionsOf(std::vector<std::string_view> arguments, std::optional<std::string_view> daemonWindow = {})
{
    auto parsed = parseLinuxOptions(arguments, daemonWindow);
    if (auto* error = std::get_if<LinuxUsageError>(&parsed))
        ADD_FAILURE() << error->message;
    return std::get_if<LinuxOptions>(&parsed) ? std::get<LinuxOptions>(parsed) : LinuxOptions {};
}

bool refused(std::vector<std::string_view> arguments, std::optional<std::string_view> daemonWindow = {})
{
    return std::holds_alternative<LinuxUsageError>(parseLinuxOptions(arguments, daemonWindow));
}

}

TEST(LinuxOptions, PicksTheModeAsXScreenSaverAndUsersPassIt)
{
    EXPECT_EQ(optionsOf({}).mode, LinuxMode::Window);
    EXPECT_EQ(optionsOf({ "--fullscreen" }).mode, LinuxMode::FullScreen);

    LinuxOptions hex = optionsOf({ "-window-id", "0x2a00007" });
    EXPECT_EQ(hex.mode, LinuxMode::Hack);
    EXPECT_EQ(hex.windowId, 0x2a00007u);
    EXPECT_EQ(optionsOf({ "--window-id", "44040199" }).windowId, 44040199u);

    LinuxOptions root = optionsOf({ "-root" });
    EXPECT_EQ(root.mode, LinuxMode::Hack);
    EXPECT_FALSE(root.windowId) << "the root window";
    EXPECT_EQ(optionsOf({ "--root" }, "0x400001").windowId, 0x400001u) << "the daemon's window";
    EXPECT_EQ(optionsOf({}, "garbage").mode, LinuxMode::Window) << "the daemon's window is read only for the hack";
    EXPECT_EQ(optionsOf({ "--window-id", "7" }, "12345").windowId, 7u) << "an explicit id wins";
    EXPECT_TRUE(optionsOf({ "--help" }).showHelp);
}

TEST(LinuxOptions, TakesTheRunnersSettingsAndTheSaversOwn)
{
    LinuxOptions options = optionsOf({ "--root", "--board", "60x40", "--beings", "300", "--open-arena", "--seed", "9",
        "--brains", "/usr/lib/shamblex/brains", "--speed", "75", "--graph", "--directions", "--restart-after", "10" });
    EXPECT_EQ(options.mode, LinuxMode::Hack);
    EXPECT_EQ(options.start.settings.boardWidth, 60);
    EXPECT_EQ(options.start.settings.beingCount, 300);
    EXPECT_TRUE(options.start.settings.openArena);
    EXPECT_EQ(options.start.settings.seed, 9u);
    EXPECT_EQ(options.start.settings.brainsDirectory, "/usr/lib/shamblex/brains");
    EXPECT_EQ(options.start.timerPeriod, 75);
    EXPECT_TRUE(options.start.graph && options.start.directions);
    EXPECT_EQ(options.restartAfter, 10);
    EXPECT_EQ(optionsOf({ "--speed", "5" }).start.timerPeriod, 5) << "the period a saver starts with";
    EXPECT_EQ(optionsOf({ "--board-side", "80" }).start.settings.boardHeight, 80);
    EXPECT_FALSE(optionsOf({}).restartAfter) << "no restart unless asked";
}

TEST(LinuxOptions, RefusesWhatItCannotRead)
{
    EXPECT_TRUE(refused({ "--window-id" }));
    EXPECT_TRUE(refused({ "--window-id", "0x" }));
    EXPECT_TRUE(refused({ "--window-id", "12abc" }));
    EXPECT_TRUE(refused({ "--window-id", "0" }));
    EXPECT_TRUE(refused({ "--window-id", "-5" }));
    EXPECT_TRUE(refused({ "--window-id", "0x1ffffffffffffffff" }));
    EXPECT_TRUE(refused({ "--root" }, "not-a-window"));
    EXPECT_TRUE(refused({ "--frobnicate" }));
    EXPECT_TRUE(refused({ "--fullscreen", "--window-id", "7" })) << "two screens at once";
    EXPECT_TRUE(refused({ "--root", "--fullscreen" }));
    EXPECT_TRUE(refused({ "--speed", "30" }));
    EXPECT_TRUE(refused({ "--speed" }));
    EXPECT_TRUE(refused({ "--restart-after", "-1" }));
    EXPECT_TRUE(refused({ "--restart-after", "86401" }));
    EXPECT_TRUE(refused({ "--beings", "lots" }));
    EXPECT_NE(linuxUsageText().find("\"?\""), std::string::npos) << "the help points to the in-program help key";
    for (const SaverCommand& command : SaverSession::commands())
        EXPECT_NE(linuxUsageText().find("  " + std::string(command.label) + " "), std::string::npos) << command.label;
}
