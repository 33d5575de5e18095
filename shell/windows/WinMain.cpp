// shamblex.scr's entry point. It implements the Windows screen saver's modes through
// our screen-saver framework (full screen, preview, the settings dialog) and our own
// "/w" window, whose brains run in a brain worker (this same program started again,
// in a job object with a restricted token); it writes no log (a screen saver has no
// console for one).
#include "hosting/BrainGuard.h"
#include "hosting/BrainHosting.h"
#include "hosting/WorkerContext.h"
#include "shell/windows/ScreenSaverFramework.h"

#include <cstdio>
#include <cstdlib>

namespace {

void say(std::string_view line)
{
    std::fprintf(stderr, "shamblex: %.*s\n", static_cast<int>(line.size()), line.data());
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    shamblex::worker::serveIfWorker(__argc, __argv, {});
    shamblex::BrainHosting hosting("shamblex");
    // Only the ordinary window can load brains ("l"); the full-screen saver and the
    // preview show the built-in humans and run no brain at all.
    SaverOpener opener = [&hosting](shamblex::SaverMode mode) -> std::unique_ptr<shamblex::SaverControl> {
        if (mode != shamblex::SaverMode::Window)
            return nullptr;
        std::string error;
        auto saver = hosting.openSaver(
            mode, {}, say, [] { return shamblex::interruptRequested() != shamblex::Interrupt::None; }, error);
        if (!saver)
            say(error);
        return saver;
    };
    return runScreenSaver(instance, commandLine, std::move(opener));
}
