#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace shamblex {

// What Windows asks of a screen saver through its command line.
enum class SaverAction {
    Configure, // "/c", "/c:HWND" or no argument: the configuration dialog
    FullScreen, // "/s": the screen saver itself
    Preview, // "/p HWND" or "/p:HWND": drawn inside the given window
    ChangePassword, // "/a": nothing to do on current Windows
    Window, // "/w" (ours): an ordinary window that does not end on input
    Invalid, // anything else, or a preview without a window
};

struct SaverInvocation {
    SaverAction action = SaverAction::Configure;
    // The preview's parent, or the dialog's owner; none for the dialog means no owner.
    std::optional<std::uint64_t> window;
};

// Reads the command line after the program name as Windows passes it: the switch
// starts with '/' or '-', its letter in either case; a window handle follows after a
// colon or a space, in decimal.
SaverInvocation parseSaverCommandLine(std::string_view);

}
