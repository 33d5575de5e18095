// The preview's picture: a host window, and the saver's own framework run on a
// thread of this process with "/p HWND", exactly as shamblex.scr runs it. The host
// then reads the preview's pixels: the status band's grey, the board's walls.
//   preview_drawing_check.exe
#include "shell/windows/ScreenSaverFramework.h"

#include "WindowsCheck.h"

#include <thread>

using windows_check::check;
using windows_check::pump;

int main()
{
    HWND host = windows_check::makeHostWindow(WS_POPUP | WS_CLIPCHILDREN, 400, 400);

    std::string commandLine = "/p " + std::to_string(reinterpret_cast<std::uintptr_t>(host));
    int status = -1;
    std::thread saver([&] { status = runScreenSaver(GetModuleHandleA(nullptr), commandLine.c_str()); });

    HWND preview = windows_check::waitForPreview(host);
    check(preview != nullptr, "no preview window inside the host");
    if (preview) {
        pump(1500);
        // A 400 x 400 frame lays the default board out from (75, 112) in cells of one
        // pixel; above it lies the status band, around it the grey margin.
        HDC deviceContext = GetDC(preview);
        COLORREF band = GetPixel(deviceContext, 300, 45);
        COLORREF margin = GetPixel(deviceContext, 20, 300);
        int walls = 0;
        for (int y = 112; y < 362; y += 5)
            for (int x = 75; x < 325; x += 5)
                walls += GetPixel(deviceContext, x, y) == RGB(50, 50, 60);
        ReleaseDC(preview, deviceContext);
        check(band == RGB(128, 128, 128), "the status band's grey in the preview");
        check(margin == RGB(128, 128, 128), "the margin's grey in the preview");
        check(walls > 100, "the city's walls in the preview");
        PostMessageA(preview, WM_CLOSE, 0, 0);
    }
    for (int i = 0; i < 200 && IsWindow(preview); ++i)
        pump(50);
    saver.join();
    check(status == 0, "the preview's exit status");
    DestroyWindow(host);
    return windows_check::finish("preview drawing");
}
