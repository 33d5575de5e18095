// Our screen-saver framework, in place of the platform's screen-saver library
// (mingw-w64 ships only an empty stub of it). Like the platform's, it reads the
// command line Windows passes, shows the configuration dialog or creates the saver
// window (full screen over every monitor, inside a preview window, or, our own
// addition, an ordinary window), runs the message loop, and hands every message to
// the saver's ScreenSaverProc, which passes it on to DefScreenSaverProc here.
//
// Full screen, the saver ends on input, by the rule every shell shares
// (EndOnInput): a key, a mouse button, losing activation, or the pointer moving away
// from where it was at the start. The platform sends WM_MOUSEMOVE also when nothing
// moved, so positions are compared, not messages counted. The preview and the
// ordinary window never end on input.
//
// The screen-saver API itself keeps hMainInstance, hMainWindow and fChildPreview as
// globals, and we define them as it declares them. The framework's own state lives
// with the saver window, as a window property.
#include "shell/windows/ScreenSaverFramework.h"

#include "session/EndOnInput.h"
#include "shell/windows/SaverCommandLine.h"
#include "sim/Settings.h"

#include <windows.h>

#include <scrnsave.h>


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

constexpr char windowClassName[] = "WindowsScreenSaverClass";
constexpr char frameworkProperty[] = "ShamblexScreenSaverFramework";

// What the framework knows of the saver window it runs.
struct Framework {
    WindowKind kind = WindowKind::FullScreen;
    shamblex::EndOnInput endOnInput;
    bool closeRequested = false;
    SaverOpener opener;
};

Framework* frameworkOf(HWND window)
{
    return static_cast<Framework*>(GetPropA(window, frameworkProperty));
}

// Posts WM_CLOSE once; every further trigger while the saver closes is ignored.
void endSaver(HWND window, Framework& framework)
{
    if (framework.closeRequested)
        return;
    framework.closeRequested = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool endsSaver(const Framework& framework, shamblex::UserInput input)
{
    if (input != shamblex::UserInput::PointerMove)
        return framework.endOnInput.ends(input);
    POINT now;
    return GetCursorPos(&now) && framework.endOnInput.ends(input, now.x, now.y);
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

int runSaverWindow(HINSTANCE instance, WindowKind kind, HWND parent, SaverOpener opener)
{
    Framework framework;
    framework.kind = kind;
    framework.opener = std::move(opener);
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
        POINT start {};
        GetCursorPos(&start);
        framework.endOnInput = shamblex::EndOnInput(start.x, start.y);
        // The virtual screen spans every monitor; its origin may be negative.
        int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClassName, "Shamblex", WS_POPUP | WS_VISIBLE,
            left, top, width, height, nullptr, nullptr, instance, &framework);
        if (window)
            ShowCursor(FALSE);
        break;
    }
    case WindowKind::Preview: {
        RECT client;
        GetClientRect(parent, &client);
        window = CreateWindowExA(0, windowClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
            client.bottom, parent, nullptr, instance, &framework);
        break;
    }
    case WindowKind::Ordinary:
        window = CreateWindowExA(0, windowClassName, "Shamblex", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
            CW_USEDEFAULT, shamblex::defaultWindowWidth, shamblex::defaultWindowHeight, nullptr, nullptr, instance,
            &framework);
        break;
    }
    if (!window)
        return 1;
    hMainWindow = window;
    if (kind != WindowKind::Preview)
        SetForegroundWindow(window);

    // Full screen, a key ends the saver and nothing more: no character is made of it.
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (kind != WindowKind::FullScreen)
            TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnregisterClassA(windowClassName, instance);
    return static_cast<int>(message.wParam);
}

}

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The framework's state comes with the window's creation and goes with it.
    if (message == WM_NCCREATE) {
        auto* framework = static_cast<Framework*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (framework)
            SetPropA(window, frameworkProperty, framework);
    } else if (message == WM_NCDESTROY) {
        RemovePropA(window, frameworkProperty);
    }
    Framework* framework = frameworkOf(window);
    if (framework && framework->kind == WindowKind::FullScreen) {
        using shamblex::UserInput;
        switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (endsSaver(*framework, UserInput::Key))
                endSaver(window, *framework);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
            if (endsSaver(*framework, UserInput::Button))
                endSaver(window, *framework);
            break;
        case WM_MOUSEMOVE:
            if (endsSaver(*framework, UserInput::PointerMove))
                endSaver(window, *framework);
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE && endsSaver(*framework, UserInput::FocusLost))
                endSaver(window, *framework);
            break;
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
            if (!wParam && endsSaver(*framework, UserInput::FocusLost))
                endSaver(window, *framework);
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

const SaverOpener* saverOpenerOf(HWND window)
{
    Framework* framework = frameworkOf(window);
    return framework && framework->opener ? &framework->opener : nullptr;
}

int runScreenSaver(HINSTANCE instance, const char* commandLine, SaverOpener opener)
{
    hMainInstance = instance;
    shamblex::SaverInvocation command = shamblex::parseSaverCommandLine(commandLine ? commandLine : "");
    switch (command.action) {
    case SaverAction::Configure:
        return runConfigurationDialog(instance, command.window);
    case SaverAction::ChangePassword:
        // Windows has managed saver passwords itself since Windows 95.
        return 0;
    case SaverAction::FullScreen:
        return runSaverWindow(instance, WindowKind::FullScreen, nullptr, std::move(opener));
    case SaverAction::Preview: {
        HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*command.window));
        if (!IsWindow(parent))
            return 2;
        return runSaverWindow(instance, WindowKind::Preview, parent, std::move(opener));
    }
    case SaverAction::Window:
        return runSaverWindow(instance, WindowKind::Ordinary, nullptr, std::move(opener));
    case SaverAction::Invalid:
        break;
    }
    return 2;
}
