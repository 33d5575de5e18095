#include "arena/RunPlayer.h"

#include "base/Text.h"

#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "session/CommandLineNumbers.h"
#include "session/SaverSession.h"
#include "session/SessionStart.h"
#include "session/SettingsOptions.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>

namespace shamblex::arena {

namespace {

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

constexpr std::string_view program = "shamblex-arena";
constexpr std::string_view timeLimitOption = "--time-limit";

void remark(std::FILE* errors, std::string_view text)
{
    std::fprintf(errors, "%s: %s\n", std::string(program).c_str(), singleLine(text).c_str());
}

void writeReport(std::FILE* output, const Json& report)
{
    std::string text = report.dump() + "\n";
    std::fwrite(text.data(), 1, text.size(), output);
    std::fflush(output);
}

struct PlayOptions {
    SettingsOptions settings;
    std::int32_t frames = 0;
    std::int64_t timeLimitMilliseconds = 0;
};

// The child's command line is the parent's own making; a word it does not know is a
// mismatch of versions, reported as such.
std::optional<PlayOptions> readPlayOptions(std::span<const std::string_view> arguments, std::string& error)
{
    PlayOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        switch (readSettingsOption(arguments, i, options.settings, error)) {
        case OptionRead::Read: continue;
        case OptionRead::Malformed: return std::nullopt;
        case OptionRead::NotMine: break;
        }
        std::string_view option = arguments[i];
        if ((option == "--frames" || option == timeLimitOption) && i + 1 < arguments.size()) {
            auto value = parseUnsigned(arguments[++i], std::numeric_limits<std::int32_t>::max());
            if (value && option == "--frames") {
                options.frames = static_cast<std::int32_t>(*value);
                continue;
            }
            if (value) {
                options.timeLimitMilliseconds = static_cast<std::int64_t>(*value);
                continue;
            }
        }
        error = "a run cannot be played from " + shamblex::quoted(option);
        return std::nullopt;
    }
    if (!options.settings.brainsDirectory) {
        error = "a run needs --brains";
        return std::nullopt;
    }
    return options;
}

// The brain that threw in this run, if one did.
std::optional<std::string> brainThatThrew(const BrainRegistry& brains)
{
    for (const std::string& name : brains.brainNames()) {
        int slot = brains.findBrain(name);
        if (slot >= 0 && !brains.disabledReason(slot).empty())
            return name;
    }
    return std::nullopt;
}

}

int listBrains(std::span<const std::string_view> arguments, std::FILE* output, std::FILE* errors)
{
    SettingsOptions settings;
    std::string error;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (readSettingsOption(arguments, i, settings, error) != OptionRead::Read) {
            remark(errors, error.empty() ? "brains cannot be listed from " + shamblex::quoted(arguments[i]) : error);
            return 2;
        }
    }
    if (!settings.brainsDirectory) {
        remark(errors, "listing brains needs --brains");
        return 2;
    }
    SaverSession session(SaverMode::Headless, makePlatformLibraryLoader(), Picture::None);
    session.setReporter([errors](std::string_view line) { remark(errors, line); });
    SessionStart start;
    start.settings = settings;
    if (auto failure = startSession(session, start)) {
        remark(errors, *failure);
        return 1;
    }
    writeReport(output, Json { { "brains", session.brains().brainNames() } });
    return 0;
}

