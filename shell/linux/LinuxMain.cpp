// shamblex: the saver on Linux, as a window, a full-screen screen saver or an
// XScreenSaver hack. It implements the three screens through SdlScreen (window, full
// screen) and X11HackScreen (hack); it lacks the Windows saver's preview and
// configuration dialog (the desktop's screen-saver settings configure the hack).
#include "base/Version.h"
#include "hosting/BrainGuard.h"
#include "hosting/BrainHosting.h"
#include "hosting/WorkerContext.h"
#include "os/ProgramFacts.h"
#include "session/SaverLog.h"
#include "session/SaverSession.h"
#include "shell/linux/LinuxOptions.h"
#include "shell/linux/SaverLoop.h"
#include "shell/linux/SdlScreen.h"
#include "shell/linux/X11HackScreen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

using namespace shamblex;

void say(std::string_view line)
{
    std::fprintf(stderr, "shamblex: %.*s\n", static_cast<int>(line.size()), line.data());
}

// The folder of the brains installed with the program: beside an installed program
// (bin/ or the hack's libexec/xscreensaver/), or in the build tree beside it.
std::optional<std::string> installedBrains()
{
    auto self = currentProgramPath();
    if (!self)
        return std::nullopt;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(*self).parent_path();
    for (const std::filesystem::path& candidate : { folder / SHAMBLEX_BRAINS_FROM_PROGRAM,
             folder / SHAMBLEX_BRAINS_FROM_HACK, folder }) {
        if (std::filesystem::exists(candidate / "wanderwit.dll", error))
            return std::filesystem::weakly_canonical(candidate, error).string();
    }
    return std::nullopt;
}

// The screen the options ask for; null, with the reason, when there is no display.
std::unique_ptr<SaverScreen> openScreen(const LinuxOptions& options, std::string& error)
{
    if (options.mode == LinuxMode::Hack)
        return X11HackScreen::open(options.windowId, error);
    // Without a display SDL would try every video driver and print their complaints.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        error = "no display to show the saver on (set DISPLAY)";
        return nullptr;
    }
    auto screen = SdlScreen::open(options.mode, error);
    if (!screen)
        error = "cannot open the display: " + error;
    return screen;
}

// A seed that differs from start to start and from outbreak to outbreak: the
// system's entropy, mixed with the clock and the process, for a system whose
// entropy source is a fixed sequence.
std::uint32_t freshSeed()
{
    static std::random_device entropy;
    std::uint64_t mixed = (std::uint64_t { entropy() } << 32) ^ entropy()
        ^ static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())
        ^ (static_cast<std::uint64_t>(getpid()) << 16);
    // splitmix64's finaliser: every input bit moves every output bit.
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebull;
    return static_cast<std::uint32_t>(mixed ^ (mixed >> 31));
}

// The command that plays an outbreak of this seed again, in a window.
std::string replayCommand(const LinuxOptions& options, std::uint32_t seed)
{
    std::string command = "shamblex --seed " + std::to_string(seed);
    for (const std::string& word : options.start.settings.outbreakArguments())
        command += " " + word;
    if (options.start.settings.brainsDirectory)
        command += " --brains '" + *options.start.settings.brainsDirectory + "'";
    return command;
}

SaverMode sessionMode(LinuxMode mode)
{
    return mode == LinuxMode::Hack ? SaverMode::Hack : mode == LinuxMode::FullScreen ? SaverMode::FullScreen
                                                                                      : SaverMode::Window;
}

}

int main(int argc, char** argv)
{
    worker::serveIfWorker(argc, argv, {});
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    auto parsed = parseLinuxOptions(std::vector<std::string_view>(argv + (argc > 0 ? 1 : 0), argv + argc),
        daemonWindow && *daemonWindow ? std::optional<std::string_view>(daemonWindow) : std::nullopt,
        installedBrains());
    if (auto* usage = std::get_if<LinuxUsageError>(&parsed)) {
        say(usage->message);
        return 2;
    }
    LinuxOptions options = std::get<LinuxOptions>(parsed);
    // A file chooser (XScreenSaver's) gives a brain file: its folder is meant.
    if (auto& brains = options.start.settings.brainsDirectory) {
        std::error_code error;
        if (std::filesystem::is_regular_file(*brains, error)) {
            std::string folder = std::filesystem::path(*brains).parent_path().string();
            brains = folder.empty() ? "." : folder;
        }
    }
    if (options.showVersion) {
        std::fputs(versionText("shamblex").c_str(), stdout);
        return 0;
    }
    if (options.showHelp) {
        std::fputs(linuxUsageText().c_str(), stdout);
        return 0;
    }

    // With a random seed the saver keeps a log of its seeds and brain faults; a log
    // that cannot be written is said once, and the saver goes on.
    std::optional<SaverLog> log;
    if (options.randomSeed) {
        if (auto path = SaverLog::defaultPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")))
            log.emplace(*path);
    }
    auto remember = [&](std::string_view line) {
        if (!log)
            return;
        if (auto reason = log->add(line)) {
            say("cannot write the log " + log->path() + ": " + *reason);
            log.reset();
        }
    };
    auto report = [&](std::string_view line) {
        say(line);
        remember(line);
    };
    auto newSeed = [&]() -> std::optional<std::uint32_t> {
        if (!options.randomSeed)
            return std::nullopt;
        std::uint32_t seed = freshSeed();
        say("seed " + std::to_string(seed) + " (replay: " + replayCommand(options, seed) + ")");
        remember("seed " + std::to_string(seed) + "  " + replayCommand(options, seed));
        return seed;
    };
    if (options.randomSeed)
        options.start.settings.seed = newSeed();

    BrainHosting hosting("shamblex", options.hosting);
    std::string error;
    std::unique_ptr<SaverScreen> screen = openScreen(options, error);
    if (!screen) {
        say(error + "; run shamblex-cli for an outbreak without a window");
        return 1;
    }
    // While a brain call hangs, an interrupt, a closed window or (full screen) any
    // input still ends the saver, its settings written.
    SaverControl* running = nullptr;
    auto giveUp = [&] {
        bool out = interruptRequested() != Interrupt::None || screen->userWantsOut();
        if (out && running)
            screen->end(*running);
        return out;
    };
    auto saver = hosting.openSaver(sessionMode(options.mode), options.start, report, giveUp, error);
    if (!saver) {
        say(error);
        return 1;
    }
    running = saver.get();
    screen->begin(*saver);

    SaverLoopOptions loop;
    loop.stopRequested = [&] { return interruptRequested() != Interrupt::None || saver->abandoned(); };
    if (options.restartAfter)
        loop.restartAfter = std::chrono::seconds(*options.restartAfter);
    loop.nextSeed = newSeed;
    loop.showFrameRate = options.showFrameRate;
    runSaverLoop(*saver, *screen, loop);
    if (!saver->abandoned())
        return 0;
    Interrupt interrupt = interruptRequested();
    return interrupt != Interrupt::None ? interruptStatus(interrupt) : brainFailureStatus;
}
