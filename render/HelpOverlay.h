#pragma once

#include "render/Bitmap.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace shamblex {

inline constexpr std::int32_t helpPageWidth = 300;
inline constexpr std::int32_t helpPageHeight = 600;
inline constexpr std::int32_t helpLineLeft = 5;
inline constexpr std::int32_t helpLineTop = 5;
inline constexpr std::int32_t helpLinePitch = 11;

// The help page's lines, top to bottom. Trailing spaces are part of the text.
extern const std::array<std::string_view, 35> helpLines;

// The white page of key commands and rules laid over the frame while help is shown.
// The page is drawn once, into a bitmap of its own, on first use; afterwards every
// call only copies it.
class HelpOverlay {
public:
    // Copies the page into the frame with its top-left corner at (x, y); what falls
    // outside the frame is dropped. When the page cannot be built nothing is copied
    // and the next call tries again.
    void draw(Bitmap& frame, std::int32_t x, std::int32_t y);

    bool isBuilt() const { return !m_page.isEmpty(); }
    const Bitmap& page() const { return m_page; }

private:
    bool build();

    Bitmap m_page;
};

}
