#pragma once

// Readable names for the simulation's enums and cells in test failure messages.

#include "sim/Board.h"
#include "sim/CellKind.h"
#include "sim/Colour.h"
#include "sim/Direction.h"

#include <ostream>

namespace shamblex {

inline void PrintTo(CellKind kind, std::ostream* out)
{
    static constexpr const char* names[] = { "Empty", "Zombie", "Human", "Wall" };
    auto code = static_cast<int>(kind);
    if (code >= 0 && code < 4)
        *out << names[code];
    else
        *out << "CellKind(" << code << ")";
}

inline void PrintTo(Direction direction, std::ostream* out)
{
    static constexpr const char* names[] = { "Up", "Right", "Down", "Left", "None" };
    auto code = static_cast<std::uint32_t>(direction);
    if (code < 5)
        *out << names[code];
    else
        *out << "Direction(" << code << ")";
}

inline void PrintTo(Colour colour, std::ostream* out)
{
    *out << "(" << int { colour.red } << ", " << int { colour.green } << ", " << int { colour.blue } << ")";
}

}
