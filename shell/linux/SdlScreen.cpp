// The SDL side of the Linux program. SDL delivers typed characters (already shifted
// and laid out), pointer moves and button releases; they become the same session
// calls a Windows saver window makes from its messages. On X11, frames go to the
// window through X11Presenter (the server reads a worker's frame where it was drawn)
// and the loop sleeps on the display connection itself; elsewhere (Wayland) through
// SDL's window surface.
#include "shell/linux/SdlScreen.h"

#include "render/Bitmap.h"
#include "render/XrgbConversion.h"
#include "session/SaverControl.h"
#include "sim/Settings.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>
#include <poll.h>
#include <vector>

namespace shamblex {

namespace {

constexpr int fallbackRefreshRate = 60;

}

// The window as the X server knows it, for the watchdog's look at its events. SDL
// may replace the X window behind an SDL window (when it changes how it draws), so
// the program's thread keeps the id current; the watchdog only reads it.
struct SdlScreen::Native {
    Display* display = nullptr;
    std::atomic<Window> window { 0 };
    Atom protocols = 0;
    Atom deleteWindow = 0;

    void follow(SDL_Window* sdlWindow)
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(sdlWindow, &info) && info.subsystem == SDL_SYSWM_X11)
            window.store(info.info.x11.window);
    }
};

std::unique_ptr<SdlScreen> SdlScreen::open(LinuxMode mode, std::string& error)
{
    // The watchdog reads the window's events while the program's thread is stuck in
    // a brain: Xlib must lock its connections, which it does only when told before
    // its first call.
    XInitThreads();
    // An ordinary window must not keep the desktop's own screen saver from starting;
    // the full-screen saver is that screen saver. Interrupts are the program's own.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, mode == LinuxMode::FullScreen ? "0" : "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window's surface is the X server's own image, sent through shared memory:
    // the frame is drawn in software anyway, and a GL renderer in between (a software
    // one on a display without a GPU) would cost far more than the drawing.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        screen->m_native->display = info.info.x11.display;
        screen->m_native->window.store(info.info.x11.window);
        screen->m_native->protocols = XInternAtom(info.info.x11.display, "WM_PROTOCOLS", False);
        screen->m_native->deleteWindow = XInternAtom(info.info.x11.display, "WM_DELETE_WINDOW", False);
        screen->m_presenter = X11Presenter::open(info.info.x11.display, info.info.x11.window);
    }
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
    , m_native(std::make_unique<Native>())
{
}

SdlScreen::~SdlScreen()
{
    // The presenter's resources live on SDL's display connection.
    m_presenter.reset();
    SDL_DestroyWindow(m_window);
    SDL_Quit();
}

void SdlScreen::reportSize(SaverControl& session)
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

bool SdlScreen::close(SaverControl& session)
{
    // A failure to write the settings never stops the close.
    if (auto error = session.close())
        std::fprintf(stderr, "shamblex: cannot write the settings to '%s': %s\n", session.settingsFile().c_str(),
            error->c_str());
    return false;
}

void SdlScreen::end(SaverControl& session)
{
    close(session);
}

bool SdlScreen::handleEvents(SaverControl& session)
{
    m_native->follow(m_window);
    const bool fullScreen = m_mode == LinuxMode::FullScreen;
    SDL_Event event;
    // One look at the display connection a wake-up: polling for each event would ask
    // the connection again every time, mostly to hear that nothing more came.
    SDL_PumpEvents();
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
        case SDL_QUIT:
            return close(session);
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                return close(session);
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
                if (fullScreen && m_hadFocus && m_endOnInput.ends(UserInput::FocusLost))
                    return close(session);
                break;
            default:
                break;
            }
            break;
        case SDL_TEXTINPUT:
            // Full screen, the session runs no command; the key itself ends the saver.
            for (const char* c = event.text.text; *c; ++c) {
                if (static_cast<unsigned char>(*c) < 0x80)
                    session.character(*c);
            }
            break;
        case SDL_KEYDOWN:
            if (fullScreen && m_endOnInput.ends(UserInput::Key))
                return close(session);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (fullScreen && m_endOnInput.ends(UserInput::Button))
                return close(session);
            break;
        case SDL_MOUSEMOTION:
            if (fullScreen) {
                if (movedTooFar())
                    return close(session);
            } else {
                session.pointerMoved(event.motion.x, event.motion.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT)
                session.leftButtonReleased(event.button.x, event.button.y);
            else if (event.button.button == SDL_BUTTON_RIGHT)
                session.rightButtonReleased(event.button.x, event.button.y);
            else if (event.button.button == SDL_BUTTON_MIDDLE)
                session.middleButtonReleased(event.button.x, event.button.y);
            break;
        default:
            break;
        }
    }
    return true;
}

void SdlScreen::waitForEvents(std::chrono::milliseconds timeout)
{
    Display* display = m_native->display;
    if (!display) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout.count()));
        return;
    }
    // SDL's own wait asks the connection over and over; one poll of it is enough,
    // unless events were already read off it.
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || XEventsQueued(display, QueuedAlready) > 0)
        return;
    XFlush(display);
    pollfd connection { ConnectionNumber(display), POLLIN, 0 };
    poll(&connection, 1, static_cast<int>(timeout.count()));
}

