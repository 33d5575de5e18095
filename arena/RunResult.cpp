#include "arena/RunResult.h"

#include "session/CommandLineNumbers.h"

#include <array>
#include <utility>

namespace shamblex::arena {

namespace {

constexpr std::array<std::pair<RunOutcome, std::string_view>, 5> outcomeNames { {
    { RunOutcome::Finished, "finished" },
    { RunOutcome::Crashed, "crashed" },
    { RunOutcome::Threw, "threw" },
    { RunOutcome::TimedOut, "timed out" },
    { RunOutcome::Failed, "failed" },
} };

}

std::string_view outcomeName(RunOutcome outcome)
{
    for (const auto& [value, name] : outcomeNames) {
        if (value == outcome)
            return name;
    }
    return "failed";
}

std::optional<RunOutcome> outcomeNamed(std::string_view name)
{
    for (const auto& [value, known] : outcomeNames) {
        if (known == name)
            return value;
    }
    return std::nullopt;
}

std::optional<Shard> parseShard(std::string_view text)
{
    auto slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    auto index = parseUnsigned(text.substr(0, slash), maximumShards);
    auto count = parseUnsigned(text.substr(slash + 1), maximumShards);
    if (!index || !count || *index < 1 || *index > *count)
        return std::nullopt;
    return Shard { static_cast<std::int64_t>(*index), static_cast<std::int64_t>(*count) };
}

std::string shellWord(std::string_view word)
{
    bool plain = !word.empty();
    for (char c : word) {
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || std::string_view("-_./:=,+@%").find(c) != std::string_view::npos;
#if defined(_WIN32)
        safe = safe || c == '\\';
#endif
        plain = plain && safe;
    }
    if (plain)
        return std::string(word);
#if defined(_WIN32)
    // The Windows command prompt: double quotes, with inner quotes doubled.
    std::string quoted = "\"";
    for (char c : word)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
#else
    // A POSIX shell: single quotes, with each inner single quote closed, escaped and
    // reopened.
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

std::string ArenaSetup::replayCommand(std::uint32_t seed) const
{
    std::string command = "shamblex-cli --brains " + shellWord(brainsFolder);
    for (const std::string& word : outbreakArguments)
        command += " " + shellWord(word);
    command += " --seed " + std::to_string(seed) + " --frames " + std::to_string(frames);
    return command;
}

}
