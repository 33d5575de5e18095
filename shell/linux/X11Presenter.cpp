#include "shell/linux/X11Presenter.h"

#include "os/SharedMemory.h"
#include "render/Bitmap.h"
#include "render/XrgbConversion.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <vector>

namespace shamblex {

namespace {

// Clip lists longer than this go as the damage's tiles instead: the server builds a
// region from the list, which costs more than the few pixels the tiles add.
constexpr std::size_t maximumClipRectangles = 8192;
// Written rectangles of the same rows this close are sent as one.
constexpr std::int32_t joinedGap = 64;

// Set by the error handler while shared memory is being attached: the server cannot
// use it (a remote display).
bool attachRefused = false;

int noteAttachError(Display*, XErrorEvent*)
{
    attachRefused = true;
    return 0;
}

// Waits for the server's answer to a round trip: every request sent before it on the
// connection has then been carried out.
void awaitAnswer(xcb_connection_t* connection, xcb_get_input_focus_cookie_t roundTrip)
{
    std::free(xcb_get_input_focus_reply(connection, roundTrip, nullptr));
}

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

// Whether an image's pixels have the frame's layout: 32 bits, blue in the low byte.
bool hasFrameLayout(const XImage& image)
{
    return image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 && image.green_mask == 0xFF00
        && image.blue_mask == 0xFF && image.byte_order == LSBFirst;
}

// The parts of the frame to send: the rectangles written when they are few enough,
// otherwise the damage's tiles; the whole frame when everything goes.
std::vector<Rectangle> areasToSend(const Bitmap& frame, bool everything)
{
    if (everything)
        return { Rectangle { 0, 0, frame.width(), frame.height() } };
    std::vector<Rectangle> written = frame.damage().writtenRuns(joinedGap);
    if (written.size() > maximumClipRectangles)
        return frame.damage().rectangles();
    return written;
}

}

struct X11Presenter::Connection {
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    // Frames in shared memory go through XCB on a graphics context of their own: one
    // write for the clip, the copy and the round trip, where Xlib sends its requests
    // and XCB's separately, and Xlib's XSync asks the connection again for every
    // request sent since, mostly to hear that nothing more came (a dozen system calls
    // a refresh became eight). The context's clip is replaced at every present.
    xcb_connection_t* xcb = nullptr;
    xcb_gcontext_t clippedGc = 0;
    bool sharedMemory = false; // the server takes shared memory at all
    bool descriptors = false; // ... and memory sent as a descriptor (MIT-SHM 1.2)
    // The frame's own memory goes through a connection of the presenter's own, which
    // nobody sleeps on: the server's answer to the round trip after a copy then waits
    // there until the frame is next drawn on (a refresh later, when it has long
    // come), instead of waking the program a second time each refresh. Null when
    // the server takes no second connection; the display's is used then.
    xcb_connection_t* own = nullptr;
    xcb_gcontext_t ownGc = 0;
    // The round trip after the last copy from the frame's own memory, not yet
    // answered: the server may still be reading the frame.
    std::optional<xcb_get_input_focus_cookie_t> unread;

    ~Connection()
    {
        if (own)
            xcb_disconnect(own);
    }

    // The connection the frame's own memory is attached on and copied through.
    xcb_connection_t* direct() const { return own ? own : xcb; }
    xcb_gcontext_t directGc() const { return own ? ownGc : clippedGc; }
};

// The frame's own memory as the server maps it.
struct X11Presenter::Attached {
    xcb_connection_t* connection = nullptr;
    std::shared_ptr<const SharedMemory> memory;
    XShmSegmentInfo segment {};
    XImage* image = nullptr;

