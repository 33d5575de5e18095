#include "sim/Settings.h"

namespace shamblex {

namespace {

void putInt32(std::uint8_t* out, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t getInt32(const std::uint8_t* in)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

}

std::optional<Settings> Settings::fromBytes(const std::array<std::uint8_t, recordSize>& bytes)
{
    Settings settings;
    settings.windowWidth = getInt32(&bytes[0]);
    settings.windowHeight = getInt32(&bytes[4]);
    std::uint8_t* switches[] = { &settings.zombiesEatWalls, &settings.smartZombies, &settings.userColour,
        &settings.showDirections, &settings.showGraph, &settings.cityBoard };
    for (std::size_t i = 0; i < 6; ++i) {
        if (bytes[8 + i] > 1)
            return std::nullopt;
        *switches[i] = bytes[8 + i];
    }
    settings.beingCount = getInt32(&bytes[14]);
    settings.boardWidth = getInt32(&bytes[18]);
    settings.boardHeight = getInt32(&bytes[22]);
    if (settings.beingCount < 0 || settings.boardWidth <= 0 || settings.boardHeight <= 0)
        return std::nullopt;
    return settings;
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
