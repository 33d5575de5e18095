// shamblex: the saver on Linux, as a window, a full-screen screen saver or an
// XScreenSaver hack. This file picks the screen and sets the session up from the
// command line; the saver session does the rest.
#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "os/ProgramFacts.h"
#include "session/SaverSession.h"
#include "shell/linux/LinuxOptions.h"
#include "shell/linux/SaverLoop.h"
#include "shell/linux/SdlScreen.h"
#include "shell/linux/X11HackScreen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

namespace {

using namespace shamblex;

int noDisplay(const std::string& reason)
{
    std::fprintf(stderr, "shamblex: %s; run shamblex-cli for an outbreak without a window\n", reason.c_str());
    return 1;
}

// The folder of the brains installed with the program: beside an installed program
// (bin/ or the hack's libexec/xscreensaver/), or in the build tree beside it.
std::optional<std::string> installedBrains()
{
    auto self = currentProgramPath();
    if (!self)
        return std::nullopt;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(*self).parent_path();
    for (const std::filesystem::path& candidate : { folder / SHAMBLEX_BRAINS_FROM_PROGRAM,
             folder / SHAMBLEX_BRAINS_FROM_HACK, folder }) {
        if (std::filesystem::exists(candidate / "wanderwit.dll", error))
            return std::filesystem::weakly_canonical(candidate, error).string();
    }
    return std::nullopt;
}

void say(std::string_view line)
{
    std::fprintf(stderr, "shamblex: %.*s\n", static_cast<int>(line.size()), line.data());
}

// Applies the outbreak options and loads the brains, before the first simulation.
bool setUp(SaverSession& session, const LinuxOptions& options)
{
    session.setReporter(say);
    options.settings.applyTo(session.settings(), session.random());
    if (options.graph)
        session.settings().showGraph = 1;
    if (options.directions)
        session.settings().showDirections = 1;
    if (options.speed)
        session.setTimerPeriod(*options.speed);
    if (const auto& folder = options.settings.brainsDirectory) {
        // Loaded exactly as the reload command loads them, which then scans this folder.
        session.setBrainFolder(*folder);
        session.brains().reloadBrains(*folder);
        if (!session.brains().scanError().empty()) {
            say("cannot read the brain folder '" + *folder + "': " + session.brains().scanError());
            return false;
        }
        for (const SkippedLibrary& skipped : session.brains().skippedLibraries())
            say("skipped '" + skipped.fileName + "': " + skipped.reason);
    }
    if (!session.create()) {
        say("the outbreak does not fit in memory");
        return false;
    }
    return true;
}

SaverLoopOptions loopOptions(const LinuxOptions& options)
{
    SaverLoopOptions loop;
    loop.stopRequested = [] { return interruptRequested() != Interrupt::None; };
    if (options.restartAfter)
        loop.restartAfter = std::chrono::seconds(*options.restartAfter);
    return loop;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    auto parsed = parseLinuxOptions(arguments,
        daemonWindow && *daemonWindow ? std::optional<std::string_view>(daemonWindow) : std::nullopt,
        installedBrains());
    if (auto* error = std::get_if<LinuxUsageError>(&parsed)) {
        std::fprintf(stderr, "shamblex: %s\n", error->message.c_str());
        return 2;
    }
    const LinuxOptions& options = std::get<LinuxOptions>(parsed);
    if (options.showHelp) {
        std::fputs(linuxUsageText().c_str(), stdout);
        return 0;
    }

    // A brain that crashes or exits ends the saver with a line naming it; SIGTERM and
    // SIGINT end the loop, or the process at once when a brain does not return.
    guardBrainCalls("shamblex");
    watchInterrupts();

    std::string error;
    if (options.mode == LinuxMode::Hack) {
        auto screen = X11HackScreen::open(options.windowId, error);
        if (!screen)
            return noDisplay(error);
        // A hack writes no settings: its working directory is the daemon's.
        SaverSession session(SaverMode::Hack, makePlatformLibraryLoader());
        if (!setUp(session, options))
            return 1;
        screen->followSize(session);
        runSaverLoop(session, *screen, loopOptions(options));
        return 0;
    }

    // Without a display SDL would try every video driver and print their complaints.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return noDisplay("no display to show the saver on (set DISPLAY)");
    auto screen = SdlScreen::open(options.mode, error);
    if (!screen)
        return noDisplay("cannot open the display: " + error);
    SaverSession session(options.mode == LinuxMode::FullScreen ? SaverMode::FullScreen : SaverMode::Window,
        makePlatformLibraryLoader());
    if (!setUp(session, options))
        return 1;
    screen->reportSize(session);
    // While a brain call hangs, a closed window (or in full screen any input) still
    // ends the saver: the watchdog looks at the window's events itself.
    StuckBrainWatch watch([&] {
        if (!screen->userWantsOut())
            return false;
        if (auto failure = session.close())
            say("cannot write the settings to '" + session.settingsFile() + "': " + *failure);
        return true;
    });
    runSaverLoop(session, *screen, loopOptions(options));
    return 0;
}
