#include "effect_editor/FilterController.h"

#include "effect_editor/tests/FilterDisplayRig.h"
#include "gui/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Kind = test::RecordingAdapter::Kind;

// The filter section's display with both filters' curves.
class FilterControllerTest : public test::FilterDisplayTest {
protected:
    void SetUp() override {
        FilterDisplayTest::SetUp();
        display->curveCount.setValue(2);
        for (int f = 0; f < 2; ++f)
            addFilterCurve(f, FilterController::kNone);
    }

    FilterParameterSet& filter(int f) { return model->filter[f]; }
    // Sets a parameter as host automation would, and lets the display follow.
    void automate(AbstractPluginParameter& p, float value) {
        p.setValue(value, kParameterChangeNotToHost);
        display->refresh();
    }
    static gui::Point centreOf(const gui::Rect& r) {
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    gui::Point handle(int curve) { return centreOf(display->curve(curve).handleRect()); }
};

} // namespace

// The filter section's numbers: layout, steep widths and the low-pass start.
TEST_F(FilterControllerTest, LaysOutTheSectionDisplay) {
    FilterController::Curve& c = display->curve(0);
    EXPECT_EQ(c.displayHeight(), 263);
    EXPECT_EQ(c.curveWidth(), 266);
    EXPECT_EQ(c.curveHeight(), 121);
    EXPECT_EQ(c.kneeWidth(), 53);
    EXPECT_FLOAT_EQ(c.pixelsPerOctave(), 266.0f / (16.2064f - 2.2666f));
    EXPECT_EQ(c.point(3).y, 289.0f); // V
    EXPECT_EQ(c.point(0).x, -1315.0f);
    const int steep[] = {266, 133, 87, 53};
    for (int s = 0; s < 4; ++s) {
        c.slope.setValue(static_cast<GenericFilter::Slope>(s));
        c.buildSegments();
        EXPECT_EQ(c.steepWidth(), steep[s]) << s;
        EXPECT_EQ(c.point(3).x, float(steep[s]));
    }
}

// Peak 0.5 at slope 0: the bump, the shoulder and the handle level; peak 0
// meets the flat level at the handle without a point.
TEST_F(FilterControllerTest, PeakShapesTheBumpAndShoulder) {
    FilterController::Curve& c = display->curve(0);
    c.slope.setValue(GenericFilter::kSlope6);
    c.peak.setValue(0.5f);
    c.buildSegments();
    const float G = 1.3f * 121.0f / 53.0f;
    EXPECT_TRUE(c.pixelAligned());
    EXPECT_FLOAT_EQ(c.bump(), 2.5f * 0.5f * G);
    EXPECT_FLOAT_EQ(c.shoulder(), 2.0f * 0.5f * G);
    EXPECT_NEAR(c.bump(), 3.71f, 0.01f);
    EXPECT_NEAR(c.shoulder(), 2.97f, 0.01f);
    EXPECT_EQ(c.point(2).y, 61.0f); // 60.5 snapped
    // The segments meet at the handle, with the bump's slope on the left.
    EXPECT_NEAR(c.segmentValueAt(0.0f), 61.0f, 1e-3f);
    EXPECT_NEAR(c.segmentValueAt(-0.01f) - 61.0f, 0.01f * c.bump(), 1e-3f);

    c.peak.setValue(0.0f);
    c.buildSegments();
    EXPECT_EQ(c.point(2).y, 121.0f);
    EXPECT_EQ(c.bump(), 0.0f);
    EXPECT_EQ(c.shoulder(), 0.0f);
    for (float x : {-200.0f, -53.0f, -20.0f, -1.0f, 0.0f})
        EXPECT_NEAR(c.segmentValueAt(x), 121.0f, 1e-3f) << x;
    EXPECT_GT(c.segmentValueAt(20.0f), 121.0f);
}

