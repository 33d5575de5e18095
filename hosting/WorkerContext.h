#pragma once

#include "hosting/OfferedLibraryLoader.h"
#include "hosting/WorkerControl.h"
#include "hosting/WorkerProtocol.h"
#include "os/Channel.h"
#include "os/SharedMemory.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex::worker {

// What a role of a brain worker works with, inside the sandbox: the channel to its
// host, the control block shared with it, the arguments and outbreak the host sent,
// and the loader that loads only the brain files the host handed over.
class WorkerContext {
public:
    WorkerContext(Channel, SharedMemory control, Role, std::vector<std::string> arguments,
        std::optional<SessionStart>, std::unique_ptr<OfferedLibraryLoader>);

    Role role() const { return m_role; }
    const std::vector<std::string>& arguments() const { return m_arguments; }
    // The saver's outbreak (the saver role only).
    const std::optional<SessionStart>& start() const { return m_start; }
    WorkerControl& control() { return *static_cast<WorkerControl*>(m_control.data()); }

    // The loader, for the one registry the role makes; the context keeps a pointer to
    // it for the host's later offers (takeOffer).
    std::unique_ptr<LibraryLoader> takeLoader();
    // A Brains request: the new offer and its copies go to the loader. False when the
    // message is not what the host sends.
    bool takeOffer(ChannelMessage&);

    // Sends a message to the host; false once the host is gone.
    bool send(Answer, std::span<const std::uint8_t> payload = {});
    bool send(Answer type, const WireWriter& message) { return send(type, message.data()); }
    // A line for the host's reporter.
    void report(std::string_view line);
    // The next request; nothing once the host is gone (or sends what no host sends).
    std::optional<ChannelMessage> nextRequest();
    // Whether the host asked the running run to stop (an interrupt).
    bool stopRequested() { return control().stopRequested.load(std::memory_order_relaxed) != 0; }

private:
    Channel m_channel;
    SharedMemory m_control;
    Role m_role;
    std::vector<std::string> m_arguments;
    std::optional<SessionStart> m_start;
    std::unique_ptr<OfferedLibraryLoader> m_loader;
    OfferedLibraryLoader* m_loaderInUse = nullptr;
};

// The roles a program's worker can play besides the saver (which hosting serves
// itself): each returns the exit status the host reports.
struct Roles {
    std::function<int(WorkerContext&)> run;
    std::function<int(WorkerContext&)> arenaRun;
};

// When the command line is a worker's ("<program> --brain-worker ..."), serves as the
// worker and ends the process with the role's exit status; returns only for any other
// command line. A program calls it first thing in main.
void serveIfWorker(int argc, char** argv, const Roles&);

}
