#include "cli/Script.h"

#include "session/CommandLineNumbers.h"

#include <limits>

namespace shamblex::cli {

namespace {

constexpr std::uint64_t maximumCount = std::numeric_limits<std::int32_t>::max();

std::optional<std::int32_t> parseCoordinate(std::string_view text)
{
    auto value = parseSigned(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<ScriptCommand> parseCell(ScriptCommand::Kind kind, std::string_view text)
{
    auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto x = parseCoordinate(text.substr(0, comma));
    auto y = parseCoordinate(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    ScriptCommand command;
    command.kind = kind;
    command.x = *x;
    command.y = *y;
    return command;
}

std::optional<ScriptCommand> parseToken(std::string_view token)
{
    auto colon = token.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view name = token.substr(0, colon);
    std::string_view value = token.substr(colon + 1);

    if (name == "step") {
        auto count = parseUnsigned(value, maximumCount);
        if (!count)
            return std::nullopt;
        ScriptCommand command;
        command.kind = ScriptCommand::Kind::Step;
        command.count = static_cast<std::int32_t>(*count);
        return command;
    }
    if (name == "key") {
        ScriptCommand command;
        command.kind = ScriptCommand::Kind::Key;
        if (value == "space")
            command.key = ' ';
        else if (value.size() == 1)
            command.key = value.front();
        else
            return std::nullopt;
        return command;
    }
    if (name == "left")
        return parseCell(ScriptCommand::Kind::Left, value);
    if (name == "right")
        return parseCell(ScriptCommand::Kind::Right, value);
    if (name == "watch")
        return parseCell(ScriptCommand::Kind::Watch, value);
    if (name == "pin")
        return parseCell(ScriptCommand::Kind::Pin, value);
    return std::nullopt;
}

}

ParsedScript parseScript(std::string_view text)
{
    ParsedScript result;
    std::size_t position = 0;
    while (position < text.size()) {
        if (text[position] == ' ') {
            ++position;
            continue;
        }
        std::size_t end = text.find(' ', position);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view token = text.substr(position, end - position);
        auto command = parseToken(token);
        if (!command) {
            result.error = ScriptError { std::string(token) };
            result.commands.clear();
            return result;
        }
        result.commands.push_back(*command);
        position = end;
    }
    return result;
}

}
