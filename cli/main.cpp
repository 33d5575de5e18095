// shamblex-cli: the headless runner. It turns the command line into a run of the
// same simulation the saver shows, for tests, benchmarks, brain authors and replayable
// bug reports. It implements the saver's outbreak, keys and pictures without a
// window; it lacks everything that needs one (the pointer follows --script).
#include "base/Text.h"
#include "base/Version.h"
#include "cli/CommandLine.h"
#include "cli/Runner.h"
#include "hosting/BrainHosting.h"
#include "hosting/PlatformLibraryLoader.h"
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
    shamblex::worker::serveIfWorker(argc, argv, { shamblex::cli::serveRun, {} });
#if defined(_WIN32)
    // Byte-identical output on every platform: no CR added before line feeds.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto parsed = shamblex::cli::parseCommandLine(arguments);
    if (auto* error = std::get_if<shamblex::cli::UsageError>(&parsed)) {
        std::fprintf(stderr, "shamblex-cli: %s\n", error->message.c_str());
        return 2;
    }
    const auto& options = std::get<shamblex::cli::RunOptions>(parsed);
    if (options.showVersion) {
        std::fputs(shamblex::versionText("shamblex-cli").c_str(), stdout);
        return 0;
    }
    if (options.showHelp) {
        std::fputs(shamblex::cli::usageText().c_str(), stdout);
        return 0;
    }
    if (options.checkBrainFile) {
        // Reads the file as data only: nothing of it runs.
        const std::string& file = *options.checkBrainFile;
        if (auto reason = shamblex::makePlatformLibraryLoader()->inspect(file)) {
            std::fprintf(stderr, "shamblex-cli: '%s' is no brain this program can load: %s\n",
                shamblex::singleLine(file).c_str(), reason->c_str());
            return 1;
        }
        std::printf("%s: a brain this program can load\n", shamblex::singleLine(file).c_str());
        return 0;
    }
    // A brain that crashes or exits ends the run with its own status and a line
    // that names it; an interrupt stops the run after the current frame step.
    shamblex::BrainHosting hosting("shamblex-cli", options.hosting);
    return shamblex::cli::run(options, arguments, options.hosting, stdout, stderr);
}