// Without handles the curves have no bump or shoulder, and neither the
// handle level nor the stored offset snaps.
TEST_F(FilterControllerTest, WithoutHandlesNothingSnaps) {
    FilterController plain(*editor);
    plain.setBoundsXYWH(0, 0, 85, 72);
    plain.leftMargin.setValue(8.0f);
    FilterController::Curve& c = plain.addCurve(
        filter(0).freq.getIndex(), filter(0).peak.getIndex(), filter(0).response.getIndex(),
        FilterController::kNone, FilterController::kNone, FilterController::kNone, filter(0).pan.getIndex());
    automate(filter(0).peak, 0.37f);
    c.refresh();
    c.frequency.setValue(0.3131f);
    c.buildSegments();
    EXPECT_FALSE(c.pixelAligned());
    EXPECT_EQ(c.bump(), 0.0f);
    EXPECT_EQ(c.shoulder(), 0.0f);
    EXPECT_FLOAT_EQ(c.point(2).y, (1.0f - 0.37f) * float(c.curveHeight()));
    // Unbound enabled draws enabled; unbound slope is 1.
    EXPECT_TRUE(c.enabled.getValue());
    EXPECT_EQ(c.slope.getValue(), GenericFilter::kSlope12);
    gui::Bitmap target(ui->deviceBacking());
    target.setSize(85, 72);
    plain.render(target.getCanvas());
    EXPECT_FLOAT_EQ(c.horizontalOffset(), 0.3131f * float(c.curveWidth()));
    // Fault 6: its presses belong to the button beneath.
    EXPECT_EQ(plain.hitAlpha({40, 36}), 0);
    EXPECT_EQ(display->hitAlpha({40, 36}), 255);
}

// Band pass: two segments from -Wk to +Wk; a peak change keeps the outer points.
TEST_F(FilterControllerTest, BandPassUsesTwoSegments) {
    FilterController::Curve& c = display->curve(0);
    c.response.setValue(GenericFilter::kBandPass);
    c.slope.setValue(GenericFilter::kSlope24);
    c.buildSegments();
    EXPECT_EQ(c.segmentCount(), 2);
    EXPECT_EQ(c.point(0).x, -87.0f);
    EXPECT_EQ(c.point(2).x, 87.0f);
    EXPECT_EQ(c.point(0).y, 289.0f);
    const gui::Point p0 = c.point(0), p2 = c.point(2);
    const double cubic = c.segment(0).a();
    c.peak.setValue(0.25f);
    EXPECT_EQ(c.shapeLevel(), 1);
    c.buildSegments();
    EXPECT_EQ(c.point(0), p0);
    EXPECT_EQ(c.point(2), p2);
    EXPECT_NE(c.segment(0).a(), cubic);
    EXPECT_EQ(c.segmentValueAt(200.0f), c.segment(1).valueAt(200.0f)); // plain polynomial beyond the end
}

// The refresh reads linear positions, the slope index + 1 and the pan; a
// locked curve ignores it; automation moves the handle.
TEST_F(FilterControllerTest, RefreshFollowsTheParameters) {
    FilterController::Curve& c = display->curve(1);
    FilterParameterSet& f = filter(1);
    automate(f.freq, f.freq.fromLinearNormalized(0.25f));
    automate(f.peak, 0.5f);
    automate(f.slope, 2.0f);
    automate(f.response, 1.0f);
    automate(f.enabled, 0.0f);
    EXPECT_NEAR(c.frequency.getValue(), 0.25f, 1e-6f);
    EXPECT_FLOAT_EQ(c.peak.getValue(), 0.5f);
    EXPECT_EQ(c.slope.getValue(), GenericFilter::kSlope48);
    EXPECT_EQ(c.response.getValue(), GenericFilter::kHighPass);
    EXPECT_FALSE(c.enabled.getValue());
    EXPECT_EQ(handle(1).x, std::floor(10.0f + 266.0f * 0.25f + 0.7f));
    EXPECT_EQ(handle(1).y, std::floor(10.0f + 0.5f * 121.0f + 0.7f));
    const gui::Point before = handle(1);
    automate(f.freq, f.freq.fromLinearNormalized(0.5f));
    EXPECT_GT(handle(1).x, before.x + 60.0f);
}

