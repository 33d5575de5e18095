#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace shamblex {

// The SHA-256 digest of some bytes (FIPS 180-4), and its usual lowercase hex text:
// how the arena's files name the exact brain files a tournament played.
std::array<std::uint8_t, 32> sha256(std::span<const std::uint8_t>);
std::string hexText(std::span<const std::uint8_t>);

}
