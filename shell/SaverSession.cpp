#include "shell/SaverSession.h"

#include "brains/LibraryLoader.h"

#include <algorithm>
#include <cstdio>

namespace shamblex {

namespace {

constexpr std::array<std::uint8_t, 4> settingsVersionMark { '0', '.', '5', 0 };

}

std::array<std::uint8_t, 30> settingsFileBytes(const Settings& settings)
{
    std::array<std::uint8_t, 30> bytes {};
    std::copy(settingsVersionMark.begin(), settingsVersionMark.end(), bytes.begin());
    auto record = settings.toBytes();
    std::copy(record.begin(), record.end(), bytes.begin() + settingsVersionMark.size());
    return bytes;
}

bool saveSettings(const Settings& settings, const std::string& path)
{
    auto bytes = settingsFileBytes(settings);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

SaverSession::SaverSession(Picture picture, std::unique_ptr<LibraryLoader> loader)
    : m_picture(picture)
    , m_brains(std::move(loader))
{
    if (m_picture == Picture::Drawn)
        m_simulation.setDrawer(&m_painter);
}

bool SaverSession::create()
{
    if (m_picture == Picture::Drawn)
        m_frame.create(initialFrameSize, initialFrameSize, 24, RowOrder::TopDown);
    m_timerPeriod = initialTimerPeriod;
    return m_simulation.newSimulation();
}

void SaverSession::resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
    std::int32_t windowHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0)
        return;
    m_settings.windowWidth = windowWidth;
    m_settings.windowHeight = windowHeight;
    if (m_picture == Picture::Drawn) {
        m_frame.create(clientWidth, clientHeight, 24, RowOrder::TopDown);
        m_painter.paintBackground();
    }
    m_simulation.requestFullRedraw();
}

void SaverSession::step(Drawing drawing)
{
    m_simulation.frameStep(m_picture == Picture::Drawn ? drawing : Drawing::Off);
    if (m_stepListener)
        m_stepListener();
}

void SaverSession::tick()
{
    step(Drawing::On);
    if (m_helpShown && m_picture == Picture::Drawn)
        m_help.draw(m_frame, layout().boardLeft, layout().boardTop);
}

bool SaverSession::close()
{
    return saveSettings(m_settings, m_settingsFile);
}

}
