#pragma once

#include "sim/Colour.h"

#include <array>
#include <cstdint>
#include <string>

namespace shamblex {

// What a being sees along one direction, up to ten cells away, as the simulation
// keeps it. A brain gets these fields in its record's sight records.
struct SightReport {
    std::uint32_t seenKind = 0; // 0 nothing within range, 1 zombie, 2 human, 3 wall or edge
    std::uint32_t distance = 0; // cells stepped, 1 to 10 (10 when nothing was seen)
    std::uint32_t peerCounter = 0; // the seen being's panic counter when it shares the viewer's brain
    std::uint32_t seenSerial = 0; // the seen being's serial number
    std::uint8_t sameBrain = 0; // 1 when the seen being has the viewer's brain name
    std::uint8_t seenPanicked = 0; // the seen being's panicked byte

    friend bool operator==(const SightReport&, const SightReport&) = default;
};

// Bytes of scratch memory every brain-driven being keeps for its brain.
inline constexpr std::size_t brainMemoryBytes = 256;

// The colour a brain-driven being has until its brain gives it one: purple.
inline constexpr Colour freshMindColour { 255, 0, 255 };

// Everything a brain reads and writes of one being, kept by the simulation in its own
// naturally aligned form: the being's directions, panic, counter and serial number
// (which the being's own state holds between calls and copies in and out around
// each), the three sights taken just before a call, and what only brains use: the
// memory, the colour and the status text. The host turns it into the plug-in record
// at the call and back, so the record's packed layout never reaches the simulation.
struct BeingMind {
    std::uint32_t lookDirection = 0;
    std::uint32_t moveDirection = 4;
    SightReport sightLeft;
    SightReport sightAhead;
    SightReport sightRight;
    std::uint8_t panicked = 0;
    std::uint32_t panicCounter = 0;
    std::array<std::uint8_t, brainMemoryBytes> memory {};
    std::uint32_t serialNumber = 0;
    Colour colour = freshMindColour;
    std::string statusText;
};

}
