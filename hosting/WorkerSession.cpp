#include "hosting/WorkerSession.h"

#include "base/Text.h"
#include "hosting/WorkerSaver.h"
#include "os/SharedMemory.h"
#include "session/SaverSession.h"
#include "session/SharedPixels.h"

#include <limits>
#include <mutex>
#include <thread>

namespace shamblex {

namespace {

using Clock = std::chrono::steady_clock;

// Notes about the sandbox are said once per program, however many workers start.
bool firstTimeSaid(const std::string& line)
{
    static std::mutex guard;
    static std::set<std::string> said;
    std::lock_guard lock(guard);
    return said.insert(line).second;
}

}

WorkerSession::WorkerSession(Setup setup)
    : m_setup(std::move(setup))
{
    m_brainsFrom = m_setup.start.settings.brainsDirectory;
    if (m_brainsFrom)
        m_setup.brainFolder = *m_brainsFrom;
    if (m_setup.start.timerPeriod)
        m_state.timerPeriod = *m_setup.start.timerPeriod;
}

std::unique_ptr<WorkerSession> WorkerSession::open(Setup setup, std::string& error)
{
    std::unique_ptr<WorkerSession> session(new WorkerSession(std::move(setup)));
    if (!session->begin(error))
        return nullptr;
    return session;
}

bool WorkerSession::begin(std::string& error)
{
    Worker::Setup setup;
    setup.role = worker::Role::Saver;
    setup.arguments = { std::string(worker::saverModeWord(m_setup.mode)) };
    setup.start = m_setup.start;
    setup.start->settings.brainsDirectory = m_brainsFrom;
    setup.sandbox = m_setup.sandbox;
    setup.brainFolder = m_brainsFrom;
    setup.withheld = m_withheld;
    m_worker = Worker::start(setup, error);
    if (!m_worker)
        return false;
    auto answer = awaitAnswer();
    if (!answer) {
        error = m_worker->fault() ? m_worker->fault()->describe() : "the brain worker did not start";
        return false;
    }
    WireReader in(answer->payload);
    if (answer->type == static_cast<std::uint32_t>(worker::Answer::Failed)) {
        error = singleLine(in.text(worker::maximumLine).value_or("the outbreak could not start"));
        return false;
    }
    auto state = answer->type == static_cast<std::uint32_t>(worker::Answer::Ready) ? worker::readState(in) : std::nullopt;
    if (!state || !in.complete()) {
        m_worker->condemn("answered its start with what no worker answers");
        error = m_worker->fault()->describe();
        return false;
    }
    m_state = *state;
    return true;
}

void WorkerSession::report(const std::string& line) const
{
    if (m_setup.reporter)
        m_setup.reporter(singleLine(line));
}

bool WorkerSession::remark(ChannelMessage& message)
{
    WireReader in(message.payload);
    switch (static_cast<worker::Answer>(message.type)) {
    case worker::Answer::Report: {
        auto line = in.text(worker::maximumLine);
        if (!in.complete())
            return false;
        if (line->rfind("sandbox: ", 0) != 0 || firstTimeSaid(*line))
            report(*line);
        return true;
    }
    case worker::Answer::Picture: {
        auto frame = in.within(in.i32(), 0, std::numeric_limits<std::int32_t>::max());
        auto png = in.bytes(worker::maximumMessage);
        if (!in.complete())
            return false;
        report(savePicture(m_setup.settingsFile, *frame, *png));
        return true;
    }
    default:
        return false;
    }
}

std::optional<ChannelMessage> WorkerSession::awaitAnswer()
{
    Worker::Wait wait;
    wait.patience = m_setup.stuckBrainTime;
    wait.giveUp = m_giveUp;
    wait.remark = [this](ChannelMessage& message) { return remark(message); };
    // A claim can name no frame beyond what the steps asked for could reach.
    m_worker->setClaimBounds(m_state.frameNumber + SaverSession::longFastForward + 1,
        m_state.beings + SaverSession::beingStep + 1);
    return m_worker->await(wait);
}

bool WorkerSession::takeState()
{
    if (auto answer = awaitAnswer()) {
        WireReader in(answer->payload);
        auto state = answer->type == static_cast<std::uint32_t>(worker::Answer::State) ? worker::readState(in)
                                                                                         : std::nullopt;
        if (state && in.complete()) {
            m_state = *state;
            return true;
        }
        m_worker->condemn("answered with what no worker answers");
    }
    return false;
}

bool WorkerSession::settle()
{
    for (; m_unanswered > 0; --m_unanswered) {
        if (!takeState()) {
            m_unanswered = 0;
            return false;
        }
    }
    return true;
}

bool WorkerSession::send(worker::Request type, const WireWriter& message, std::vector<NativeHandle> handles)
{
    if (m_abandoned)
        return false;
    if (!m_worker || !m_worker->alive() || !sendTicks() || !settle()
        || !m_worker->request(type, message, std::move(handles))) {
        recover();
        return false;
    }
    return true;
}

bool WorkerSession::sendTicks()
{
    if (m_ticksDue == 0)
        return true;
    WireWriter count;
    count.u32(static_cast<std::uint32_t>(m_ticksDue));
    m_ticksDue = 0;
    if (!m_worker->request(worker::Request::Tick, count))
        return false;
    ++m_unanswered;
    return true;
}

void WorkerSession::call(worker::Request type, const WireWriter& message, std::vector<NativeHandle> handles)
{
    if (send(type, message, std::move(handles)) && !takeState())
        recover();
}

void WorkerSession::recover()
{
    const std::optional<WorkerFault> fault = m_worker ? m_worker->fault() : std::nullopt;
    if (fault && fault->interrupted) {
        // Given up while a brain hung: the saver ends, and says whose doing it was.
        if (fault->inCall && !fault->brain.empty())
            report(fault->describe());
        m_abandoned = true;
        return;
    }
    std::string line = fault ? fault->describe() : "the brain worker could not be started";
    // A brain at fault sits out until the next reload; when none can be named, all do,
    // so that a new worker cannot fall the same way again and again.
    std::string without;
    if (fault && !fault->brain.empty()) {
        m_withheld.insert(fault->brain);
        without = "without brain '" + fault->brain + "'";
    } else if (m_brainsFrom) {
        m_brainsFrom.reset();
        without = "without brains";
    }
    report(line + "; a new outbreak starts" + (without.empty() ? "" : " " + without));

    m_worker.reset();
    m_unanswered = 0;
    m_ticksDue = 0;
    std::string error;
    m_setup.start.restored = m_state.settings;
    m_setup.start.timerPeriod = m_state.timerPeriod;
    m_setup.start.settings.seed.reset();
    m_setup.start.pinSerial.reset();
    m_setup.start.reportSkipped = false;
    if (!begin(error)) {
        report("the saver cannot go on: " + error);
        m_worker.reset();
        m_abandoned = true;
        return;
    }
    sendSize();
    WireWriter notice;
    notice.text(fault && !fault->brain.empty() ? "brain '" + fault->brain + "' " + fault->what : "a brain worker failed");
    m_noticeUntil = Clock::now() + noticeTime;
    call(worker::Request::Notice, notice);
}

void WorkerSession::sendSize()
{
    if (m_size[0] <= 0 || m_size[1] <= 0)
        return;
    std::size_t size = Bitmap::storeSize(m_size[0], m_size[1]);
    std::string error;
    auto memory = SharedMemory::create(size, error);
    if (!memory) {
        report("no memory for a frame of " + std::to_string(m_size[0]) + "x" + std::to_string(m_size[1]) + ": " + error);
        return;
    }
    auto shared = std::make_shared<SharedMemory>(std::move(*memory));
    if (!m_frame.create(m_size[0], m_size[1], sharedPixels(shared, size)))
        return;
    m_frameMemory = shared;
    WireWriter message;
    message.i32(m_size[0]).i32(m_size[1]).i32(m_size[2]).i32(m_size[3]);
    call(worker::Request::Resize, message, { shared->handle() });
}

void WorkerSession::resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
    std::int32_t windowHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    m_size[0] = clientWidth;
    m_size[1] = clientHeight;
    m_size[2] = windowWidth;
    m_size[3] = windowHeight;
    sendSize();
}

