#pragma once

#include <string>
#include <vector>

namespace shamblex {

// A command line as Windows programs split it: each word in quotes, quotes and the
// backslashes before them escaped.
std::string windowsCommandLine(const std::vector<std::string>& command);

}
