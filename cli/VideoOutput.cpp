#include "cli/VideoOutput.h"

#include "render/Bitmap.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace shamblex::cli {

namespace {

std::string extensionOf(const std::string& path)
{
    auto dot = path.rfind('.');
    auto slash = path.find_last_of("/\\\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The format ffmpeg is told when it writes into something that may not seek (a
// pipe, a device, a descriptor): it cannot go back to finish the file, so MP4 and
// QuickTime are written in fragments with their index first. None for an extension
// it cannot be sure of.
std::optional<std::vector<std::string>> streamedFormat(const std::string& extension)
{
    if (extension.empty() || extension == "mp4" || extension == "m4v")
        return std::vector<std::string> { "-movflags", "frag_keyframe+empty_moov", "-f", "mp4" };
    if (extension == "mov")
        return std::vector<std::string> { "-movflags", "frag_keyframe+empty_moov", "-f", "mov" };
    if (extension == "mkv")
        return std::vector<std::string> { "-f", "matroska" };
    if (extension == "webm" || extension == "avi" || extension == "gif" || extension == "nut")
        return std::vector<std::string> { "-f", extension };
    return std::nullopt;
}

}

std::optional<std::string> VideoOutput::open(const std::string& path, std::int32_t width, std::int32_t height,
    int frameRate)
{
    if (auto reason = m_file.reserve(path))
        return "cannot write '" + path + "': " + *reason;
    std::vector<std::string> command { "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f",
        "rawvideo", "-pixel_format", "bgr24", "-video_size", std::to_string(width) + "x" + std::to_string(height),
        "-framerate", std::to_string(frameRate), "-i", "-" };
    std::string extension = extensionOf(path);
    ProcessOptions options;
    std::optional<std::vector<std::string>> streamed;
    if (m_file.writesThrough()) {
        streamed = streamedFormat(extension);
        if (!streamed || m_file.descriptor() < 0) {
            m_file.discard();
            return "cannot write the video '" + path + "' straight through: "
                + (streamed ? "not on this system" : "write it to an .mp4, .mov, .mkv, .webm, .avi or .gif name");
        }
        options.inherited.push_back(m_file.descriptor());
    }
    if (extension.empty() || extension == "mp4" || extension == "m4v" || extension == "mov" || extension == "mkv") {
        // H.264 in the pixel format every player reads, which needs even sides.
        command.insert(command.end(), { "-c:v", "libx264", "-pix_fmt", "yuv420p" });
        if (width % 2 || height % 2)
            command.insert(command.end(), { "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2" });
    }
    if (streamed) {
        command.insert(command.end(), streamed->begin(), streamed->end());
        command.push_back("pipe:3"); // the first inherited descriptor
    } else {
        command.push_back(m_file.temporaryPath());
    }
    options.input = ChildInput::Pipe;
    options.searchPath = true;
    if (auto failure = m_encoder.start(command, options)) {
        m_file.discard();
        if (failure->kind == Process::StartFailure::NotFound)
            return "cannot make the video '" + path + "': the ffmpeg program is not installed (Debian package ffmpeg)";
        return "cannot make the video '" + path + "': ffmpeg does not start: " + failure->reason;
    }
    m_width = width;
    m_height = height;
    m_packed.resize(3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    m_open = true;
    return std::nullopt;
}

void VideoOutput::addFrame(const Bitmap& frame)
{
    if (!m_open || m_broken || frame.width() != m_width || frame.height() != m_height)
        return;
    frame.packBgr(m_packed.data());
    addPacked(m_packed);
}

void VideoOutput::addPacked(std::span<const std::uint8_t> pixels)
{
    if (!m_open || m_broken || pixels.size() != m_packed.size())
        return;
    if (!m_encoder.write(pixels.data(), pixels.size()))
        m_broken = true;
}

std::optional<std::string> VideoOutput::finish()
{
    if (!m_open)
        return std::nullopt;
    m_open = false;
    auto status = m_encoder.finish();
    if (m_broken || !status || *status != 0) {
        m_file.discard();
        return "ffmpeg could not write the video"
            + (status ? " (it ended with status " + std::to_string(*status) + ")" : std::string());
    }
    return m_file.commit();
}

void VideoOutput::discard()
{
    if (!m_open)
        return;
    m_open = false;
    m_broken = true;
    m_encoder.finish();
    m_file.discard();
}

}
