#include "editor/ControlBuilder.h"

#include "editor/ABButton.h"
#include "editor/GenericPluginInterfaceBase.h"
#include "editor/HotspotButton.h"
#include "editor/IndicatorLight.h"
#include "editor/tests/TestEditorModel.h"
#include "gui/ControlBar.h"
#include "gui/Text.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using test::EditorModel;

class ControlBuilderTest : public test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        model = std::make_unique<EditorModel>(name_);
        ui = std::make_unique<gui::headless::HeadlessInterface>(600.0f, 600.0f, 1000);
        editor = std::make_unique<GenericPluginInterfaceBase>(*ui, *model);
        panel = new gui::Control(*ui);
        panel->setBoundsXYWH(40, 30, 500, 500);
        panel->parent.setValue(&ui->root());
        builder = std::make_unique<ControlBuilder>(*editor, *panel);
    }
    void TearDown() override {
        builder.reset();
        ui->root().deleteChildren();
        editor.reset();
        ui.reset();
        model.reset();
        PluginTest::TearDown();
    }

    std::unique_ptr<EditorModel> model;
    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    std::unique_ptr<GenericPluginInterfaceBase> editor;
    gui::Control* panel = nullptr;
    std::unique_ptr<ControlBuilder> builder;
};

TEST_F(ControlBuilderTest, CoordinatesAreThoseOfTheDefaultParentShiftedByTheBaseOrigin) {
    gui::Control* outer = builder->createControl(5, 5, 200, 200);
    EXPECT_EQ(outer->getParent(), panel);
    EXPECT_EQ(outer->bounds.getValue(), gui::Rect(5, 5, 205, 205));
    builder->setParent(outer);
    gui::Control* inner = builder->createControl(15, 25, 100, 100); // (10, 20) in outer
    EXPECT_EQ(inner->bounds.getValue().topLeft(), gui::Point(10, 20));
    builder->setParent(inner);
    gui::Control* c = builder->createControl(100, 100, 10, 10);
    EXPECT_EQ(c->getParent(), inner);
    EXPECT_EQ(c->bounds.getValue().topLeft(), gui::Point(85, 75));
    builder->setBaseOrigin(3, 4);
    gui::Control* shifted = builder->createControl(100, 100, 10, 10);
    EXPECT_EQ(shifted->bounds.getValue().topLeft(), gui::Point(88, 79));
    builder->setParent(nullptr);
    EXPECT_EQ(builder->parent(), panel);
    EXPECT_EQ(builder->origin(), gui::Point(3, 4));
}

TEST_F(ControlBuilderTest, AStyleSourceTakesTheNextControlAndItsExtent) {
    gui::Button::Style style(*ui);
    style.width.setValue(40);
    style.height.setValue(20);
    gui::Control* source = builder->createControl(0, 0, 120, 30);
    builder->setStyleSource(source);
    gui::Button* button = builder->createButton(300, 300, &style);
    // Outside a vertical bar: the control takes the source's width and
    // gives it its height; its right edge follows the container.
    EXPECT_EQ(builder->styleSource(), nullptr);
    EXPECT_EQ(button->getParent(), source);
    EXPECT_EQ(button->anchors.getValue(), 7);
    EXPECT_FLOAT_EQ(button->width.getValue(), 120.0f);
    EXPECT_FLOAT_EQ(source->height.getValue(), 20.0f);
    // The next control is placed by coordinates again.
    gui::Button* next = builder->createButton(300, 300, &style);
    EXPECT_EQ(next->getParent(), panel);
    EXPECT_EQ(next->bounds.getValue().topLeft(), gui::Point(300, 300));

    // Inside a vertical control bar it takes the source's height and gives it its width.
    auto* bar = new gui::ControlBar(*ui);
    bar->orientation.setValue(gui::Orientation::kVertical);
    bar->setBoundsXYWH(0, 0, 200, 400);
    bar->parent.setValue(panel);
    builder->setParent(bar);
    gui::Control* row = builder->createControl(0, 0, 150, 60);
    builder->setStyleSource(row);
    gui::Button* inBar = builder->createButton(0, 0, &style);
    EXPECT_EQ(inBar->getParent(), row);
    EXPECT_EQ(inBar->anchors.getValue(), 11);
    EXPECT_FLOAT_EQ(inBar->height.getValue(), 60.0f);
    EXPECT_FLOAT_EQ(row->width.getValue(), 40.0f);
}

