#include "session/SettingsOptions.h"

#include "base/OptionTable.h"
#include "session/CommandLineNumbers.h"
#include "sim/Random.h"
#include "sim/Settings.h"

#include <limits>

namespace shamblex {

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

void SettingsOptions::applyTo(Settings& settings, Random& random) const
{
    if (boardWidth)
        settings.boardWidth = *boardWidth;
    if (boardHeight)
        settings.boardHeight = *boardHeight;
    if (beingCount)
        settings.beingCount = *beingCount;
    if (openArena)
        settings.cityBoard = 0;
    if (simpleZombies)
        settings.smartZombies = 0;
    if (eatWalls)
        settings.zombiesEatWalls = 1;
    if (seed)
        random.setState(*seed);
}

std::vector<std::string> SettingsOptions::outbreakArguments() const
{
    std::vector<std::string> words;
    if (boardWidth && boardHeight)
        words.insert(words.end(), { "--board", std::to_string(*boardWidth) + "x" + std::to_string(*boardHeight) });
    if (beingCount)
        words.insert(words.end(), { "--beings", std::to_string(*beingCount) });
    if (openArena)
        words.emplace_back("--open-arena");
    if (simpleZombies)
        words.emplace_back("--simple-zombies");
    if (eatWalls)
        words.emplace_back("--eat-walls");
    return words;
}

void addOutbreakOptions(OptionTable& table, SettingsOptions& options)
{
    table.value({ "--board" }, "WxH", "board of W x H cells, each from 1 to 46340 (250x250)", [&](std::string_view value) {
        auto size = parseSize(value, maximumBoardSide);
        if (!size)
            return OptionTable::Refusal(OptionTable::notA(value, "WxH with W and H from 1 to 46340"));
        options.boardWidth = size->width;
        options.boardHeight = size->height;
        return OptionTable::Refusal();
    });
    table.value({ "--beings" }, "N", "beings in a new simulation, 0 to 100000000 (1000)", [&](std::string_view value) {
        auto count = parseUnsigned(value, maximumBeings);
        if (!count)
            return OptionTable::Refusal(OptionTable::notA(value, "a number from 0 to 100000000"));
        options.beingCount = static_cast<std::int32_t>(*count);
        return OptionTable::Refusal();
    });
    table.flag({ "--open-arena" }, "an open arena instead of a city", [&] { options.openArena = true; });
    table.flag({ "--simple-zombies" }, "zombies follow the simple rule instead of the smart one",
        [&] { options.simpleZombies = true; });
    table.flag({ "--eat-walls" }, "zombies eat walls", [&] { options.eatWalls = true; });
}

void addBrainsOption(OptionTable& table, SettingsOptions& options, std::string note)
{
    table.value({ "--brains" }, "DIR",
        "load the brain libraries (*.dll) found in DIR first" + (note.empty() ? "" : "\n" + note),
        [&](std::string_view value) {
            if (value.empty())
                return OptionTable::Refusal(OptionTable::notA(value, "a folder"));
            options.brainsDirectory = std::string(value);
            return OptionTable::Refusal();
        });
}

std::function<std::optional<std::string>(std::string_view)> readUnsigned32(std::optional<std::uint32_t>& target)
{
    return [&target](std::string_view value) {
        auto number = parseUnsigned(value, std::numeric_limits<std::uint32_t>::max());
        if (!number)
            return OptionTable::Refusal(OptionTable::notA(value, "a number from 0 to 4294967295"));
        target = static_cast<std::uint32_t>(*number);
        return OptionTable::Refusal();
    };
}

void addSeedOption(OptionTable& table, SettingsOptions& options)
{
    table.value({ "--seed" }, "N", "start the random generator from state N (1)", readUnsigned32(options.seed));
}

void addSettingsOptions(OptionTable& table, SettingsOptions& options)
{
    addOutbreakOptions(table, options);
    addBrainsOption(table, options);
    addSeedOption(table, options);
}

}
