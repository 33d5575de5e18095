#include "arena/SurvivalPlot.h"

#include "brains/BrainRegistry.h"
#include "render/TextPainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace shamblex::arena {

namespace {

constexpr Colour background { 24, 24, 24 };
constexpr Colour gridColour { 56, 56, 56 };
constexpr Colour axisColour { 200, 200, 200 };
constexpr Colour textColour { 220, 220, 220 };

// The plotting area inside the picture.
constexpr std::int32_t areaLeft = 80;
constexpr std::int32_t areaTop = 64;
constexpr std::int32_t areaRight = SurvivalPlot::width - 30;
constexpr std::int32_t areaBottom = SurvivalPlot::height - 64;
constexpr std::int32_t areaWidth = areaRight - areaLeft;
constexpr std::int32_t areaHeight = areaBottom - areaTop;

constexpr std::int32_t lineThickness = 2;
constexpr std::int32_t dashLength = 8; // of lines that lie on one another
constexpr std::int32_t tickLength = 5;
constexpr int titleFont = 10; // 10x13
constexpr int labelFont = 9; // 8x11
constexpr std::int32_t legendSwatch = 24;
constexpr std::int32_t legendPadding = 8;

class Canvas {
public:
    explicit Canvas(Bitmap& bitmap)
        : m_bitmap(bitmap)
    {
    }

    void fill(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h, Colour colour)
    {
        m_bitmap.fillRect(left, top, w, h, colour);
    }

    // Text with its top-left at (x, y), or ending at x (Align::Right), or centred on x.
    enum class Align { Left, Centre, Right };
    void text(std::int32_t x, std::int32_t y, const std::string& words, int font, Colour ink, Colour paper,
        Align align = Align::Left)
    {
        TextPainter painter;
        painter.selectFont(font);
        painter.setColours({ paper, ink });
        std::int32_t span = textWidth(words, font);
        if (align == Align::Right)
            x -= span;
        else if (align == Align::Centre)
            x -= span / 2;
        painter.drawText(m_bitmap, x, y, words);
    }

    static std::int32_t textWidth(const std::string& words, int font)
    {
        TextPainter painter;
        painter.selectFont(font);
        return static_cast<std::int32_t>(words.size()) * (painter.width() + 1);
    }
    static std::int32_t textHeight(int font)
    {
        TextPainter painter;
        painter.selectFont(font);
        return painter.height();
    }

private:
    Bitmap& m_bitmap;
};

// A tick spacing of 1, 2 or 5 times a power of ten that gives at most `most` ticks.
std::int64_t tickStep(std::int64_t span, int most)
{
    std::int64_t step = 1;
    for (;;) {
        for (std::int64_t factor : { 1, 2, 5 }) {
            if (span / (step * factor) <= most)
                return step * factor;
        }
        step *= 10;
    }
}

std::int32_t columnOfFrame(std::int64_t frame, std::int64_t lastFrame)
{
    return areaLeft + static_cast<std::int32_t>(frame * (areaWidth - 1) / std::max<std::int64_t>(lastFrame, 1));
}

std::int32_t rowOfShare(double share)
{
    return areaBottom - 1 - static_cast<std::int32_t>(std::lround(share * (areaHeight - 1)));
}

}

