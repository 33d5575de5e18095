#pragma once

#include "sim/Rules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace shamblex {

// The window size the settings start with, which is also the size of the saver's
// ordinary window at start.
inline constexpr std::int32_t defaultWindowWidth = 1000;
inline constexpr std::int32_t defaultWindowHeight = 700;

// Every setting the user can change, with the defaults every run starts from. The
// byte switches hold exactly 0 or 1 and count as on only when they hold 1. The
// record is written, byte for byte, into the settings file when the saver closes.
struct Settings {
    std::int32_t windowWidth = defaultWindowWidth;
    std::int32_t windowHeight = defaultWindowHeight;
    std::uint8_t zombiesEatWalls = 0;
    std::uint8_t smartZombies = 1;
    std::uint8_t userColour = 0;
    std::uint8_t showDirections = 0;
    std::uint8_t showGraph = 0;
    std::uint8_t cityBoard = 1;
    std::int32_t beingCount = 1000;
    std::int32_t boardWidth = 250;
    std::int32_t boardHeight = 250;

    static constexpr std::size_t recordSize = 26;

    // The packed little-endian record: the two window sizes, the six switches, then
    // the being count and the board size, with no padding.
    std::array<std::uint8_t, recordSize> toBytes() const;
    // The settings a record holds; none when a switch holds neither 0 nor 1 or a count
    // or size is negative, which toBytes never writes.
    static std::optional<Settings> fromBytes(const std::array<std::uint8_t, recordSize>&);

    ZombieMind zombieMind() const { return smartZombies == 1 ? ZombieMind::Smart : ZombieMind::Simple; }
    WallEating wallEating() const { return zombiesEatWalls == 1 ? WallEating::On : WallEating::Off; }
    Terrain terrain() const { return cityBoard == 1 ? Terrain::City : Terrain::OpenArena; }
    bool directionsShown() const { return showDirections == 1; }
    bool graphShown() const { return showGraph == 1; }
    bool userColoursShown() const { return userColour == 1; }
};

// Flips a 0/1 switch; anything but 1 counts as off and becomes 1.
inline void toggle(std::uint8_t& setting)
{
    setting = setting == 1 ? 0 : 1;
}

}
