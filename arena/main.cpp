// shamblex-arena: plays many seeded outbreaks of a folder of brains, each in a brain
// worker of its own (this same program started again in a sandbox), and ranks the
// brains. It implements the arena and the merge of shards; it draws nothing but its
// survival plot.
#include "arena/ArenaOptions.h"
#include "base/Version.h"
#include "arena/ArenaProgram.h"
#include "arena/RunPlayer.h"
#include "hosting/BrainHosting.h"
#include "hosting/WorkerContext.h"

#include <cstdio>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
    shamblex::worker::serveIfWorker(argc, argv, { {}, shamblex::arena::serveArenaRun });
#if defined(_WIN32)
    // Byte-identical files on every platform: no CR added before line feeds.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    using namespace shamblex::arena;
    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto parsed = parseArenaCommandLine(arguments);
    if (auto* error = std::get_if<ArenaUsageError>(&parsed)) {
        std::fprintf(stderr, "shamblex-arena: %s\n", error->message.c_str());
        return 2;
    }
    const auto& options = std::get<ArenaOptions>(parsed);
    if (options.showVersion) {
        std::fputs(shamblex::versionText("shamblex-arena").c_str(), stdout);
        return 0;
    }
    if (options.showHelp) {
        std::fputs(arenaUsageText().c_str(), stdout);
        return 0;
    }
    // An interrupt stops the arena after its runs are ended; a brain that faults
    // forfeits its run.
    shamblex::BrainHosting hosting("shamblex-arena", options.hosting);
    return runArenaProgram(options, hosting.sandbox(), stdout, stderr);
}
