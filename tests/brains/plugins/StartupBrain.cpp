// Libraries whose start-up code does something a scan must never trigger:
//   MARKER  (no ExecuteBrain) writes the file named by SHAMBLEX_MARKER when loaded
//   EXITS   (a brain) calls exit(3) when loaded
#include "brains/BrainRecord.h"

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

#if STARTUP_EXITS
SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord*)
{
}
#endif
