#include "hosting/WorkerSaver.h"

#include "hosting/WorkerContext.h"
#include "os/SharedMemory.h"
#include "session/SaverSession.h"
#include "session/SharedPixels.h"

#include <limits>

namespace shamblex::worker {

namespace {

constexpr std::int32_t maximumSide = 1 << 16;
// The most ticks one request asks for.
constexpr std::uint32_t maximumTicks = 64;

SaverState stateOf(const SaverSession& session)
{
    SaverState state;
    state.timerPeriod = session.timerPeriod();
    state.outbreakOver = session.outbreakOver();
    state.helpShown = session.helpShown();
    state.lastTickDrewNothing = session.lastTickDrewNothing();
    state.frameNumber = session.simulation().frameNumber();
    state.beings = static_cast<std::uint32_t>(session.simulation().population().size());
    state.humans = session.humanCount();
    state.settings = session.settings();
    return state;
}

bool sendState(WorkerContext& context, const SaverSession& session, Answer answer = Answer::State)
{
    WireWriter message;
    writeState(message, stateOf(session));
    return context.send(answer, message);
}

// The frame drawn into memory the host made and presents.
bool resize(SaverSession& session, ChannelMessage& request)
{
    WireReader in(request.payload);
    auto clientWidth = in.within(in.i32(), 1, maximumSide);
    auto clientHeight = in.within(in.i32(), 1, maximumSide);
    auto windowWidth = in.i32();
    auto windowHeight = in.i32();
    if (!in.complete() || request.handles.size() != 1)
        return false;
    std::size_t size = Bitmap::storeSize(*clientWidth, *clientHeight);
    std::string error;
    auto memory = SharedMemory::map(std::move(request.handles.front()), size, error);
    if (!memory)
        return false;
    memory->closeHandle();
    auto shared = std::make_shared<SharedMemory>(std::move(*memory));
    return session.resize(*clientWidth, *clientHeight, *windowWidth, *windowHeight, sharedPixels(shared, size));
}

// The state and the frame's damage in one answer: a display refresh costs the host
// one exchange with the worker. The damage goes as the written rectangles joined
// where they touch on the same rows, top to bottom: the same pixels in fewer
// rectangles, in the order the host's presenter sorts them into anyway.
bool sendDamage(WorkerContext& context, SaverSession& session)
{
    Bitmap& frame = session.frame();
    const DirtyRegion& damage = frame.damage();
    // A frame written all over goes as that, without its runs worked out first.
    const std::vector<Rectangle> rectangles = damage.isEverything() ? std::vector<Rectangle> {} : damage.writtenRuns(0);
    WireWriter message;
    writeState(message, stateOf(session));
    bool everything = damage.isEverything() || rectangles.size() > maximumRectangles;
    message.u8(everything);
    message.u32(everything ? 0 : static_cast<std::uint32_t>(rectangles.size()));
    if (!everything) {
        // Laid out first and added in one piece: a refresh sends about a thousand.
        std::vector<std::int32_t> corners;
        corners.reserve(rectangles.size() * 4);
        for (const Rectangle& area : rectangles)
            corners.insert(corners.end(), { area.left, area.top, area.width, area.height });
        message.i32s(corners);
    }
    frame.clearDamage();
    return context.send(Answer::Damage, message);
}

}

std::string_view saverModeWord(SaverMode mode)
{
    switch (mode) {
    case SaverMode::Window: return "window";
    case SaverMode::FullScreen: return "fullscreen";
    case SaverMode::Preview: return "preview";
    case SaverMode::Hack: return "hack";
    case SaverMode::Headless: return "headless";
    }
    return "window";
}

std::optional<SaverMode> saverModeNamed(std::string_view word)
{
    for (SaverMode mode :
        { SaverMode::Window, SaverMode::FullScreen, SaverMode::Preview, SaverMode::Hack, SaverMode::Headless }) {
        if (saverModeWord(mode) == word)
            return mode;
    }
    return std::nullopt;
}

int serveSaver(WorkerContext& context)
{
    auto mode = context.arguments().size() == 1 ? saverModeNamed(context.arguments()[0]) : std::nullopt;
    if (!mode || !context.start())
        return 2;
    SaverSession session(*mode, context.takeLoader(), Picture::Drawn);
    session.setReporter([&context](std::string_view line) { context.report(line); });
    session.setPictureSaver([&context](std::int32_t frame, std::vector<std::uint8_t> png) {
        WireWriter message;
        message.i32(frame).bytes(png);
        context.send(Answer::Picture, message);
    });
    if (auto failure = startSession(session, *context.start())) {
        WireWriter message;
        message.text(*failure);
        context.send(Answer::Failed, message);
        return 1;
    }
    if (!sendState(context, session, Answer::Ready))
        return 0;

    for (;;) {
        auto request = context.nextRequest();
        if (!request)
            return 0; // the host is gone
        WireReader in(request->payload);
        auto point = [&in]() -> std::optional<std::pair<std::int32_t, std::int32_t>> {
            auto x = in.i32();
            auto y = in.i32();
            if (!in.complete())
                return std::nullopt;
            return std::pair { *x, *y };
        };
        switch (static_cast<Request>(request->type)) {
        case Request::Brains:
            // No answer: the request that needs the files follows.
            if (!context.takeOffer(*request))
                return 2;
            continue;
        case Request::Resize:
            if (!resize(session, *request))
                return 2;
            break;
        case Request::Tick: {
            auto count = in.within(in.u32(), 1u, maximumTicks);
            if (!in.complete())
                return 2;
            for (std::uint32_t i = 0; i < *count; ++i)
                session.tick();
            break;
        }
        case Request::Character: {
            auto typed = in.u8();
            if (!in.complete())
                return 2;
            session.character(static_cast<char>(*typed));
            break;
        }
        case Request::PointerMoved:
        case Request::LeftButton:
        case Request::RightButton:
        case Request::MiddleButton: {
            auto at = point();
            if (!at)
                return 2;
            auto type = static_cast<Request>(request->type);
            if (type == Request::PointerMoved)
                session.pointerMoved(at->first, at->second);
            else if (type == Request::LeftButton)
                session.leftButtonReleased(at->first, at->second);
            else if (type == Request::RightButton)
                session.rightButtonReleased(at->first, at->second);
            else
                session.middleButtonReleased(at->first, at->second);
            break;
        }
        case Request::NewOutbreak: {
            auto seeded = in.within(in.u8(), std::uint8_t { 0 }, std::uint8_t { 1 });
            auto seed = in.u32();
            if (!in.complete())
                return 2;
            session.newOutbreak(*seeded ? std::optional<std::uint32_t>(*seed) : std::nullopt);
            break;
        }
        case Request::Notice: {
            auto notice = in.text(maximumLine);
            if (!in.complete())
                return 2;
            session.setNotice(*notice);
            break;
        }
        case Request::Settings: {
            auto bytes = settingsFileBytes(session.settings());
            WireWriter message;
            message.bytes(bytes);
            if (!context.send(Answer::Settings, message))
                return 0;
            continue;
        }
        case Request::TakeDamage: {
            auto count = in.within(in.u32(), 0u, maximumTicks);
            if (!in.complete())
                return 2;
            for (std::uint32_t i = 0; i < *count; ++i)
                session.tick();
            if (!sendDamage(context, session))
                return 0;
            continue;
        }
        default:
            return 2;
        }
        if (!sendState(context, session))
            return 0;
    }
}

}
