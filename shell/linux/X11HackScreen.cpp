#include "shell/linux/X11HackScreen.h"

#include "render/Bitmap.h"
#include "render/XrgbConversion.h"
#include "session/SaverControl.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdio>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <vector>

namespace shamblex {

namespace {

// The window may vanish under us (the daemon destroys it): an X error must not end
// the process; the next size check finds the window gone and ends the saver. An
// error while shared memory is being attached means the server cannot use it.
bool sharedMemoryRefused = false;

int noteXError(Display*, XErrorEvent*)
{
    sharedMemoryRefused = true;
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
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    bool sharedMemory = false;
};

// The image the frame is converted into before the server copies it: in shared
// memory, or in the program's own memory when the server offers none.
struct X11HackScreen::Image {
    Display* display = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment {};
    bool shared = false;
    std::vector<char> pixels; // when not shared

    ~Image()
    {
        if (!image)
            return;
        if (shared) {
            XShmDetach(display, &segment);
            XSync(display, False);
            shmdt(segment.shmaddr);
        }
        image->data = nullptr;
        XDestroyImage(image);
    }
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
    XSetErrorHandler(noteXError);
    x->window = windowId ? static_cast<Window>(*windowId) : DefaultRootWindow(x->display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x->display, x->window, &attributes)) {
        error = "there is no window " + hex(x->window) + " on the display '" + DisplayString(x->display) + "'";
        XCloseDisplay(x->display);
        return nullptr;
    }
    x->visual = attributes.visual;
    x->depth = attributes.depth;
    x->gc = XCreateGC(x->display, x->window, 0, nullptr);
    x->sharedMemory = XShmQueryExtension(x->display);
    return std::unique_ptr<X11HackScreen>(new X11HackScreen(std::move(x)));
}

X11HackScreen::X11HackScreen(std::unique_ptr<Connection> connection)
    : m_x(std::move(connection))
{
}

X11HackScreen::~X11HackScreen()
{
    m_image.reset();
    XFreeGC(m_x->display, m_x->gc);
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

bool X11HackScreen::prepareImage(std::int32_t width, std::int32_t height)
{
    if (m_image && m_image->image->width == width && m_image->image->height == height)
        return true;
    m_image.reset();
    auto image = std::make_unique<Image>();
    image->display = m_x->display;
    Display* display = m_x->display;
    auto depth = static_cast<unsigned>(m_x->depth);
    if (m_x->sharedMemory) {
        image->image = XShmCreateImage(display, m_x->visual, depth, ZPixmap, nullptr, &image->segment,
            static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image->image) {
            image->segment.shmid = shmget(IPC_PRIVATE,
                static_cast<std::size_t>(image->image->bytes_per_line) * static_cast<std::size_t>(height),
                IPC_CREAT | 0600);
            void* memory = image->segment.shmid >= 0 ? shmat(image->segment.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
            if (memory != reinterpret_cast<void*>(-1)) {
                image->segment.shmaddr = image->image->data = static_cast<char*>(memory);
                image->segment.readOnly = False;
                sharedMemoryRefused = false;
                XShmAttach(display, &image->segment);
                XSync(display, False);
                image->shared = !sharedMemoryRefused;
                if (!image->shared)
                    shmdt(memory);
            }
            if (image->segment.shmid >= 0)
                shmctl(image->segment.shmid, IPC_RMID, nullptr); // freed once both sides let go
            if (!image->shared) {
                image->image->data = nullptr;
                XDestroyImage(image->image);
                image->image = nullptr;
                m_x->sharedMemory = false; // a remote server: plain requests from now on
            }
        }
    }
    if (!image->image) {
        image->image = XCreateImage(display, m_x->visual, depth, ZPixmap, 0, nullptr, static_cast<unsigned>(width),
            static_cast<unsigned>(height), 32, 0);
        if (!image->image)
            return false;
        image->pixels.resize(static_cast<std::size_t>(image->image->bytes_per_line) * static_cast<std::size_t>(height));
        image->image->data = image->pixels.data();
    }
    m_image = std::move(image);
    return true;
}

void X11HackScreen::present(const Bitmap& frame, PresentScope scope)
{
    if (frame.isEmpty() || !prepareImage(frame.width(), frame.height()))
        return;
    XImage* image = m_image->image;
    // The pixels written are converted; the server then copies the tiles around them,
    // whose other pixels the image already holds from before.
    const Rectangle everything { 0, 0, frame.width(), frame.height() };
    const std::vector<Rectangle> areas
        = scope == PresentScope::Everything ? std::vector<Rectangle> { everything } : frame.damage().rectangles();

    const bool common = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00
        && image->blue_mask == 0xFF && image->byte_order == LSBFirst;
    const std::vector<Rectangle> written
        = scope == PresentScope::Everything ? areas : frame.damage().writtenRectangles();
    if (common) {
        // Blue, green, red, padding: the frame's bytes with a fourth added.
        convertToXrgb(frame, written, reinterpret_cast<std::uint8_t*>(image->data),
            static_cast<std::size_t>(image->bytes_per_line), 0);
    } else {
        for (const Rectangle& area : written) {
            for (std::int32_t y = area.top; y < area.top + area.height; ++y) {
                const std::uint8_t* from = frame.row(y) + Bitmap::bytesPerPixel * static_cast<std::size_t>(area.left);
                for (std::int32_t x = area.left; x < area.left + area.width; ++x, from += Bitmap::bytesPerPixel) {
                    XPutPixel(image, x, y,
                        placeChannel(from[2], image->red_mask) | placeChannel(from[1], image->green_mask)
                            | placeChannel(from[0], image->blue_mask));
                }
            }
        }
    }
    for (const Rectangle& area : areas) {
        if (m_image->shared)
            XShmPutImage(m_x->display, m_x->window, m_x->gc, image, area.left, area.top, area.left, area.top,
                static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), False);
        else
            XPutImage(m_x->display, m_x->window, m_x->gc, image, area.left, area.top, area.left, area.top,
                static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
    }
    // The server reads shared memory when it gets to the requests; the next frame
    // may only be written into it once it has.
    if (m_image->shared)
        XSync(m_x->display, False);
    else
        XFlush(m_x->display);
}

std::chrono::microseconds X11HackScreen::refreshInterval() const
{
    return std::chrono::microseconds(1'000'000 / hackRefreshRate);
}

}
