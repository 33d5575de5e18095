#pragma once

#include <cstdint>
#include <cstdlib>

namespace shamblex {

// What a user does that a full-screen saver notices.
enum class UserInput {
    Key,
    Button,
    PointerMove,
    FocusLost, // another window took over
};

// The one rule by which every full-screen saver ends: on any key or button press, on
// losing the focus, or on the pointer moving more than moveTolerance pixels from
// where it was when the saver started; a mouse left alone, or nudged by accident,
// keeps the saver running. Shells turn their platform's events into UserInput and ask.
class EndOnInput {
public:
    static constexpr std::int32_t moveTolerance = 10;

    EndOnInput() = default;
    EndOnInput(std::int32_t startX, std::int32_t startY)
        : m_startX(startX)
        , m_startY(startY)
    {
    }

    // For PointerMove, (x, y) is where the pointer is now, in the coordinates the
    // start was given in.
    bool ends(UserInput input, std::int32_t x = 0, std::int32_t y = 0) const
    {
        if (input != UserInput::PointerMove)
            return true;
        return std::abs(std::int64_t { x } - m_startX) > moveTolerance
            || std::abs(std::int64_t { y } - m_startY) > moveTolerance;
    }

private:
    std::int32_t m_startX = 0;
    std::int32_t m_startY = 0;
};

}
