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
    if (extension == "mp4" || extension == "m4v" || extension == "mov" || extension == "mkv") {
        // H.264 in the pixel format every player reads, which needs even sides.
        command.insert(command.end(), { "-c:v", "libx264", "-pix_fmt", "yuv420p" });
        if (width % 2 || height % 2)
            command.insert(command.end(), { "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2" });
    }
    command.push_back(m_file.temporaryPath());
    ProcessOptions options;
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
