#pragma once

// What the small Windows check programs share: counting failed checks, keeping a
// window's messages flowing while waiting, and starting the saver.

#include <windows.h>

#include <cstdio>
#include <string>

namespace windows_check {

inline int failures = 0;

inline void check(bool condition, const char* what)
{
    if (!condition) {
        std::printf("FAIL: %s\n", what);
        ++failures;
    }
}

// Handles this thread's window messages for a while.
inline void pump(DWORD milliseconds)
{
    DWORD until = GetTickCount() + milliseconds;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

// Starts `program arguments`; false when it cannot be started.
inline bool start(const std::string& program, const std::string& arguments, PROCESS_INFORMATION& process)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return true;
    std::printf("FAIL: cannot start %s\n", program.c_str());
    return false;
}

// The program's result: 0 when every check passed.
inline int finish(const char* what)
{
    if (failures == 0)
        std::printf("%s: all checks passed\n", what);
    return failures == 0 ? 0 : 1;
}

}
