#include "arena/RunPlayer.h"

#include "base/OptionTable.h"
#include "base/Sha256.h"
#include "base/Text.h"
#include "brains/BrainRegistry.h"
#include "hosting/Worker.h"
#include "hosting/WorkerContext.h"
#include "session/CommandLineNumbers.h"
#include "session/SaverSession.h"
#include "session/SessionStart.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace shamblex::arena {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view forfeitOption = "--forfeit";
constexpr std::size_t maximumBrains = 4096;
// A worker that started a run but has not said so after this long is stuck in a
// brain's start-up code, whatever the run's own time limit.
constexpr std::int32_t listingSeconds = 60;

// What a run's worker is told: the runner's own words for the outbreak, then the
// brains that sit out, each as five words: name, call, frame, being, what.
std::vector<std::string> orders(const ArenaSetup& setup, std::uint32_t seed, std::int32_t frames,
    const std::vector<BrainRegistry::Forfeit>& forfeits)
{
    std::vector<std::string> words { "--brains", setup.brainsFolder };
    words.insert(words.end(), setup.outbreakArguments.begin(), setup.outbreakArguments.end());
    words.insert(words.end(), { "--seed", std::to_string(seed), "--frames", std::to_string(frames) });
    for (const BrainRegistry::Forfeit& forfeit : forfeits)
        words.insert(words.end(), { std::string(forfeitOption), forfeit.brain, std::to_string(forfeit.call),
                                      std::to_string(forfeit.frame), std::to_string(forfeit.being), forfeit.reason });
    return words;
}

struct Orders {
    SettingsOptions settings;
    std::int32_t frames = 0;
    std::vector<BrainRegistry::Forfeit> forfeits;
};

std::optional<Orders> readOrders(const std::vector<std::string>& arguments)
{
    Orders read;
    using Refusal = OptionTable::Refusal;
    OptionTable orders("");
    addSettingsOptions(orders, read.settings);
    orders.value({ "--frames" }, "F", {}, [&](std::string_view value) {
        auto frames = parseUnsigned(value, std::numeric_limits<std::int32_t>::max());
        if (!frames)
            return Refusal(OptionTable::notA(value, "a frame count"));
        read.frames = static_cast<std::int32_t>(*frames);
        return Refusal();
    });
    orders.add({ .names = { forfeitOption },
        .takes = OptionTable::Takes::Values,
        .readWords =
            [&](OptionTable::Words words) {
                BrainRegistry::Forfeit forfeit;
                forfeit.brain = std::string(words[0]);
                auto call = parseUnsigned(words[1], std::numeric_limits<std::uint64_t>::max());
                auto frame = parseUnsigned(words[2], std::numeric_limits<std::int32_t>::max());
                auto being = parseUnsigned(words[3], std::numeric_limits<std::uint32_t>::max());
                if (!call || !frame || !being)
                    return Refusal("not a forfeit");
                forfeit.call = *call;
                forfeit.frame = static_cast<std::int32_t>(*frame);
                forfeit.being = static_cast<std::uint32_t>(*being);
                forfeit.reason = std::string(words[4]);
                read.forfeits.push_back(std::move(forfeit));
                return Refusal();
            },
        .count = 5 });
    std::vector<std::string_view> words(arguments.begin(), arguments.end());
    if (orders.parse(words) || !read.settings.brainsDirectory)
        return std::nullopt;
    return read;
}

// A brain's figures in a run as the worker sends them.
struct PlayedBrain {
    std::optional<std::int32_t> fell;
    std::int32_t humans = 0;
    std::optional<std::int32_t> disabledAt;
    std::string disabled;
};

struct Played {
    std::vector<PlayedBrain> brains;
    std::optional<std::string> mismatch;
};

void writePlayed(WireWriter& out, const Played& played)
{
    out.u8(played.mismatch ? 1 : 0).text(played.mismatch.value_or(""));
    out.u32(static_cast<std::uint32_t>(played.brains.size()));
    for (const PlayedBrain& brain : played.brains) {
        out.i32(brain.fell.value_or(-1)).i32(brain.humans).i32(brain.disabledAt.value_or(-1)).text(brain.disabled);
    }
}

