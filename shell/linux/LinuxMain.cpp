// shamblex: the saver on Linux, as a window, a full-screen screen saver or an
// XScreenSaver hack. This file only picks the screen; the saver session does the rest.
#include "shell/linux/LinuxOptions.h"
#include "platform/PlatformLibraryLoader.h"
#include "shell/linux/SaverLoop.h"
#include "session/SaverSession.h"
#include "shell/linux/SdlScreen.h"
#include "shell/linux/X11HackScreen.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

int noDisplay(const std::string& reason)
{
    std::fprintf(stderr,
        "shamblex: cannot open a display (%s); set DISPLAY to show the saver, or run shamblex-cli for an "
        "outbreak without a window\n",
        reason.c_str());
    return 1;
}

}

int main(int argc, char** argv)
{
    using namespace shamblex;
    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    auto parsed = parseLinuxOptions(arguments,
        daemonWindow && *daemonWindow ? std::optional<std::string_view>(daemonWindow) : std::nullopt);
    if (auto* error = std::get_if<LinuxUsageError>(&parsed)) {
        std::fprintf(stderr, "shamblex: %s\n", error->message.c_str());
        return 2;
    }
    const LinuxOptions& options = std::get<LinuxOptions>(parsed);
    if (options.showHelp) {
        std::fputs(linuxUsageText().c_str(), stdout);
        return 0;
    }

    std::string error;
    if (options.mode == LinuxMode::Hack) {
        SaverSession session(SaverMode::Hack, makePlatformLibraryLoader());
        auto screen = X11HackScreen::open(options.windowId, error);
        if (!screen)
            return noDisplay(error);
        session.create();
        screen->followSize(session);
        runSaverLoop(session, *screen);
        return 0;
    }

    // Without a display SDL would try every video driver and print their complaints.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return noDisplay("neither DISPLAY nor WAYLAND_DISPLAY is set");
    auto screen = SdlScreen::open(options.mode, error);
    if (!screen)
        return noDisplay(error);
    SaverSession session(options.mode == LinuxMode::FullScreen ? SaverMode::FullScreen : SaverMode::Window,
        makePlatformLibraryLoader());
    session.create();
    screen->reportSize(session);
    runSaverLoop(session, *screen);
    return 0;
}
