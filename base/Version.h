#pragma once

#include <string_view>

namespace shamblex {

// The version of Shamblex, as the build names it (CMake's project version): what
// --version prints and the arena's files record.
std::string_view shamblexVersion();

}