void WorkerSession::tick()
{
    if (m_noticeUntil && Clock::now() >= *m_noticeUntil) {
        m_noticeUntil.reset();
        WireWriter shell;
        shell.text(m_shellNotice);
        call(worker::Request::Notice, shell);
    }
    // Ticks go together with the next request (once a refresh, the frame's damage),
    // in one message, and their answer is read with that request's: a refresh's ticks
    // cost one exchange with the worker, not one each.
    if (m_abandoned)
        return;
    if (++m_ticksDue >= maximumTicksAhead && m_worker && m_worker->alive() && (!sendTicks() || !settle()))
        recover();
}

void WorkerSession::character(char typed)
{
    const SaverCommand* command = SaverSession::keyCommand(m_setup.mode, typed);
    if (command && command->rescansBrains) {
        // The worker scans nothing itself: it is handed the folder's files first. A
        // reload gives every brain its chance again.
        m_withheld.clear();
        m_brainsFrom = m_setup.brainFolder;
        if (m_worker && m_worker->alive()
            && (!sendTicks() || !settle() || !m_worker->offerBrains(m_setup.brainFolder, m_withheld))) {
            recover();
            return;
        }
    }
    WireWriter message;
    message.u8(static_cast<std::uint8_t>(typed));
    call(worker::Request::Character, message);
}

