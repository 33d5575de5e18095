#pragma once

#include "brains/BrainRecord.h"
#include "sim/CellKind.h"
#include "sim/Colour.h"
#include "sim/Direction.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace shamblex {

class Board;
class BrainRegistry;
class Population;
class Random;

enum class ZombieMind {
    Simple,
    Smart,
};

enum class WallEating {
    Off,
    On,
};

// Everything a being's update touches besides the being itself. The simulation
// builds one per frame step.
struct World {
    Population& population;
    Board& board;
    Random& random;
    BrainRegistry& brains;
    ZombieMind zombieMind = ZombieMind::Smart;
    WallEating wallEating = WallEating::Off;
};

// Credit one step of one cell costs; speeds are credit per frame.
inline constexpr std::int32_t moveCreditPerStep = 2048;

// Range of the three sight records a human takes every frame.
inline constexpr std::int32_t sightRange = 10;

// One being, a zombie or a human. It begins with the brain record, so that a brain
// plug-in gets the being's own address and works on it in place; the members below
// are the host's alone.
//
// Every Actor is owned by the simulation's Population, which keeps beings at fixed
// addresses: board cells and the watched-being reference point at them.
class Actor : public BrainRecord {
public:
    // A default human ("Human", kind 2, speed 1024) facing and moving in two random
    // directions. Its position is set by placement before its first update.
    explicit Actor(Random&);

    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    // Re-initialises the being as a fresh zombie or default human: purple user
    // colour, facing up, standing still, no panic, memory and text cleared, no credit.
    // The sight records and the position stay.
    void becomeKind(CellKind);

    // Makes the being a human of the named brain with fresh state and two random
    // directions.
    void becomeHuman(std::string_view brainName, Random&);

    // Tries up to 100 random cells, never in row or column 0, and keeps the first
    // empty one, or the last one tried when none was empty. Writes nothing into the
    // board. The caller refiles the being with its population afterwards.
    void placeRandomly(const Board&, Random&);

    // Looks from (x, y) along a direction for at most range cells (range >= 1) and
    // returns what stopped the look: the first non-empty cell, Wall past the edge, or
    // Empty. Fills the record when one is given.
    CellKind look(const Board&, std::int32_t x, std::int32_t y, Direction, std::int32_t range,
        SightRecord* record = nullptr) const;

    // One frame of this being: take its sights, let its rule or brain decide, then
    // move with its credit and mark its cell.
    void update(World&);

    std::int32_t x() const { return m_x; }
    std::int32_t y() const { return m_y; }
    CellKind kind() const { return m_kind; }
    std::int32_t speed() const { return m_speed; }
    std::int32_t moveCredit() const { return m_moveCredit; }
    const std::string& brainName() const { return m_brainName; }
    Colour userColour() const { return { red, green, blue }; }
    Direction lookDir() const { return static_cast<Direction>(lookDirection); }
    Direction moveDir() const { return static_cast<Direction>(moveDirection); }

    void setHeading(Direction direction)
    {
        lookDirection = static_cast<std::uint32_t>(direction);
        moveDirection = static_cast<std::uint32_t>(direction);
    }
    // The caller refiles the being with its population after a position change.
    void setPosition(std::int32_t x, std::int32_t y)
    {
        m_x = x;
        m_y = y;
    }
    void setSerialNumber(std::uint32_t number) { serialNumber = number; }
    void addMoveCredit(std::int32_t credit) { m_moveCredit += credit; }

    // The built-in human rule drives beings named "Human" and "".
    bool hasBuiltInRule() const { return m_brainName.empty() || m_brainName == "Human"; }

private:
    friend class Population;

    void resetRecord();
    void decide(World&);
    void moveOn(World&);

    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    CellKind m_kind = CellKind::Human;
    std::int32_t m_speed = 0;
    std::int32_t m_moveCredit = 0;
    std::string m_brainName;

    // The population's index of beings by cell (see Population).
    Actor* m_previousResident = nullptr;
    Actor* m_nextResident = nullptr;
    std::size_t m_filedCell = 0;
};

}
