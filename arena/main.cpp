// shamblex-arena: plays many seeded outbreaks of a folder of brains, each in a child
// process, and ranks the brains. The children are this same program, started in one
// of the modes that RunPlayer describes.
#include "arena/ArenaOptions.h"
#include "arena/ArenaProgram.h"
#include "arena/RunPlayer.h"
#include "hosting/BrainHosting.h"

#include <cstdio>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#if defined(_WIN32)
    // Byte-identical files on every platform: no CR added before line feeds.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    using namespace shamblex::arena;
    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::span<const std::string_view> rest = arguments.empty() ? arguments : std::span(arguments).subspan(1);
    // An interrupt stops the arena after its runs are ended, and a run after its
    // current step; a brain that crashes ends only its run's process.
    shamblex::BrainHosting hosting("shamblex-arena");
    if (!arguments.empty() && (arguments[0] == playRunMode || arguments[0] == listBrainsMode))
        return arguments[0] == playRunMode ? playRun(rest, stdout, stderr) : listBrains(rest, stdout, stderr);

    auto parsed = parseArenaCommandLine(arguments);
    if (auto* error = std::get_if<ArenaUsageError>(&parsed)) {
        std::fprintf(stderr, "shamblex-arena: %s\n", error->message.c_str());
        return 2;
    }
    const auto& options = std::get<ArenaOptions>(parsed);
    if (options.showHelp) {
        std::fputs(arenaUsageText().c_str(), stdout);
        return 0;
    }
    return runArenaProgram(options, stdout, stderr);
}
