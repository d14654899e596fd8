#include "editor/IndicatorLight.h"

#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

namespace {

// Lit, a light goes off the given time after the last time it was lit, and
// stays off.
TEST(IndicatorLightTest, GoesOffTheGivenTimeAfterItWasLastLit) {
    gui::headless::HeadlessInterface ui(100.0f, 100.0f, 1000);
    auto* light = new IndicatorLight(ui, nullptr);
    light->parent.setValue(&ui.root());
    EXPECT_FALSE(light->on.getValue());
    light->light(250);
    EXPECT_TRUE(light->on.getValue());
    ui.advance(200);
    light->light(250);
    ui.advance(249);
    EXPECT_TRUE(light->on.getValue());
    ui.advance(1);
    EXPECT_FALSE(light->on.getValue());
    light->on.setValue(true); // lit by hand: no timer runs
    ui.advance(1000);
    EXPECT_TRUE(light->on.getValue());
}

} // namespace
