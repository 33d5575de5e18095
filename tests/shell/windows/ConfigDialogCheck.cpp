// Runs "shamblex.scr /c" and inspects its configuration dialog from outside, as
// Windows itself sees it: the caption, the two buttons with their ids, styles and
// places (in dialog units), then presses OK and expects the saver to end.
//   config_dialog_check.exe PATH-TO-SHAMBLEX.SCR
#include "WindowsCheck.h"

namespace {

using windows_check::check;

std::string textOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string classOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Dialog units become pixels through the dialog font's base units, which only the
// dialog's own process can ask for; they are found here from the dialog's size.
struct BaseUnits {
    int x = 0;
    int y = 0;
    int toX(int units) const { return MulDiv(units, x, 4); }
    int toY(int units) const { return MulDiv(units, y, 8); }
};

BaseUnits baseUnitsFor(HWND dialog, int width, int height)
{
    RECT client {};
    GetClientRect(dialog, &client);
    for (int x = 1; x < 64; ++x)
        for (int y = 1; y < 128; ++y)
            if (MulDiv(width, x, 4) == client.right && MulDiv(height, y, 8) == client.bottom)
                return { x, y };
    std::printf("  dialog client of %ldx%ld pixels is no %dx%d dialog units\n", client.right, client.bottom, width,
        height);
    return {};
}

// The control lies where the template put it, in dialog units.
void checkPlace(HWND dialog, HWND control, BaseUnits units, RECT expected, const char* what)
{
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    bool same = actual.left == units.toX(expected.left) && actual.top == units.toY(expected.top)
        && actual.right - actual.left == units.toX(expected.right)
        && actual.bottom - actual.top == units.toY(expected.bottom);
    if (!same)
        std::printf("  %s: found %ld,%ld %ldx%ld pixels\n", what, actual.left, actual.top, actual.right - actual.left,
            actual.bottom - actual.top);
    check(same, what);
}

}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    PROCESS_INFORMATION process {};
    if (!windows_check::start(argv[1], "/c", process))
        return 1;

    const char* caption = "Varkel's Shamblex Simulation v0.1";
    // The dialog's window exists before its buttons do: it counts as there once it
    // shows, when its controls have been made.
    HWND dialog = nullptr;
    for (int i = 0; i < 200; ++i) {
        dialog = FindWindowA("#32770", caption);
        if (dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, IDCANCEL))
            break;
        Sleep(100);
    }
    check(dialog != nullptr, "no dialog with the caption appeared");
    if (dialog) {
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        check((style & WS_POPUP) && (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "dialog style");
        check(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, "modal frame");

        BaseUnits units = baseUnitsFor(dialog, 231, 118);
        check(units.x > 0, "dialog size of 231 x 118 dialog units");

        HWND ok = GetDlgItem(dialog, IDOK);
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        check(ok && textOf(ok) == "OK" && classOf(ok) == "Button", "OK button, id 1");
        check(cancel && textOf(cancel) == "Cancel" && classOf(cancel) == "Button", "Cancel button, id 2");
        if (ok && cancel) {
            LONG okStyle = GetWindowLongA(ok, GWL_STYLE);
            LONG cancelStyle = GetWindowLongA(cancel, GWL_STYLE);
            check((okStyle & 0x0F) == BS_DEFPUSHBUTTON && (okStyle & WS_TABSTOP) && (okStyle & WS_VISIBLE),
                "OK is a visible default push button with a tab stop");
            check((cancelStyle & 0x0F) == BS_PUSHBUTTON && (cancelStyle & WS_TABSTOP) && (cancelStyle & WS_VISIBLE),
                "Cancel is a visible push button with a tab stop");
            checkPlace(dialog, ok, units, { 174, 7, 50, 14 }, "OK at (174, 7), 50 x 14");
            checkPlace(dialog, cancel, units, { 174, 24, 50, 14 }, "Cancel at (174, 24), 50 x 14");
            SendMessageA(ok, BM_CLICK, 0, 0);
        }
    }

    bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
    check(ended, "OK did not close the dialog");
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    check(!ended || exitCode == 0, "the saver's exit status after OK");
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return windows_check::finish("configuration dialog");
}
