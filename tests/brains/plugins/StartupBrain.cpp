// Libraries whose start-up code does something a scan must never trigger:
//   MARKER  (no ExecuteBrain) writes the file named by SHAMBLEX_MARKER when loaded
//   EXITS   (a brain) calls exit(3) when loaded
//   SLOW    (a brain that does nothing) takes a second and a half to load
#include "brains/BrainRecord.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

void onLoad()
{
#if STARTUP_MARKER
    if (const char* marker = std::getenv("SHAMBLEX_MARKER")) {
        if (std::FILE* file = std::fopen(marker, "w"))
            std::fclose(file);
    }
#elif STARTUP_EXITS
    std::exit(3);
#elif STARTUP_SLOW
    // Busy, not asleep: the clock is read without a system call.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until) {
    }
#endif
}

}

#if defined(_WIN32)
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        onLoad();
    return TRUE;
}
#else
__attribute__((constructor)) void runOnLoad()
{
    onLoad();
}
#endif

#if STARTUP_EXITS || STARTUP_SLOW
SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord*)
{
}
#endif
