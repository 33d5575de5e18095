#pragma once

#include <string>
#include <string_view>

namespace shamblex {

// The version of Shamblex, as the build names it (CMake's project version): what
// --version prints and the arena's files record.
std::string_view shamblexVersion();

// What a program's --version prints: "NAME (Shamblex) VERSION", the form help2man
// reads.
std::string versionText(std::string_view program);

}
