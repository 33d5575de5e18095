#include "render/HelpOverlay.h"

#include "Pixels.h"
#include "render/TextPainter.h"

#include <gtest/gtest.h>

using namespace shamblex;

TEST(HelpOverlay, PageIsBlackTextOnWhiteLaidOverTheBoardsCorner)
{
    Bitmap frame;
    frame.create(400, 400);
    frame.fill({ 128, 128, 128 });
    HelpOverlay help;
    help.draw(frame, 75, 112);

    // The page covers columns 75 to 374 and rows 112 to 399; the rest is dropped.
    EXPECT_EQ(frame.pixel(74, 112), (Colour { 128, 128, 128 }));
    EXPECT_EQ(frame.pixel(75, 111), (Colour { 128, 128, 128 }));
    EXPECT_EQ(frame.pixel(75, 112), (Colour { 255, 255, 255 }));
    EXPECT_EQ(frame.pixel(374, 399), (Colour { 255, 255, 255 }));
    EXPECT_EQ(frame.pixel(375, 300), (Colour { 128, 128, 128 }));

    // Line 1 at (5, 5) of the page, line 35 at (5, 379).
    Bitmap expected;
    expected.create(300, 600);
    expected.fill({ 255, 255, 255 });
    TextPainter text;
    text.setColours({ Colour { 255, 255, 255 }, Colour { 0, 0, 0 } });
    text.drawText(expected, 5, 5, "Key commands (case sensitive)");
    text.drawText(expected, 5, 379, "all humans are dead.");
    std::map<std::uint32_t, char> legend { { 0xFFFFFF, '.' }, { 0, '#' } };
    EXPECT_EQ(test::asText(frame, 75, 112, 300, 16, legend), test::asText(expected, 0, 0, 300, 16, legend));
    EXPECT_EQ(test::asText(help.page(), 0, 379, 300, 221, legend), test::asText(expected, 0, 379, 300, 221, legend))
        << "after the last line the page stays white";
    EXPECT_EQ(helpLines[25], "  ");
    EXPECT_EQ(helpLines[28].size(), 49u) << "the longest line ends at column 298";
}

TEST(HelpOverlay, IsBuiltOnceAndClippedToAnyFrame)
{
    HelpOverlay help;
    EXPECT_FALSE(help.isBuilt());
    Bitmap small;
    small.create(100, 100);
    small.fill({ 128, 128, 128 });
    help.draw(small, 75, 112);
    EXPECT_TRUE(help.isBuilt());
    EXPECT_EQ(test::countPixels(small, Colour { 128, 128, 128 }), 100 * 100) << "the page lies wholly outside";
    const std::uint8_t* page = help.page().bits();
    for (int i = 0; i < 10; ++i)
        help.draw(small, -250 + i, -550 + i);
    EXPECT_EQ(help.page().bits(), page);
    EXPECT_LT(test::countPixels(small, Colour { 128, 128, 128 }), 100 * 100);

    Bitmap empty;
    help.draw(empty, 0, 0);
}
