#include "hosting/Worker.h"

#include "brains/BrainRegistry.h"
#include "hosting/BrainGuard.h"
#include "hosting/PlatformLibraryLoader.h"
#include "os/ProgramFacts.h"

#include <cstdio>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace shamblex {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting host looks up from the channel: at an interrupt, at the
// control block.
constexpr std::chrono::milliseconds waitSlice { 100 };
// What the host passes on of a worker's own output, per stream.
constexpr std::size_t forwardedOutput = 256u << 10;

std::mutex forwarding; // whole chunks to our standard error, never interleaved

std::int64_t ownProcessId()
{
#if defined(_WIN32)
    return GetCurrentProcessId();
#else
    return getpid();
#endif
}

// Whether a process that ended this way ended by an interrupt's signal.
std::string endingText(const Process::Ending& ending)
{
    switch (ending.kind) {
    case Process::Ending::Kind::Exited:
        return "ended without finishing (exit status " + std::to_string(ending.code) + ")";
    case Process::Ending::Kind::Crashed:
        return crashDescription(ending.code);
    case Process::Ending::Kind::Killed:
        return "was ended";
    }
    return "ended";
}

}

std::string WorkerFault::describe() const
{
    if (brain.empty())
        return "the brain worker " + what + " (no brain can be named for it)";
    // While a library loads, it is named by its file, as the guard names it.
    if (frame == loadingFrame)
        return "brain '" + fileName + "' " + what + " while it was loaded";
    std::string line = "brain '" + brain + "' " + what;
    if (!inCall)
        return line + " in a thread of its own, during frame " + std::to_string(frame);
    return line + " in frame " + std::to_string(frame) + ", being " + std::to_string(being);
}

std::unique_ptr<Worker> Worker::start(const Setup& setup, std::string& error)
{
    auto program = currentProgramPath();
    if (!program) {
        error = "cannot find the program's own file to start a brain worker";
        return nullptr;
    }
    std::unique_ptr<Worker> worker(new Worker);
    worker->m_forward = setup.forwardOutput;
    worker->m_shelf = std::make_unique<BrainShelf>(makePlatformLibraryLoader());
    auto control = SharedMemory::create(sizeof(WorkerControl), error);
    if (!control)
        return nullptr;
    worker->m_control = std::move(*control);
    new (worker->m_control.data()) WorkerControl;

    auto ends = Channel::makePair(error);
    if (!ends)
        return nullptr;
    worker->m_channel = std::move(ends->first);
    Channel& childEnd = ends->second;

    ProcessOptions options;
    options.output = ChildOutput::Pipe;
    options.errors = ChildOutput::Pipe;
#if !defined(_WIN32)
    // (A Windows process needs its environment to start at all.)
    options.emptyEnvironment = setup.sandbox.enabled;
#endif
    options.inherited = { childEnd.childHandle() };
    options.ownGroup = true;
    options.confined = setup.sandbox.enabled;
    options.memoryLimit = setup.sandbox.memoryLimit;
#if defined(_WIN32)
    const std::string channelWord = std::to_string(childEnd.childHandle());
#else
    const std::string channelWord = "3"; // the first descriptor handed on
#endif
    if (auto failure = worker->m_process.start(
            { *program, std::string(worker::modeWord), channelWord, std::to_string(ownProcessId()) }, options)) {
        error = "cannot start a brain worker: " + failure->reason;
        return nullptr;
    }
    childEnd.close();
    worker->m_channel.setPeer(worker->m_process.handle());
    for (NativeHandle pipe : { worker->m_process.outputPipe(), worker->m_process.errorPipe() })
        worker->m_drains.emplace_back([raw = worker.get(), pipe] { raw->drain(pipe); });

    worker::BrainOffer offer;
    std::vector<NativeHandle> handles { worker->m_control.handle() };
    if (setup.brainFolder)
        offer = worker->m_shelf->scan(*setup.brainFolder, setup.withheld, handles);
    WireWriter hello;
    hello.u32(static_cast<std::uint32_t>(setup.role)).u32(static_cast<std::uint32_t>(setup.arguments.size()));
    for (const std::string& argument : setup.arguments)
        hello.text(argument);
    hello.u8(setup.start ? 1 : 0);
    if (setup.start)
        worker::writeStart(hello, *setup.start);
    hello.u8(setup.sandbox.enabled).u8(setup.sandbox.landlockLimit ? 1 : 0);
    hello.i32(setup.sandbox.landlockLimit.value_or(0)).u64(setup.sandbox.memoryLimit);
    worker::writeOffer(hello, offer);
    if (!worker->request(worker::Request::Hello, hello, handles)) {
        error = "the brain worker did not take its setup";
        return nullptr;
    }
    return worker;
}

