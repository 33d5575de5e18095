#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

class OptionTable;
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

// Adds the options that shape the outbreak (--board, --beings, --open-arena,
// --simple-zombies, --eat-walls) to a program's command line.
void addOutbreakOptions(OptionTable&, SettingsOptions&);
// --brains DIR, with a program's own note under it.
void addBrainsOption(OptionTable&, SettingsOptions&, std::string note = {});
// --seed N.
void addSeedOption(OptionTable&, SettingsOptions&);
// All three, as the runner and the arena's runs read them.
void addSettingsOptions(OptionTable&, SettingsOptions&);

// A reader of a number from 0 to 4294967295 (a seed, a serial) into `target`.
std::function<std::optional<std::string>(std::string_view)> readUnsigned32(std::optional<std::uint32_t>& target);

// "'value'", the way error messages quote what was given.
std::string quoted(std::string_view);

}