void WorkerSession::callAt(worker::Request type, std::int32_t x, std::int32_t y)
{
    WireWriter message;
    message.i32(x).i32(y);
    call(type, message);
}

void WorkerSession::pointerMoved(std::int32_t x, std::int32_t y)
{
    callAt(worker::Request::PointerMoved, x, y);
}

void WorkerSession::leftButtonReleased(std::int32_t x, std::int32_t y)
{
    callAt(worker::Request::LeftButton, x, y);
}

void WorkerSession::rightButtonReleased(std::int32_t x, std::int32_t y)
{
    callAt(worker::Request::RightButton, x, y);
}

void WorkerSession::middleButtonReleased(std::int32_t x, std::int32_t y)
{
    callAt(worker::Request::MiddleButton, x, y);
}

std::optional<std::string> WorkerSession::close()
{
    // The settings as the last answer left them: a worker that has gone cannot lose them.
    return saveSettings(m_state.settings, m_setup.settingsFile);
}

void WorkerSession::newOutbreak(std::optional<std::uint32_t> seed)
{
    WireWriter message;
    message.u8(seed ? 1 : 0).u32(seed.value_or(0));
    call(worker::Request::NewOutbreak, message);
}

void WorkerSession::setNotice(std::string notice)
{
    m_shellNotice = std::move(notice);
    if (m_noticeUntil)
        return; // a brain's fault is shown first; the shell's comes back after it
    WireWriter message;
    message.text(m_shellNotice.substr(0, worker::maximumLine));
    call(worker::Request::Notice, message);
}

Bitmap& WorkerSession::frame()
{
    if (m_abandoned || !m_worker || !m_worker->alive() || m_frame.isEmpty())
        return m_frame;
    // The ticks due go with the request; its one answer brings the state and the
    // damage.
    WireWriter ticks;
    ticks.u32(static_cast<std::uint32_t>(m_ticksDue));
    m_ticksDue = 0;
    if (!settle() || !m_worker->request(worker::Request::TakeDamage, ticks)) {
        recover();
        return m_frame;
    }
    auto answer = awaitAnswer();
    if (!answer) {
        recover();
        return m_frame;
    }
    // The worker, which woke this thread on its own core, is usually still finishing
    // its send there. Letting it reach its sleep first means that the display server
    // (woken next, by the present) is placed on that core, beside the pixels the
    // worker has just written, instead of fetching them from the other core's cache:
    // the server's copy cost about a third less with the shipped brains.
    std::this_thread::yield();
    WireReader in(answer->payload);
    bool wellFormed = answer->type == static_cast<std::uint32_t>(worker::Answer::Damage);
    auto state = wellFormed ? worker::readState(in) : std::nullopt;
    auto everything = in.u8();
    auto count = in.within(in.u32(), 0u, static_cast<std::uint32_t>(worker::maximumRectangles));
    wellFormed = wellFormed && state && count;
    std::vector<Rectangle> areas;
    areas.reserve(wellFormed ? *count : 0);
    for (std::uint32_t i = 0; wellFormed && i < *count; ++i) {
        auto left = in.i32();
        auto top = in.i32();
        auto width = in.i32();
        auto height = in.i32();
        if (in.failed())
            break;
        areas.push_back({ *left, *top, *width, *height });
    }
    if (!wellFormed || !in.complete()) {
        m_worker->condemn("answered with damage that is no damage");
        recover();
        return m_frame;
    }
    m_state = *state;
    // Rectangles outside the frame are clipped by the damage itself.
    if (*everything)
        m_frame.markAllDamaged();
    m_frame.markDamagedRuns(areas);
    return m_frame;
}

}
