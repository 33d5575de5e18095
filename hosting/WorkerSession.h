#pragma once

#include "hosting/Sandbox.h"
#include "hosting/Worker.h"
#include "render/Bitmap.h"
#include "session/SaverCommands.h"
#include "session/SaverControl.h"
#include "session/SessionStart.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace shamblex {

// A saver whose outbreak runs in a brain worker: the shells drive it as they drive a
// saver session, each call a request to the worker, and present the frame the worker
// draws into memory they share. The program keeps the display, the files and the
// time: the settings file and pictures are written here, from what the worker sends.
//
// A worker that faults (a brain crashed, exited, made a refused system call or did not
// return in time) is replaced: the fault is reported in one line and shown in the
// status band for a few seconds, and a new outbreak starts in a new worker, with the
// settings the keys had made and without the brain at fault until the next reload.
class WorkerSession final : public SaverControl {
public:
    struct Setup {
        SaverMode mode = SaverMode::Window;
        SessionStart start;
        SandboxSettings sandbox;
        // How long a brain call may run before its brain counts as stuck.
        std::chrono::milliseconds stuckBrainTime { 3000 };
        // Where the session's remarks go, one line each.
        std::function<void(std::string_view)> reporter;
        std::string settingsFile = "zombie.sav";
        // The folder the reload key scans (the start's brain folder when it has one).
        std::string brainFolder = ".";
    };

    // Starts the worker and its first outbreak; the reason when it cannot.
    static std::unique_ptr<WorkerSession> open(Setup, std::string& error);

    // Asked while the worker works: true ends it at once (an interrupt, or a user who
    // wants out of a full-screen saver while a brain hangs), after which the session
    // is abandoned and the saver should end.
    void setGiveUp(std::function<bool()> giveUp) { m_giveUp = std::move(giveUp); }
    bool abandoned() const override { return m_abandoned; }

    void resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
        std::int32_t windowHeight) override;
    void tick() override;
    void character(char) override;
    void pointerMoved(std::int32_t x, std::int32_t y) override;
    void leftButtonReleased(std::int32_t x, std::int32_t y) override;
    void rightButtonReleased(std::int32_t x, std::int32_t y) override;
    void middleButtonReleased(std::int32_t x, std::int32_t y) override;
    std::optional<std::string> close() override;
    // As of the last answer read: up to a refresh's ticks behind.
    bool outbreakOver() const override { return m_state.outbreakOver; }
    std::int32_t humanCount() const override { return m_state.humans; }
    std::int32_t frameNumber() const override { return m_state.frameNumber; }
    bool lastTickDrewNothing() const override { return m_state.lastTickDrewNothing && m_ticksDue == 0; }
    void newOutbreak(std::optional<std::uint32_t> seed) override;
    void setNotice(std::string notice) override;
    int timerPeriod() const override { return m_state.timerPeriod; }
    Bitmap& frame() override;
    std::shared_ptr<const SharedMemory> frameMemory() const override { return m_frameMemory; }
    const std::string& settingsFile() const override { return m_setup.settingsFile; }

    // How long a fault's notice stays in the status band.
    static constexpr std::chrono::seconds noticeTime { 5 };

private:
    explicit WorkerSession(Setup);
    // Starts a worker for a new outbreak with the settings as they stand.
    bool begin(std::string& error);
    // A request whose answer is the state; a fault on the way is recovered from.
    void call(worker::Request, const WireWriter& message = {}, std::vector<NativeHandle> handles = {});
    // Sends a request once the answers still due are in; false (recovered from) when
    // the worker failed.
    bool send(worker::Request, const WireWriter& message = {}, std::vector<NativeHandle> handles = {});
    // Reads the answers still due, or one state.
    bool settle();
    // Sends the ticks due, as one request whose answer is read later.
    bool sendTicks();
    bool takeState();
    // The same for a request about a pixel.
    void callAt(worker::Request, std::int32_t x, std::int32_t y);
    std::optional<ChannelMessage> awaitAnswer();
    bool remark(ChannelMessage&);
    void recover();
    void sendSize();
    void report(const std::string& line) const;

    Setup m_setup;
    std::unique_ptr<Worker> m_worker;
    worker::SaverState m_state;
    // The folder whose brains the outbreak plays, if any were loaded.
    std::optional<std::string> m_brainsFrom;
    std::set<std::string> m_withheld;
    Bitmap m_frame;
    std::shared_ptr<SharedMemory> m_frameMemory; // where m_frame lies, shared with the worker
    std::int32_t m_size[4] = { 0, 0, 0, 0 };
    std::function<bool()> m_giveUp;
    bool m_abandoned = false;
    std::optional<std::chrono::steady_clock::time_point> m_noticeUntil; // while a fault's notice shows
    std::string m_shellNotice; // the shell's, shown when no fault's is
    int m_ticksDue = 0; // ticks not sent yet
    int m_unanswered = 0; // requests sent whose state has not been read yet
    static constexpr int maximumTicksAhead = 8;
};

}
