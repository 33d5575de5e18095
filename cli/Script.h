#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex::cli {

// One token of a runner script.
struct ScriptCommand {
    enum class Kind {
        Step, // `count` frame steps (timer ticks)
        Key, // the key command of `key`
        Left, // left button released over cell (x, y)
        Right, // right button released over cell (x, y)
        Watch, // the pointer moves over cell (x, y)
        Pin, // a middle click on cell (x, y): the being there is pinned (or unpinned)
    };

    Kind kind = Kind::Step;
    std::int32_t count = 0;
    char key = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const ScriptCommand&, const ScriptCommand&) = default;
};

struct ScriptError {
    std::string token; // the offending token, as written
};

// Splits the script at runs of spaces and parses every token, or names the first
// token that is malformed.
struct ParsedScript {
    std::vector<ScriptCommand> commands;
    std::optional<ScriptError> error;
};
ParsedScript parseScript(std::string_view text);

}
