#include "sim/Direction.h"

#include "sim/Random.h"

namespace shamblex {

Direction turnLeft(Direction direction)
{
    switch (direction) {
    case Direction::Up: return Direction::Left;
    case Direction::Right: return Direction::Up;
    case Direction::Down: return Direction::Right;
    case Direction::Left: return Direction::Down;
    default: return Direction::None;
    }
}

Direction turnRight(Direction direction)
{
    switch (direction) {
    case Direction::Up: return Direction::Right;
    case Direction::Right: return Direction::Down;
    case Direction::Down: return Direction::Left;
    case Direction::Left: return Direction::Up;
    default: return Direction::None;
    }
}

Direction turnAround(Direction direction)
{
    return turnLeft(turnLeft(direction));
}

Direction randomDirection(Random& random)
{
    // The table's order is not the codes' order; replays depend on it.
    static constexpr Direction table[4] = { Direction::Up, Direction::Down, Direction::Right, Direction::Left };
    return table[random.below(4)];
}

}
