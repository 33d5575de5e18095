#pragma once

#include "session/EndOnInput.h"
#include "shell/linux/LinuxOptions.h"
#include "shell/linux/SaverLoop.h"
#include "shell/linux/X11Presenter.h"

#include <atomic>
#include <memory>
#include <string>

struct SDL_Window;

namespace shamblex {

// The saver in an SDL window: an ordinary resizable window in which every key and
// mouse command works, or a full-screen screen saver that ends on input.
class SdlScreen final : public SaverScreen {
public:
    // Opens the display and the window; null with the reason in `error` when there
    // is no display to open.
    static std::unique_ptr<SdlScreen> open(LinuxMode, std::string& error);
    ~SdlScreen() override;

    void begin(SaverControl& session) override { reportSize(session); }
    bool handleEvents(SaverControl&) override;
    void waitForEvents(std::chrono::milliseconds) override;
    void present(const Bitmap&, PresentScope, const std::shared_ptr<const SharedMemory>&) override;
    void awaitPresented() override;
    std::chrono::microseconds refreshInterval() const override;
    bool wantsPresent() override;
    void end(SaverControl&) override;
    // A closed window, or in full screen any input: read from the display directly.
    bool userWantsOut() override;

private:
    struct Native;
    SdlScreen(SDL_Window*, LinuxMode);
    void reportSize(SaverControl&);
    bool close(SaverControl&);
    bool movedTooFar() const;

    SDL_Window* m_window = nullptr;
    LinuxMode m_mode = LinuxMode::Window;
    bool m_exposed = false;
    std::atomic<bool> m_hadFocus { false }; // read by userWantsOut on a watchdog's thread
    EndOnInput m_endOnInput;
    std::unique_ptr<Native> m_native;
    // Frames go to an X window through this, not through SDL's window surface.
    std::unique_ptr<X11Presenter> m_presenter;
};

}