// A handle hits where its bitmap's alpha is at least 65.
TEST_F(FilterControllerTest, HandlesHitAtAlpha65) {
    gui::Bitmap& dot = display->handleBitmap(0);
    dot.resize(16, 16);
    dot.clear();
    dot.setPixel({3, 8}, gui::Color(255, 255, 255, 64));
    dot.setPixel({12, 8}, gui::Color(255, 255, 255, 65));
    display->layoutCurves();
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.5f));
    const gui::Rect r = display->curve(0).handleRect();
    display->updateHover({r.left + 3.5f, r.top + 8.5f}, 0);
    EXPECT_EQ(display->hoveredIndex(), -1);
    display->updateHover({r.left + 12.5f, r.top + 8.5f}, 0);
    EXPECT_EQ(display->hoveredIndex(), 0);
    EXPECT_EQ(display->selection(), 1u);
}

// Fault 8: Shift-click steps 12 -> 24 -> 48 -> 12 (the parameter index is
// the slope less 1); Ctrl-click steps LP -> HP -> BP -> LP. Each click is
// one gesture and one undo step, and moves nothing.
TEST_F(FilterControllerTest, ShiftAndCtrlClicksCycleSlopeAndResponse) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.4f));
    automate(filter(1).freq, filter(1).freq.fromLinearNormalized(0.7f));
    FilterController::Curve& c = display->curve(0);
    EXPECT_EQ(c.slope.getValue(), GenericFilter::kSlope12);
    const int slope = filter(0).slope.getIndex(), response = filter(0).response.getIndex();
    const gui::Point at = handle(0);
    for (int click = 0; click < 3; ++click) {
        ui->mouseDown(0, at, gui::kShift);
        ui->mouseMove({at.x + 30, at.y + 30}, gui::kShift);
        ui->mouseUp(0, {at.x + 30, at.y + 30}, gui::kShift);
    }
    EXPECT_EQ(adapter->valuesOf(slope), (std::vector<float>{1.0f, 2.0f, 0.0f}));
    EXPECT_EQ(adapter->kindsOf(slope), "bvebvebve");
    EXPECT_EQ(c.slope.getValue(), GenericFilter::kSlope12);
    EXPECT_EQ(filter(0).slope.getValue(), 0.0f);
    for (int click = 0; click < 3; ++click) {
        ui->mouseDown(0, at, gui::kCtrl);
        ui->mouseUp(0, at, gui::kCtrl);
    }
    EXPECT_EQ(adapter->valuesOf(response), (std::vector<float>{1.0f, 2.0f, 0.0f}));
    EXPECT_EQ(adapter->kindsOf(filter(0).freq.getIndex()), "");
    EXPECT_EQ(editor->undoSteps, 6);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// A drag writes frequency and peak as the parameters' values of the new
// linear positions, in one gesture each; the curve ignores the parameters
// meanwhile; the release stores one undo step.
TEST_F(FilterControllerTest, DraggingAHandleMovesFrequencyAndPeak) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.25f));
    automate(filter(1).freq, filter(1).freq.fromLinearNormalized(0.75f));
    const gui::Point at = handle(0);
    ui->mouseDown(0, at);
    EXPECT_TRUE(display->curve(0).locked());
    ui->mouseMove({at.x + 40, at.y - 30});
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.9f)); // ignored while dragging
    ui->mouseMove({at.x + 53.2f, at.y - 60.5f});
    ui->mouseUp(0, {at.x + 53.2f, at.y - 60.5f});
    FilterController::Curve& c = display->curve(0);
    EXPECT_FALSE(c.locked());
    const gui::Point centre{10.0f + 266.0f * 0.25f, 10.0f + 121.0f}; // unsnapped, peak 0
    const float F = (centre.x + 53.2f - 10.0f) / 266.0f, P = (121.0f + 10.0f - (centre.y - 60.5f)) / 121.0f;
    EXPECT_NEAR(c.frequency.getValue(), F, 1e-5f);
    EXPECT_NEAR(c.peak.getValue(), P, 1e-5f);
    const int freq = filter(0).freq.getIndex(), peak = filter(0).peak.getIndex();
    EXPECT_EQ(adapter->kindsOf(freq), "bvve");
    EXPECT_EQ(adapter->kindsOf(peak), "bvve");
    EXPECT_NEAR(adapter->valuesOf(freq).back(), filter(0).freq.fromLinearNormalized(F), 1e-4f);
    EXPECT_NEAR(adapter->valuesOf(peak).back(), P, 1e-5f);
    EXPECT_EQ(adapter->kindsOf(filter(1).freq.getIndex()), "");
    EXPECT_EQ(editor->undoSteps, 1);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Ctrl+Alt on filter 1's handle turns filter 2 about the link point: the