Worker::~Worker()
{
    m_channel.close();
    m_process.kill();
    m_process.waitUntil();
    for (std::thread& drain : m_drains)
        drain.join();
}

void Worker::drain(NativeHandle pipe)
{
    std::size_t passed = 0;
    bool toldDropped = false;
    char buffer[4096];
    for (;;) {
#if defined(_WIN32)
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(pipe), buffer, sizeof buffer, &got, nullptr) || got == 0)
            return;
#else
        ssize_t got = ::read(static_cast<int>(pipe), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
#endif
        if (!m_forward)
            continue;
        auto size = static_cast<std::size_t>(got);
        std::lock_guard lock(forwarding);
        if (passed < forwardedOutput) {
            std::size_t part = std::min(size, forwardedOutput - passed);
            std::fwrite(buffer, 1, part, stderr);
            std::fflush(stderr);
            passed += part;
        } else if (!toldDropped) {
            std::fputs("\n(the brain worker's further output is left out)\n", stderr);
            toldDropped = true;
        }
    }
}

bool Worker::request(worker::Request type, const WireWriter& message, std::vector<NativeHandle> handles)
{
    if (m_fault)
        return false;
    if (m_channel.send(static_cast<std::uint32_t>(type), message.data(), handles))
        return true;
    // A channel that cannot be written to is closed at the other end: the worker has
    // ended or is ending, and how is in its ending (a crash in a brain's thread can
    // end it between two requests). One still running after that is ended here.
    Process::Ending ending = m_process.waitUntil(Clock::now() + std::chrono::seconds(5));
    judge(ending, ending.kind == Process::Ending::Kind::Killed ? "stopped taking requests" : endingText(ending), false,
        false);
    return false;
}

bool Worker::offerBrains(const std::string& folder, const std::set<std::string>& withheld)
{
    std::vector<NativeHandle> handles;
    WireWriter message;
    worker::writeOffer(message, m_shelf->scan(folder, withheld, handles));
    return request(worker::Request::Brains, message, handles);
}

void Worker::setClaimBounds(std::int32_t frames, std::uint32_t beings)
{
    m_frameBound = frames;
    m_beingBound = beings;
}

