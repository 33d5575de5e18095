#pragma once

#include "hosting/BrainShelf.h"
#include "hosting/Sandbox.h"
#include "hosting/WorkerControl.h"
#include "hosting/WorkerProtocol.h"
#include "os/Channel.h"
#include "os/Process.h"
#include "os/SharedMemory.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace shamblex {

// What ended a brain worker before it said it was done, and whose doing it was, as
// far as the host can tell. The brain, frame and being come from the worker's
// control block, and so from the worker: they are named only when they name a brain
// the host handed over, a frame the outbreak can have reached and a being it can hold.
struct WorkerFault {
    std::string brain; // the brain's name; empty when no brain can be named
    std::string fileName; // its library file's name
    std::int32_t library = -1;
    std::int32_t frame = 0; // loadingFrame while the brain's library loaded
    std::uint32_t being = 0;
    std::uint64_t call = 0; // the call's number, counted as the worker counts calls and loads
    std::string what; // "crashed (segmentation fault)", "made a forbidden system call (socket)", ...
    bool interrupted = false; // the host ended it on an interrupt or a user's request
    bool stuck = false; // a brain call did not return in time
    bool inCall = true; // false: it happened outside a call (a thread the brain started)

    // "brain 'NAME' WHAT in frame F, being I" (or "... while it was loaded"), or, with no
    // brain to name, "the brain worker WHAT".
    std::string describe() const;
};

// One brain worker as its host sees it: the process, the channel, the control block
// and the brain files handed over. The host sends requests and awaits answers; a
// worker that ends, hangs in a brain, or sends what no worker sends is at fault, and
// the fault says why. Nothing a worker sends can crash, hang or swell the host.
class Worker {
public:
    struct Setup {
        worker::Role role = worker::Role::Saver;
        std::vector<std::string> arguments;
        std::optional<SessionStart> start;
        SandboxSettings sandbox;
        // The brain folder scanned for the first offer (none: no brains at first), and
        // brains left out of it.
        std::optional<std::string> brainFolder;
        std::set<std::string> withheld;
        // The worker's standard output and error go to ours, up to a limit; otherwise
        // they are read and dropped.
        bool forwardOutput = true;
    };

    // Starts the worker and hands it its setup; the reason when it cannot start.
    static std::unique_ptr<Worker> start(const Setup&, std::string& error);
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Sends a request; false when the worker is gone (fault() then says why).
    bool request(worker::Request, const WireWriter& message = {}, std::vector<NativeHandle> handles = {});

    struct Wait {
        // The whole wait ends here (an arena run's time limit), as a fault.
        std::optional<std::chrono::steady_clock::time_point> deadline;
        // A brain call that runs this long without another call starting is stuck.
        std::optional<std::chrono::milliseconds> patience;
        // Asked several times a second: true ends the worker at once (an interrupt, a
        // user who wants out), with this said of a brain caught in a call.
        std::function<bool()> giveUp;
        std::string givenUpInCall = "did not return";
        // Messages that are no answer (reports, pictures, outputs); false when one is
        // malformed, which is the worker's fault.
        std::function<bool(ChannelMessage&)> remark;
    };
    // The worker's next answer; none when it is gone or at fault (fault() says why).
    std::optional<ChannelMessage> await(const Wait&);

    // After the worker said it is done with `status`: waits for it to end and checks
    // that it ended so, outside any brain call. False, with the fault, when it did not
    // (a brain that forged the worker's last words and then exited).
    bool finished(std::int32_t status);

    // Hands the worker the brain files of a new scan of the folder.
    bool offerBrains(const std::string& folder, const std::set<std::string>& withheld);

    // Ends the worker at once as at fault, for a reason the host found (a malformed
    // answer).
    void condemn(const std::string& what);
    const std::optional<WorkerFault>& fault() const { return m_fault; }
    bool alive() const { return !m_fault && m_process.running(); }

    // Upper bounds of the frame and being a claim may name.
    void setClaimBounds(std::int32_t frames, std::uint32_t beings);

    WorkerControl& control() { return *static_cast<WorkerControl*>(m_control.data()); }
    const BrainShelf& shelf() const { return *m_shelf; }

private:
    Worker() = default;
    void drain(NativeHandle pipe);
    // Builds the fault from the way the process ended and the control block.
    void judge(const Process::Ending&, const std::string& how, bool interrupted, bool stuck);
    void endNow(const std::string& how, bool interrupted, bool stuck);

    Process m_process;
    Channel m_channel;
    SharedMemory m_control;
    std::unique_ptr<BrainShelf> m_shelf;
    bool m_forward = true;
    std::vector<std::thread> m_drains;
    std::optional<WorkerFault> m_fault;
    std::int32_t m_frameBound = std::numeric_limits<std::int32_t>::max();
    std::uint32_t m_beingBound = std::numeric_limits<std::uint32_t>::max();
};

}
