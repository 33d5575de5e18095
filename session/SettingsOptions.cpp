#include "session/SettingsOptions.h"

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

OptionRead readSettingsOption(
    std::span<const std::string_view> arguments, std::size_t& index, SettingsOptions& options, std::string& error)
{
    std::string_view option = arguments[index];
    if (option == "--open-arena") {
        options.openArena = true;
        return OptionRead::Read;
    }
    if (option == "--simple-zombies") {
        options.simpleZombies = true;
        return OptionRead::Read;
    }
    if (option == "--eat-walls") {
        options.eatWalls = true;
        return OptionRead::Read;
    }
    if (option != "--board" && option != "--beings" && option != "--seed" && option != "--brains")
        return OptionRead::NotMine;
    if (index + 1 >= arguments.size()) {
        error = std::string(option) + " needs a value";
        return OptionRead::Malformed;
    }
    std::string_view value = arguments[++index];
    auto refuse = [&](std::string_view expected) {
        error = std::string(option) + ": " + quoted(value) + " is not " + std::string(expected);
        return OptionRead::Malformed;
    };

    if (option == "--board") {
        auto size = parseSize(value, maximumBoardSide);
        if (!size)
            return refuse("WxH with W and H from 1 to 46340");
        options.boardWidth = size->width;
        options.boardHeight = size->height;
    } else if (option == "--beings") {
        auto count = parseUnsigned(value, maximumBeings);
        if (!count)
            return refuse("a number from 0 to 100000000");
        options.beingCount = static_cast<std::int32_t>(*count);
    } else if (option == "--seed") {
        auto seed = parseUnsigned(value, std::numeric_limits<std::uint32_t>::max());
        if (!seed)
            return refuse("a number from 0 to 4294967295");
        options.seed = static_cast<std::uint32_t>(*seed);
    } else {
        if (value.empty())
            return refuse("a folder");
        options.brainsDirectory = std::string(value);
    }
    return OptionRead::Read;
}

std::string_view outbreakOptionsHelp()
{
    return R"(  --board WxH          board of W x H cells, each from 1 to 46340 (250x250)
  --beings N           beings in a new simulation, 0 to 100000000 (1000)
  --open-arena         an open arena instead of a city
  --simple-zombies     zombies follow the simple rule instead of the smart one
  --eat-walls          zombies eat walls
)";
}

std::string_view brainsOptionHelp()
{
    return "  --brains DIR         load the brain libraries (*.dll) found in DIR first\n";
}

std::string_view seedOptionHelp()
{
    return "  --seed N             start the random generator from state N (1)\n";
}

std::string_view settingsOptionsHelp()
{
    static const std::string help
        = std::string(outbreakOptionsHelp()) + std::string(brainsOptionHelp()) + std::string(seedOptionHelp());
    return help;
}

}
