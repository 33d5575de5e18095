#pragma once

#include <cstdint>
#include <memory>

// Xlib's own header defines words like None and Status as macros; it stays in the
// source file.
struct _XDisplay;

namespace shamblex {

class Bitmap;
class SharedMemory;

// Shows a frame in an X window, for the SDL window and for XScreenSaver's.
//
// Implements three ways for the pixels to reach the server, the cheapest that works:
// - Direct: the frame lies in shared memory (a brain worker draws it there) and the
//   window's pixels have the frame's layout (32-bit XRGB): the memory is attached to
//   the server (MIT-SHM 1.2 sends its descriptor over the connection), and one
//   request, clipped to the rectangles written since the last time, has the server
//   copy just those pixels from where they were drawn. Nothing is copied here.
// - Shared copy: the written pixels are copied (converted, for another layout) into
//   an image in the server's shared memory, then sent the same clipped way.
// - Requests: a remote server shares no memory; the changed parts travel in the
//   requests themselves.
// Lacks: 8-bit (colour map) visuals are drawn with the nearest bits of each channel,
// not a colour map of their own.
class X11Presenter {
public:
    enum class Path {
        Direct,
        SharedCopy,
        Requests,
    };

    // For a window of the display; null when the window cannot be asked about.
    static std::unique_ptr<X11Presenter> open(_XDisplay*, unsigned long window);
    ~X11Presenter();
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    // Shows the parts of the frame written since its damage was last cleared, or all
    // of it. `memory`, when given, is the shared memory the frame's store lies in;
    // the presenter keeps it mapped on the server's side until another comes.
    // The server may still be reading the frame's own memory when this returns (the
    // Direct way): awaitRead must come before the frame is drawn on again.
    void present(const Bitmap&, bool everything, const std::shared_ptr<const SharedMemory>& memory);
    // Returns once the server has read what the last present sent. Costs nothing
    // when it has (a refresh later, it has).
    void awaitRead();

    // The way the last frame went.
    Path path() const { return m_path; }
    unsigned long window() const;

private:
    struct Connection;
    struct Attached;
    struct Image;
    explicit X11Presenter(std::unique_ptr<Connection>);
    // The frame's own memory attached to the server; false when it cannot be.
    bool attach(const Bitmap&, const std::shared_ptr<const SharedMemory>&);
    bool prepareImage(std::int32_t width, std::int32_t height);
    void copyIntoImage(const Bitmap&, bool everything);

    std::unique_ptr<Connection> m_x;
    Path m_path = Path::Requests;
    std::unique_ptr<Attached> m_attached;
    std::unique_ptr<Image> m_image;
};

}
