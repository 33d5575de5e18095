// The SDL side of the Linux program. SDL delivers typed characters (already shifted
// and laid out), pointer moves and button releases; they become the same session
// calls a Windows saver window makes from its messages.
#include "shell/linux/SdlScreen.h"

#include "render/Bitmap.h"
#include "session/EndOnInput.h"
#include "session/SaverSession.h"
#include "sim/Settings.h"

#include <SDL.h>

#include <cstdio>

namespace shamblex {

namespace {

constexpr int fallbackRefreshRate = 60;

}

std::unique_ptr<SdlScreen> SdlScreen::open(LinuxMode mode, std::string& error)
{
    // An ordinary window must not keep the desktop's own screen saver from starting;
    // the full-screen saver is that screen saver.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, mode == LinuxMode::FullScreen ? "0" : "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string_view(driver) == "dummy" || std::string_view(driver) == "offscreen") {
        error = "no display";
        SDL_Quit();
        return nullptr;
    }
    SDL_Window* window = nullptr;
    if (mode == LinuxMode::FullScreen) {
        // A screen saver covers every monitor: a borderless window over all of them,
        // which needs no window manager's help; on a single monitor it also asks the
        // window manager for the full-screen state, so that no panel stays on top.
        SDL_Rect all { 0, 0, 0, 0 };
        for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
            SDL_Rect bounds;
            if (SDL_GetDisplayBounds(display, &bounds) == 0)
                SDL_UnionRect(&all, &bounds, &all);
        }
        if (SDL_RectEmpty(&all))
            all = { 0, 0, defaultWindowWidth, defaultWindowHeight };
        Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
        if (SDL_GetNumVideoDisplays() == 1)
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        window = SDL_CreateWindow("Shamblex", all.x, all.y, all.w, all.h, flags);
    } else {
        window = SDL_CreateWindow("Shamblex", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, defaultWindowWidth,
            defaultWindowHeight, SDL_WINDOW_RESIZABLE);
    }
    if (!window) {
        error = SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    auto screen = std::unique_ptr<SdlScreen>(new SdlScreen(window, mode));
    if (mode == LinuxMode::FullScreen) {
        SDL_ShowCursor(SDL_DISABLE);
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        screen->m_endOnInput = EndOnInput(x, y);
    }
    return screen;
}

SdlScreen::SdlScreen(SDL_Window* window, LinuxMode mode)
    : m_window(window)
    , m_mode(mode)
{
}

SdlScreen::~SdlScreen()
{
    SDL_DestroyWindow(m_window);
    SDL_Quit();
}

void SdlScreen::reportSize(SaverSession& session)
{
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(m_window, &width, &height);
    // The window's rectangle includes the frame the window manager draws around it.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(m_window, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    session.resize(width, height, width + left + right, height + top + bottom);
    m_exposed = true;
}

bool SdlScreen::movedTooFar() const
{
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return m_endOnInput.ends(UserInput::PointerMove, x, y);
}

bool SdlScreen::end(SaverSession& session)
{
    // A failure to write the settings never stops the close.
    if (auto error = session.close())
        std::fprintf(stderr, "shamblex: cannot write the settings to '%s': %s\n", session.settingsFile().c_str(),
            error->c_str());
    return false;
}

bool SdlScreen::handleEvents(SaverSession& session)
{
    const bool fullScreen = m_mode == LinuxMode::FullScreen;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            return end(session);
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                return end(session);
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                reportSize(session);
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                m_exposed = true;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                m_hadFocus = true;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                // Like a platform screen saver, the full-screen saver ends when
                // another window takes over.
                if (fullScreen && m_hadFocus)
                    return end(session);
                break;
            default:
                break;
            }
            break;
        case SDL_TEXTINPUT:
            if (!fullScreen) {
                for (const char* c = event.text.text; *c; ++c) {
                    if (static_cast<unsigned char>(*c) < 0x80)
                        session.character(*c);
                }
            }
            break;
        case SDL_KEYDOWN:
        case SDL_MOUSEBUTTONDOWN:
            if (fullScreen)
                return end(session);
            break;
        case SDL_MOUSEMOTION:
            if (fullScreen) {
                if (movedTooFar())
                    return end(session);
            } else {
                session.pointerMoved(event.motion.x, event.motion.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (fullScreen)
                break;
            if (event.button.button == SDL_BUTTON_LEFT)
                session.leftButtonReleased(event.button.x, event.button.y);
            else if (event.button.button == SDL_BUTTON_RIGHT)
                session.rightButtonReleased(event.button.x, event.button.y);
            break;
        default:
            break;
        }
    }
    return true;
}

void SdlScreen::waitForEvents(std::chrono::milliseconds timeout)
{
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout.count()));
}

void SdlScreen::present(const Bitmap& frame)
{
    if (frame.isEmpty())
        return;
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target)
        return;
    // SDL reads the frame's pixels in place; its 24-bit BGR format is the frame's layout.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(frame.bits()), frame.width(),
        frame.height(), 24, frame.rowStride(), SDL_PIXELFORMAT_BGR24);
    if (!source)
        return;
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(m_window);
}

std::chrono::microseconds SdlScreen::refreshInterval() const
{
    SDL_DisplayMode mode;
    int rate = fallbackRefreshRate;
    if (SDL_GetWindowDisplayMode(m_window, &mode) == 0 && mode.refresh_rate > 0)
        rate = mode.refresh_rate;
    return std::chrono::microseconds(1'000'000 / rate);
}

bool SdlScreen::wantsPresent()
{
    bool exposed = m_exposed;
    m_exposed = false;
    return exposed;
}

}