std::optional<Played> readPlayed(WireReader& in, std::size_t brains, std::int32_t frames)
{
    Played played;
    auto mismatched = in.u8();
    auto mismatch = in.text(worker::maximumLine);
    auto count = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumBrains));
    if (in.failed() || *count != brains)
        return std::nullopt;
    if (*mismatched)
        played.mismatch = singleLine(*mismatch);
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto fell = in.within(in.i32(), -1, frames);
        auto humans = in.within(in.i32(), 0, std::numeric_limits<std::int32_t>::max());
        auto disabledAt = in.within(in.i32(), -1, frames);
        auto disabled = in.text(worker::maximumLine);
        if (in.failed())
            return std::nullopt;
        PlayedBrain brain;
        if (*fell >= 0)
            brain.fell = *fell;
        brain.humans = *fell >= 0 ? 0 : *humans;
        if (*disabledAt >= 0)
            brain.disabledAt = *disabledAt;
        brain.disabled = singleLine(*disabled);
        played.brains.push_back(std::move(brain));
    }
    if (!in.complete())
        return std::nullopt;
    return played;
}

void writeListing(WireWriter& out, const BrainRegistry& brains)
{
    out.u32(static_cast<std::uint32_t>(brains.brainNames().size()));
    for (const std::string& name : brains.brainNames())
        out.text(name);
    out.u32(static_cast<std::uint32_t>(brains.skippedLibraries().size()));
    for (const SkippedLibrary& skipped : brains.skippedLibraries())
        out.text(skipped.fileName).text(skipped.reason);
}

std::optional<BrainListing> readListing(WireReader& in)
{
    BrainListing listing;
    auto names = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumBrains));
    for (std::uint32_t i = 0; names && i < *names; ++i) {
        if (auto name = in.text(worker::maximumLine))
            listing.names.push_back(*name);
    }
    auto skipped = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumBrains));
    for (std::uint32_t i = 0; skipped && i < *skipped; ++i) {
        auto file = in.text(worker::maximumLine);
        auto reason = in.text(worker::maximumLine);
        if (file && reason)
            listing.skipped.push_back({ singleLine(*file), singleLine(*reason) });
    }
    if (!in.complete())
        return std::nullopt;
    return listing;
}

bool ignoreRemark(ChannelMessage& message)
{
    return message.type == static_cast<std::uint32_t>(worker::Answer::Report);
}

// A run's worker, started: its listing of the brains, or why there is none.
struct Started {
    std::unique_ptr<Worker> worker;
    std::optional<BrainListing> listing;
    std::string failure;
};

Started startWorker(const std::string& folder, const std::vector<SkippedBrain>& skipped,
    std::vector<std::string> arguments, const SandboxSettings& sandbox, Clock::time_point deadline)
{
    Started started;
    Worker::Setup setup;
    setup.role = worker::Role::ArenaRun;
    setup.arguments = std::move(arguments);
    setup.sandbox = sandbox;
    setup.brainFolder = folder;
    // What cannot play is left out of the folder the worker sees.
    for (const SkippedBrain& file : skipped)
        setup.withheld.insert(brainNameOf(file.fileName));
    setup.forwardOutput = false;
    started.worker = Worker::start(setup, started.failure);
    if (!started.worker)
        return started;
    Worker::Wait wait;
    wait.deadline = deadline;
    wait.remark = ignoreRemark;
    auto answer = started.worker->await(wait);
    if (!answer) {
        started.failure = started.worker->fault()->describe();
        return started;
    }
    WireReader in(answer->payload);
    if (answer->type == static_cast<std::uint32_t>(worker::Answer::Failed)) {
        started.failure = singleLine(in.text(worker::maximumLine).value_or("the run could not start"));
        return started;
    }
    started.listing = answer->type == static_cast<std::uint32_t>(worker::Answer::Ready) ? readListing(in) : std::nullopt;
    if (!started.listing) {
        started.worker->condemn("answered its start with what no worker answers");
        started.failure = started.worker->fault()->describe();
    }
    return started;
}

