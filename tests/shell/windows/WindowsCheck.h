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

// A black window to host a preview, with a client area of width x height.
inline HWND makeHostWindow(DWORD style, int width, int height)
{
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "PreviewHost";
    RegisterClassA(&windowClass);
    RECT frame { 0, 0, width, height };
    AdjustWindowRect(&frame, style, FALSE);
    HWND host = CreateWindowExA(0, "PreviewHost", "Preview host", style | WS_VISIBLE, 10, 10,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    pump(300);
    return host;
}

// The saver's preview window inside the host, once it appears; null after 10 s.
inline HWND waitForPreview(HWND host)
{
    for (int i = 0; i < 100; ++i) {
        pump(100);
        if (HWND preview = FindWindowExA(host, nullptr, nullptr, nullptr))
            return preview;
    }
    return nullptr;
}

// The program's result: 0 when every check passed.
inline int finish(const char* what)
{
    if (failures == 0)
        std::printf("%s: all checks passed\n", what);
    return failures == 0 ? 0 : 1;
}

}
