#include "cli/Runner.h"

#include "base/Text.h"
#include "cli/OutputFile.h"
#include "cli/ProgressLine.h"
#include "cli/RunPlay.h"
#include "cli/VideoOutput.h"
#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "hosting/Worker.h"
#include "hosting/WorkerContext.h"
#include "os/ProgramFacts.h"
#include "session/CommandLineNumbers.h"

#include <array>

namespace shamblex::cli {

namespace {

// The status a worker's run ends with when it was asked to stop; the runner turns it
// into the interrupt's own status.
constexpr int stoppedStatus = 130;
// A worker's run that does not stop within this time of an interrupt is stuck in a
// brain and is ended.
constexpr auto interruptPatience = std::chrono::milliseconds(500);
// A worker's run batches its output into messages of about this size.
constexpr std::size_t outputBatch = 64u << 10;

void report(std::FILE* errors, const std::string& message)
{
    std::fprintf(errors, "shamblex-cli: %s\n", singleLine(message).c_str());
}

// The runner's files: every output written whole under a temporary name and renamed
// into place at the end, so that a failed run leaves every old file as it was.
class RunFiles {
public:
    RunFiles(const RunOptions& options, std::FILE* output, std::FILE* errors)
        : m_options(options)
        , m_output(output)
        , m_errors(errors)
    {
    }

