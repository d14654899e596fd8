#include "modulation_editor/XYControllerButton.h"

#include "gui/Bitmap.h"
#include "gui/Modifiers.h"
#include "gui/Text.h"
#include "gui/tests/ResourceImages.h"
#include "modulation_editor/tests/ModulationEditorRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Polarity = XYControllerButton::Polarity;
using Dimensionality = XYControllerButton::Dimensionality;

class XYControllerButtonTest : public test::ModulationEditorTest {
protected:
    void SetUp() override {
        ModulationEditorTest::SetUp();
        pad = new XYControllerButton(*ui, *editor, nullptr);
        pad->setBoundsXYWH(0, 0, 100, 100);
        pad->parent.setValue(&ui->root());
        pad->pointIcon().setSize(10, 10);
        static const bool registered =
            test::registerSolidImages({{"XYTestBackground.png", 10, 10, gui::Color(255, 0, 0, 255)}});
        ASSERT_TRUE(registered);
        source = std::make_unique<gui::Bitmap>(ui->deviceBacking());
        source->load("XYTestBackground.png");
    }
    void TearDown() override {
        source.reset();
        ModulationEditorTest::TearDown();
    }
    FloatPluginParameter& hor() { return model->xyControllers[0].hor; }
    FloatPluginParameter& ver() { return model->xyControllers[0].ver; }
    void bind() {
        pad->setParameter(0, &hor());
        pad->setParameter(1, &ver());
        pad->parameterChanged(-1);
    }
    void set(float x, float y) {
        hor().setValue(x, 0);
        ver().setValue(y, 0);
        pad->parameterChanged(-1);
    }

    XYControllerButton* pad = nullptr;
    std::unique_ptr<gui::Bitmap> source;
};

// Values grow right and up from the pad's bottom-left corner; a unipolar
// axis shows its upper half, and a negative value stands on the edge.
TEST_F(XYControllerButtonTest, PointsForBothPolaritiesAndInsets) {
    set(0.3f, -0.3f);
    EXPECT_FLOAT_EQ(pad->point().x, 0.0f); // unbound: not computed
    bind();
    struct Case {
        Polarity polarity;
        bool insets;
        float hor, ver;
        float x, y;
    } cases[] = {
        {Polarity::kBipolar, true, 0.0f, 0.0f, 50.0f, 51.0f},
        {Polarity::kBipolar, true, -1.0f, 1.0f, 8.0f, 9.0f},
        {Polarity::kBipolar, true, 1.0f, -1.0f, 92.0f, 93.0f},
        {Polarity::kBipolar, false, 0.5f, -0.5f, 75.0f, 75.0f},
        {Polarity::kUnipolar, true, 0.0f, 0.0f, 8.0f, 93.0f},
        {Polarity::kUnipolar, true, 0.5f, 1.0f, 50.0f, 9.0f},
        {Polarity::kUnipolar, true, -0.7f, -1.0f, 8.0f, 93.0f},
        {Polarity::kUnipolar, false, 1.0f, 0.25f, 100.0f, 75.0f},
    };
    for (const Case& c : cases) {
        pad->polarity.setValue(c.polarity);
        pad->padInsets.setValue(c.insets ? gui::Rect(8, 9, 8, 7) : gui::Rect());
        set(c.hor, c.ver);
        EXPECT_NEAR(pad->point().x, c.x, 1e-3f) << c.hor << " " << c.ver;
        EXPECT_NEAR(pad->point().y, c.y, 1e-3f) << c.hor << " " << c.ver;
    }
    // The insets move the pad and the point at once.
    pad->polarity.setValue(Polarity::kBipolar);
    set(0.0f, 0.0f);
    pad->padInsets.setValue(gui::Rect(20, 0, 0, 0));
    EXPECT_FLOAT_EQ(pad->padRect().left, 20.0f);
    EXPECT_FLOAT_EQ(pad->point().x, 60.0f);
}