TEST_F(ControlBuilderTest, ButtonsHaveTheHitThresholdAndTheABButtonItsText) {
    gui::Button* button = builder->createButton(10, 10, nullptr);
    EXPECT_EQ(button->hitThreshold.getValue(), ControlBuilder::kHitThreshold);
    gui::ToggleButton* toggle = builder->createToggleButton(30, 40, nullptr);
    EXPECT_EQ(toggle->hitThreshold.getValue(), ControlBuilder::kHitThreshold);
    EXPECT_EQ(toggle->bounds.getValue().topLeft(), gui::Point(30, 40));
    gui::LevelButton* level = builder->createLevelButton(50, 60, nullptr);
    EXPECT_EQ(level->getParent(), panel);
    EXPECT_EQ(level->bounds.getValue().topLeft(), gui::Point(50, 60));
    ABButton* ab = builder->createABButton(20, 20, nullptr);
    EXPECT_EQ(ab->textLine(0)->text.getValue(), "A/B");
    EXPECT_FALSE(ab->state.getValue());
    IndicatorLight* light = builder->createLight(nullptr);
    EXPECT_EQ(light->bounds.getValue().topLeft(),
              gui::Point(ControlBuilder::kLightX, ControlBuilder::kLightY));

    setControlEnabled(*button, false);
    EXPECT_FALSE(button->enabled.getValue());
    EXPECT_EQ(button->opacity.getValue(), 90);
    setControlEnabled(*button, true);
    EXPECT_TRUE(button->enabled.getValue());
    EXPECT_EQ(button->opacity.getValue(), 255);
}

TEST_F(ControlBuilderTest, ASelectorGetsOneChoicePerValueOfItsParameter) {
    gui::SelectButton* select = builder->createSelectButton(10, 10, nullptr);
    EXPECT_EQ(select->hitThreshold.getValue(), ControlBuilder::kHitThreshold);
    select->addChoice("stale");
    addParameterValueItems(*select, model->steps);
    ASSERT_EQ(select->choices().size(), 4u);
    for (int k = 2; k <= 5; ++k)
        EXPECT_EQ(select->choices()[std::size_t(k - 2)], model->steps.valueToText(float(k), 0)) << k;
    addParameterValueItems(*select, model->note);
    EXPECT_EQ(select->choices().size(), 128u);
}

TEST_F(ControlBuilderTest, HotspotsLieOnTheRingAtTheAnglesTheKnobShows) {
    gui::Knob* knob = builder->createKnob(100, 120, nullptr);
    knob->setSize(40, 40);
    knob->minimum.setValue(2);
    knob->maximum.setValue(5);
    const float values[] = {2, 3, 4, 5};
    std::vector<HotspotButton*> buttons;
    builder->createHotspotButtons(*knob, model->steps, nullptr, 30.0f, 4, values, &buttons);
    ASSERT_EQ(buttons.size(), 4u);
    const gui::Point centre(120, 140); // in the panel
    for (int i = 0; i < 4; ++i) {
        HotspotButton* b = buttons[std::size_t(i)];
        EXPECT_EQ(b->knob(), knob);
        EXPECT_FLOAT_EQ(b->normalizedValue(), float(i) / 3.0f);
        EXPECT_EQ(b->hitThreshold.getValue(), ControlBuilder::kHitThreshold);
        const gui::Rect& r = b->bounds.getValue();
        const float dx = (r.left + r.right) / 2 - centre.x;
        const float dy = (r.top + r.bottom) / 2 - centre.y;
        // Whole units: each coordinate within one of the ring at the shown angle.
        EXPECT_NEAR(std::hypot(dx, dy), 30.0f, 1.5f) << i;
        const double angle = double(knob->angleForValue(2 + i)) * 2.0 * std::numbers::pi;
        EXPECT_NEAR(dx, 30.0 * std::sin(angle), 1.0) << i;
        EXPECT_NEAR(dy, -30.0 * std::cos(angle), 1.0) << i;
    }
    // A knob that dies leaves its buttons without it.
    delete knob;
    EXPECT_EQ(buttons[0]->knob(), nullptr);
}

} // namespace
