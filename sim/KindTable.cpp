#include "sim/KindTable.h"

#include <array>
#include <cassert>

namespace shamblex {

namespace {

// Humans earn twice the credit of zombies and so move twice as fast.
constexpr std::array<KindInfo, 4> kindTable { {
    { CellKind::Empty, { 0, 0, 0 }, 0 },
    { CellKind::Zombie, { 0, 255, 0 }, 512 },
    { CellKind::Human, { 244, 194, 194 }, 1024 },
    { CellKind::Wall, { 50, 50, 60 }, 0 },
} };

}

const KindInfo& kindInfo(CellKind kind)
{
    auto index = static_cast<std::size_t>(kind);
    assert(index < kindTable.size());
    return kindTable[index];
}

std::uint32_t kindColour(CellKind kind)
{
    return kindInfo(kind).colour.packed();
}

}
