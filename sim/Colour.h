#pragma once

#include <cstdint>

namespace shamblex {

// A colour as three bytes. Where a colour travels as one number it is packed as
// red | green << 8 | blue << 16, the platform's usual 0x00BBGGRR value.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    constexpr std::uint32_t packed() const
    {
        return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8
            | static_cast<std::uint32_t>(blue) << 16;
    }

    static constexpr Colour fromPacked(std::uint32_t value)
    {
        return { static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
            static_cast<std::uint8_t>((value >> 16) & 0xFF) };
    }

    friend constexpr bool operator==(Colour, Colour) = default;
};

}
