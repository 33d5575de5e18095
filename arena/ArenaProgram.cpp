#include "arena/ArenaProgram.h"

#include "arena/ArenaRunner.h"
#include "arena/HtmlReport.h"
#include "arena/ResultFiles.h"
#include "arena/Statistics.h"
#include "arena/SurvivalPlot.h"
#include "base/Version.h"
#include "hosting/BrainGuard.h"
#include "os/ReplacementFile.h"
#include "os/ProgramFacts.h"
#include "render/PngEncoder.h"

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace shamblex::arena {

namespace {

using Clock = std::chrono::steady_clock;

class Program {
public:
    Program(const ArenaOptions& options, const SandboxSettings& sandbox, std::FILE* output, std::FILE* errors)
        : m_options(options)
        , m_sandbox(sandbox)
        , m_output(output)
        , m_errors(errors)
    {
    }

    int run();

private:
    // One result file: standard output for "-", otherwise written whole under a
    // temporary name and renamed into place at the end, so that an arena that fails
    // or is interrupted leaves an old file as it was.
    struct Output {
        const std::optional<std::string>* path = nullptr;
        std::unique_ptr<ReplacementFile> file;
    };

    bool openOutputs();
    bool writeOutputs(const ArenaResults&);
    bool writeOutput(Output&, const std::string& contents);
    std::optional<ArenaResults> play();
    std::optional<ArenaResults> merge();

    void say(std::string_view line) { std::fprintf(m_errors, "shamblex-arena: %s\n", std::string(line).c_str()); }
    void showProgress(std::int64_t done, std::int64_t total);
    void clearProgress();

    const ArenaOptions& m_options;
    SandboxSettings m_sandbox;
    std::FILE* m_output;
    std::FILE* m_errors;
    Output m_csv { &m_options.csvFile, nullptr };
    Output m_json { &m_options.jsonFile, nullptr };
    Output m_plot { &m_options.plotFile, nullptr };
    Output m_html { &m_options.htmlFile, nullptr };
    bool m_progressShown = false;
    Clock::time_point m_started = Clock::now();
    Interrupt m_interrupt = Interrupt::None;
};

bool Program::openOutputs()
{
    for (Output* output : { &m_csv, &m_json, &m_plot, &m_html }) {
        if (!*output->path || **output->path == "-")
            continue;
        output->file = std::make_unique<ReplacementFile>();
        if (auto reason = output->file->open(**output->path)) {
            say("cannot write '" + **output->path + "': " + *reason);
            return false;
        }
    }
    return true;
}

bool Program::writeOutput(Output& output, const std::string& contents)
{
    if (!*output.path)
        return true;
    if (!output.file) {
        std::fwrite(contents.data(), 1, contents.size(), m_output);
        return std::fflush(m_output) == 0;
    }
    std::fwrite(contents.data(), 1, contents.size(), output.file->stream());
    if (auto reason = output.file->commit()) {
        say("writing '" + **output.path + "' failed: " + *reason);
        return false;
    }
    return true;
}

bool Program::writeOutputs(const ArenaResults& results)
{
    // Everything is made before anything is put in place, so that a plot that cannot
    // be drawn leaves every old file as it was.
    ArenaSummary summary = summarize(results);
    std::string plot;
    if (m_options.plotFile) {
        std::vector<std::uint8_t> png = encodePng(SurvivalPlot::draw(results));
        if (png.empty()) {
            say("the plot could not be drawn");
            return false;
        }
        plot.assign(png.begin(), png.end());
    }
    if (!writeOutput(m_csv, csvText(results)) || !writeOutput(m_json, jsonText(results, summary))
        || !writeOutput(m_plot, plot) || !writeOutput(m_html, htmlReport(results, summary)))
        return false;
    // The summary is for people; when a file goes to standard output it must not
    // mix with it.
    bool outputTaken = false;
    for (const Output* output : { &m_csv, &m_json, &m_plot, &m_html })
        outputTaken = outputTaken || (*output->path && **output->path == "-");
    std::string text = summaryText(results, summary);
    std::fputs(text.c_str(), outputTaken ? m_errors : m_output);
    return true;
}

void Program::showProgress(std::int64_t done, std::int64_t total)
{
    constexpr int barWidth = 30;
    auto clock = [](std::int64_t seconds) {
        char text[32];
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
            static_cast<long long>(seconds % 60));
        return std::string(text);
    };
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_started).count();
    const int filled = total > 0 ? static_cast<int>(barWidth * done / total) : barWidth;
    std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#')
        + std::string(static_cast<std::size_t>(barWidth - filled), '.') + "] " + std::to_string(done) + "/"
        + std::to_string(total) + " runs, " + clock(elapsed) + " elapsed";
    if (done > 0 && done < total)
        line += ", about " + clock(elapsed * (total - done) / done) + " left";
    line += "    ";
    std::fputs(line.c_str(), m_errors);
    std::fflush(m_errors);
    m_progressShown = true;
}

