#pragma once

#include "sim/CellKind.h"
#include "sim/Colour.h"

#include <cstdint>

namespace shamblex {

// One row of the constant kind table: how a kind is drawn and how much movement
// credit a being of that kind earns per frame.
struct KindInfo {
    CellKind kind = CellKind::Empty;
    Colour colour;
    std::int32_t speed = 0;
};

// Lookups are made with one of the four kind codes only.
const KindInfo& kindInfo(CellKind kind);

// The kind's colour packed as red + green * 256 + blue * 65536.
std::uint32_t kindColour(CellKind kind);

}
