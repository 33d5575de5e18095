// Our screen-saver framework, in place of the platform's screen-saver library
// (mingw-w64 ships only an empty stub of it). Like the platform's, it reads the
// command line Windows passes, shows the configuration dialog or creates the saver
// window (full screen over every monitor, inside a preview window, or, our own
// addition, an ordinary window), runs the message loop, and hands every message to
// the saver's ScreenSaverProc, which passes it on to DefScreenSaverProc here.
//
// Full screen, the saver ends on input: a key, a mouse button, losing activation,
// or the pointer moving more than a few pixels from where it was at the start. The
// platform sends WM_MOUSEMOVE also when nothing moved, so positions are compared,
// not messages counted. The preview and the ordinary window never end on input.
#include "shell/windows/ScreenSaverFramework.h"

#include "shell/windows/SaverCommandLine.h"

#include <windows.h>

#include <scrnsave.h>

#include <cstdlib>

HINSTANCE hMainInstance = nullptr;
HWND hMainWindow = nullptr;
WINBOOL fChildPreview = FALSE;

namespace {

using shamblex::SaverAction;

enum class WindowKind {
    FullScreen,
    Preview,
    Ordinary,
};

// A pointer that moves no more than this stays a mouse nudged by accident.
constexpr LONG moveTolerance = 4;
// The ordinary window's size at start: the settings' window size.
constexpr int ordinaryWidth = 1000;
constexpr int ordinaryHeight = 700;
constexpr char windowClassName[] = "WindowsScreenSaverClass";

// The framework's own state; the platform's library keeps the same in globals,
// since the window procedure API leaves no other place for it.
struct Framework {
    WindowKind kind = WindowKind::FullScreen;
    POINT startCursor {};
    bool closeRequested = false;
};
Framework framework;

// Posts WM_CLOSE once; every further trigger while the saver closes is ignored.
void endSaver(HWND window)
{
    if (framework.closeRequested)
        return;
    framework.closeRequested = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool pointerMovedAway()
{
    POINT now;
    if (!GetCursorPos(&now))
        return false;
    return std::labs(now.x - framework.startCursor.x) > moveTolerance
        || std::labs(now.y - framework.startCursor.y) > moveTolerance;
}

// The platform declares the saver's dialog procedure as returning a BOOL; the
// dialog manager calls a DLGPROC, which returns an INT_PTR.
INT_PTR CALLBACK configurationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

int runConfigurationDialog(HINSTANCE instance, std::optional<std::uint64_t> owner)
{
    if (!RegisterDialogClasses(instance))
        return 1;
    HWND ownerWindow = owner ? reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*owner)) : nullptr;
    if (ownerWindow && !IsWindow(ownerWindow))
        ownerWindow = nullptr;
    INT_PTR result = DialogBoxParamA(
        instance, MAKEINTRESOURCEA(DLG_SCRNSAVECONFIGURE), ownerWindow, configurationDialogProc, 0);
    return result == -1 ? 1 : 0;
}

int runSaverWindow(HINSTANCE instance, WindowKind kind, HWND parent)
{
    framework.kind = kind;
    fChildPreview = kind == WindowKind::Preview;

    WNDCLASSA windowClass {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ScreenSaverProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ID_APP));
    windowClass.hCursor = kind == WindowKind::FullScreen ? nullptr : LoadCursorA(nullptr, IDC_ARROW);
    // No background brush: the saver paints every pixel itself, so nothing flickers.
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassA(&windowClass))
        return 1;

    HWND window = nullptr;
    switch (kind) {
    case WindowKind::FullScreen: {
        GetCursorPos(&framework.startCursor);
        // The virtual screen spans every monitor; its origin may be negative.
        int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClassName, "Shamblex", WS_POPUP | WS_VISIBLE,
            left, top, width, height, nullptr, nullptr, instance, nullptr);
        if (window)
            ShowCursor(FALSE);
        break;
    }
    case WindowKind::Preview: {
        RECT client;
        GetClientRect(parent, &client);
        window = CreateWindowExA(0, windowClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
            client.bottom, parent, nullptr, instance, nullptr);
        break;
    }
    case WindowKind::Ordinary:
        window = CreateWindowExA(0, windowClassName, "Shamblex", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
            CW_USEDEFAULT, ordinaryWidth, ordinaryHeight, nullptr, nullptr, instance, nullptr);
        break;
    }
    if (!window)
        return 1;
    hMainWindow = window;
    if (kind != WindowKind::Preview)
        SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (framework.kind == WindowKind::FullScreen && window == hMainWindow) {
        switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            endSaver(window);
            break;
        case WM_MOUSEMOVE:
            if (pointerMovedAway())
                endSaver(window);
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
                endSaver(window);
            break;
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
            if (!wParam)
                endSaver(window);
            break;
        case WM_SYSCOMMAND:
            // While it runs, nothing closes or restarts the saver but the saver itself.
            switch (wParam & 0xFFF0) {
            case SC_SCREENSAVE:
            case SC_CLOSE:
            case SC_NEXTWINDOW:
            case SC_PREVWINDOW:
            case SC_TASKLIST:
            case SC_KEYMENU:
                return FALSE;
            default:
                break;
            }
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}


int runScreenSaver(HINSTANCE instance, const char* commandLine)
{
    hMainInstance = instance;
    shamblex::SaverCommand command = shamblex::parseSaverCommandLine(commandLine ? commandLine : "");
    switch (command.action) {
    case SaverAction::Configure:
        return runConfigurationDialog(instance, command.window);
    case SaverAction::ChangePassword:
        // Windows has managed saver passwords itself since Windows 95.
        return 0;
    case SaverAction::FullScreen:
        return runSaverWindow(instance, WindowKind::FullScreen, nullptr);
    case SaverAction::Preview: {
        HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*command.window));
        if (!IsWindow(parent))
            return 2;
        return runSaverWindow(instance, WindowKind::Preview, parent);
    }
    case SaverAction::Window:
        return runSaverWindow(instance, WindowKind::Ordinary, nullptr);
    case SaverAction::Invalid:
        break;
    }
    return 2;
}
