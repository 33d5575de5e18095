#pragma once

#include "sim/CellKind.h"
#include "sim/Direction.h"
#include "sim/KindTable.h"

#include <cstdint>
#include <limits>

namespace shamblex {

// A being's place in the population, which is also its place in population order.
using ActorIndex = std::uint32_t;
inline constexpr ActorIndex noActor = std::numeric_limits<ActorIndex>::max();

// A brain name, interned by the simulation (BrainNames): equal names, equal ids.
using BrainId = std::uint32_t;

// Credit one step of one cell costs; speeds are credit per frame.
inline constexpr std::int32_t moveCreditPerStep = 2048;

// Range of the sights a being takes.
inline constexpr std::int32_t sightRange = 10;

// Frames of panic a human (built-in or sample brain) keeps after a sighting.
inline constexpr std::uint32_t panicFrames = 10;

// One being, a zombie or a human: the state every frame of its update reads and
// writes, kept small so that a population of millions walks through memory in order.
// A human driven by a brain also has a BeingMind (its memory, colour and status
// text), which the population keeps apart; the fields the mind shares with this
// state are copied in before every brain call and back after it.
struct Actor {
    std::int32_t x = 0; // column
    std::int32_t y = 0; // row
    std::int32_t moveCredit = 0;
    // Any 32-bit value a brain writes; values above 3 act as Direction::None.
    std::uint32_t lookDirection = static_cast<std::uint32_t>(Direction::Up);
    std::uint32_t moveDirection = static_cast<std::uint32_t>(Direction::None);
    std::uint32_t panicCounter = 0; // frames of panic (humans) or of chase (smart zombies)
    std::uint32_t serialNumber = 0;
    BrainId brain = 0;
    std::uint32_t mind = noMind; // its mind, for brain-driven humans
    std::uint32_t nextResident = 0; // the population's chain of beings filed on one cell
    std::uint8_t kindCode = static_cast<std::uint8_t>(CellKind::Human); // Zombie or Human, never anything else
    std::uint8_t panicked = 0; // 1 panicked; a brain may store any other value, which counts as calm
    // Whether it is its cell's occupant: the population keeps this in step with the
    // cell, so that a being that stays put need not look at its cell's bookkeeping.
    std::uint8_t holdsMark = 0;

    static constexpr std::uint32_t noMind = std::numeric_limits<std::uint32_t>::max();

    CellKind kind() const { return static_cast<CellKind>(kindCode); }
    Direction lookDir() const { return static_cast<Direction>(lookDirection); }
    Direction moveDir() const { return static_cast<Direction>(moveDirection); }
    bool isZombie() const { return kind() == CellKind::Zombie; }
    bool isHuman() const { return kind() == CellKind::Human; }

    void setHeading(Direction direction)
    {
        lookDirection = static_cast<std::uint32_t>(direction);
        moveDirection = static_cast<std::uint32_t>(direction);
    }
};

// Movement credit a being of the kind earns per frame.
constexpr std::int32_t speedOf(CellKind kind)
{
    return kindInfo(kind).speed;
}

}
