#pragma once

#include <cstdint>

namespace shamblex {

class Random;

// A heading on the board. The codes are part of the brain interface. A brain may
// store any 32-bit value; every value above 3 behaves as None, which stands still
// and, when looked along, sees the looker's own cell.
enum class Direction : std::uint32_t {
    Up = 0, // row - 1
    Right = 1, // column + 1
    Down = 2, // row + 1
    Left = 3, // column - 1
    None = 4,
};

Direction turnLeft(Direction);
Direction turnRight(Direction);
Direction turnAround(Direction);

// Draws one number and picks from {Up, Down, Right, Left} in that order.
Direction randomDirection(Random&);

// Moves (x, y) one cell along the direction; None and unknown values change nothing.
inline void stepInDirection(Direction direction, std::int32_t& x, std::int32_t& y)
{
    switch (direction) {
    case Direction::Up: --y; break;
    case Direction::Right: ++x; break;
    case Direction::Down: ++y; break;
    case Direction::Left: --x; break;
    default: break;
    }
}

}
