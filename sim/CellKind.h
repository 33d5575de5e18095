#pragma once

#include <cstdint>

namespace shamblex {

// What a board cell holds, and also the kind of a being. The codes are part of the
// brain interface (a sight record reports them), so they never change.
enum class CellKind : std::int32_t {
    Empty = 0,
    Zombie = 1,
    Human = 2,
    Wall = 3, // also what lies beyond the board's edge
};

}
