#include "shell/linux/X11HackScreen.h"

#include "render/Bitmap.h"
#include "session/SaverSession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <optional>
#include <cstring>
#include <poll.h>

namespace shamblex {

namespace {

// The daemon ends its hack with SIGTERM; the loop notices and returns.
volatile std::sig_atomic_t terminationRequested = 0;

void requestTermination(int)
{
    terminationRequested = 1;
}

// The window may vanish under us (the daemon destroys it): an X error must not end
// the process; the next size check finds the window gone and ends the saver.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// A foreign window sends no resize events; its size is asked for this often.
constexpr std::chrono::milliseconds sizeCheckInterval { 250 };
constexpr int hackRefreshRate = 60;

// An 8-bit channel placed under a visual's colour mask, its top bit on the mask's.
unsigned long placeChannel(std::uint8_t value, unsigned long mask)
{
    if (!mask)
        return 0;
    int top = 0;
    for (unsigned long rest = mask; rest > 1; rest >>= 1)
        ++top;
    int shift = top - 7;
    unsigned long placed = shift >= 0 ? static_cast<unsigned long>(value) << shift : value >> -shift;
    return placed & mask;
}

}

struct X11HackScreen::Connection {
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
};

std::unique_ptr<X11HackScreen> X11HackScreen::open(std::optional<std::uint64_t> windowId, std::string& error)
{
    auto x = std::make_unique<Connection>();
    x->display = XOpenDisplay(nullptr);
    if (!x->display) {
        error = "no display";
        return nullptr;
    }
    XSetErrorHandler(ignoreXError);
    x->window = windowId ? static_cast<Window>(*windowId) : DefaultRootWindow(x->display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x->display, x->window, &attributes)) {
        error = "no window " + std::to_string(x->window) + " on the display";
        XCloseDisplay(x->display);
        return nullptr;
    }
    x->visual = attributes.visual;
    x->depth = attributes.depth;
    x->gc = XCreateGC(x->display, x->window, 0, nullptr);

    struct sigaction action {};
    action.sa_handler = requestTermination;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return std::unique_ptr<X11HackScreen>(new X11HackScreen(std::move(x)));
}

X11HackScreen::X11HackScreen(std::unique_ptr<Connection> connection)
    : m_x(std::move(connection))
{
}

X11HackScreen::~X11HackScreen()
{
    XFreeGC(m_x->display, m_x->gc);
    XCloseDisplay(m_x->display);
}

void X11HackScreen::followSize(SaverSession& session)
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

bool X11HackScreen::handleEvents(SaverSession& session)
{
    if (terminationRequested)
        return false;
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

void X11HackScreen::present(const Bitmap& frame)
{
    if (frame.isEmpty())
        return;
    const int width = frame.width();
    const int height = frame.height();
    // The image's memory is ours; XImage only describes it.
    XImage* image = XCreateImage(m_x->display, m_x->visual, static_cast<unsigned>(m_x->depth), ZPixmap, 0, nullptr,
        static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image)
        return;
    m_pixels.resize(static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height));
    image->data = m_pixels.data();

    const bool common = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00
        && image->blue_mask == 0xFF && image->byte_order == LSBFirst;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = frame.row(y);
        if (common) {
            // Blue, green, red, padding: the frame's bytes with a fourth added.
            auto* to = reinterpret_cast<std::uint8_t*>(image->data + static_cast<std::size_t>(y) * image->bytes_per_line);
            for (int x = 0; x < width; ++x, from += 3, to += 4) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 0;
            }
            continue;
        }
        for (int x = 0; x < width; ++x, from += 3) {
            XPutPixel(image, x, y,
                placeChannel(from[2], image->red_mask) | placeChannel(from[1], image->green_mask)
                    | placeChannel(from[0], image->blue_mask));
        }
    }
    XPutImage(m_x->display, m_x->window, m_x->gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height));
    image->data = nullptr;
    XDestroyImage(image);
    XFlush(m_x->display);
}

std::chrono::microseconds X11HackScreen::refreshInterval() const
{
    return std::chrono::microseconds(1'000'000 / hackRefreshRate);
}

}
