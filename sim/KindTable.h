#pragma once

#include "sim/CellKind.h"
#include "sim/Colour.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace shamblex {

// One row of the constant kind table: how a kind is drawn and how much movement
// credit a being of that kind earns per frame.
struct KindInfo {
    CellKind kind = CellKind::Empty;
    Colour colour;
    std::int32_t speed = 0;
};

// Humans earn twice the credit of zombies and so move twice as fast.
inline constexpr std::array<KindInfo, 4> kindTable { {
    { CellKind::Empty, { 0, 0, 0 }, 0 },
    { CellKind::Zombie, { 0, 255, 0 }, 512 },
    { CellKind::Human, { 244, 194, 194 }, 1024 },
    { CellKind::Wall, { 50, 50, 60 }, 0 },
} };

// Lookups are made with one of the four kind codes only.
constexpr const KindInfo& kindInfo(CellKind kind)
{
    assert(static_cast<std::size_t>(kind) < kindTable.size());
    return kindTable[static_cast<std::size_t>(kind)];
}

// The kind's colour packed as red + green * 256 + blue * 65536.
constexpr std::uint32_t kindColour(CellKind kind)
{
    return kindInfo(kind).colour.packed();
}

}
