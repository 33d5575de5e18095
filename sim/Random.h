#pragma once

#include <cstdint>

namespace shamblex {

// The one pseudo-random generator of the simulation. It has the interface of the C
// runtime's rand() (results 0 to 32767, reduced by the caller with %) and reproduces
// the Microsoft C runtime's sequence on every platform, so that a run replays draw
// for draw wherever it runs. The host never calls the C library's rand(): its
// sequence differs between platforms.
//
// The program never seeds it; a run starts from state 1 like an unseeded runtime.
// The headless runner may start it elsewhere to explore other outbreaks.
class Random {
public:
    static constexpr std::uint32_t defaultState = 1;
    static constexpr int maximum = 32767;

    Random() = default;
    explicit Random(std::uint32_t state)
        : m_state(state)
    {
    }

    int next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

    // next() % bound, the reduction every caller uses. The caller guarantees bound > 0.
    int below(int bound) { return next() % bound; }

    std::uint32_t state() const { return m_state; }
    void setState(std::uint32_t state) { m_state = state; }

private:
    std::uint32_t m_state = defaultState;
};

}