    bool open();
    bool isOpen(OutputSlot slot) const { return m_files[static_cast<std::size_t>(slot)].isOpen(); }
    void write(OutputSlot slot, std::string_view bytes) { m_files[static_cast<std::size_t>(slot)].write(bytes); }
    VideoOutput& video() { return m_video; }
    bool finish();
    void discard();

private:
    const RunOptions& m_options;
    std::FILE* m_output;
    std::FILE* m_errors;
    std::array<OutputFile, outputSlotCount> m_files;
    VideoOutput m_video;
};

// The file of each output slot, in slot order.
std::array<const std::optional<std::string>*, outputSlotCount> slotFiles(const RunOptions& options)
{
    return { &options.statsFile, &options.dumpFile, &options.boardDumpFile, &options.pngFile, &options.traceFile,
        &options.brainStatsFile };
}

bool RunFiles::open()
{
    const auto paths = slotFiles(m_options);
    for (std::size_t slot = 0; slot < outputSlotCount; ++slot) {
        if (!*paths[slot])
            continue;
        const std::string& path = **paths[slot];
        bool shared = false;
        for (std::size_t earlier = 0; earlier < slot && !shared; ++earlier) {
            if (m_files[earlier].isOpen() && sameOutput(m_files[earlier].path(), path)) {
                m_files[slot].share(m_files[earlier]);
                shared = true;
            }
        }
        if (shared)
            continue;
        if (auto reason = m_files[slot].open(path, m_output)) {
            report(m_errors, "cannot write '" + path + "': " + *reason);
            discard();
            return false;
        }
    }
    if (m_options.videoFile) {
        if (auto reason = m_video.open(*m_options.videoFile, m_options.windowWidth, m_options.windowHeight,
                m_options.videoFrameRate)) {
            report(m_errors, *reason);
            discard();
            return false;
        }
    }
    return true;
}

void RunFiles::discard()
{
    for (std::size_t slot = outputSlotCount; slot-- > 0;)
        m_files[slot].discard();
    m_video.discard();
}

bool RunFiles::finish()
{
    // A run with a failed write leaves every old file as it was.
    for (OutputFile& file : m_files) {
        if (file.isOpen() && !file.healthy()) {
            report(m_errors, "writing '" + file.path() + "' failed: " + file.failure());
            discard();
            return false;
        }
    }
    if (auto reason = m_video.finish()) {
        report(m_errors, "writing the video '" + *m_options.videoFile + "' failed: " + *reason);
        discard();
        return false;
    }
    // Outputs that share a stream were opened after its owner; finishing in reverse
    // completes every stream after its last user.
    bool ok = true;
    for (std::size_t slot = outputSlotCount; slot-- > 0;) {
        if (!m_files[slot].isOpen())
            continue;
        std::string path = m_files[slot].path();
        if (auto reason = m_files[slot].finish()) {
            report(m_errors, "writing '" + path + "' failed: " + *reason);
            ok = false;
        }
    }
    return ok;
}

// The progress line of a run: the steps its script and frames ask for, shown only on
// a terminal that no "-" output writes to as well.
ProgressLine progressLine(const RunOptions& options, std::FILE* output, std::FILE* errors)
{
    std::int64_t steps = options.frames;
    for (const ScriptCommand& command : options.script)
        if (command.kind == ScriptCommand::Kind::Step)
            steps += command.count;
    bool toStandardOutput = options.videoFile == "-";
    for (const auto* path : slotFiles(options))
        toStandardOutput = toStandardOutput || (*path && **path == "-");
    return ProgressLine(errors, steps, isTerminal(errors) && !(toStandardOutput && isTerminal(output)));
}

// A run played here, straight into the files.
class FileSink final : public RunSink {
public:
    FileSink(RunFiles& files, const RunOptions& options, std::FILE* output, std::FILE* errors)
        : m_files(files)
        , m_errors(errors)
        , m_progress(progressLine(options, output, errors))
    {
    }
    void write(OutputSlot slot, std::string_view bytes) override { m_files.write(slot, bytes); }
    void videoFrame(const Bitmap& frame) override { m_files.video().addFrame(frame); }
    void report(const std::string& line) override
    {
        m_progress.finish();
        cli::report(m_errors, line);
    }
    bool stopRequested() override
    {
        m_interrupt = interruptRequested();
        return m_interrupt != Interrupt::None;
    }
    void stepped(std::int64_t steps) override { m_progress.update(steps); }
    Interrupt interrupt() const { return m_interrupt; }
    void finishProgress() { m_progress.finish(); }

private:
    RunFiles& m_files;
    std::FILE* m_errors;
    ProgressLine m_progress;
    Interrupt m_interrupt = Interrupt::None;
};

int finishRun(RunFiles& files, RunPlay::Ending ending, Interrupt interrupt, std::int32_t frame, std::FILE* errors)
{
    if (ending == RunPlay::Ending::Failed) {
        files.discard();
        return 1;
    }
    if (!files.finish())
        return 1;
    if (ending == RunPlay::Ending::Stopped) {
        report(errors, "interrupted after frame " + std::to_string(frame) + "; the outputs hold every step until then");
        return interruptStatus(interrupt);
    }
    return 0;
}

int runHere(const RunOptions& options, std::FILE* output, std::FILE* errors)
{
    // Everything that can be checked is checked before any output is touched: the
    // brain folder, the memory for the first simulation, then the output folders.
    RunFiles files(options, output, errors);
    FileSink sink(files, options, output, errors);
    RunPlay play(options, makePlatformLibraryLoader(), sink);
    if (auto failure = play.start()) {
        report(errors, *failure);
        return 1;
    }
    if (!files.open())
        return 1;
    RunPlay::Ending ending = play.play();
    sink.finishProgress();
    return finishRun(files, ending, sink.interrupt(), play.frameNumber(), errors);
}

// A run played by a brain worker: the worker sends the outputs' bytes, written here.
bool takeOutput(RunFiles& files, const RunOptions& options, ChannelMessage& message, std::FILE* errors)
{
    WireReader in(message.payload);
    if (message.type == static_cast<std::uint32_t>(worker::Answer::Report)) {
        auto line = in.text(worker::maximumLine);
        if (!in.complete())
            return false;
        report(errors, *line);
        return true;
    }
    if (message.type == static_cast<std::uint32_t>(worker::Answer::VideoFrame)) {
        auto bytes = in.bytes(worker::maximumMessage);
        std::size_t expected = 3 * static_cast<std::size_t>(options.windowWidth) * static_cast<std::size_t>(options.windowHeight);
        if (!in.complete() || !options.videoFile || bytes->size() != expected)
            return false;
        files.video().addPacked(*bytes);
        return true;
    }
    if (message.type != static_cast<std::uint32_t>(worker::Answer::Output))
        return false;
    while (!in.complete()) {
        auto slot = in.within(in.u8(), std::uint8_t { 0 }, static_cast<std::uint8_t>(outputSlotCount - 1));
        auto bytes = in.bytes(worker::maximumMessage);
        if (in.failed() || !files.isOpen(static_cast<OutputSlot>(*slot)))
            return false;
        files.write(static_cast<OutputSlot>(*slot),
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    }
    return true;
}

int runInWorker(const RunOptions& options, std::span<const std::string_view> arguments, const HostingOptions& hosting,
    std::FILE* output, std::FILE* errors)
{
    Worker::Setup setup;
    setup.role = worker::Role::Run;
    setup.arguments.assign(arguments.begin(), arguments.end());
    setup.sandbox.enabled = true;
    setup.sandbox.memoryLimit = hosting.memoryLimit;
    setup.brainFolder = options.settings.brainsDirectory.value_or(".");
    std::string error;
    auto worker = Worker::start(setup, error);
    if (!worker) {
        report(errors, error);
        return 1;
    }
    RunFiles files(options, output, errors);
    ProgressLine progress = progressLine(options, output, errors);
    // The worker counts its steps in the control block; the line shows them whenever
    // the host hears from it or waits for it.
    auto showProgress = [&] {
        std::int64_t steps = worker->control().runSteps.load(std::memory_order_relaxed);
        if (steps >= 0)
            progress.update(steps);
    };
    Interrupt interrupt = Interrupt::None;
    std::optional<std::chrono::steady_clock::time_point> stopAsked;
    Worker::Wait wait;
    // An interrupt asks the run to stop after its step; a run that does not stop is
    // stuck in a brain.
    wait.giveUp = [&] {
        showProgress();
        if (interrupt == Interrupt::None)
            interrupt = interruptRequested();
        if (interrupt == Interrupt::None)
            return false;
        if (!stopAsked) {
            stopAsked = std::chrono::steady_clock::now();
            worker->control().stopRequested.store(1);
        }
        return std::chrono::steady_clock::now() - *stopAsked >= interruptPatience;
    };
    wait.givenUpInCall = "did not return after an interrupt";
    wait.remark = [&](ChannelMessage& message) {
        if (message.type == static_cast<std::uint32_t>(worker::Answer::Report))
            progress.finish();
        else
            showProgress();
        return takeOutput(files, options, message, errors);
    };
    auto fail = [&]() {
        files.discard();
        const WorkerFault& fault = *worker->fault();
        report(errors, fault.describe());
        return fault.interrupted ? interruptStatus(interrupt) : brainFailureStatus;
    };

    auto started = worker->await(wait);
    if (!started)
        return fail();
    WireReader in(started->payload);
    if (started->type == static_cast<std::uint32_t>(worker::Answer::Failed)) {
        report(errors, in.text(worker::maximumLine).value_or("the run could not start"));
        return 1;
    }
    if (started->type != static_cast<std::uint32_t>(worker::Answer::Ready)) {
        worker->condemn("answered its start with what no worker answers");
        return fail();
    }
    if (!files.open())
        return 1;
    worker->setClaimBounds(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::uint32_t>::max());
    worker->request(worker::Request::Go);
    auto done = worker->await(wait);
    progress.finish();
    if (!done)
        return fail();
    WireReader result(done->payload);
    auto status = result.i32();
    if (done->type != static_cast<std::uint32_t>(worker::Answer::Done) || !result.complete()) {
        worker->condemn("ended its run with what no worker answers");
        return fail();
    }
    if (!worker->finished(*status))
        return fail();
    if (*status == stoppedStatus)
        return files.finish() ? interruptStatus(interrupt == Interrupt::None ? Interrupt::Interrupted : interrupt) : 1;
    if (*status != 0) {
        files.discard();
        return *status == 1 ? 1 : brainFailureStatus;
    }
    return files.finish() ? 0 : 1;
}

// The worker's side of a run: the outputs go over the channel, in batches.
class ChannelSink final : public RunSink {
public:
    explicit ChannelSink(worker::WorkerContext& context)
        : m_context(context)
    {
    }
    ~ChannelSink() override { flush(); }

    void write(OutputSlot slot, std::string_view bytes) override
    {
        m_batch.u8(static_cast<std::uint8_t>(slot));
        m_batch.bytes({ reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size() });
        if (m_batch.data().size() >= outputBatch)
            flush();
    }
    void videoFrame(const Bitmap& frame) override
    {
        flush();
        std::vector<std::uint8_t> packed(3 * static_cast<std::size_t>(frame.width()) * static_cast<std::size_t>(frame.height()));
        frame.packBgr(packed.data());
        WireWriter message;
        message.bytes(packed);
        m_context.send(worker::Answer::VideoFrame, message);
    }
    void report(const std::string& line) override
    {
        flush();
        m_context.report(line);
    }
    bool stopRequested() override { return m_context.stopRequested(); }
    void stepped(std::int64_t steps) override { m_context.control().runSteps.store(steps, std::memory_order_relaxed); }
    void flush()
    {
        if (m_batch.data().empty())
            return;
        m_context.send(worker::Answer::Output, m_batch);
        m_batch = WireWriter();
    }

private:
    worker::WorkerContext& m_context;
    WireWriter m_batch;
};

// Whether the run may load brains: it names a brain folder, or its script reloads.
bool mayRunBrains(const RunOptions& options)
{
    if (options.settings.brainsDirectory)
        return true;
    for (const ScriptCommand& command : options.script) {
        if (command.kind != ScriptCommand::Kind::Key)
            continue;
        const SaverCommand* key = SaverSession::keyCommand(SaverMode::Headless, command.key);
        if (key && key->rescansBrains)
            return true;
    }
    return false;
}

}

int run(const RunOptions& options, std::FILE* output, std::FILE* errors)
{
    return runHere(options, output, errors);
}

int run(const RunOptions& options, std::span<const std::string_view> arguments, const HostingOptions& hosting,
    std::FILE* output, std::FILE* errors)
{
    if (hosting.sandbox && mayRunBrains(options))
        return runInWorker(options, arguments, hosting, output, errors);
    return runHere(options, output, errors);
}

int serveRun(worker::WorkerContext& context)
{
    std::vector<std::string_view> words(context.arguments().begin(), context.arguments().end());
    auto parsed = parseCommandLine(words);
    auto* options = std::get_if<RunOptions>(&parsed);
    if (!options)
        return 2;
    ChannelSink sink(context);
    RunPlay play(*options, context.takeLoader(), sink);
    if (auto failure = play.start()) {
        sink.flush();
        WireWriter message;
        message.text(*failure);
        context.send(worker::Answer::Failed, message);
        return 1;
    }
    sink.flush();
    context.send(worker::Answer::Ready);
    auto go = context.nextRequest();
    if (!go || go->type != static_cast<std::uint32_t>(worker::Request::Go))
        return 0;
    RunPlay::Ending ending = play.play();
    if (ending == RunPlay::Ending::Stopped)
        sink.report("interrupted after frame " + std::to_string(play.frameNumber())
            + "; the outputs hold every step until then");
    sink.flush();
    return ending == RunPlay::Ending::Failed ? 1 : ending == RunPlay::Ending::Stopped ? stoppedStatus : 0;
}

}