RunResult spoiled(std::uint32_t seed, RunOutcome outcome, std::optional<std::string> culprit, const std::string& detail)
{
    RunResult run;
    run.seed = seed;
    run.outcome = outcome;
    run.culprit = std::move(culprit);
    run.detail = singleLine(detail);
    return run;
}

// One play of the run with the forfeits known so far: its figures, or the fault that
// stopped it.
struct Attempt {
    std::optional<Played> played;
    std::optional<WorkerFault> fault;
    std::optional<RunResult> spoiled;
};

Attempt attempt(const ArenaSetup& setup, std::uint32_t seed, const std::vector<BrainRegistry::Forfeit>& forfeits,
    const SandboxSettings& sandbox, const std::atomic<bool>* cancel)
{
    Attempt result;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(setup.timeoutSeconds);
    Started started
        = startWorker(setup.brainsFolder, setup.skipped, orders(setup, seed, setup.frames, forfeits), sandbox, deadline);
    if (!started.listing) {
        if (started.worker && started.worker->fault() && !started.worker->fault()->brain.empty()) {
            result.fault = started.worker->fault();
            return result;
        }
        result.spoiled = spoiled(seed, RunOutcome::Failed, std::nullopt, started.failure);
        return result;
    }
    // The brains must be the arena's, file for file.
    Worker& worker = *started.worker;
    if (started.listing->names != setup.brainNames) {
        result.spoiled = spoiled(seed, RunOutcome::Failed, std::nullopt, "the brains in the folder changed since the arena began");
        return result;
    }
    for (std::size_t b = 0; b < setup.brainNames.size(); ++b) {
        const auto* digest = worker.shelf().digestOf(setup.brainNames[b] + ".dll");
        if (b < setup.brainDigests.size() && (!digest || hexText(*digest) != setup.brainDigests[b])) {
            result.spoiled = spoiled(seed, RunOutcome::Failed, setup.brainNames[b],
                "brain '" + setup.brainNames[b] + "' changed since the arena began");
            return result;
        }
    }
    worker.setClaimBounds(setup.frames, std::numeric_limits<std::uint32_t>::max());
    worker.request(worker::Request::Go);
    Worker::Wait wait;
    wait.deadline = deadline;
    wait.remark = ignoreRemark;
    wait.giveUp = [cancel] { return cancel && cancel->load(); };
    wait.givenUpInCall = "did not return before the arena was stopped";
    auto answer = worker.await(wait);
    if (!answer) {
        const WorkerFault& fault = *worker.fault();
        if (fault.interrupted)
            result.spoiled = spoiled(seed, RunOutcome::Failed, std::nullopt, "the arena was stopped");
        else if (!fault.brain.empty())
            result.fault = fault;
        else if (fault.stuck)
            result.spoiled = spoiled(seed, RunOutcome::TimedOut, std::nullopt,
                "passed the time limit of " + std::to_string(setup.timeoutSeconds) + " s and was ended");
        else
            result.spoiled = spoiled(seed, RunOutcome::Crashed, std::nullopt, fault.describe());
        return result;
    }
    WireReader in(answer->payload);
    if (answer->type == static_cast<std::uint32_t>(worker::Answer::Result))
        result.played = readPlayed(in, setup.brainNames.size(), setup.frames);
    // The result counts only from a worker that then ends as a worker ends: a brain
    // could forge a result and exit.
    if (result.played) {
        auto done = worker.await(wait);
        const std::vector<std::uint8_t> none;
        WireReader last(done ? done->payload : none);
        auto status = last.i32();
        if (!done || done->type != static_cast<std::uint32_t>(worker::Answer::Done) || !last.complete()
            || !worker.finished(*status)) {
            result.played.reset();
            if (!worker.fault())
                worker.condemn("ended its run with what no worker answers");
            result.fault = worker.fault();
            if (result.fault->brain.empty())
                result.spoiled = spoiled(seed, RunOutcome::Crashed, std::nullopt, result.fault->describe());
            return result;
        }
    }
    if (!result.played) {
        worker.condemn("sent a result that is no result of a run");
        result.fault = worker.fault();
        if (result.fault->brain.empty())
            result.spoiled = spoiled(seed, RunOutcome::Crashed, std::nullopt, result.fault->describe());
    }
    return result;
}

}

