#include "shell/linux/X11HackScreen.h"

#include "render/Bitmap.h"
#include "session/SaverControl.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <poll.h>

namespace shamblex {

namespace {

// The window may vanish under us (the daemon destroys it): an X error must not end
// the process; the next size check finds the window gone and ends the saver.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// A foreign window sends no resize events; its size is asked for this often.
constexpr std::chrono::milliseconds sizeCheckInterval { 250 };
constexpr int hackRefreshRate = 60;

std::string hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

}

struct X11HackScreen::Connection {
    Display* display = nullptr;
    Window window = 0;
};

std::unique_ptr<X11HackScreen> X11HackScreen::open(std::optional<std::uint64_t> windowId, std::string& error)
{
    auto x = std::make_unique<Connection>();
    x->display = XOpenDisplay(nullptr);
    if (!x->display) {
        const char* name = XDisplayName(nullptr);
        error = std::string("cannot open the display '") + (name ? name : "") + "'";
        return nullptr;
    }
    XSetErrorHandler(ignoreXError);
    x->window = windowId ? static_cast<Window>(*windowId) : DefaultRootWindow(x->display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x->display, x->window, &attributes)) {
        error = "there is no window " + hex(x->window) + " on the display '" + DisplayString(x->display) + "'";
        XCloseDisplay(x->display);
        return nullptr;
    }
    return std::unique_ptr<X11HackScreen>(new X11HackScreen(std::move(x)));
}

X11HackScreen::X11HackScreen(std::unique_ptr<Connection> connection)
    : m_x(std::move(connection))
{
}

X11HackScreen::~X11HackScreen()
{
    m_presenter.reset();
    XCloseDisplay(m_x->display);
}

void X11HackScreen::followSize(SaverControl& session)
{
    m_nextSizeCheck = std::chrono::steady_clock::now() + sizeCheckInterval;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_x->display, m_x->window, &attributes)) {
        m_width = m_height = -1; // gone
        return;
    }
    if (attributes.width != m_width || attributes.height != m_height) {
        m_width = attributes.width;
        m_height = attributes.height;
        session.resize(m_width, m_height, m_width, m_height);
    }
}

bool X11HackScreen::handleEvents(SaverControl& session)
{
    while (XPending(m_x->display)) {
        XEvent event;
        XNextEvent(m_x->display, &event);
    }
    if (std::chrono::steady_clock::now() >= m_nextSizeCheck)
        followSize(session);
    return m_width >= 0;
}

void X11HackScreen::waitForEvents(std::chrono::milliseconds timeout)
{
    XFlush(m_x->display);
    pollfd connection { ConnectionNumber(m_x->display), POLLIN, 0 };
    poll(&connection, 1, static_cast<int>(timeout.count()));
}

void X11HackScreen::awaitPresented()
{
    if (m_presenter)
        m_presenter->awaitRead();
}

void X11HackScreen::present(const Bitmap& frame, PresentScope scope, const std::shared_ptr<const SharedMemory>& memory)
{
    if (!m_presenter)
        m_presenter = X11Presenter::open(m_x->display, m_x->window);
    if (m_presenter)
        m_presenter->present(frame, scope == PresentScope::Everything, memory);
}

std::chrono::microseconds X11HackScreen::refreshInterval() const
{
    return std::chrono::microseconds(1'000'000 / hackRefreshRate);
}

}
