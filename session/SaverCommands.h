#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace shamblex {

class SaverSession;
struct CellPosition;

// How a session is shown, which decides what input may do.
enum class SaverMode : std::uint8_t {
    Window = 1, // an ordinary window (Linux, Windows /w): every command works
    FullScreen = 2, // a screen saver: any input ends it, no command runs
    Preview = 4, // inside the screen-saver settings' preview: no input
    Hack = 8, // drawn into a window a screen-saver daemon owns: no input
    Headless = 16, // the runner: commands come from its script
};

// A set of modes.
class SaverModes {
public:
    constexpr SaverModes() = default;
    constexpr SaverModes(std::initializer_list<SaverMode> modes)
    {
        for (SaverMode mode : modes)
            m_bits |= static_cast<std::uint8_t>(mode);
    }
    constexpr bool contains(SaverMode mode) const { return (m_bits & static_cast<std::uint8_t>(mode)) != 0; }

private:
    std::uint8_t m_bits = 0;
};

enum class Trigger {
    Key,
    LeftButton, // released over a board cell
    RightButton,
    MiddleButton,
};

// One user command: what runs it, what it does, where it runs. The table of all of
// them (SaverSession::commands) is what the session dispatches, and what the help
// texts are checked against.
struct SaverCommand {
    Trigger trigger = Trigger::Key;
    std::string_view keys; // for Trigger::Key: every character that runs it
    std::string_view label; // how the help texts name the key or button ("Spacebar", "1-9", "L-click")
    std::string_view action; // what it does, in the words of --help
    SaverModes modes;
    bool onHelpPage = true; // listed on the in-window help page, whose text never changes
    // The command; `key` is the character typed (for keys), `cell` the board cell
    // under the pointer (for buttons, on the board).
    void (SaverSession::*run)(char key, const CellPosition& cell) = nullptr;
    // It reads the brain folder anew (a brain worker's host hands it the files first).
    bool rescansBrains = false;
};

}
