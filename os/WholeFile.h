#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace shamblex {

// Writes the bytes as the whole file at `path`, through a temporary file renamed into
// place (ReplacementFile), so that the path holds either its old contents or all of
// the new ones, never a file cut short. The system's reason when it fails.
std::optional<std::string> writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes the bytes as a new file at `path`, never over a file that is there already
// (not even one that appeared a moment ago); a file that cannot be written whole is
// removed again. The system's reason when it fails.
std::optional<std::string> writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes);

}