// two handles move in opposite directions.
TEST_F(FilterControllerTest, CtrlAltMovesTheOtherFilterOpposite) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.3f));
    automate(filter(0).peak, 0.2f);
    automate(filter(1).freq, filter(1).freq.fromLinearNormalized(0.7f));
    automate(filter(1).peak, 0.6f);
    ASSERT_EQ(display->linkedCount(), 2);
    const gui::Point link = display->linkPoint();
    const gui::Point a = display->curve(0).handleCentre();
    const gui::Point at = handle(0);
    ui->mouseDown(0, at, gui::kCtrl | gui::kAlt);
    EXPECT_TRUE(display->linkBoth());
    EXPECT_EQ(display->selection(), 3u);
    ui->mouseMove({at.x - 20, at.y - 15}, gui::kCtrl | gui::kAlt);
    ui->mouseUp(0, {at.x - 20, at.y - 15}, gui::kCtrl | gui::kAlt);
    const gui::Point a2 = display->curve(0).handleCentre(), b2 = display->curve(1).handleCentre();
    EXPECT_NEAR(a2.x, a.x - 20, 0.01f);
    EXPECT_NEAR(a2.y, a.y - 15, 0.01f);
    EXPECT_NEAR(b2.x - link.x, -(a2.x - link.x), 0.01f);
    EXPECT_NEAR(b2.y - link.y, -(a2.y - link.y), 0.01f);
    EXPECT_EQ(adapter->kindsOf(filter(1).freq.getIndex()), "bve");
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(editor->undoSteps, 1);

    // The link handle moves both alike.
    adapter->log.clear();
    const gui::Point mid = centreOf(display->linkRect());
    const gui::Point b = display->curve(1).handleCentre(), a3 = display->curve(0).handleCentre();
    ui->mouseDown(0, mid);
    EXPECT_EQ(display->selection(), 3u);
    ui->mouseMove({mid.x + 10, mid.y + 5});
    ui->mouseUp(0, {mid.x + 10, mid.y + 5});
    EXPECT_NEAR(display->curve(0).handleCentre().x, a3.x + 10, 0.01f);
    EXPECT_NEAR(display->curve(1).handleCentre().y, b.y + 5, 0.01f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Fault 10: a lost capture and a close mid-drag end each begun gesture once
// and unlock the curves.
TEST_F(FilterControllerTest, LostCaptureAndCloseEndTheGesturesOnce) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.3f));
    automate(filter(1).freq, filter(1).freq.fromLinearNormalized(0.7f));
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "lost capture");
        adapter->log.clear();
        const gui::Point at = handle(0);
        ui->mouseDown(0, at, gui::kAlt); // every linked curve
        ui->mouseMove({at.x + 10, at.y}, gui::kAlt);
        ASSERT_TRUE(display->curve(1).locked());
        if (close) {
            delete display;
            display = nullptr;
        } else {
            display->captureLost();
            EXPECT_FALSE(display->curve(0).locked());
            EXPECT_FALSE(display->curve(1).locked());
            EXPECT_FALSE(display->pressActive());
            ui->mouseUp(0, {at.x + 10, at.y}, gui::kAlt);
        }
        for (int f = 0; f < 2; ++f) {
            EXPECT_EQ(adapter->kindsOf(filter(f).freq.getIndex()), "bve") << f;
            EXPECT_EQ(adapter->kindsOf(filter(f).peak.getIndex()), "be") << f;
        }
        EXPECT_EQ(adapter->gestureFaults(), "");
    }
    EXPECT_EQ(editor->undoSteps, 1);
}

