#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace shamblex {

// The running program's own file, to start another copy of it.
std::optional<std::string> currentProgramPath();

// Whether the stream is an interactive terminal (not a pipe or a file).
bool isTerminal(std::FILE*);

}
