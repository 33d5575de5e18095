#include "hosting/WorkerContext.h"

#include "hosting/PlatformLibraryLoader.h"
#include "hosting/Sandbox.h"
#include "hosting/WorkerSaver.h"
#include "session/CommandLineNumbers.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace shamblex::worker {

namespace {

constexpr std::size_t maximumArguments = 1024;
constexpr std::size_t maximumArgument = 1u << 16;

struct Hello {
    Role role = Role::Saver;
    std::vector<std::string> arguments;
    std::optional<SessionStart> start;
    SandboxSettings sandbox;
    BrainOffer offer;
};

std::optional<Hello> readHello(const ChannelMessage& message)
{
    WireReader in(message.payload);
    Hello hello;
    auto role = in.within(in.u32(), 1u, 3u);
    auto count = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumArguments));
    if (!role || !count)
        return std::nullopt;
    hello.role = static_cast<Role>(*role);
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto argument = in.text(maximumArgument);
        if (!argument)
            return std::nullopt;
        hello.arguments.push_back(*argument);
    }
    auto hasStart = in.u8();
    if (!hasStart)
        return std::nullopt;
    if (*hasStart) {
        hello.start = readStart(in);
        if (!hello.start)
            return std::nullopt;
    }
    auto enabled = in.u8();
    auto limited = in.u8();
    auto limit = in.i32();
    auto memory = in.u64();
    if (in.failed())
        return std::nullopt;
    hello.sandbox.enabled = *enabled != 0;
    if (*limited)
        hello.sandbox.landlockLimit = *limit;
    hello.sandbox.memoryLimit = *memory;
    auto offer = readOffer(in);
    if (!offer)
        return std::nullopt;
    hello.offer = std::move(*offer);
    return hello;
}

[[noreturn]] void end(int status)
{
    // Straight out: no exit handlers, no leak check (the sandbox would refuse the
    // leak checker's own tracing), nothing a brain registered.
    std::fflush(nullptr);
    std::_Exit(status);
}

}

WorkerContext::WorkerContext(Channel channel, SharedMemory control, Role role, std::vector<std::string> arguments,
    std::optional<SessionStart> start, std::unique_ptr<OfferedLibraryLoader> loader)
    : m_channel(std::move(channel))
    , m_control(std::move(control))
    , m_role(role)
    , m_arguments(std::move(arguments))
    , m_start(std::move(start))
    , m_loader(std::move(loader))
    , m_loaderInUse(m_loader.get())
{
}


std::unique_ptr<LibraryLoader> WorkerContext::takeLoader()
{
    return std::move(m_loader);
}

bool WorkerContext::takeOffer(ChannelMessage& message)
{
    WireReader in(message.payload);
    auto offer = readOffer(in);
    if (!offer || !m_loaderInUse)
        return false;
    return m_loaderInUse->take(std::move(*offer), std::move(message.handles));
}

bool WorkerContext::send(Answer type, std::span<const std::uint8_t> payload)
{
    return m_channel.send(static_cast<std::uint32_t>(type), payload);
}

void WorkerContext::report(std::string_view line)
{
    WireWriter message;
    message.text(line.substr(0, maximumLine));
    send(Answer::Report, message);
}

std::optional<ChannelMessage> WorkerContext::nextRequest()
{
    ChannelMessage message;
    if (m_channel.receive(message, maximumMessage) != ChannelStatus::Received)
        return std::nullopt;
    return message;
}

void serveIfWorker(int argc, char** argv, const Roles& roles)
{
    if (argc < 2 || std::string_view(argv[1]) != modeWord)
        return;
    auto handle = argc == 4 ? parseUnsigned(argv[2], std::numeric_limits<std::int64_t>::max()) : std::nullopt;
    auto host = argc == 4 ? parseUnsigned(argv[3], std::numeric_limits<std::int64_t>::max()) : std::nullopt;
    if (!handle || !host) {
        std::fprintf(stderr, "%s is started by Shamblex itself, not by hand\n", std::string(modeWord).c_str());
        end(2);
    }
    Channel channel = Channel::adopt(static_cast<NativeHandle>(*handle));
    ChannelMessage message;
    if (channel.receive(message, maximumMessage) != ChannelStatus::Received
        || message.type != static_cast<std::uint32_t>(Request::Hello) || message.handles.empty())
        end(2);
    auto hello = readHello(message);
    std::string error;
    auto control = SharedMemory::map(std::move(message.handles.front()), sizeof(WorkerControl), error);
    if (!hello || !control)
        end(2);
    auto* block = static_cast<WorkerControl*>(control->data());
    if (block->mark.load() != WorkerControl::expectedMark)
        end(2);
    control->closeHandle();
    placeBrainCallState(&block->call);
    recordWorkerEndings(*block);
    std::vector<std::string> notes = enterSandbox(hello->sandbox, static_cast<std::int64_t>(*host));
    // Brains are kept off the channel: only the worker's own pinned instruction may
    // read, write or close it.
    if (hello->sandbox.enabled && pinnedSystemCall()) {
        channel.setSystemCall(pinnedSystemCall());
        pinDescriptor(channel.childHandle());
    }

    auto loader = std::make_unique<OfferedLibraryLoader>(makePlatformLibraryLoader());
    loader->onLoaded([block](std::int32_t library, void* handle) {
        auto range = codeRangeOf(handle);
        std::uint32_t slot = block->libraryCount.load(std::memory_order_relaxed);
        if (!range || slot >= WorkerControl::maximumLibraries)
            return;
        block->libraries[slot].library.store(library, std::memory_order_relaxed);
        block->libraries[slot].start.store(range->first, std::memory_order_relaxed);
        block->libraries[slot].end.store(range->second, std::memory_order_relaxed);
        block->libraryCount.store(slot + 1, std::memory_order_release);
    });
    std::vector<OwnedHandle> copies;
    for (std::size_t i = 1; i < message.handles.size(); ++i)
        copies.push_back(std::move(message.handles[i]));
    if (!loader->take(std::move(hello->offer), std::move(copies)))
        end(2);

    WorkerContext context(std::move(channel), std::move(*control), hello->role, std::move(hello->arguments),
        std::move(hello->start), std::move(loader));
    for (const std::string& note : notes)
        context.report("sandbox: " + note);
    int status = 2;
    switch (context.role()) {
    case Role::Saver: status = serveSaver(context); break;
    case Role::Run: status = roles.run ? roles.run(context) : 2; break;
    case Role::ArenaRun: status = roles.arenaRun ? roles.arenaRun(context) : 2; break;
    }
    WireWriter done;
    done.i32(status);
    context.send(Answer::Done, done);
    end(status);
}

}
