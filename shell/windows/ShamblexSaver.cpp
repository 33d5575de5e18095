// The saver's part of the screen-saver contract: ScreenSaverProc turns the window's
// messages into calls on the saver session and shows what the frame step drew; the
// configuration dialog holds no settings.
//
// Each saver window owns its saver (kept in the window's user data from WM_CREATE to
// WM_NCDESTROY), so nothing of the saver is global. Where the framework was given an
// opener, the saver comes from it (brains in a worker); otherwise the window runs a
// session of its own whose brains never load.
#include "render/Bitmap.h"
#include "session/SaverSession.h"
#include "session/SessionStart.h"
#include "shell/windows/ScreenSaverFramework.h"

#include <windows.h>

#include <scrnsave.h>

#include <cstdio>
#include <memory>

namespace {

using shamblex::SaverControl;

constexpr UINT_PTR frameTimer = 0;

// The display's refresh rate when the driver does not say (VREFRESH of 0 or 1 means
// "the hardware's default").
constexpr int defaultRefreshRate = 60;

// One saver window's saver, the timer period it runs at, and when the next frame is
// due on the screen: ticks run every timer period, but the screen can show at most
// one frame a refresh, so the frame is flushed and copied once a refresh only.
struct SaverWindow {
    std::unique_ptr<SaverControl> saver;
    int timerPeriod = 0;
    LONGLONG refreshCounts = 0; // performance-counter counts between refreshes
    LONGLONG nextPresent = 0;
};

LONGLONG counterNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

LONGLONG refreshCountsOf(HWND window)
{
    HDC deviceContext = GetDC(window);
    int rate = deviceContext ? GetDeviceCaps(deviceContext, VREFRESH) : 0;
    if (deviceContext)
        ReleaseDC(window, deviceContext);
    if (rate <= 1)
        rate = defaultRefreshRate;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart / rate;
}

// Whether a refresh has passed since the frame was last shown. Missed refreshes are
// not made up: after a stall the next frame is due a refresh from now.
bool presentIsDue(SaverWindow& saver)
{
    const LONGLONG now = counterNow();
    if (now < saver.nextPresent)
        return false;
    saver.nextPresent += saver.refreshCounts;
    if (saver.nextPresent <= now)
        saver.nextPresent = now + saver.refreshCounts;
    return true;
}

// The saver a window's opener gives, or else one of the window's own whose brains
// never load: no library is ever loaded in the window's own process.
std::unique_ptr<SaverControl> openSaver(HWND window, shamblex::SaverMode mode)
{
    if (const SaverOpener* opener = saverOpenerOf(window)) {
        if (auto saver = (*opener)(mode))
            return saver;
    }
    auto session = std::make_unique<shamblex::SaverSession>(mode, nullptr);
    // No options: the design's defaults, the built-in humans, the 5 ms timer.
    (void)shamblex::startSession(*session, {});
    return session;
}

SaverWindow* saverOf(HWND window)
{
    return reinterpret_cast<SaverWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// A full-screen saver is a pop-up, a preview a child; anything else is an ordinary
// window in which every command works.
shamblex::SaverMode modeOf(const CREATESTRUCTA& creation)
{
    if (creation.style & WS_CHILD)
        return shamblex::SaverMode::Preview;
    if (creation.style & WS_POPUP)
        return shamblex::SaverMode::FullScreen;
    return shamblex::SaverMode::Window;
}

// Copies a rectangle of the frame to the window at the same place. The frame is a
// top-down 32-bit DIB; the rows of the rectangle
// are handed over as a DIB of their own, so that no bottom-up arithmetic is involved.
void present(HDC deviceContext, const shamblex::Bitmap& frame, const shamblex::Rectangle& area)
{
    if (frame.isEmpty() || area.width <= 0 || area.height <= 0)
        return;
    BITMAPINFO description {};
    description.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    description.bmiHeader.biWidth = frame.width();
    description.bmiHeader.biHeight = -area.height;
    description.bmiHeader.biPlanes = 1;
    description.bmiHeader.biBitCount = shamblex::Bitmap::bitsPerPixel;
    description.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(deviceContext, area.left, area.top, static_cast<DWORD>(area.width),
        static_cast<DWORD>(area.height), area.left, 0, 0, static_cast<UINT>(area.height), frame.row(area.top),
        &description, DIB_RGB_COLORS);
}

void presentAll(HDC deviceContext, shamblex::Bitmap& frame)
{
    present(deviceContext, frame, { 0, 0, frame.width(), frame.height() });
    frame.clearDamage();
}

// After a tick only what the step wrote goes to the screen; nothing at all when it
// wrote nothing (a paused outbreak).
void presentDamage(HWND window, shamblex::Bitmap& frame)
{
    if (frame.damage().isEmpty())
        return;
    HDC deviceContext = GetDC(window);
    for (const shamblex::Rectangle& area : frame.damage().rectangles())
        present(deviceContext, frame, area);
    ReleaseDC(window, deviceContext);
    frame.clearDamage();
}

void followTimer(HWND window, SaverWindow& saver)
{
    if (saver.saver->timerPeriod() != saver.timerPeriod) {
        saver.timerPeriod = saver.saver->timerPeriod();
        SetTimer(window, frameTimer, static_cast<UINT>(saver.timerPeriod), nullptr);
    }
}

std::int32_t pointerX(LPARAM lParam)
{
    return static_cast<std::int32_t>(LOWORD(lParam));
}

std::int32_t pointerY(LPARAM lParam)
{
    return static_cast<std::int32_t>(HIWORD(lParam));
}

void handle(HWND window, SaverWindow& saver, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverControl& session = *saver.saver;
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE: {
        RECT rectangle;
        GetWindowRect(window, &rectangle);
        session.resize(LOWORD(lParam), HIWORD(lParam), rectangle.right - rectangle.left,
            rectangle.bottom - rectangle.top);
        break;
    }
    case WM_CLOSE:
        // A failure to write the settings never stops the close.
        if (auto error = session.close())
            std::fprintf(stderr, "shamblex: cannot write the settings to '%s': %s\n", session.settingsFile().c_str(),
                error->c_str());
        SendMessageA(window, WM_DESTROY, 0, 0);
        break;
    case WM_CHAR:
        session.character(static_cast<char>(wParam & 0xFF));
        followTimer(window, saver);
        break;
    case WM_TIMER:
        session.tick();
        if (presentIsDue(saver))
            presentDamage(window, session.frame());
        if (session.abandoned())
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC deviceContext = BeginPaint(window, &paint);
        presentAll(deviceContext, session.frame());
        EndPaint(window, &paint);
        break;
    }
    case WM_ERASEBKGND:
        // Painting the frame here leaves nothing for a background to flicker over.
        presentAll(reinterpret_cast<HDC>(wParam), session.frame());
        break;
    case WM_MOUSEMOVE:
        session.pointerMoved(pointerX(lParam), pointerY(lParam));
        break;
    case WM_LBUTTONUP:
        session.leftButtonReleased(pointerX(lParam), pointerY(lParam));
        break;
    case WM_RBUTTONUP:
        session.rightButtonReleased(pointerX(lParam), pointerY(lParam));
        break;
    default:
        break;
    }
}

}

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE && !saverOf(window)) {
        auto saver = std::make_unique<SaverWindow>();
        saver->saver = openSaver(window, modeOf(*reinterpret_cast<CREATESTRUCTA*>(lParam)));
        saver->refreshCounts = refreshCountsOf(window);
        followTimer(window, *saver);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(saver.release()));
    } else if (SaverWindow* saver = saverOf(window)) {
        handle(window, *saver, message, wParam, lParam);
    }
    LRESULT result = DefScreenSaverProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        delete saverOf(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    return result;
}

WINBOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    // OK and Cancel close the dialog and change nothing. Everything else is left to
    // the dialog manager: a dialog procedure that claimed every message would leave
    // the dialog unpainted and unmovable.
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

WINBOOL WINAPI RegisterDialogClasses(HANDLE)
{
    return TRUE;
}
