#include "sim/Settings.h"

namespace shamblex {

namespace {

void putInt32(std::uint8_t* out, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}

std::array<std::uint8_t, Settings::recordSize> Settings::toBytes() const
{
    std::array<std::uint8_t, recordSize> bytes {};
    putInt32(&bytes[0], windowWidth);
    putInt32(&bytes[4], windowHeight);
    bytes[8] = zombiesEatWalls;
    bytes[9] = smartZombies;
    bytes[10] = userColour;
    bytes[11] = showDirections;
    bytes[12] = showGraph;
    bytes[13] = cityBoard;
    putInt32(&bytes[14], beingCount);
    putInt32(&bytes[18], boardWidth);
    putInt32(&bytes[22], boardHeight);
    return bytes;
}

}