    ~Attached()
    {
        if (segment.shmseg) {
            // Detached once the server has answered: the memory may be unmapped after.
            xcb_shm_detach(connection, static_cast<xcb_shm_seg_t>(segment.shmseg));
            awaitAnswer(connection, xcb_get_input_focus(connection));
        }
        if (image) {
            image->data = nullptr;
            XDestroyImage(image);
        }
    }
};

// The image the frame is copied into before the server reads it: in the server's
// shared memory, or in the program's own when the server shares none.
struct X11Presenter::Image {
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

std::unique_ptr<X11Presenter> X11Presenter::open(Display* display, unsigned long window)
{
    XWindowAttributes attributes;
    if (!display || !XGetWindowAttributes(display, window, &attributes))
        return nullptr;
    auto x = std::make_unique<Connection>();
    x->display = display;
    x->window = window;
    x->visual = attributes.visual;
    x->depth = attributes.depth;
    x->gc = XCreateGC(display, window, 0, nullptr);
    x->xcb = XGetXCBConnection(display);
    x->clippedGc = xcb_generate_id(x->xcb);
    xcb_create_gc(x->xcb, x->clippedGc, static_cast<xcb_drawable_t>(window), 0, nullptr);
    int major = 0;
    int minor = 0;
    Bool pixmaps = False;
    x->sharedMemory = XShmQueryVersion(display, &major, &minor, &pixmaps);
    x->descriptors = x->sharedMemory && (major > 1 || (major == 1 && minor >= 2));
    if (x->descriptors) {
        xcb_connection_t* own = xcb_connect(DisplayString(display), nullptr);
        if (xcb_connection_has_error(own)) {
            xcb_disconnect(own);
        } else {
            x->own = own;
            x->ownGc = xcb_generate_id(own);
            xcb_create_gc(own, x->ownGc, static_cast<xcb_drawable_t>(window), 0, nullptr);
        }
    }
    return std::unique_ptr<X11Presenter>(new X11Presenter(std::move(x)));
}

X11Presenter::X11Presenter(std::unique_ptr<Connection> connection)
    : m_x(std::move(connection))
{
}

X11Presenter::~X11Presenter()
{
    awaitRead();
    m_attached.reset();
    m_image.reset();
    xcb_free_gc(m_x->xcb, m_x->clippedGc);
    if (m_x->own) {
        xcb_free_gc(m_x->own, m_x->ownGc);
        xcb_flush(m_x->own);
    }
    XFreeGC(m_x->display, m_x->gc);
    XFlush(m_x->display);
}

unsigned long X11Presenter::window() const
{
    return m_x->window;
}

bool X11Presenter::attach(const Bitmap& frame, const std::shared_ptr<const SharedMemory>& memory)
{
    if (m_attached && m_attached->memory == memory && m_attached->image->width == frame.width()
        && m_attached->image->height == frame.height())
        return true;
    m_attached.reset(); // present has awaited the server's last read of it
    if (!m_x->descriptors || m_x->depth != 24 || !memory || memory->data() != frame.bits()
        || memory->size() < frame.byteSize())
        return false;
    xcb_connection_t* connection = m_x->direct();
    auto attached = std::make_unique<Attached>();
    attached->connection = connection;
    attached->memory = memory;
    attached->image = XShmCreateImage(m_x->display, m_x->visual, static_cast<unsigned>(m_x->depth), ZPixmap, nullptr,
        &attached->segment, static_cast<unsigned>(frame.width()), static_cast<unsigned>(frame.height()));
    if (!attached->image || !hasFrameLayout(*attached->image) || attached->image->bytes_per_line != frame.rowStride())
        return false;
    // The connection sends the descriptor and closes it: it gets a copy of its own.
    const int descriptor = fcntl(static_cast<int>(memory->handle()), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        return false;
    const std::uint32_t segment = xcb_generate_id(connection);
    xcb_generic_error_t* error = xcb_request_check(connection,
        xcb_shm_attach_fd_checked(connection, segment, descriptor, 1));
    if (error) {
        std::free(error);
        m_x->descriptors = false; // the server will not take memory this way
        return false;
    }
    attached->segment.shmseg = segment;
    attached->segment.shmid = -1;
    attached->segment.shmaddr = reinterpret_cast<char*>(const_cast<std::uint8_t*>(frame.bits()));
    attached->segment.readOnly = True;
    attached->image->data = attached->segment.shmaddr;
    m_attached = std::move(attached);
    return true;
}

bool X11Presenter::prepareImage(std::int32_t width, std::int32_t height)
{
    if (m_image && m_image->image->width == width && m_image->image->height == height)
        return true;
    m_image.reset();
    auto image = std::make_unique<Image>();
    image->display = m_x->display;
    const auto depth = static_cast<unsigned>(m_x->depth);
    if (m_x->sharedMemory) {
        image->image = XShmCreateImage(m_x->display, m_x->visual, depth, ZPixmap, nullptr, &image->segment,
            static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image->image) {
            image->segment.shmid = shmget(IPC_PRIVATE,
                static_cast<std::size_t>(image->image->bytes_per_line) * static_cast<std::size_t>(height),
                IPC_CREAT | 0600);
            void* memory
                = image->segment.shmid >= 0 ? shmat(image->segment.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
            if (memory != reinterpret_cast<void*>(-1)) {
                image->segment.shmaddr = image->image->data = static_cast<char*>(memory);
                image->segment.readOnly = False;
                attachRefused = false;
                auto previous = XSetErrorHandler(noteAttachError);
                XShmAttach(m_x->display, &image->segment);
                XSync(m_x->display, False);
                XSetErrorHandler(previous);
                image->shared = !attachRefused;
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
                m_x->descriptors = false;
            }
        }
    }
    if (!image->image) {
        image->image = XCreateImage(m_x->display, m_x->visual, depth, ZPixmap, 0, nullptr, static_cast<unsigned>(width),
            static_cast<unsigned>(height), 32, 0);
        if (!image->image)
            return false;
        image->pixels.resize(static_cast<std::size_t>(image->image->bytes_per_line) * static_cast<std::size_t>(height));
        image->image->data = image->pixels.data();
    }
    m_image = std::move(image);
    return true;
}

void X11Presenter::copyIntoImage(const Bitmap& frame, bool everything)
{
    XImage* image = m_image->image;
    // The pixels written; the image keeps the others from before.
    const std::vector<Rectangle> written
        = everything ? std::vector<Rectangle> { { 0, 0, frame.width(), frame.height() } } : frame.damage().writtenRectangles();
    if (hasFrameLayout(*image)) {
        // A 32-bit visual's fourth byte is its alpha: opaque.
        convertToXrgb(frame, written, reinterpret_cast<std::uint8_t*>(image->data),
            static_cast<std::size_t>(image->bytes_per_line), m_x->depth == 32 ? 0xFF : 0);
        return;
    }
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

void X11Presenter::awaitRead()
{
    if (!m_x->unread)
        return;
    xcb_connection_t* connection = m_x->direct();
    awaitAnswer(connection, *m_x->unread);
    m_x->unread.reset();
    if (!m_x->own)
        return;
    // Errors on the own connection (the window gone, say) come as events nobody else
    // reads; they are let go here. A connection that broke sends frames no more: the
    // next present goes the display's way.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
        std::free(event);
    if (xcb_connection_has_error(connection)) {
        m_attached.reset();
        m_x->descriptors = false;
    }
}

void X11Presenter::present(const Bitmap& frame, bool everything, const std::shared_ptr<const SharedMemory>& memory)
{
    if (frame.isEmpty() || (!everything && frame.damage().isEmpty()))
        return;
    const std::vector<Rectangle> areas = areasToSend(frame, everything);
    // One request for all the parts: the server copies the box around them, clipped
    // to the parts themselves, so that neither a request per part nor the pixels
    // between them are paid for.
    auto sendClipped = [&](xcb_connection_t* connection, xcb_gcontext_t gc, const XImage& image,
                           const XShmSegmentInfo& segment) {
        std::vector<xcb_rectangle_t> clip;
        clip.reserve(areas.size());
        for (const Rectangle& area : areas)
            clip.push_back({ static_cast<std::int16_t>(area.left), static_cast<std::int16_t>(area.top),
                static_cast<std::uint16_t>(area.width), static_cast<std::uint16_t>(area.height) });
        const Rectangle box = boundsOf(areas);
        xcb_set_clip_rectangles(connection, XCB_CLIP_ORDERING_UNSORTED, gc, 0, 0,
            static_cast<std::uint32_t>(clip.size()), clip.data());
        xcb_shm_put_image(connection, static_cast<xcb_drawable_t>(m_x->window), gc,
            static_cast<std::uint16_t>(image.width), static_cast<std::uint16_t>(image.height),
            static_cast<std::uint16_t>(box.left), static_cast<std::uint16_t>(box.top), static_cast<std::uint16_t>(box.width),
            static_cast<std::uint16_t>(box.height), static_cast<std::int16_t>(box.left), static_cast<std::int16_t>(box.top),
            static_cast<std::uint8_t>(image.depth), XCB_IMAGE_FORMAT_Z_PIXMAP, 0, static_cast<xcb_shm_seg_t>(segment.shmseg),
            0);
        // The server reads the memory when it gets to the request; the frame may only be
        // drawn on again once it has answered the round trip behind it.
        return xcb_get_input_focus(connection);
    };
    awaitRead();
    if (attach(frame, memory)) {
        m_path = Path::Direct;
        m_x->unread = sendClipped(m_x->direct(), m_x->directGc(), *m_attached->image, m_attached->segment);
        xcb_flush(m_x->direct());
        if (!m_x->own)
            awaitRead();
        return;
    }
    if (!prepareImage(frame.width(), frame.height()))
        return;
    copyIntoImage(frame, everything);
    if (m_image->shared) {
        m_path = Path::SharedCopy;
        // The image is copied into again at the next present: the answer is awaited now.
        awaitAnswer(m_x->xcb, sendClipped(m_x->xcb, m_x->clippedGc, *m_image->image, m_image->segment));
        return;
    }
    // Through the connection itself: a request per tile run, whose pixels travel in it.
    m_path = Path::Requests;
    const std::vector<Rectangle> runs
        = everything ? areas : frame.damage().rectangles();
    for (const Rectangle& area : runs)
        XPutImage(m_x->display, m_x->window, m_x->gc, m_image->image, area.left, area.top, area.left, area.top,
            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
    XFlush(m_x->display);
}

}