int playRun(std::span<const std::string_view> arguments, std::FILE* output, std::FILE* errors)
{
    std::string error;
    auto options = readPlayOptions(arguments, error);
    if (!options) {
        remark(errors, error);
        return 2;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(options->timeLimitMilliseconds);
    auto pastDeadline = [deadline] { return Clock::now() >= deadline; };
    // A brain call that has not returned by the deadline ends the process, naming the
    // brain; a run that is merely slow stops between two steps.
    StuckBrainWatch watch(pastDeadline, std::chrono::milliseconds(0));

    SaverSession session(SaverMode::Headless, makePlatformLibraryLoader(), Picture::None);
    // The registry reports a brain that throws in one line, which names the frame and
    // the being; that line is the run's detail.
    std::string lastReport;
    session.setReporter([errors, &lastReport](std::string_view line) {
        remark(errors, line);
        lastReport = line;
    });
    SessionStart start;
    start.settings = options->settings;
    start.reportSkipped = false;
    if (auto failure = startSession(session, start)) {
        remark(errors, *failure);
        return 1;
    }

    const Simulation& simulation = session.simulation();
    const std::vector<std::string>& names = session.brains().brainNames();
    // Humans per listed brain before the first step, for a brain dealt none.
    std::vector<std::int32_t> humans(names.size(), 0);
    for (const Actor& actor : simulation.population()) {
        if (!actor.isHuman())
            continue;
        auto listed = std::find(names.begin(), names.end(), simulation.brainName(actor));
        if (listed != names.end())
            ++humans[static_cast<std::size_t>(listed - names.begin())];
    }
    std::vector<std::optional<std::int32_t>> fell(names.size());
    std::size_t fallen = 0;
    for (std::size_t b = 0; b < names.size(); ++b) {
        if (humans[b] == 0) {
            fell[b] = 0;
            ++fallen;
        }
    }

    // Once every brain's last human has fallen nothing it is judged on can change, so
    // the run stops there: the figures are those of the whole run.
    for (std::int32_t step = 0; step < options->frames && fallen < names.size(); ++step) {
        session.tick();
        if (auto culprit = brainThatThrew(session.brains())) {
            writeReport(output, Json { { "threw", *culprit }, { "detail", lastReport } });
            return brainThrewStatus;
        }
        auto counts = simulation.humansPerBrain();
        for (std::size_t b = 0; b < names.size() && b < counts.size(); ++b) {
            humans[b] = counts[b];
            if (!fell[b] && counts[b] == 0) {
                fell[b] = simulation.frameNumber();
                ++fallen;
            }
        }
        if (Interrupt interrupt = interruptRequested(); interrupt != Interrupt::None)
            return interruptStatus(interrupt);
        if (pastDeadline()) {
            remark(errors, "the run passed its time limit after frame " + std::to_string(simulation.frameNumber()));
            return runTimedOutStatus;
        }
    }

    Json brains = Json::array();
    for (std::size_t b = 0; b < names.size(); ++b) {
        brains.push_back({ { "name", names[b] }, { "last_human_fell", fell[b] ? Json(*fell[b]) : Json(nullptr) },
            { "humans_at_end", fell[b] ? 0 : humans[b] } });
    }
    writeReport(output, Json { { "brains", brains } });
    return 0;
}

std::vector<std::string> listBrainsCommand(const std::string& programPath, const std::string& brainsFolder)
{
    return { programPath, std::string(listBrainsMode), "--brains", brainsFolder };
}

std::vector<std::string> playRunCommand(const std::string& programPath, const ArenaSetup& setup, std::uint32_t seed)
{
    std::vector<std::string> command { programPath, std::string(playRunMode), "--brains", setup.brainsFolder };
    command.insert(command.end(), setup.outbreakArguments.begin(), setup.outbreakArguments.end());
    command.insert(command.end(),
        { "--seed", std::to_string(seed), "--frames", std::to_string(setup.frames), std::string(timeLimitOption),
            std::to_string(static_cast<std::int64_t>(setup.timeoutSeconds) * 1000) });
    return command;
}

namespace {

// The last line of a child's remarks without the program's name: what it said
// before it ended.
std::string lastRemark(std::string_view errors)
{
    while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r'))
        errors.remove_suffix(1);
    auto start = errors.rfind('\n');
    std::string_view line = start == std::string_view::npos ? errors : errors.substr(start + 1);
    std::string prefix = std::string(program) + ": ";
    if (line.substr(0, prefix.size()) == prefix)
        line.remove_prefix(prefix.size());
    return singleLine(line);
}

std::optional<Json> parseReport(std::string_view output)
{
    Json report = Json::parse(output.begin(), output.end(), nullptr, false);
    if (report.is_discarded() || !report.is_object())
        return std::nullopt;
    return report;
}

// The guard's line "shamblex-arena: brain 'NAME' WHAT ..." names the brain that
// ended the process. A name may hold quotes or spaces, so the listed names are
// matched, the longest first.
std::optional<std::pair<std::string, std::string>> guardLine(
    const std::vector<std::string>& names, std::string_view errors)
{
    std::optional<std::pair<std::string, std::string>> found;
    for (const std::string& name : names) {
        std::string start = std::string(program) + ": brain '" + name + "' ";
        for (auto at = errors.find(start); at != std::string_view::npos; at = errors.find(start, at + 1)) {
            if (at != 0 && errors[at - 1] != '\n')
                continue;
            if (found && found->first.size() >= name.size())
                continue;
            std::string_view rest = errors.substr(at + start.size());
            rest = rest.substr(0, rest.find('\n'));
            found = std::pair { name, std::string(rest) };
        }
    }
    return found;
}

}

std::variant<std::vector<std::string>, std::string> readListing(
    const Process::Ending& ending, std::string_view output, std::string_view errors)
{
    using Kind = Process::Ending::Kind;
    if (ending.kind == Kind::Killed)
        return std::string("loading the brains did not finish within the time limit");
    if (ending.kind == Kind::Crashed)
        return "loading the brains crashed (" + std::to_string(ending.code) + ")";
    if (ending.code != 0)
        return lastRemark(errors);
    auto report = parseReport(output);
    if (!report || !report->contains("brains") || !(*report)["brains"].is_array())
        return std::string("the brain listing could not be read");
    std::vector<std::string> names;
    for (const Json& name : (*report)["brains"]) {
        if (!name.is_string())
            return std::string("the brain listing could not be read");
        names.push_back(name.get<std::string>());
    }
    return names;
}

namespace {
// A finished run's figures added to `run`; none when the report does not hold them.
std::optional<RunResult> readFinishedRun(const ArenaSetup&, RunResult run, std::string_view output);
}

RunResult readRun(const ArenaSetup& setup, std::uint32_t seed, const Process::Ending& ending,
    std::string_view output, std::string_view errors)
{
    using Kind = Process::Ending::Kind;
    RunResult run;
    run.seed = seed;
    auto spoiled = [&](RunOutcome outcome, std::optional<std::string> culprit, std::string detail) {
        run.outcome = outcome;
        run.culprit = std::move(culprit);
        run.detail = singleLine(detail);
        return run;
    };

    if (ending.kind == Kind::Killed)
        return spoiled(RunOutcome::TimedOut, std::nullopt,
            "passed the time limit of " + std::to_string(setup.timeoutSeconds) + " s and was ended");
    if (ending.kind == Kind::Crashed)
        return spoiled(RunOutcome::Crashed, std::nullopt, "the run's process crashed (" + std::to_string(ending.code) + ")");

    if (ending.code == static_cast<std::uint32_t>(brainFailureStatus)) {
        if (auto line = guardLine(setup.brainNames, errors)) {
            bool stuck = line->second.rfind("did not return", 0) == 0;
            return spoiled(stuck ? RunOutcome::TimedOut : RunOutcome::Crashed, line->first,
                "brain '" + line->first + "' " + line->second);
        }
        return spoiled(RunOutcome::Crashed, std::nullopt, lastRemark(errors));
    }
    if (ending.code == brainThrewStatus) {
        auto report = parseReport(output);
        if (report && report->contains("threw") && (*report)["threw"].is_string()) {
            std::string brain = (*report)["threw"].get<std::string>();
            return spoiled(RunOutcome::Threw, brain, report->value("detail", std::string()));
        }
        return spoiled(RunOutcome::Threw, std::nullopt, lastRemark(errors));
    }
    if (ending.code == runTimedOutStatus)
        return spoiled(RunOutcome::TimedOut, std::nullopt,
            "passed the time limit of " + std::to_string(setup.timeoutSeconds) + " s");
    if (ending.code != 0)
        return spoiled(RunOutcome::Failed, std::nullopt, lastRemark(errors));

    std::optional<RunResult> finished;
    try {
        finished = readFinishedRun(setup, run, output);
    } catch (const Json::exception&) {
        // A value of the wrong type: no report of ours.
    }
    if (!finished)
        return spoiled(RunOutcome::Failed, std::nullopt, "the run's report does not list the arena's brains");
    return *finished;
}

namespace {

std::optional<RunResult> readFinishedRun(const ArenaSetup& setup, RunResult run, std::string_view output)
{
    auto report = parseReport(output);
    const Json* brains = report && report->contains("brains") ? &(*report)["brains"] : nullptr;
    if (!brains || !brains->is_array() || brains->size() != setup.brainNames.size())
        return std::nullopt;
    for (std::size_t b = 0; b < brains->size(); ++b) {
        const Json& brain = (*brains)[b];
        const Json& fell = brain.value("last_human_fell", Json());
        if (brain.value("name", std::string()) != setup.brainNames[b] || !(fell.is_null() || fell.is_number_integer())
            || !brain.value("humans_at_end", Json()).is_number_integer())
            return std::nullopt;
        BrainResult result;
        if (!fell.is_null())
            result.lastHumanFell = fell.get<std::int32_t>();
        result.humansAtEnd = brain["humans_at_end"].get<std::int32_t>();
        run.brains.push_back(result);
    }
    return run;
}

}

}