Bitmap SurvivalPlot::draw(const ArenaResults& results)
{
    Bitmap bitmap;
    if (!bitmap.create(width, height))
        return bitmap;
    Canvas canvas(bitmap);
    canvas.fill(0, 0, width, height, background);
    const ArenaSetup& setup = results.setup;
    const std::int64_t lastFrame = std::max(setup.frames, 1);

    std::vector<const RunResult*> finished;
    for (const RunResult& run : results.runs) {
        if (run.outcome == RunOutcome::Finished && run.brains.size() == setup.brainNames.size())
            finished.push_back(&run);
    }

    canvas.text(areaLeft, 16, "Humans left, by brain: the share of runs in which it still had humans", titleFont,
        textColour, background);
    std::string about = std::to_string(finished.size()) + " finished run" + (finished.size() == 1 ? "" : "s")
        + " of " + std::to_string(setup.frames) + " frames, seeds from " + std::to_string(setup.firstSeed);
    if (!results.shard.isWhole())
        about += ", shard " + results.shard.text();
    canvas.text(areaLeft, 16 + Canvas::textHeight(titleFont) + 6, about, labelFont, textColour, background);

    // Grid and ticks: a quarter of the runs apart upwards, round frames across.
    const std::int32_t labelHeight = Canvas::textHeight(labelFont);
    for (int quarter = 0; quarter <= 4; ++quarter) {
        std::int32_t row = rowOfShare(quarter / 4.0);
        canvas.fill(areaLeft, row, areaWidth, 1, gridColour);
        canvas.fill(areaLeft - tickLength, row, tickLength, 1, axisColour);
        canvas.text(areaLeft - tickLength - 4, row - labelHeight / 2, std::to_string(quarter * 25) + "%", labelFont,
            textColour, background, Canvas::Align::Right);
    }
    const std::int64_t step = tickStep(lastFrame, 10);
    for (std::int64_t frame = 0; frame <= lastFrame; frame += step) {
        std::int32_t column = columnOfFrame(frame, lastFrame);
        canvas.fill(column, areaTop, 1, areaHeight, gridColour);
        canvas.fill(column, areaBottom, 1, tickLength, axisColour);
        canvas.text(column, areaBottom + tickLength + 4, std::to_string(frame), labelFont, textColour, background,
            Canvas::Align::Centre);
    }
    canvas.fill(areaLeft, areaTop, 1, areaHeight, axisColour);
    canvas.fill(areaLeft, areaBottom, areaWidth, 1, axisColour);
    canvas.text(areaLeft + areaWidth / 2, areaBottom + tickLength + labelHeight + 14, "frame", labelFont, textColour,
        background, Canvas::Align::Centre);

    // The curves, one column at a time: a column's frame, the share alive after it,
    // joined to the column before by a vertical stroke, so that a step shows whole.
    // Where lines lie on one another (two brains that both keep their humans, say)
    // they take turns in short dashes, so that none hides another.
    const std::size_t brains = setup.brainNames.size();
    std::vector<std::vector<std::int32_t>> rows(brains, std::vector<std::int32_t>(areaWidth));
    for (std::size_t b = 0; b < brains && !finished.empty(); ++b) {
        for (std::int32_t x = 0; x < areaWidth; ++x) {
            const std::int64_t frame = x * lastFrame / (areaWidth - 1);
            std::size_t alive = 0;
            for (const RunResult* run : finished)
                alive += run->brains[b].aliveAfter(static_cast<std::int32_t>(frame));
            rows[b][static_cast<std::size_t>(x)]
                = rowOfShare(static_cast<double>(alive) / static_cast<double>(finished.size()));
        }
    }
    for (std::size_t b = 0; b < brains && !finished.empty(); ++b) {
        const Colour colour = brainPalette[b % brainPalette.size()];
        std::int32_t previousRow = rowOfShare(1.0);
        for (std::int32_t x = 0; x < areaWidth; ++x) {
            const std::int32_t row = rows[b][static_cast<std::size_t>(x)];
            std::size_t sharing = 0, place = 0;
            for (std::size_t other = 0; other < brains; ++other) {
                if (std::abs(rows[other][static_cast<std::size_t>(x)] - row) < lineThickness) {
                    place = other == b ? sharing : place;
                    ++sharing;
                }
            }
            const bool myTurn = static_cast<std::size_t>(x / dashLength) % sharing == place;
            const std::int32_t top = std::min(row, previousRow);
            const std::int32_t bottom = std::max(row, previousRow);
            if (myTurn || top != bottom)
                canvas.fill(areaLeft + x, top - lineThickness / 2, lineThickness, bottom - top + lineThickness, colour);
            previousRow = row;
        }
    }
    if (finished.empty())
        canvas.text(areaLeft + areaWidth / 2, areaTop + areaHeight / 2, "no run finished", titleFont, textColour,
            background, Canvas::Align::Centre);

    // The legend, in list order, in the bottom left corner of the area, where
    // survival curves, which start at the top and fall, are seldom drawn.
    std::int32_t longest = 0;
    for (const std::string& name : setup.brainNames)
        longest = std::max(longest, Canvas::textWidth(name, labelFont));
    const std::int32_t lineStep = labelHeight + 6;
    const std::int32_t legendWidth = legendPadding * 3 + legendSwatch + longest;
    const std::int32_t legendHeight = legendPadding * 2 + lineStep * static_cast<std::int32_t>(setup.brainNames.size()) - 6;
    const std::int32_t legendLeft = areaLeft + 10;
    const std::int32_t legendTop = areaBottom - legendHeight - 10;
    canvas.fill(legendLeft, legendTop, legendWidth, legendHeight, axisColour);
    canvas.fill(legendLeft + 1, legendTop + 1, legendWidth - 2, legendHeight - 2, background);
    for (std::size_t b = 0; b < setup.brainNames.size(); ++b) {
        const std::int32_t y = legendTop + legendPadding + lineStep * static_cast<std::int32_t>(b);
        canvas.fill(legendLeft + legendPadding, y + labelHeight / 2 - 1, legendSwatch, 3,
            brainPalette[b % brainPalette.size()]);
        canvas.text(legendLeft + legendPadding * 2 + legendSwatch, y, setup.brainNames[b], labelFont, textColour,
            background);
    }
    return bitmap;
}

}
