// The saver's part of the screen-saver contract: ScreenSaverProc turns the window's
// messages into calls on the saver session and shows the frame, one block copy per
// tick; the configuration dialog holds no settings.
#include "render/Bitmap.h"
#include "platform/PlatformLibraryLoader.h"
#include "session/SaverSession.h"

#include <windows.h>

#include <scrnsave.h>

#include <memory>

namespace {

using shamblex::SaverSession;

constexpr UINT_PTR frameTimer = 0;

// The one session of this program, made when the window is created. The window
// procedure API leaves no other place for it.
std::unique_ptr<SaverSession> session;
int timerPeriod = 0;

// Copies the whole frame to the window at (0, 0): it is a top-down 24-bit DIB whose
// rows are padded to four bytes, exactly the frame bitmap's layout.
void present(HDC deviceContext)
{
    const shamblex::Bitmap& frame = session->frame();
    if (frame.isEmpty())
        return;
    BITMAPINFO description {};
    description.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    description.bmiHeader.biWidth = frame.width();
    description.bmiHeader.biHeight = -frame.height();
    description.bmiHeader.biPlanes = 1;
    description.bmiHeader.biBitCount = 24;
    description.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(deviceContext, 0, 0, static_cast<DWORD>(frame.width()), static_cast<DWORD>(frame.height()), 0, 0,
        0, static_cast<UINT>(frame.height()), frame.bits(), &description, DIB_RGB_COLORS);
}

void followTimer(HWND window)
{
    if (session->timerPeriod() != timerPeriod) {
        timerPeriod = session->timerPeriod();
        SetTimer(window, frameTimer, static_cast<UINT>(timerPeriod), nullptr);
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

}

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE && !session) {
        session = std::make_unique<SaverSession>(shamblex::Picture::Drawn, shamblex::makePlatformLibraryLoader());
        session->create();
        timerPeriod = 0;
        followTimer(window);
    } else if (session) {
        switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        case WM_SIZE: {
            RECT rectangle;
            GetWindowRect(window, &rectangle);
            session->resize(LOWORD(lParam), HIWORD(lParam), rectangle.right - rectangle.left,
                rectangle.bottom - rectangle.top);
            break;
        }
        case WM_CLOSE:
            // A failure to write the settings never stops the close.
            session->close();
            SendMessageA(window, WM_DESTROY, 0, 0);
            break;
        case WM_CHAR:
            session->character(static_cast<char>(wParam & 0xFF));
            followTimer(window);
            break;
        case WM_TIMER: {
            session->tick();
            HDC deviceContext = GetDC(window);
            present(deviceContext);
            ReleaseDC(window, deviceContext);
            break;
        }
        case WM_ERASEBKGND:
            // Painting the frame here leaves nothing for a background to flicker over.
            present(reinterpret_cast<HDC>(wParam));
            break;
        case WM_MOUSEMOVE:
            session->pointerMoved(pointerX(lParam), pointerY(lParam));
            break;
        case WM_LBUTTONUP:
            session->leftButtonReleased(pointerX(lParam), pointerY(lParam));
            break;
        case WM_RBUTTONUP:
            session->rightButtonReleased(pointerX(lParam), pointerY(lParam));
            break;
        default:
            break;
        }
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
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