// The editor closing mid-drag (capture released, then the tree deleted):
// one end per begin, no undo step, nothing left for the display to touch.
TEST_F(FilterControllerTest, EditorClosingMidDragEndsEachGestureOnce) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.3f));
    const gui::Point at = handle(0);
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 10, at.y - 10});
    editor->prepareForClosing();
    display = nullptr; // deleted with the root's children
    EXPECT_EQ(adapter->kindsOf(filter(0).freq.getIndex()), "bve");
    EXPECT_EQ(adapter->kindsOf(filter(0).peak.getIndex()), "bve");
    EXPECT_EQ(adapter->gestureFaults(), "");
    EXPECT_EQ(editor->undoSteps, 0);
    ui->mouseUp(0, {at.x + 10, at.y - 10});
}

// Alt joins the other linked curve mid-drag and letting go of Alt ends it.
TEST_F(FilterControllerTest, ModifiersChangeTheSelectionMidDrag) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.3f));
    automate(filter(1).freq, filter(1).freq.fromLinearNormalized(0.7f));
    const gui::Point at = handle(0);
    const float other = display->curve(1).handleCentre().x;
    ui->mouseDown(0, at);
    ui->mouseMove({at.x + 5, at.y}, gui::kAlt);
    EXPECT_EQ(display->selection(), 3u);
    ui->mouseMove({at.x + 15, at.y}, gui::kAlt);
    EXPECT_NEAR(display->curve(1).handleCentre().x, other + 10, 0.01f);
    ui->mouseMove({at.x + 20, at.y}, 0);
    EXPECT_EQ(display->selection(), 1u);
    EXPECT_FALSE(display->curve(1).locked());
    ui->mouseUp(0, {at.x + 20, at.y});
    // The last move still carried it (the modifiers apply after the move).
    EXPECT_EQ(adapter->kindsOf(filter(1).freq.getIndex()), "bvve");
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// Fault 9: the first channel's curve lies pan octaves above the handle and
// the second's below, as the processor runs them; pan 0 draws once.
TEST_F(FilterControllerTest, PanShiftsTheFirstChannelUp) {
    FilterController button(*editor);
    button.parent.setValue(&ui->root());
    button.setBoundsXYWH(300, 0, 286, 263);
    button.leftMargin.setValue(10.0f);
    button.curveColor.setValue(gui::Color(0, 0, 255, 255));
    button.firstChannelColor.setValue(gui::Color(0, 255, 0, 255));
    button.secondChannelColor.setValue(gui::Color(255, 0, 0, 255));
    button.normalFillColor.setValue(gui::Color(0, 0, 0, 0));
    FilterController::Curve& c =
        button.addCurve(filter(0).freq.getIndex(), filter(0).peak.getIndex(), filter(0).response.getIndex(),
                        filter(0).slope.getIndex(), FilterController::kNone, FilterController::kNone,
                        filter(0).pan.getIndex());
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.5f));
    automate(filter(0).pan, 1.0f);
    c.refresh();
    const float ppo = c.pixelsPerOctave();
    EXPECT_FLOAT_EQ(c.channelOffset(1), 133.0f + ppo);
    EXPECT_FLOAT_EQ(c.channelOffset(2), 133.0f - ppo);
    gui::Bitmap target(ui->deviceBacking());
    target.setSize(286, 263);
    button.render(target.getCanvas());
    // Along a row through the falls: red, then blue, then green.
    auto columnOf = [&target](int row, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        for (int x = 0; x < 286; ++x) {
            gui::Color p = target.pixelAt(x, row);
            auto near = [](std::uint8_t a, std::uint8_t b) { return std::abs(int(a) - int(b)) < 8; };
            if (p.a > 128 && near(p.r, r) && near(p.g, g) && near(p.b, b)) return x;
        }
        return -1;
    };
    const int row = 10 + 121 + 40;
    const int red = columnOf(row, 255, 0, 0), blue = columnOf(row, 0, 0, 255),
              green = columnOf(row, 0, 255, 0);
    ASSERT_GE(red, 0);
    EXPECT_NEAR(blue - red, ppo, 3.0f);
    EXPECT_NEAR(green - blue, ppo, 3.0f);
    automate(filter(0).pan, 0.0f);
    c.refresh();
    target.clear();
    button.render(target.getCanvas());
    EXPECT_EQ(columnOf(row, 0, 255, 0), -1);
    EXPECT_EQ(columnOf(row, 255, 0, 0), -1);
}

