#pragma once

#include <string>

#include <windows.h>

namespace shamblex {

// The system's own words for an error code, on one line ("error N" when it has none).
std::string windowsErrorText(DWORD code);

}
