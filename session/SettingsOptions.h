#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

class Random;
struct Settings;

// The options that set up an outbreak, read the same way by every program (the
// runner, the saver, the arena), as given; applied to the built-in defaults before
// the first new simulation.
struct SettingsOptions {
    std::optional<std::int32_t> boardWidth;
    std::optional<std::int32_t> boardHeight;
    std::optional<std::int32_t> beingCount;
    bool openArena = false;
    bool simpleZombies = false;
    bool eatWalls = false;
    std::optional<std::uint32_t> seed;
    std::optional<std::string> brainsDirectory;

    // Sets what was given; the seed starts the generator there.
    void applyTo(Settings&, Random&) const;

    // The options that shape the outbreak (board, beings, the three switches) as
    // command-line words, in one fixed order; the seed and the brains are left out.
    // What another program is given to play the same outbreak.
    std::vector<std::string> outbreakArguments() const;
};

inline constexpr std::int32_t maximumBoardSide = 46340; // 46340 squared still fits a signed 32-bit count
inline constexpr std::int32_t maximumBeings = 100'000'000;

enum class OptionRead {
    NotMine, // no settings option: the caller reads it
    Read,
    Malformed, // `error` says why, in one line
};

// Reads the settings option at arguments[index] and its value; `index` is left on
// the last word read. A repeated option takes its last value.
OptionRead readSettingsOption(
    std::span<const std::string_view> arguments, std::size_t& index, SettingsOptions&, std::string& error);

// The settings options as --help lists them, one per line.
std::string_view settingsOptionsHelp();
// Those of them that shape the outbreak (not the brains, not the seed).
std::string_view outbreakOptionsHelp();
// The other two, each alone, for a program that says more about them.
std::string_view brainsOptionHelp();
std::string_view seedOptionHelp();

// "'value'", the way error messages quote what was given.
std::string quoted(std::string_view);

}