// A disabled curve draws at half its alpha.
TEST_F(FilterControllerTest, DisabledCurveDrawsAtHalfAlpha) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.5f));
    automate(filter(0).enabled, 1.0f);
    display->curveCount.setValue(1);
    display->normalFillColor.setValue(gui::Color(255, 255, 255, 200));
    display->gridColor.setValue(gui::Color(0, 0, 0, 0));
    gui::Bitmap target(ui->deviceBacking());
    target.setSize(286, 263);
    display->render(target.getCanvas());
    const gui::Color on = target.pixelAt(60, 200);
    automate(filter(0).enabled, 0.0f);
    target.clear();
    display->render(target.getCanvas());
    const gui::Color off = target.pixelAt(60, 200);
    EXPECT_EQ(on.a, 200);
    EXPECT_EQ(off.a, 100);
}

// Too small to lay out: no curve, no handle, input and drawing harmless.
TEST_F(FilterControllerTest, DegenerateSizesLayOutNothing) {
    for (gui::Point size :
         {gui::Point{20, 263}, gui::Point{286, 20}, gui::Point{24, 100}, gui::Point{0, 0}}) {
        SCOPED_TRACE(::testing::Message() << size.x << " x " << size.y);
        display->setSize(size);
        for (int i = 0; i < 2; ++i)
            EXPECT_FALSE(display->curve(i).laidOut());
        gui::Bitmap target(ui->deviceBacking());
        target.setSize(300, 300);
        display->render(target.getCanvas());
        ui->mouseDown(0, {5, 5});
        ui->mouseMove({9, 9});
        ui->mouseUp(0, {9, 9});
        EXPECT_EQ(adapter->log.size(), 0u);
    }
    display->setSize(286.0f, 263.0f);
    EXPECT_TRUE(display->curve(0).laidOut());
}

// A scale change lays the curves out again: handles and the handle level
// snap to the new device pixels, and the handles keep their logical size.
TEST_F(FilterControllerTest, ScaleChangeSnapsHandlesAgain) {
    automate(filter(0).freq, filter(0).freq.fromLinearNormalized(0.3f));
    automate(filter(0).peak, 0.37f);
    const gui::Point centre = display->curve(0).handleCentre();
    for (float scale : {1.0f, 2.0f, 1.5f}) {
        SCOPED_TRACE(scale);
        ui->setMonitorScale(scale);
        const float s = ui->deviceBacking().getScale();
        ASSERT_EQ(s, scale);
        EXPECT_FLOAT_EQ(handle(0).x, gui::DeviceBacking::snapAt(centre.x, s));
        EXPECT_FLOAT_EQ(handle(0).y, gui::DeviceBacking::snapAt(centre.y, s));
        EXPECT_FLOAT_EQ(display->curve(0).handleRect().width(), 16.0f);
        gui::Bitmap target(ui->deviceBacking());
        target.setSize(286, 263);
        display->render(target.getCanvas());
        EXPECT_FLOAT_EQ(display->curve(0).point(2).y, gui::DeviceBacking::snapAt((1.0f - 0.37f) * 121.0f, s));
    }
}
