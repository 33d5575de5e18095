#include "os/ProgramFacts.h"

#include <io.h>

#include <windows.h>

namespace shamblex {

std::optional<std::string> currentProgramPath()
{
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::nullopt;
    return std::string(path, length);
}

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

}
