// shamblex.scr's entry point. It implements the Windows screen saver's modes through
// our screen-saver framework (full screen, preview, the settings dialog) and our own
// "/w" window; it lacks nothing of them, and writes no log (a screen saver has no
// console for one).
#include "hosting/BrainHosting.h"
#include "shell/windows/ScreenSaverFramework.h"

namespace {

// A brain call that has not returned after this long ends the saver, naming the
// brain: a window stuck in a brain shows nothing and takes no input.
constexpr std::chrono::seconds stuckBrainPatience { 5 };

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    shamblex::BrainHosting hosting("shamblex");
    hosting.watchStuckBrains([] { return true; }, stuckBrainPatience);
    return runScreenSaver(instance, commandLine);
}
