#include "base/Version.h"

namespace shamblex {

std::string_view shamblexVersion()
{
    return SHAMBLEX_VERSION;
}

std::string versionText(std::string_view program)
{
    return std::string(program) + " (Shamblex) " + std::string(shamblexVersion()) + "\n";
}

}