std::variant<BrainListing, std::string> listBrains(
    const std::string& folder, const SandboxSettings& sandbox, std::int32_t timeoutSeconds)
{
    // The worker loads the brains as a run will (a run of no frames), so that a brain
    // that passes the file check but does not load is found before any run; one whose
    // start-up code faults cannot play, and the listing starts again without it.
    const std::int32_t seconds = std::min(timeoutSeconds, listingSeconds);
    ArenaSetup probe;
    probe.brainsFolder = folder;
    std::vector<SkippedBrain> faulted;
    for (;;) {
        Started started = startWorker(folder, faulted, orders(probe, 1, 0, {}), sandbox,
            Clock::now() + std::chrono::seconds(seconds));
        if (!started.listing) {
            const std::optional<WorkerFault> fault = started.worker ? started.worker->fault() : std::nullopt;
            if (fault && !fault->brain.empty() && fault->frame == loadingFrame) {
                faulted.push_back({ fault->fileName, fault->what + " while it was loaded" });
                continue;
            }
            return started.failure;
        }
        BrainListing listing = std::move(*started.listing);
        for (const std::string& name : listing.names) {
            const auto* digest = started.worker->shelf().digestOf(name + ".dll");
            listing.digests.push_back(digest ? hexText(*digest) : std::string());
        }
        listing.skipped.insert(listing.skipped.end(), faulted.begin(), faulted.end());
        std::sort(listing.skipped.begin(), listing.skipped.end(),
            [](const SkippedBrain& a, const SkippedBrain& b) { return a.fileName < b.fileName; });
        return listing;
    }
}

RunResult playRun(const ArenaSetup& setup, std::uint32_t seed, const SandboxSettings& sandbox, const std::atomic<bool>* cancel)
{
    std::vector<BrainRegistry::Forfeit> forfeits;
    std::vector<BrainFault> faults(setup.brainNames.size());
    // Every brain may forfeit once; a run that faults more often than that is no run
    // that replays.
    for (std::size_t round = 0; round <= setup.brainNames.size(); ++round) {
        Attempt played = attempt(setup, seed, forfeits, sandbox, cancel);
        if (played.spoiled)
            return *played.spoiled;
        if (played.fault) {
            const WorkerFault& fault = *played.fault;
            auto listed = std::find(setup.brainNames.begin(), setup.brainNames.end(), fault.brain);
            bool forfeitedBefore = std::any_of(
                forfeits.begin(), forfeits.end(), [&](const auto& forfeit) { return forfeit.brain == fault.brain; });
            if (listed == setup.brainNames.end() || forfeitedBefore || fault.frame == loadingFrame)
                return spoiled(seed, RunOutcome::Crashed, fault.brain.empty() ? std::nullopt : std::optional(fault.brain),
                    fault.describe());
            // Replayed up to the call that faulted; a fault outside a call (a thread of
            // the brain's own) sits the brain out from that frame.
            BrainRegistry::Forfeit forfeit { fault.brain, fault.inCall ? fault.call : 0, fault.frame,
                fault.inCall ? fault.being : 0, fault.what };
            faults[static_cast<std::size_t>(listed - setup.brainNames.begin())] = { fault.frame, fault.what };
            forfeits.push_back(std::move(forfeit));
            continue;
        }
        const Played& result = *played.played;
        if (result.mismatch) {
            const std::string& brain = forfeits.back().brain;
            return spoiled(seed, RunOutcome::Failed, brain, "fault not reproduced: brain '" + brain + "' "
                    + forfeits.back().reason + " in frame " + std::to_string(forfeits.back().frame)
                    + ", but in the replay " + *result.mismatch);
        }
        RunResult run;
        run.seed = seed;
        for (std::size_t b = 0; b < result.brains.size(); ++b) {
            const PlayedBrain& brain = result.brains[b];
            BrainResult figures;
            figures.lastHumanFell = brain.fell;
            figures.humansAtEnd = brain.humans;
            if (!faults[b].what.empty())
                figures.fault = faults[b];
            else if (brain.disabledAt)
                figures.fault = BrainFault { *brain.disabledAt, "threw \"" + brain.disabled + "\"" };
            run.brains.push_back(std::move(figures));
        }
        return run;
    }
    return spoiled(seed, RunOutcome::Crashed, std::nullopt, "the run faulted again after every brain had forfeited");
}

