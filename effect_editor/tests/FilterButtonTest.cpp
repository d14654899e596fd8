// The delay section's filter buttons on the product's editor: presses reach
// the button through its small display, drags move the filter with
// balanced gestures, the second pair is Alt, the small curve shows the
// drag's values and stays inside the face, and a filter that is off is
// veiled.

#include "effect_editor/FilterButton.h"

#include "effect_editor/FilterController.h"
#include "effect_editor/FilterInterface.h"
#include "effect_editor/tests/FilterRig.h"
#include "effect_editor/tests/PaintedPixels.h"
#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/ToggleButton.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FilterButtonTest : public test::FilterRig {
protected:
    FilterButton& button(int f) { return *dynamic_cast<FilterButton*>(editor->filterButton(f)); }
    void drag(FilterButton& b, float dx, float dy, int modifiers = 0) {
        const gui::Point at = centreInRoot(b);
        ui->mouseDown(0, at, modifiers);
        for (int k = 1; k <= 4; ++k)
            ui->mouseMove(gui::Point(at.x + dx * float(k) / 4, at.y + dy * float(k) / 4),
                          gui::kLeftButton | modifiers);
        ui->mouseUp(0, gui::Point(at.x + dx, at.y + dy), modifiers);
    }
};

TEST_F(FilterButtonTest, ADragMovesFreqAndPeakAndWithAltPanAndResponseWithBalancedGestures) {
    ASSERT_NE(editor->filterButton(0), nullptr);
    for (int32_t f = 0; f < 2; ++f) {
        SCOPED_TRACE(f);
        FilterButton& b = button(f);
        FilterParameterSet& set = model->filter[size_t(f)];
        automate(set.freq, 9.0f);
        // The small display takes no press: the press reaches the button.
        ASSERT_NE(b.filterDisplay(), nullptr);
        EXPECT_EQ(b.filterDisplay()->hitAlpha(gui::Point(10, 10)), 0);
        adapter->log.clear();
        drag(b, 30, -30);
        EXPECT_GT(set.freq.getValue(), 9.0f);
        EXPECT_GT(set.peak.getValue(), 0.0f);
        EXPECT_EQ(adapter->kindsOf(set.freq.getIndex()).front(), 'b');
        EXPECT_EQ(adapter->kindsOf(set.peak.getIndex()).back(), 'e');
        EXPECT_EQ(adapter->kindsOf(set.pan.getIndex()), "");

        adapter->log.clear();
        const float freq = set.freq.getValue();
        drag(b, 30, -120, gui::kAlt);
        EXPECT_GT(set.pan.getValue(), 0.0f);
        EXPECT_GT(set.response.getValue(), 0.0f);
        EXPECT_FLOAT_EQ(set.freq.getValue(), freq);
        EXPECT_EQ(adapter->gestureFaults(), "");
    }
}

TEST_F(FilterButtonTest, ACtrlClickResetsTheFilter) {
    FilterParameterSet& set = model->filter[0];
    automate(set.freq, 8.0f);
    automate(set.peak, 0.5f);
    automate(set.slope, 2.0f);
    const gui::Point at = centreInRoot(button(0));
    ui->mouseDown(0, at, gui::kCtrl);
    ui->mouseUp(0, at, gui::kCtrl);
    EXPECT_FLOAT_EQ(set.freq.getValue(), set.freq.getDefault());
    EXPECT_FLOAT_EQ(set.peak.getValue(), set.peak.getDefault());
    EXPECT_FLOAT_EQ(set.slope.getValue(), set.slope.getDefault());
    EXPECT_EQ(adapter->gestureFaults(), "");
}

TEST_F(FilterButtonTest, TheEnableSwitchFlipsEnabledAndFollowsIt) {
    FilterButton& b = button(1);
    FilterParameterSet& set = model->filter[1];
    gui::ToggleButton* toggle = b.enableToggle();
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->value.getValue(), 0);
    // The switch shows while the pointer is over the button.
    ui->mouseMove(centreInRoot(b));
    ASSERT_TRUE(toggle->visible.getValue());
    const gui::Point at = centreInRoot(*toggle);
    ui->mouseMove(at);
    ui->mouseDown(0, at);
    ui->mouseUp(0, at);
    EXPECT_FLOAT_EQ(set.enabled.getValue(), 1.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
    automate(set.enabled, 0.0f);
    EXPECT_EQ(toggle->value.getValue(), 0);
}

TEST_F(FilterButtonTest, TheSmallCurveShowsTheDragsSteppedResponse) {
    FilterButton& b = button(0);
    FilterParameterSet& set = model->filter[0];
    FilterController::Curve& curve = b.filterDisplay()->curve(0);
    EXPECT_EQ(curve.response.getValue(), GenericFilter::Response(0));
    const gui::Point at = centreInRoot(b);
    ui->mouseDown(0, at, gui::kAlt);
    int last = 0;
    for (int k = 1; k <= 12; ++k) {
        ui->mouseMove(gui::Point(at.x, at.y - 10.0f * float(k)), gui::kLeftButton | gui::kAlt);
        last = int(b.getDisplayedValue(3));
        // What the curve shows is the drag's response, never stuck at LP.
        EXPECT_EQ(int(curve.response.getValue()), last);
    }
    EXPECT_GT(last, 0);
    ui->mouseUp(0, gui::Point(at.x, at.y - 120.0f), gui::kAlt);
    EXPECT_EQ(int(set.response.getValue()), last);
    EXPECT_EQ(curve.response.getValue(), GenericFilter::Response(last));
    EXPECT_EQ(curve.slope.getValue(), GenericFilter::Slope(1));
    EXPECT_EQ(b.filterDisplay()->curveColor.getValue(), FilterButton::kCurveColor);
}

