// shamblex: the saver on Linux, as a window, a full-screen screen saver or an
// XScreenSaver hack. It implements the three screens through SdlScreen (window, full
// screen) and X11HackScreen (hack); it lacks the Windows saver's preview and
// configuration dialog (the desktop's screen-saver settings configure the hack).
#include "base/Version.h"
#include "hosting/BrainGuard.h"
#include "hosting/BrainHosting.h"
#include "hosting/WorkerContext.h"
#include "os/ProgramFacts.h"
#include "session/SaverSession.h"
#include "shell/linux/LinuxOptions.h"
#include "shell/linux/SaverLoop.h"
#include "shell/linux/SdlScreen.h"
#include "shell/linux/X11HackScreen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace shamblex;

void say(std::string_view line)
{
    std::fprintf(stderr, "shamblex: %.*s\n", static_cast<int>(line.size()), line.data());
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

// The screen the options ask for; null, with the reason, when there is no display.
std::unique_ptr<SaverScreen> openScreen(const LinuxOptions& options, std::string& error)
{
    if (options.mode == LinuxMode::Hack)
        return X11HackScreen::open(options.windowId, error);
    // Without a display SDL would try every video driver and print their complaints.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        error = "no display to show the saver on (set DISPLAY)";
        return nullptr;
    }
    auto screen = SdlScreen::open(options.mode, error);
    if (!screen)
        error = "cannot open the display: " + error;
    return screen;
}

SaverMode sessionMode(LinuxMode mode)
{
    return mode == LinuxMode::Hack ? SaverMode::Hack : mode == LinuxMode::FullScreen ? SaverMode::FullScreen
                                                                                      : SaverMode::Window;
}

}

int main(int argc, char** argv)
{
    worker::serveIfWorker(argc, argv, {});
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    auto parsed = parseLinuxOptions(std::vector<std::string_view>(argv + (argc > 0 ? 1 : 0), argv + argc),
        daemonWindow && *daemonWindow ? std::optional<std::string_view>(daemonWindow) : std::nullopt,
        installedBrains());
    if (auto* usage = std::get_if<LinuxUsageError>(&parsed)) {
        say(usage->message);
        return 2;
    }
    const LinuxOptions& options = std::get<LinuxOptions>(parsed);
    if (options.showVersion) {
        std::fputs(versionText("shamblex").c_str(), stdout);
        return 0;
    }
    if (options.showHelp) {
        std::fputs(linuxUsageText().c_str(), stdout);
        return 0;
    }

    BrainHosting hosting("shamblex", options.hosting);
    std::string error;
    std::unique_ptr<SaverScreen> screen = openScreen(options, error);
    if (!screen) {
        say(error + "; run shamblex-cli for an outbreak without a window");
        return 1;
    }
    // While a brain call hangs, an interrupt, a closed window or (full screen) any
    // input still ends the saver, its settings written.
    SaverControl* running = nullptr;
    auto giveUp = [&] {
        bool out = interruptRequested() != Interrupt::None || screen->userWantsOut();
        if (out && running)
            screen->end(*running);
        return out;
    };
    auto saver = hosting.openSaver(sessionMode(options.mode), options.start, say, giveUp, error);
    if (!saver) {
        say(error);
        return 1;
    }
    running = saver.get();
    screen->begin(*saver);

    SaverLoopOptions loop;
    loop.stopRequested = [&] { return interruptRequested() != Interrupt::None || saver->abandoned(); };
    if (options.restartAfter)
        loop.restartAfter = std::chrono::seconds(*options.restartAfter);
    runSaverLoop(*saver, *screen, loop);
    if (!saver->abandoned())
        return 0;
    Interrupt interrupt = interruptRequested();
    return interrupt != Interrupt::None ? interruptStatus(interrupt) : brainFailureStatus;
}
