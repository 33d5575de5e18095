#pragma once

#include "shell/linux/SaverLoop.h"
#include "shell/linux/X11Presenter.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace shamblex {

class Bitmap;

// The saver as an XScreenSaver hack: it draws into a window that the screen-saver
// daemon owns (or the root window), follows that window's size by asking for it,
// takes no input (the daemon ends it with SIGTERM, which the loop sees as an
// interrupt), and leaves the desktop's own screen saver alone. Frames go to the
// server as X11Presenter sends them: only the parts the frame steps wrote.
class X11HackScreen final : public SaverScreen {
public:
    // Opens the display and the window (the root window when none is named); null
    // with the reason in `error` when either cannot be opened.
    static std::unique_ptr<X11HackScreen> open(std::optional<std::uint64_t> windowId, std::string& error);
    ~X11HackScreen() override;

    void begin(SaverControl& session) override { followSize(session); }
    bool handleEvents(SaverControl&) override;
    void waitForEvents(std::chrono::milliseconds) override;
    void present(const Bitmap&, PresentScope, const std::shared_ptr<const SharedMemory>&) override;
    void awaitPresented() override;
    std::chrono::microseconds refreshInterval() const override;

private:
    struct Connection;
    explicit X11HackScreen(std::unique_ptr<Connection>);
    // Asks the window for its size and tells the session when it changed.
    void followSize(SaverControl&);

    std::unique_ptr<Connection> m_x;
    std::unique_ptr<X11Presenter> m_presenter;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::chrono::steady_clock::time_point m_nextSizeCheck;
};

}