TEST_F(FilterButtonTest, WhileDraggingTheCurveShowsTheDragNotTheAutomation) {
    FilterButton& b = button(0);
    FilterParameterSet& set = model->filter[0];
    automate(set.freq, 8.0f);
    FilterController::Curve& curve = b.filterDisplay()->curve(0);
    const gui::Point at = centreInRoot(b);
    ui->mouseDown(0, at);
    ui->mouseMove(gui::Point(at.x + 10, at.y), gui::kLeftButton);
    ui->mouseMove(gui::Point(at.x + 20, at.y), gui::kLeftButton);
    const float dragged = curve.frequency.getValue();
    automate(set.freq, 4.0f);
    EXPECT_FLOAT_EQ(curve.frequency.getValue(), dragged);
    ui->mouseUp(0, gui::Point(at.x + 20, at.y));
    automate(set.freq, 4.0f);
    EXPECT_FLOAT_EQ(curve.frequency.getValue(), set.freq.toLinearNormalized(4.0f));
}

// Closing mid-drag ends each begun gesture once; a section that dies
// before the buttons leaves them working without its face style (ASan).
TEST_F(FilterButtonTest, ClosingMidDragAndTheSectionDyingFirstLeaveNothingBehind) {
    FilterButton& b = button(0);
    const gui::Point at = centreInRoot(b);
    ui->mouseMove(at);
    delete editor->filterInterface();
    EXPECT_EQ(editor->filterInterface(), nullptr);
    EXPECT_EQ(b.componentStyle(), nullptr);
    ui->mouseDown(0, at, gui::kAlt);
    ui->mouseMove(gui::Point(at.x + 20, at.y - 20), gui::kLeftButton | gui::kAlt);
    editor.reset();
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_FALSE(adapter->kindsOf(model->filter[0].pan.getIndex()).empty());
}

TEST_F(FilterButtonTest, TheHelpTextNamesAltForTheSecondPair) {
    const std::string help = button(0).helpText.getValue();
    EXPECT_NE(help.find("Hold down the Alt key to change the filter panning and response"),
              std::string::npos);
    EXPECT_EQ(help.find("Hold down the Ctrl key to change"), std::string::npos);
}

// A filter whose Enabled is 0 is drawn under the skin's veil: darker than
// the same filter on. Its small curve is drawn through the face's mask:
// wherever the skin's mask leaves the button (its rim and its shadow) the
// pixels stay the same however the curve runs, while inside they follow it.
TEST_F(FilterButtonTest, AFilterThatIsOffIsVeiledAndItsCurveStaysInsideTheFace) {
    FilterButton& b = button(0);
    FilterParameterSet& set = model->filter[0];
    auto mean = [](const std::vector<gui::Color>& pixels) {
        long sum = 0;
        for (const gui::Color& c : pixels)
            sum += test::lightness(c);
        return pixels.empty() ? 0 : int(sum / long(pixels.size()));
    };
    automate(set.enabled, 1.0f);
    const std::vector<gui::Color> on = test::paintedPixels(*ui, b);
    automate(set.enabled, 0.0f);
    const std::vector<gui::Color> off = test::paintedPixels(*ui, b);
    ASSERT_EQ(on.size(), off.size());
    EXPECT_LT(mean(off) + 40, mean(on)) << "an off filter looks on";
    automate(set.enabled, 1.0f);

    gui::Bitmap mask(ui->deviceBacking());
    mask.load("ButtonComponentPreviewOverlayMask.png");
    const int w = int(b.width.getValue());
    ASSERT_EQ(mask.pixelWidth(), w);
    // A high pass low down, then a low pass high up: the curves cross the
    // button's edges at different heights.
    automate(set.response, 1.0f);
    automate(set.freq, set.freq.getMin());
    const std::vector<gui::Color> low = test::paintedPixels(*ui, b);
    automate(set.response, 0.0f);
    automate(set.freq, set.freq.getMax());
    automate(set.peak, set.peak.getMax());
    const std::vector<gui::Color> high = test::paintedPixels(*ui, b);
    ASSERT_EQ(low.size(), high.size());
    int outsideChanged = 0, insideChanged = 0;
    for (size_t i = 0; i < low.size(); ++i) {
        const bool inside = mask.pixelAt(int(i) % w, int(i) / w).a > 0;
        if (low[i] != high[i]) ++(inside ? insideChanged : outsideChanged);
    }
    EXPECT_GT(insideChanged, 20);
    EXPECT_EQ(outsideChanged, 0) << "the curve runs over the button's edge";
}

} // namespace
