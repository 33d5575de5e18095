#pragma once

#include "os/Process.h"
#include "os/ReplacementFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shamblex {
class Bitmap;
}

namespace shamblex::cli {

// The run as a video: every drawn frame goes, as raw pixels, through a pipe to the
// ffmpeg program, which encodes it (H.264 in MP4 by default; the container follows
// the file's extension). ffmpeg writes a temporary file of the same extension beside
// the video's path, which is renamed into place only when ffmpeg has finished well;
// into a device, a FIFO or a descriptor's name it writes straight through, in a
// format that needs no seeking (fragmented MP4 for .mp4 and for a name without one).
class VideoOutput {
public:
    static constexpr int defaultFrameRate = 30;
    static constexpr int maximumFrameRate = 240;

    // Starts ffmpeg for frames of this size; the reason, in one line, when it cannot.
    std::optional<std::string> open(const std::string& path, std::int32_t width, std::int32_t height, int frameRate);

    bool isOpen() const { return m_open; }
    const std::string& path() const { return m_file.path(); }

    // Sends the frame; a frame of another size than the video's is not sent.
    void addFrame(const Bitmap&);
    // The same for a frame's pixels packed row after row without padding.
    void addPacked(std::span<const std::uint8_t> pixels);

    // Lets ffmpeg finish and renames the video into place; the reason when ffmpeg
    // failed (the video is then removed, never left half written).
    std::optional<std::string> finish();
    void discard();

private:
    ReplacementFile m_file;
    Process m_encoder;
    std::vector<std::uint8_t> m_packed; // one frame, rows without padding
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    bool m_open = false;
    bool m_broken = false; // ffmpeg stopped reading
};

}
