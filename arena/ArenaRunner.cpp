#include "arena/ArenaRunner.h"

#include "arena/RunPlayer.h"
#include "os/Process.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace shamblex::arena {

namespace {

using Clock = std::chrono::steady_clock;

// A child that outlives its own time limit by this much is ended from outside: its
// own watch should have ended it, so something holds it that the watch cannot see.
constexpr auto graceAfterTimeLimit = std::chrono::seconds(5);

std::string readWhole(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ChildOutcome {
    Process::Ending ending;
    std::string output;
    std::string errors;
    std::optional<std::string> startFailure;
};

// Runs one child to its end and collects what it wrote; its files are removed.
ChildOutcome runChild(const std::vector<std::string>& command, const std::filesystem::path& folder,
    const std::string& name, Clock::duration limit, const std::atomic<bool>* cancel)
{
    ChildOutcome outcome;
    const std::filesystem::path outputPath = folder / (name + ".out");
    const std::filesystem::path errorPath = folder / (name + ".err");
    Process process;
    ProcessOptions options;
    options.output = ChildOutput::File;
    options.outputFile = outputPath.string();
    options.errors = ChildOutput::File;
    options.errorFile = errorPath.string();
    if (auto failure = process.start(command, options))
        outcome.startFailure = failure->reason;
    if (!outcome.startFailure) {
        outcome.ending = process.waitUntil(Clock::now() + limit, cancel);
        outcome.output = readWhole(outputPath);
        outcome.errors = readWhole(errorPath);
    }
    std::error_code ignored;
    std::filesystem::remove(outputPath, ignored);
    std::filesystem::remove(errorPath, ignored);
    return outcome;
}

}

ArenaRunner::ArenaRunner(std::string program, std::filesystem::path temporaryRoot, int jobs)
    : m_program(std::move(program))
    , m_jobs(jobs < 1 ? 1 : jobs)
{
    // A folder of our own, named after the clock so that two arenas at once (a shard
    // each) never share one.
    std::error_code error;
    auto stamp = static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path folder
            = temporaryRoot / ("shamblex-arena-" + std::to_string(stamp) + "-" + std::to_string(attempt));
        if (std::filesystem::create_directory(folder, error)) {
            m_folder = folder;
            return;
        }
    }
    m_failure = "cannot make a folder for the runs in " + temporaryRoot.string()
        + (error ? ": " + error.message() : std::string());
}

ArenaRunner::~ArenaRunner()
{
    std::error_code ignored;
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder, ignored);
}

std::variant<std::vector<std::string>, std::string> ArenaRunner::listBrains(
    const std::string& folder, std::int32_t timeoutSeconds, const std::function<void(std::string_view)>& remark)
{
    ChildOutcome child = runChild(listBrainsCommand(m_program, folder), m_folder, "listing",
        std::chrono::seconds(timeoutSeconds) + graceAfterTimeLimit, nullptr);
    if (child.startFailure)
        return "cannot start " + m_program + ": " + *child.startFailure;
    auto listing = readListing(child.ending, child.output, child.errors);
    if (std::holds_alternative<std::vector<std::string>>(listing)) {
        // What the listing said about files it passed over, as it said it.
        std::istringstream lines(child.errors);
        for (std::string line; std::getline(lines, line);)
            remark(line);
    }
    return listing;
}

std::optional<std::vector<RunResult>> ArenaRunner::play(const ArenaSetup& setup, const Shard& shard,
    const std::function<void(std::int64_t done, std::int64_t total)>& progress, const std::function<bool()>& stop)
{
    std::vector<std::int64_t> runIndices;
    for (std::int64_t index = 0; index < setup.runs; ++index) {
        if (shard.holds(index))
            runIndices.push_back(index);
    }
    const auto total = static_cast<std::int64_t>(runIndices.size());
    std::vector<RunResult> results(runIndices.size());

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    std::int64_t done = 0;
    std::atomic<bool> cancel = false;
    const auto limit = std::chrono::seconds(setup.timeoutSeconds) + graceAfterTimeLimit;

    auto work = [&] {
        for (;;) {
            std::size_t slot;
            {
                std::lock_guard lock(mutex);
                if (next >= runIndices.size() || cancel)
                    return;
                slot = next++;
            }
            const std::uint32_t seed = setup.seedOf(runIndices[slot]);
            ChildOutcome child = runChild(
                playRunCommand(m_program, setup, seed), m_folder, "run-" + std::to_string(seed), limit, &cancel);
            RunResult result;
            if (child.startFailure) {
                result.seed = seed;
                result.outcome = RunOutcome::Failed;
                result.detail = "cannot start " + m_program + ": " + *child.startFailure;
            } else {
                result = readRun(setup, seed, child.ending, child.output, child.errors);
            }
            {
                std::lock_guard lock(mutex);
                results[slot] = std::move(result);
                ++done;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> workers;
    const auto jobs = std::min<std::int64_t>(m_jobs, total);
    for (std::int64_t job = 0; job < jobs; ++job)
        workers.emplace_back(work);

    constexpr auto reportInterval = std::chrono::milliseconds(200);
    bool stopped = false;
    {
        std::unique_lock lock(mutex);
        while (done < total) {
            changed.wait_for(lock, reportInterval);
            std::int64_t soFar = done;
            lock.unlock();
            progress(soFar, total);
            if (stop()) {
                cancel = true;
                stopped = true;
            }
            lock.lock();
            if (stopped)
                break;
        }
    }
    for (std::thread& worker : workers)
        worker.join();
    if (stopped)
        return std::nullopt;
    progress(total, total);
    return results;
}

}
