#pragma once

#include "brains/BrainRegistry.h"
#include "render/Bitmap.h"
#include "render/HelpOverlay.h"
#include "render/ScenePainter.h"
#include "session/SaverCommands.h"
#include "session/SaverControl.h"
#include "sim/Random.h"
#include "sim/Settings.h"
#include "sim/Simulation.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace shamblex {

class LibraryLoader;

// Frame steps of a session with a picture draw into the frame bitmap; one without
// (the runner when it saves no picture) has no bitmap and draws nothing.
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
//
class SaverSession final : public SaverControl {
public:
    static constexpr std::int32_t initialFrameSize = 400;
    static constexpr int initialTimerPeriod = 5; // milliseconds

    // The loader may be null: brains then never load.
    SaverSession(SaverMode, std::unique_ptr<LibraryLoader>, Picture = Picture::Drawn);
    SaverSession(const SaverSession&) = delete;
    SaverSession& operator=(const SaverSession&) = delete;

    // The window was created: the 400 x 400 frame, the first simulation, the timer
    // (5 ms unless setTimerPeriod chose another period before). False when the first simulation did not fit in memory (the board then
    // stays empty).
    bool create();

    // The window's client area changed size; the window's rectangle (frame included)
    // goes into the settings. A zero width or height (minimised) changes nothing.
    void resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
        std::int32_t windowHeight) override;
    // The same, with the frame placed in the memory given (shared with a host that
    // presents it); false, changing nothing, when the memory does not fit the frame.
    bool resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
        std::int32_t windowHeight, PixelMemory);
    // Frames made by resize lie in shared memory (frameMemory), which a display server
    // may then read where they are drawn rather than from a copy; in the program's own
    // memory when none can be had. Off by default.
    void setSharedFrames(bool shared) { m_sharedFrames = shared; }
    std::shared_ptr<const SharedMemory> frameMemory() const override { return m_frameMemory; }

    // A timer tick: one frame step, then the help page over it when help is shown.
    // The shell then presents what frame() marks as damaged, and clears the damage.
    void tick() override;

    // A typed character runs its key command, when this mode runs it; characters
    // without one are ignored. Case matters except for "S"/"s" and "E"/"e".
    void character(char) override;

    // Pointer and button positions are frame pixels (the window's client pixels).
    // Moving the pointer picks the watched being: the being on the cell beneath, or
    // none. Releasing the left button over a board cell places a human there, the
    // right button a zombie.
    void pointerMoved(std::int32_t x, std::int32_t y) override;
    void leftButtonReleased(std::int32_t x, std::int32_t y) override;
    void rightButtonReleased(std::int32_t x, std::int32_t y) override;
    // Pins the watched being under the pointer: its label (and rays) stay on it as it
    // moves, whatever the pointer does, until the middle button is released again or
    // the being is gone.
    void middleButtonReleased(std::int32_t x, std::int32_t y) override;

    // The same commands by board cell, as the runner's script names them. The
    // placing commands do nothing off the board.
    void watchCell(CellPosition);
    // Pins the being in the cell, as a middle click does (or unpins the pinned one).
    void pinCell(CellPosition);
    // Pins, at the next frame step, the first being that then holds the serial.
    void pinSerialAtFirstStep(std::uint32_t serial);
    void placeHuman(CellPosition);
    void placeZombie(CellPosition);

    // The window is closing: writes the settings file. Its failure changes nothing
    // (the window closes all the same); the result is the reason it failed, if it did.
    std::optional<std::string> close() override;

    // The outbreak stopped because its last human fell (not because of a pause with
    // humans left); a saver may then start a new one after a while.
    bool outbreakOver() const override { return m_simulation.stopped() && m_simulation.humanCount() == 0; }
    std::int32_t humanCount() const override { return m_simulation.humanCount(); }
    std::int32_t frameNumber() const override { return m_simulation.frameNumber(); }
    // A new outbreak with the current settings and brains, as "z" starts one.
    void newOutbreak(std::optional<std::uint32_t> seed) override;

    // Starts at one of the speed command's periods (or the first 5 ms); the speed
    // command goes on from there. False for any other period.
    bool setTimerPeriod(int milliseconds);
    static bool isTimerPeriod(int milliseconds);

    // Where the session's remarks go, one line each: brains that misbehave, pictures
    // saved with "p", and what went wrong with them. By default nowhere.
    void setReporter(std::function<void(std::string_view)> reporter);

    // Sends a line to the reporter.
    void report(const std::string& line) const;

    // Every command a user can give, in the order the help texts list them.
    static std::span<const SaverCommand> commands();
    // The command a key runs in a mode, if any.
    static const SaverCommand* keyCommand(SaverMode, char key);
    // Whether a command of the mode loads brains from the folder ("l").
    static bool commandsLoadBrains(SaverMode);

    SaverMode mode() const { return m_mode; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    Random& random() { return m_random; }
    BrainRegistry& brains() { return m_brains; }
    Simulation& simulation() { return m_simulation; }
    const Simulation& simulation() const { return m_simulation; }
    // The frame as every draw so far leaves it: the cell fills that waited for a look
    // at the frame (see ScenePainter) are painted first.
    Bitmap& frame() override
    {
        m_painter.flush();
        return m_frame;
    }
    const Layout& layout() const { return m_painter.layout(); }
    // What draws the frame; the simulation calls it during frame steps.
    ScenePainter& painter() { return m_painter; }
    int timerPeriod() const override { return m_timerPeriod; }
    bool lastTickDrewNothing() const override { return m_lastTickDrewNothing && m_simulation.stopped(); }
    bool helpShown() const { return m_helpShown; }
    bool watchPinned() const { return m_watchPinned; }

    // A notice shown in the status band after every tick, until it is set empty.
    void setNotice(std::string notice) override;

    // Where the "p" key's picture goes instead of a file beside the settings file (a
    // brain worker hands it to its host, which saves it). None by default.
    void setPictureSaver(std::function<void(std::int32_t frame, std::vector<std::uint8_t> png)> saver)
    {
        m_pictureSaver = std::move(saver);
    }

    // Called after every frame step the session runs, the fast-forward steps included,
    // with whether the step drew (a tick's step is called once the help page lies over
    // it); when it returns false, a fast forward stops after that step.
    void setStepListener(std::function<bool(Drawing)> listener) { m_stepListener = std::move(listener); }

    // Where the settings file is written ("zombie.sav" in the working directory) and
    // where the reload command looks for brains (the working directory).
    void setSettingsFile(std::string path) { m_settingsFile = std::move(path); }
    void setBrainFolder(std::string folder) { m_brainFolder = std::move(folder); }
    const std::string& settingsFile() const override { return m_settingsFile; }

    // The timer periods the speed command cycles through, by speed index.
    static constexpr std::array<int, 4> speedCycle { 1, 25, 75, 150 };
    static constexpr std::int32_t beingStep = 100;
    static constexpr std::int32_t boardStep = 50;
    static constexpr int shortFastForward = 100;
    static constexpr int longFastForward = 1000;

private:
    // Tells the listener a step ran; false when it asks to stop.
    bool stepped(Drawing);
    void fastForward(int frames);
    // Starts a new simulation with the changed settings; when it cannot be held, puts
    // the settings back and lets the running simulation go on.
    void newSimulationOr(const Settings& previous);
    bool drawn() const { return m_picture == Picture::Drawn; }
    void run(Trigger, char key, const CellPosition&);

    // The commands of the table.
    void removeBrainCommand(char key, const CellPosition&);
    void killZombiesCommand(char, const CellPosition&);
    void pauseCommand(char, const CellPosition&);
    void restartBoardCommand(char, const CellPosition&);
    void speedCommand(char, const CellPosition&);
    void moreBeingsCommand(char, const CellPosition&);
    void fewerBeingsCommand(char, const CellPosition&);
    void fastForwardCommand(char key, const CellPosition&);
    void newSimulationCommand(char, const CellPosition&);
    void smartZombiesCommand(char, const CellPosition&);
    void helpCommand(char, const CellPosition&);
    void smallerCityCommand(char, const CellPosition&);
    void graphCommand(char, const CellPosition&);
    void eatWallsCommand(char, const CellPosition&);
    void userColourCommand(char, const CellPosition&);
    void biggerCityCommand(char, const CellPosition&);
    void directionsCommand(char, const CellPosition&);
    void arenaCommand(char, const CellPosition&);
    void reloadBrainsCommand(char, const CellPosition&);
    void placeHumanCommand(char, const CellPosition&);
    void placeZombieCommand(char, const CellPosition&);
    void singleStepCommand(char, const CellPosition&);
    void savePictureCommand(char, const CellPosition&);
    void pinCommand(char, const CellPosition&);

    SaverMode m_mode;
    Picture m_picture;
    Settings m_settings;
    Random m_random;
    BrainRegistry m_brains;
    Simulation m_simulation { m_settings, m_random, m_brains };
    Bitmap m_frame;
    ScenePainter m_painter { m_frame, m_simulation, m_settings, m_brains };
    HelpOverlay m_help;
    int m_timerPeriod = initialTimerPeriod;
    int m_speedIndex = 0;
    bool m_helpShown = false;
    bool m_watchPinned = false;
    std::optional<std::uint32_t> m_pinSerial;
    std::function<void(std::string_view)> m_reporter;
    std::function<bool(Drawing)> m_stepListener;
    std::function<void(std::int32_t, std::vector<std::uint8_t>)> m_pictureSaver;
    std::string m_notice;
    bool m_noticeShown = false;
    bool m_lastTickDrewNothing = false;
    bool m_sharedFrames = false;
    std::shared_ptr<SharedMemory> m_frameMemory; // where m_frame lies, when it was made shared
    std::string m_settingsFile = "zombie.sav";
    std::string m_brainFolder = ".";
};

// The settings file: the version mark "0.5" with its terminating zero, then the 26
// bytes of the settings record; 30 bytes in all.
std::array<std::uint8_t, 30> settingsFileBytes(const Settings&);
// Writes it; the reason it failed, if it did.
std::optional<std::string> saveSettings(const Settings&, const std::string& path);

// Saves a picture of the frame numbered `frame` beside the settings file (see
// picturePath), never over another file; the line that says where it went, or why not.
std::string savePicture(const std::string& settingsFile, std::int32_t frame, std::span<const std::uint8_t> png);

// "shamblex-frame-000123.png" in the folder of the settings file, for a frame number;
// "-2", "-3", ... before ".png" while the name is taken, so that no file is overwritten.
std::string picturePath(const std::string& settingsFile, std::int32_t frame);

}
