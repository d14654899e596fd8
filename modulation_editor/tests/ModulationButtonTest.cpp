#include "modulation_editor/ModulationButton.h"

#include "gui/Modifiers.h"
#include "gui/Timer.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ModulationButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<gui::headless::HeadlessInterface>(200.0f, 100.0f, 1000);
        button = new ModulationButton(*ui, nullptr);
        button->setBoundsXYWH(10, 10, 40, 20);
        button->parent.setValue(&ui->root());
        button->timer()->tickEvent.addHandler(NotifyEvent::bind([this] { ++ticks; }));
    }
    void press() { ui->mouseDown(0, {20, 20}, gui::kLeftButton); }
    void release(gui::Point at = {20, 20}) { ui->mouseUp(0, at); }

    std::unique_ptr<gui::headless::HeadlessInterface> ui;
    ModulationButton* button = nullptr;
    int ticks = 0;
};

TEST_F(ModulationButtonTest, TheTimerRunsWhileTheButtonIsHeld) {
    ui->advance(500);
    EXPECT_EQ(ticks, 0);
    press();
    EXPECT_TRUE(button->isPressed());
    EXPECT_TRUE(button->timer()->enabled.getValue());
    ui->advance(250);
    EXPECT_GT(ticks, 0);
    release();
    EXPECT_FALSE(button->isPressed());
    EXPECT_FALSE(button->timer()->enabled.getValue());
    const int held = ticks;
    ui->advance(500);
    EXPECT_EQ(ticks, held);
}

TEST_F(ModulationButtonTest, TheReleaseShowsTheValue) {
    // Lit from elsewhere while held and released off the button (no
    // click): the release puts the look back to the value.
    press();
    button->on.setValue(true);
    release({150, 80});
    EXPECT_FALSE(button->timer()->enabled.getValue());
    EXPECT_EQ(button->value.getValue(), 0);
    EXPECT_FALSE(button->on.getValue());
    // A click turns it on, as any toggle.
    press();
    release();
    EXPECT_EQ(button->value.getValue(), 1);
    EXPECT_TRUE(button->on.getValue());
}

TEST_F(ModulationButtonTest, ALostCaptureEndsThePress) {
    press();
    ui->root().setMouseCapture(nullptr);
    EXPECT_FALSE(button->isPressed());
    EXPECT_FALSE(button->timer()->enabled.getValue());
}

TEST_F(ModulationButtonTest, TheButtonAndTheUserInterfaceDieInEitherOrder) {
    delete button; // deletes its timer
    button = new ModulationButton(*ui, nullptr);
    button->parent.setValue(&ui->root());
    ui.reset(); // deletes the button with the tree
}

} // namespace