std::optional<ChannelMessage> Worker::await(const Wait& wait)
{
    if (m_fault)
        return std::nullopt;
    WorkerControl& block = control();
    std::uint64_t watchedCall = block.call.calls.load(std::memory_order_relaxed);
    Clock::time_point since = Clock::now();
    for (;;) {
        Clock::time_point sliceEnd = Clock::now() + waitSlice;
        if (wait.deadline && *wait.deadline < sliceEnd)
            sliceEnd = *wait.deadline;
        ChannelMessage message;
        switch (m_channel.receive(message, worker::maximumMessage, sliceEnd)) {
        case ChannelStatus::Received:
            if (message.type >= static_cast<std::uint32_t>(worker::Answer::Report)
                && message.type <= static_cast<std::uint32_t>(worker::Answer::VideoFrame)) {
                if (!wait.remark || !wait.remark(message)) {
                    condemn("sent a remark that is no remark of Shamblex's");
                    return std::nullopt;
                }
                continue;
            }
            return message;
        case ChannelStatus::Closed: {
            // Gone: how it went is in its ending and its control block.
            Process::Ending ending = m_process.waitUntil(Clock::now() + std::chrono::seconds(5));
            judge(ending, endingText(ending), false, false);
            return std::nullopt;
        }
        case ChannelStatus::Broken:
            condemn("sent a message that is no message of Shamblex's");
            return std::nullopt;
        case ChannelStatus::TimedOut:
            break;
        }
        if (auto ending = m_process.poll()) {
            judge(*ending, endingText(*ending), false, false);
            return std::nullopt;
        }
        if (wait.giveUp && wait.giveUp()) {
            endNow(block.call.brain.load() ? wait.givenUpInCall : "was ended on request", true, false);
            return std::nullopt;
        }
        const Clock::time_point now = Clock::now();
        if (wait.deadline && now >= *wait.deadline) {
            endNow(block.call.brain.load() ? "did not return in time" : "did not finish in time", false, true);
            return std::nullopt;
        }
        // A brain is stuck when the same call has been running since the last looks.
        std::uint64_t calls = block.call.calls.load(std::memory_order_relaxed);
        if (!block.call.brain.load() || calls != watchedCall) {
            watchedCall = calls;
            since = now;
        } else if (wait.patience && now - since >= *wait.patience) {
            endNow("did not return", false, true);
            return std::nullopt;
        }
    }
}

bool Worker::finished(std::int32_t status)
{
    if (m_fault)
        return false;
    m_channel.close();
    Process::Ending ending = m_process.waitUntil(Clock::now() + std::chrono::seconds(5));
    const bool clean = ending.kind == Process::Ending::Kind::Exited && static_cast<std::int32_t>(ending.code) == status
        && control().call.brain.load() == nullptr;
    if (!clean)
        judge(ending, ending.kind == Process::Ending::Kind::Exited ? "called exit" : endingText(ending), false, false);
    return clean;
}

void Worker::condemn(const std::string& what)
{
    endNow(what, false, false);
}

void Worker::endNow(const std::string& how, bool interrupted, bool stuck)
{
    if (m_fault)
        return;
    m_process.kill();
    Process::Ending ending = m_process.waitUntil();
    judge(ending, how, interrupted, stuck);
}

void Worker::judge(const Process::Ending& ending, const std::string& how, bool interrupted, bool stuck)
{
    if (m_fault)
        return;
    WorkerFault fault;
    fault.what = how;
    fault.interrupted = interrupted;
    fault.stuck = stuck;
    WorkerControl& block = control();
    // A worker that exits inside a call called exit, as the guard says of one in the
    // program itself; a refused system call is named.
    const bool inCall = block.call.brain.load() != nullptr;
    if (ending.kind == Process::Ending::Kind::Exited && inCall && how == endingText(ending))
        fault.what = "called exit";
    const std::int32_t refused = block.refusedSystemCall.load();
    if (refused >= 0 && block.fatalSignal.load() != 0)
        fault.what = "made a system call the sandbox refuses (" + systemCallName(refused) + ")";

    // Whose doing: the brain in a call, or the brain whose code the crash was in.
    std::int32_t library = -1;
    if (inCall) {
        library = block.call.library.load();
    } else if (block.fatalSignal.load() != 0) {
        const std::uint64_t address = block.faultAddress.load();
        const std::uint32_t count = std::min<std::uint32_t>(block.libraryCount.load(), WorkerControl::maximumLibraries);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (address >= block.libraries[i].start.load() && address < block.libraries[i].end.load())
                library = block.libraries[i].library.load();
        }
    }
    const std::int32_t frame = block.call.frame.load();
    const std::uint32_t being = block.call.being.load();
    const std::string* file = m_shelf->fileOf(library);
    const bool plausible = file && (frame == loadingFrame || (frame >= 0 && frame <= m_frameBound))
        && (frame == loadingFrame || being < m_beingBound);
    if (plausible) {
        fault.brain = brainNameOf(*file);
        fault.fileName = *file;
        fault.library = library;
        fault.frame = frame;
        fault.being = being;
        fault.inCall = inCall;
        fault.call = block.call.calls.load();
    }
    m_fault = fault;
}

}
