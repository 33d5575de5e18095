// Plays the Display control panel: makes a small window and runs
// "shamblex.scr /p HWND" in it, then checks that the saver's window fills the host's
// client area, repaints itself when asked, does not end on input, and closes.
//   preview_host.exe PATH-TO-SHAMBLEX.SCR
//
// What the preview draws is checked by preview_drawing_check.exe, with the saver
// hosted in-process: Wine shows nothing of a child window that another process
// draws into (a plain FillRect stays invisible too), so pixels cannot be read here.
#include "WindowsCheck.h"

namespace {

using windows_check::check;
using windows_check::pump;

// Waits for the process while still answering this window's messages: the saver's
// child window sends its parent messages (WM_PARENTNOTIFY) as it goes.
bool waitForExit(HANDLE process, DWORD milliseconds)
{
    DWORD until = GetTickCount() + milliseconds;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return true;
        pump(20);
    }
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    HWND host = windows_check::makeHostWindow(WS_OVERLAPPEDWINDOW, 320, 240);

    PROCESS_INFORMATION process {};
    if (!windows_check::start(argv[1], "/p " + std::to_string(reinterpret_cast<std::uintptr_t>(host)), process))
        return 1;

    HWND preview = windows_check::waitForPreview(host);
    check(preview != nullptr, "no preview window inside the host");
    if (preview) {
        RECT client {};
        RECT area {};
        GetClientRect(host, &client);
        GetWindowRect(preview, &area);
        MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&area), 2);
        check(area.left == 0 && area.top == 0 && area.right == client.right && area.bottom == client.bottom,
            "the preview fills the host's client area");
        check(GetWindowLongA(preview, GWL_STYLE) & WS_CHILD, "the preview is a child window");

        char className[64] = {};
        GetClassNameA(preview, className, sizeof className);
        check(std::string(className) == "WindowsScreenSaverClass", "the preview is the saver's window");

        // Asked to repaint, the saver paints its window and leaves nothing to update.
        pump(500);
        InvalidateRect(preview, nullptr, TRUE);
        bool painted = false;
        for (int i = 0; i < 100 && !painted; ++i) {
            pump(20);
            painted = !GetUpdateRect(preview, nullptr, FALSE);
        }
        check(painted, "the preview repaints its window");

        // Input ends a full-screen saver, never the preview.
        PostMessageA(preview, WM_KEYDOWN, 'A', 0);
        PostMessageA(preview, WM_CHAR, 'q', 0);
        PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
        PostMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        PostMessageA(preview, WM_ACTIVATE, WA_INACTIVE, 0);
        pump(1000);
        check(WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT, "the preview ended on input");

        PostMessageA(preview, WM_CLOSE, 0, 0);
    }
    bool ended = waitForExit(process.hProcess, 10000);
    check(ended, "the preview did not close");
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DestroyWindow(host);
    return windows_check::finish("preview");
}