// The drag range: the whole span bipolar, the upper half unipolar; a drag
// over the pad reaches the edge of what the point shows.
TEST_F(XYControllerButtonTest, RangesFollowThePolarity) {
    bind();
    EXPECT_EQ(pad->rangeMinimum(0), 0);
    EXPECT_EQ(pad->rangeMaximum(0), 65536);
    pad->polarity.setValue(Polarity::kUnipolar);
    EXPECT_EQ(pad->rangeMinimum(0), 32768);
    EXPECT_EQ(pad->rangeMaximum(1), 65536);
    EXPECT_EQ(pad->rangeMinimum(1), 32768);

    set(0.0f, 0.0f);
    adapter->log.clear();
    ui->mouseDown(0, {50, 50}, gui::kLeftButton);
    for (int i = 1; i <= 10; ++i)
        ui->mouseMove({50.0f - 10.0f * i, 50.0f}, gui::kLeftButton);
    ui->mouseUp(0, {-50, 50});
    EXPECT_FLOAT_EQ(hor().getValue(), 0.0f); // the unipolar floor
    EXPECT_FLOAT_EQ(pad->point().x, 0.0f);
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// One axis: x stays in the middle, x drags reach nothing, the y value is
// written as text.
TEST_F(XYControllerButtonTest, OneAxis) {
    bind();
    pad->dimensionality.setValue(Dimensionality::kOneAxis);
    set(0.8f, 0.25f);
    EXPECT_FLOAT_EQ(pad->point().x, 50.0f);
    EXPECT_FLOAT_EQ(pad->point().y, 37.5f);
    ASSERT_NE(pad->valueText(), nullptr);
    EXPECT_EQ(pad->valueText()->text.getValue(), "0.25");
    adapter->log.clear();
    ui->mouseDown(0, {50, 50}, gui::kLeftButton);
    for (int i = 1; i <= 5; ++i)
        ui->mouseMove({50.0f + 6.0f * i, 50.0f - 6.0f * i}, gui::kLeftButton);
    // Switching back to two axes mid-drag still sends x nothing.
    pad->dimensionality.setValue(Dimensionality::kTwoAxes);
    ui->mouseMove({90, 10}, gui::kLeftButton);
    ui->mouseUp(0, {90, 10});
    EXPECT_FLOAT_EQ(hor().getValue(), 0.8f);
    EXPECT_EQ(adapter->kindsOf(hor().getIndex()), "");
    EXPECT_GT(ver().getValue(), 0.25f);
    EXPECT_EQ(adapter->kindsOf(ver().getIndex()).front(), 'b');
    EXPECT_EQ(adapter->gestureFaults(), "");
}

// The background is rendered at the device scale from its source, with the
// guide line one device pixel thick through the pad's middle.
TEST_F(XYControllerButtonTest, BackgroundAtScaleTwo) {
    bind();
    pad->padInsets.setValue(gui::Rect(8, 9, 8, 7));
    pad->setBackgroundSource(source.get());
    EXPECT_EQ(pad->background().pixelWidth(), 100);
    ui->setMonitorScale(2.0f);
    const gui::Bitmap& bg = pad->background();
    ASSERT_EQ(bg.pixelWidth(), 200);
    ASSERT_EQ(bg.pixelHeight(), 200);
    // The line: y = 51 (pixel row 102); the rows beside it are the source's.
    const gui::Color middle = bg.pixelAt(100, 102);
    EXPECT_EQ(middle.r, 255);
    EXPECT_NEAR(middle.g, 60, 2);
    EXPECT_NEAR(middle.b, 60, 2);
    EXPECT_EQ(bg.pixelAt(100, 101), gui::Color(255, 0, 0, 255));
    EXPECT_EQ(bg.pixelAt(100, 103), gui::Color(255, 0, 0, 255));
    // The line's ends fade to the shadow colour; outside the pad no line.
    const gui::Color end = bg.pixelAt(17, 102);
    EXPECT_LT(end.g, 20);
    EXPECT_EQ(bg.pixelAt(4, 102), gui::Color(255, 0, 0, 255));
    // Unipolar: the line stands one device pixel above the pad's bottom.
    pad->polarity.setValue(Polarity::kUnipolar);
    EXPECT_NE(bg.pixelAt(100, 185), gui::Color(255, 0, 0, 255));
    EXPECT_EQ(bg.pixelAt(100, 102), gui::Color(255, 0, 0, 255));
    pad->setBackgroundSource(nullptr);
    EXPECT_EQ(pad->background().pixelWidth(), 0);
}

} // namespace
