#include "effect_editor/FrequencyDisplay.h"

#include "gui/Bitmap.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The lit runs of columns along a row.
int litRuns(const gui::Bitmap& bitmap, int row) {
    int runs = 0;
    bool lit = false;
    for (int x = 0; x < bitmap.pixelWidth(); ++x) {
        const bool now = bitmap.pixelAt(x, row).a != 0;
        runs += now && !lit;
        lit = now;
    }
    return runs;
}

} // namespace

// Nine lines a decade from 10 Hz to 90 kHz's decade, every second one (the
// last at 8.5 x) below 300 wide; each one device pixel wide.
TEST(FrequencyDisplay, GridLinesFollowTheWidth) {
    gui::headless::HeadlessInterface ui(926.0f, 514.0f, 1000);
    FrequencyDisplay display(ui);
    display.gridColor.setValue(gui::Color(0, 0, 0, 255));
    for (auto [width, lines] : {std::pair{299.0f, 20}, std::pair{300.0f, 36}}) {
        SCOPED_TRACE(width);
        display.setBoundsXYWH(0, 0, width, 50);
        EXPECT_EQ(display.gridFrequencies().size(), std::size_t(lines));
        gui::Bitmap target(ui.deviceBacking());
        target.setSize(width, 50);
        display.render(target.getCanvas());
        int inside = 0;
        for (float f : display.gridFrequencies())
            inside += display.frequencyToX(f) < width;
        EXPECT_EQ(inside, lines - (width < 300.0f ? 1 : 2)); // 85 (or 80 and 90) kHz lie beyond the axis
        EXPECT_EQ(litRuns(target, 10), inside);
    }
    EXPECT_EQ(display.gridFrequencies().back(), 90000.0f);
    display.setBoundsXYWH(0, 0, 200, 50);
    EXPECT_EQ(display.gridFrequencies()[4], 85.0f);
}

// The axis: L at 2^minimum, width - 2L - R - 1 at 2^maximum; the limits
// are held in 0..17.
TEST(FrequencyDisplay, AxisAndLimits) {
    gui::headless::HeadlessInterface ui(926.0f, 514.0f, 1000);
    FrequencyDisplay display(ui);
    display.setBoundsXYWH(0, 0, 286, 263);
    display.leftMargin.setValue(10.0f);
    display.rightMargin.setValue(4.0f);
    EXPECT_FLOAT_EQ(display.frequencyToX(std::exp2(FrequencyDisplay::kDefaultMinimum)), 10.0f);
    EXPECT_NEAR(display.frequencyToX(std::exp2(FrequencyDisplay::kDefaultMaximum)), 10.0f + 286.0f - 25.0f,
                1e-3f);
    EXPECT_NEAR(display.xToFrequency(display.frequencyToX(1000.0f)), 1000.0f, 0.05f);
    display.minimum.setValue(-3.0f);
    display.maximum.setValue(20.0f);
    EXPECT_EQ(display.minimum.getValue(), 0.0f);
    EXPECT_EQ(display.maximum.getValue(), 17.0f);
}