int serveArenaRun(worker::WorkerContext& context)
{
    auto read = readOrders(context.arguments());
    if (!read)
        return 2;
    SaverSession session(SaverMode::Headless, context.takeLoader(), Picture::None);
    session.setReporter([&context](std::string_view line) { context.report(line); });
    SessionStart start;
    start.settings = read->settings;
    start.reportSkipped = false;
    if (auto failure = startSession(session, start)) {
        WireWriter message;
        message.text(*failure);
        context.send(worker::Answer::Failed, message);
        return 1;
    }
    BrainRegistry& brains = session.brains();
    WireWriter listing;
    writeListing(listing, brains);
    context.send(worker::Answer::Ready, listing);
    auto go = context.nextRequest();
    if (!go || go->type != static_cast<std::uint32_t>(worker::Request::Go))
        return 0;
    for (BrainRegistry::Forfeit& forfeit : read->forfeits)
        brains.forfeit(std::move(forfeit));

    const Simulation& simulation = session.simulation();
    const std::vector<std::string> names = brains.brainNames();
    Played played;
    played.brains.resize(names.size());
    // Humans per listed brain before the first step, for a brain dealt none.
    std::vector<std::int32_t> humans(names.size(), 0);
    for (const Actor& actor : simulation.population()) {
        auto listed = std::find(names.begin(), names.end(), simulation.brainName(actor));
        if (actor.isHuman() && listed != names.end())
            ++humans[static_cast<std::size_t>(listed - names.begin())];
    }
    std::size_t fallen = 0;
    for (std::size_t b = 0; b < names.size(); ++b) {
        if (humans[b] == 0) {
            played.brains[b].fell = 0;
            ++fallen;
        }
    }
    // Once every brain's last human has fallen nothing it is judged on can change, so
    // the run stops there: the figures are those of the whole run.
    for (std::int32_t step = 0; step < read->frames && fallen < names.size() && !context.stopRequested(); ++step) {
        session.tick();
        auto counts = simulation.humansPerBrain();
        for (std::size_t b = 0; b < names.size() && b < counts.size(); ++b) {
            humans[b] = counts[b];
            if (!played.brains[b].fell && counts[b] == 0) {
                played.brains[b].fell = simulation.frameNumber();
                ++fallen;
            }
            int slot = brains.findBrain(names[b]);
            if (slot >= 0 && !played.brains[b].disabledAt && !brains.disabledReason(slot).empty()) {
                played.brains[b].disabledAt = simulation.frameNumber();
                std::string reason = brains.disabledReason(slot);
                played.brains[b].disabled = reason.substr(std::min(reason.size(), std::string_view("disabled: ").size()));
            }
        }
    }
    for (std::size_t b = 0; b < names.size(); ++b)
        played.brains[b].humans = played.brains[b].fell ? 0 : humans[b];
    played.mismatch = brains.mismatch();
    WireWriter result;
    writePlayed(result, played);
    context.send(worker::Answer::Result, result);
    return 0;
}

}
