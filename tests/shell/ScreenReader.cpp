// Reads a screenshot of the saver's window the way a person would: the numbers of
// the status band (matched glyph by glyph against the 5x7 font) and the colours of
// board cells. Used by the end-to-end tests, which see the program only through X.
//
//   screen_reader status SHOT.png             -> "frame zombies humans"
//   screen_reader quiet-cell SHOT.png L T W H -> "column row" of an empty cell whose
//                                                neighbours are empty too, for a board
//                                                laid out with cells W x H from (L, T)
//   screen_reader cell SHOT.png L T W H C R   -> "r g b" of that cell's centre pixel
//   screen_reader layout SHOT.png            -> "L T W H": where the default 250 x 250
//                                                board lies in a window of the shot's size
//   screen_reader text SHOT.png X Y TEXT      -> exit status 0 when TEXT is drawn at
//                                                (X, Y) on the status band's grey
#include "../StbImage.h"

#include "render/Bitmap.h"
#include "render/Layout.h"
#include "render/TextPainter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace shamblex;

struct Shot {
    int width = 0;
    int height = 0;
    stbi_uc* pixels = nullptr;

    Shot() = default;
    Shot(const Shot&) = delete;
    Shot& operator=(const Shot&) = delete;
    ~Shot() { stbi_image_free(pixels); }

    Colour at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return { 1, 2, 3 };
        const stbi_uc* p = pixels + (static_cast<std::size_t>(y) * width + x) * 3;
        return { p[0], p[1], p[2] };
    }
};

const Colour statusGrey { 128, 128, 128 };

// Whether the 6 x 10 cell at (x, y) of the shot shows character c of the status font.
bool showsCharacter(const Shot& shot, int x, int y, char c)
{
    Bitmap glyph;
    glyph.create(6, 10);
    TextPainter text;
    text.setColours({ Colour { 0, 0, 0 }, Colour { 255, 255, 255 } });
    text.drawText(glyph, 0, 0, std::string(1, c));
    for (int dy = 0; dy < 10; ++dy) {
        for (int dx = 0; dx < 6; ++dx) {
            bool ink = glyph.pixel(dx, dy) == Colour { 255, 255, 255 };
            bool shotInk = shot.at(x + dx, y + dy) != statusGrey;
            if (ink != shotInk)
                return false;
        }
    }
    return true;
}

// The decimal number drawn after a 9-character label on the status line at y.
long readNumber(const Shot& shot, int y)
{
    long value = 0;
    int digits = 0;
    for (int x = 54;; x += 6, ++digits) {
        int digit = -1;
        for (char c = '0'; c <= '9'; ++c)
            if (showsCharacter(shot, x, y, c))
                digit = c - '0';
        if (digit < 0)
            return digits > 0 && showsCharacter(shot, x, y, ' ') ? value : -1;
        value = value * 10 + digit;
    }
}

bool isGround(Colour colour)
{
    return colour == Colour { 0, 0, 0 };
}

}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    Shot shot;
    int channels = 0;
    shot.pixels = stbi_load(argv[2], &shot.width, &shot.height, &channels, 3);
    if (!shot.pixels) {
        std::fprintf(stderr, "screen_reader: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string command = argv[1];
    if (command == "status") {
        std::printf("%ld %ld %ld\n", readNumber(shot, 0), readNumber(shot, 13), readNumber(shot, 26));
        return 0;
    }
    if (command == "layout") {
        Layout layout = Layout::compute(250, 250, shot.width, shot.height);
        std::printf("%d %d %d %d\n", layout.boardLeft, layout.boardTop, layout.cellWidth, layout.cellHeight);
        return 0;
    }
    if (command == "text" && argc >= 6) {
        int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
        for (const char* c = argv[5]; *c; ++c, x += 6) {
            if (!showsCharacter(shot, x, y, *c))
                return 1;
        }
        return 0;
    }
    if (argc < 7)
        return 2;
    int left = std::atoi(argv[3]), top = std::atoi(argv[4]), cellWidth = std::atoi(argv[5]),
        cellHeight = std::atoi(argv[6]);
    auto cellIs = [&](int column, int row, auto test) {
        for (int dy = 0; dy < cellHeight; ++dy)
            for (int dx = 0; dx < cellWidth; ++dx)
                if (!test(shot.at(left + column * cellWidth + dx, top + row * cellHeight + dy)))
                    return false;
        return true;
    };
    if (command == "quiet-cell") {
        for (int row = 20; row < 230; ++row) {
            for (int column = 20; column < 230; ++column) {
                bool quiet = true;
                for (int dr = -2; dr <= 2 && quiet; ++dr)
                    for (int dc = -2; dc <= 2 && quiet; ++dc)
                        quiet = cellIs(column + dc, row + dr, isGround);
                if (quiet) {
                    std::printf("%d %d\n", column, row);
                    return 0;
                }
            }
        }
        return 1;
    }
    if (command == "cell" && argc >= 9) {
        int column = std::atoi(argv[7]), row = std::atoi(argv[8]);
        Colour colour = shot.at(left + column * cellWidth + cellWidth / 2, top + row * cellHeight + cellHeight / 2);
        std::printf("%d %d %d\n", colour.red, colour.green, colour.blue);
        return 0;
    }
    return 2;
}
