#include "base/Version.h"

namespace shamblex {

std::string_view shamblexVersion()
{
    return SHAMBLEX_VERSION;
}

}
