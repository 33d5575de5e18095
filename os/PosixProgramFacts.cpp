#include "os/ProgramFacts.h"

#include <filesystem>
#include <unistd.h>

namespace shamblex {

std::optional<std::string> currentProgramPath()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return self.string();
}

bool isTerminal(std::FILE* stream)
{
    return isatty(fileno(stream)) == 1;
}

}
