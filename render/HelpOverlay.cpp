#include "render/HelpOverlay.h"

#include "render/TextPainter.h"

namespace shamblex {

const std::array<std::string_view, 35> helpLines { {
    "Key commands (case sensitive)",
    "   Spacebar - toggle pause",
    "   R        - restart board",
    "   S        - toggle speeds",
    "   z        - new simulation",
    "   c        - toggle default or user color",
    "   b        - toggle using board/open arena",
    "   d        - toggle showing look(white) and",
    "              move(gray) directions",
    "   t        - toggle smart zombies",
    "   E        - zombies eat walls",
    "   <        - smaller city",
    "   >        - bigger city",
    "   1-9      - remove all humans of type 1, 2...",
    "   l        - reload all brains into system",
    "   +        - restart with 100 more beings",
    "   -        - restart with 100 less beings",
    "   f        - fast forward 100 frames",
    "   F        - fast forward 1000 frames",
    "   g        - toggle population count or",
    "              history graph",
    "   k        - kill all zombies",
    "   L-click  - place a random human at cell",
    "   R-click  - place a zombie",
    "   ?        - toggle help",
    "  ",
    "Zombies are green, and wander randomly. When ",
    "they see a human, they lurch towards it. If",
    "they touch the human, the human becomes a zombie.",
    "Humans travel twice as fast as zombies. If a ",
    "human sees a zombie or another panicked human, ",
    "the human becomes panicked. Panicked humans ",
    "travel twice as fast as regular humans, and ",
    "are colored brighter. The simulation stops when ",
    "all humans are dead.",
} };

bool HelpOverlay::build()
{
    if (!m_page.create(helpPageWidth, helpPageHeight))
        return false;
    m_page.fill(Colour { 255, 255, 255 });
    TextPainter text;
    text.selectNearestFont(textFontWidth, textFontHeight);
    text.setColours({ Colour { 255, 255, 255 }, Colour { 0, 0, 0 } });
    std::int32_t y = helpLineTop;
    for (std::string_view line : helpLines) {
        text.drawText(m_page, helpLineLeft, y, line);
        y += helpLinePitch;
    }
    return true;
}

void HelpOverlay::draw(Bitmap& frame, std::int32_t x, std::int32_t y)
{
    if (m_page.isEmpty() && !build())
        return;
    frame.copyFrom(m_page, x, y);
}

}
