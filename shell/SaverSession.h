#pragma once

#include "brains/BrainRegistry.h"
#include "render/Bitmap.h"
#include "render/HelpOverlay.h"
#include "render/ScenePainter.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace shamblex {

class LibraryLoader;

// Frame steps of a session with a window draw into the frame bitmap; a headless
// session (the runner without a picture) has no bitmap and draws nothing.
enum class Picture {
    None,
    Drawn,
};

// Everything one running saver consists of, and what its window does with each
// message, as plain calls: the shells (Linux, Windows, the headless runner) turn
// their events into these calls and present frame() after each tick. The session
// owns the settings, the random generator, the brains, the simulation, the frame
// bitmap and the help page; nothing of it is global, so tests build as many as they
// like.
class SaverSession {
public:
    static constexpr std::int32_t initialFrameSize = 400;
    static constexpr int initialTimerPeriod = 5; // milliseconds

    // The loader may be null: brains then never load.
    SaverSession(Picture, std::unique_ptr<LibraryLoader>);
    SaverSession(const SaverSession&) = delete;
    SaverSession& operator=(const SaverSession&) = delete;

    // The window was created: the 400 x 400 frame, the first simulation, the 5 ms
    // timer. False when the first simulation did not fit in memory (the board then
    // stays empty).
    bool create();

    // The window's client area changed size; the window's rectangle (frame included)
    // goes into the settings. A zero width or height (minimised) changes nothing.
    void resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
        std::int32_t windowHeight);

    // A timer tick: one frame step, then the help page over it when help is shown.
    // The shell then presents frame().
    void tick();

    // The window is closing: writes the settings file. Its failure changes nothing
    // (the window closes all the same); the result says whether it was written.
    bool close();

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    Random& random() { return m_random; }
    BrainRegistry& brains() { return m_brains; }
    Simulation& simulation() { return m_simulation; }
    const Simulation& simulation() const { return m_simulation; }
    const Bitmap& frame() const { return m_frame; }
    const Layout& layout() const { return m_painter.layout(); }
    int timerPeriod() const { return m_timerPeriod; }
    bool helpShown() const { return m_helpShown; }

    // Called after every frame step the session runs, the fast-forward steps included.
    void setStepListener(std::function<void()> listener) { m_stepListener = std::move(listener); }

    // Where the settings file is written ("zombie.sav" in the working directory) and
    // where the reload command looks for brains (the working directory).
    void setSettingsFile(std::string path) { m_settingsFile = std::move(path); }
    void setBrainFolder(std::string folder) { m_brainFolder = std::move(folder); }
    const std::string& settingsFile() const { return m_settingsFile; }

private:
    void step(Drawing);

    Picture m_picture;
    Settings m_settings;
    Random m_random;
    BrainRegistry m_brains;
    Simulation m_simulation { m_settings, m_random, m_brains };
    Bitmap m_frame;
    ScenePainter m_painter { m_frame, m_simulation, m_settings, m_brains };
    HelpOverlay m_help;
    int m_timerPeriod = initialTimerPeriod;
    bool m_helpShown = false;
    std::function<void()> m_stepListener;
    std::string m_settingsFile = "zombie.sav";
    std::string m_brainFolder = ".";
};

// The settings file: the version mark "0.5" with its terminating zero, then the 26
// bytes of the settings record; 30 bytes in all.
std::array<std::uint8_t, 30> settingsFileBytes(const Settings&);
bool saveSettings(const Settings&, const std::string& path);

}