void SdlScreen::awaitPresented()
{
    if (m_presenter)
        m_presenter->awaitRead();
}

void SdlScreen::present(const Bitmap& frame, PresentScope scope, const std::shared_ptr<const SharedMemory>& memory)
{
    if (frame.isEmpty())
        return;
    if (m_presenter) {
        // SDL may have put another X window behind the SDL window.
        const Window window = m_native->window.load();
        if (m_presenter->window() != window)
            m_presenter = X11Presenter::open(m_native->display, window);
        if (m_presenter) {
            m_presenter->present(frame, scope == PresentScope::Everything, memory);
            return;
        }
    }
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target)
        return;
    // SDL reads the frame's pixels in place; its 32-bit XRGB format is the frame's
    // layout. Only the rectangles asked for are copied and sent to the display.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(frame.bits()), frame.width(),
        frame.height(), Bitmap::bitsPerPixel, frame.rowStride(), SDL_PIXELFORMAT_RGB888);
    if (!source)
        return;
    std::vector<SDL_Rect> areas;
    if (scope == PresentScope::Everything) {
        areas.push_back({ 0, 0, frame.width(), frame.height() });
    } else {
        for (const Rectangle& area : frame.damage().rectangles())
            areas.push_back({ area.left, area.top, area.width, area.height });
    }
    // The usual X11 surface is 32-bit XRGB, converted into here; any other format goes
    // through SDL's blitter.
    const bool xrgb = target->format->format == SDL_PIXELFORMAT_RGB888
        || target->format->format == SDL_PIXELFORMAT_ARGB8888;
    if (xrgb && target->w >= frame.width() && target->h >= frame.height() && SDL_LockSurface(target) == 0) {
        // Only the pixels written are converted; the display then copies the tiles
        // around them, which hold the same pixels as before elsewhere.
        const Rectangle everything { 0, 0, frame.width(), frame.height() };
        const std::vector<Rectangle> written = scope == PresentScope::Everything
            ? std::vector<Rectangle> { everything }
            : frame.damage().writtenRectangles();
        convertToXrgb(frame, written, static_cast<std::uint8_t*>(target->pixels),
            static_cast<std::size_t>(target->pitch), 0xFF);
        SDL_UnlockSurface(target);
    } else {
        for (SDL_Rect& area : areas) {
            SDL_Rect to = area;
            SDL_BlitSurface(source, &area, target, &to);
        }
    }
    SDL_FreeSurface(source);
    if (!areas.empty())
        SDL_UpdateWindowSurfaceRects(m_window, areas.data(), static_cast<int>(areas.size()));
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

namespace {

struct EndingEvents {
    Window window;
    Atom protocols;
    Atom deleteWindow;
    bool fullScreen;
    const EndOnInput* endOnInput;
    bool hadFocus; // as the window's events so far tell
};

// A focus change of the window's own, as SDL counts them: not a grab's (a global hot
// key), nor one that moves within the window or only says where the pointer is (a
// new full-screen window gets such a focus-out while it is set up).
bool ownFocusChange(const XFocusChangeEvent& focus)
{
    return focus.mode != NotifyGrab && focus.mode != NotifyUngrab && focus.detail != NotifyInferior
        && focus.detail != NotifyPointer;
}

// Picks, from the display's queue, an event by which the saver ends: the window
// closed or destroyed, or in full screen any input.
Bool isEndingEvent(Display*, XEvent* event, XPointer argument)
{
    auto& wanted = *reinterpret_cast<EndingEvents*>(argument);
    switch (event->type) {
    case ClientMessage:
        return event->xclient.window == wanted.window && event->xclient.message_type == wanted.protocols
            && static_cast<Atom>(event->xclient.data.l[0]) == wanted.deleteWindow;
    case DestroyNotify:
        return event->xdestroywindow.window == wanted.window;
    case KeyPress:
        return wanted.fullScreen && wanted.endOnInput->ends(UserInput::Key);
    case ButtonPress:
        return wanted.fullScreen && wanted.endOnInput->ends(UserInput::Button);
    case MotionNotify:
        return wanted.fullScreen
            && wanted.endOnInput->ends(UserInput::PointerMove, event->xmotion.x_root, event->xmotion.y_root);
    case FocusIn:
        wanted.hadFocus = wanted.hadFocus || ownFocusChange(event->xfocus);
        return False;
    case FocusOut:
        // Like the events the program reads itself: only a window that had the focus
        // can lose it.
        return wanted.fullScreen && wanted.hadFocus && ownFocusChange(event->xfocus)
            && wanted.endOnInput->ends(UserInput::FocusLost);
    default:
        return False;
    }
}

}

bool SdlScreen::userWantsOut()
{
    if (!m_native->display)
        return false;
    EndingEvents wanted { 0, m_native->protocols, m_native->deleteWindow, m_mode == LinuxMode::FullScreen,
        &m_endOnInput, m_hadFocus.load() };
    wanted.window = m_native->window.load();
    XEvent event;
    return XCheckIfEvent(m_native->display, &event, isEndingEvent, reinterpret_cast<XPointer>(&wanted));
}

}