void Program::clearProgress()
{
    if (!m_progressShown)
        return;
    std::fputs(("\r" + std::string(79, ' ') + "\r").c_str(), m_errors);
    std::fflush(m_errors);
    m_progressShown = false;
}

std::optional<ArenaResults> Program::play()
{
    const int jobs = m_options.jobs.value_or(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    ArenaRunner runner(m_sandbox, jobs);

    ArenaResults results;
    ArenaSetup& setup = results.setup;
    setup.brainsFolder = *m_options.settings.brainsDirectory;
    setup.runs = m_options.runs;
    setup.firstSeed = m_options.firstSeed;
    setup.frames = m_options.frames;
    setup.outbreakArguments = m_options.settings.outbreakArguments();
    setup.timeoutSeconds = m_options.timeoutSeconds;
    setup.version = std::string(shamblexVersion());
    results.shard = m_options.shard;

    // The brains are listed as every run will load them, in a worker: the arena
    // itself never loads one.
    auto listing = listBrains(setup.brainsFolder, m_sandbox, setup.timeoutSeconds);
    if (auto* failure = std::get_if<std::string>(&listing)) {
        say("cannot list the brains in '" + setup.brainsFolder + "': " + *failure);
        return std::nullopt;
    }
    BrainListing& brains = std::get<BrainListing>(listing);
    setup.brainNames = std::move(brains.names);
    setup.brainDigests = std::move(brains.digests);
    setup.skipped = std::move(brains.skipped);
    for (const SkippedBrain& skipped : setup.skipped)
        say("skipped '" + skipped.fileName + "': " + skipped.reason);
    if (!setup.skipped.empty() && !m_options.allowSkipped) {
        say("a brain file of '" + setup.brainsFolder + "' cannot play (above); remove it, or give --allow-skipped to "
            + "play without it");
        return std::nullopt;
    }
    if (setup.brainNames.empty()) {
        say("'" + setup.brainsFolder + "' holds no brain: no library in it exports ExecuteBrain");
        return std::nullopt;
    }

    const bool showBar = isTerminal(m_errors);
    auto runs = runner.play(
        setup, results.shard,
        [&](std::int64_t done, std::int64_t total) {
            if (showBar)
                showProgress(done, total);
        },
        [this] {
            m_interrupt = interruptRequested();
            return m_interrupt != Interrupt::None;
        });
    clearProgress();
    if (!runs)
        return std::nullopt;
    results.runs = std::move(*runs);
    return results;
}

std::optional<ArenaResults> Program::merge()
{
    std::vector<ArenaResults> shards;
    for (const std::string& path : m_options.mergeFiles) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        if (!file) {
            say("cannot read '" + path + "'");
            return std::nullopt;
        }
        auto read = readResults(text.str());
        if (auto* failure = std::get_if<std::string>(&read)) {
            say("'" + path + "' cannot be merged: " + *failure);
            return std::nullopt;
        }
        shards.push_back(std::move(std::get<ArenaResults>(read)));
    }
    auto merged = mergeShards(std::move(shards));
    if (auto* failure = std::get_if<std::string>(&merged)) {
        say("the files cannot be merged: " + *failure);
        return std::nullopt;
    }
    return std::get<ArenaResults>(std::move(merged));
}

int Program::run()
{
    // The files are checked before anything is played: an unwritable one fails at once.
    if (!openOutputs())
        return 1;
    std::optional<ArenaResults> results = m_options.merging() ? merge() : play();
    if (m_interrupt != Interrupt::None) {
        say("interrupted before every run was played; no file was written");
        return interruptStatus(m_interrupt);
    }
    if (!results || !writeOutputs(*results))
        return 1;
    return 0;
}

}

int runArenaProgram(const ArenaOptions& options, const SandboxSettings& sandbox, std::FILE* output, std::FILE* errors)
{
    Program program(options, sandbox, output, errors);
    return program.run();
}

}
