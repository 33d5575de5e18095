#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace shamblex {

class Bitmap;
class SharedMemory;

// What a shell drives of a running saver: the window's messages as plain calls, and
// the frame to present. A SaverSession is one, running here; a brain worker's session
// is another, running in a sandboxed process of its own, and the shells cannot tell
// them apart.
class SaverControl {
public:
    virtual ~SaverControl() = default;

    // The window's client area changed size; the window's rectangle (frame included)
    // goes into the settings. A zero width or height (minimised) changes nothing.
    virtual void resize(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t windowWidth,
        std::int32_t windowHeight) = 0;
    // A timer tick: one frame step, then the help page over it when help is shown.
    virtual void tick() = 0;
    // A typed character runs its key command, when this mode runs it.
    virtual void character(char) = 0;
    // Pointer and button positions are frame pixels (the window's client pixels).
    virtual void pointerMoved(std::int32_t x, std::int32_t y) = 0;
    virtual void leftButtonReleased(std::int32_t x, std::int32_t y) = 0;
    virtual void rightButtonReleased(std::int32_t x, std::int32_t y) = 0;
    virtual void middleButtonReleased(std::int32_t x, std::int32_t y) = 0;
    // The window is closing: writes the settings file; the reason it failed, if it did.
    virtual std::optional<std::string> close() = 0;

    // The outbreak stopped because its last human fell; a saver may then start a new one.
    virtual bool outbreakOver() const = 0;
    // The humans left and the frame the outbreak is at, so that a saver can tell an
    // outbreak that no longer changes.
    virtual std::int32_t humanCount() const = 0;
    virtual std::int32_t frameNumber() const = 0;
    // A new outbreak with the current settings and brains, as "z" starts one; with a
    // seed, the random generator starts there first.
    virtual void newOutbreak(std::optional<std::uint32_t> seed) = 0;
    // A notice of the shell's shown in the status band after every tick, until it is
    // set empty (the frame rate, for a hack asked to show it).
    virtual void setNotice(std::string notice) = 0;
    // The last tick drew nothing and the outbreak is stopped (paused, or over): ticks
    // draw nothing more until a call other than tick changes something, so a shell
    // may stop ticking until input arrives.
    virtual bool lastTickDrewNothing() const { return false; }
    // The timer period in milliseconds the ticks should come at.
    virtual int timerPeriod() const = 0;
    // The frame as the last calls left it, with the damage they recorded; the shell
    // presents what is damaged and clears the damage.
    virtual Bitmap& frame() = 0;
    // The shared memory the frame's store lies in, which a display server may read
    // directly; none when the frame lies in the program's own memory.
    virtual std::shared_ptr<const SharedMemory> frameMemory() const { return nullptr; }
    // Where close() writes the settings.
    virtual const std::string& settingsFile() const = 0;
    // The saver cannot go on (its outbreak's worker was given up on request, or could
    // not be replaced): the shell ends it.
    virtual bool abandoned() const { return false; }
};

}
