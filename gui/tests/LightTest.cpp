#include "gui/Light.h"

#include "gui/Bitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(Light, DrawsTheStylesBitmapForItsState) {
    test::TestInterface ui;
    const Color offColor(0, 0, 90, 255), onColor(0, 250, 0, 255);
    auto* style = new Light::Style(ui);
    style->offBitmap().setSize(4, 4);
    style->offBitmap().fillRect({0, 0, 4, 4}, offColor);
    style->onBitmap().setSize(4, 4);
    style->onBitmap().fillRect({0, 0, 4, 4}, onColor);
    Light light(ui, style);
    light.setBoundsXYWH(0, 0, 8, 8);
    Bitmap target(ui.deviceBacking());
    target.setSize(8, 8);
    const struct {
        bool on;
        float placement;
        Color atOrigin, atFar;
    } cases[] = {{false, Light::kOwnRect, offColor, Color(0, 0, 0, 0)},
                 {true, Light::kOwnRect, onColor, Color(0, 0, 0, 0)},
                 {true, 0.0f, onColor, Color(0, 0, 0, 0)}};
    for (const auto& c : cases) {
        target.clear();
        light.on.setValue(c.on);
        light.placement = c.placement;
        light.draw(target.getCanvas());
        EXPECT_EQ(target.pixelAt(0, 0), c.atOrigin) << c.on << c.placement;
        EXPECT_EQ(target.pixelAt(7, 7), c.atFar) << c.on << c.placement;
    }
    style->on.setValue(true);
    light.switchOff();
    EXPECT_FALSE(light.on.getValue());
    EXPECT_FALSE(style->on.getValue());
    // A deleted style is forgotten; a light without one draws nothing.
    delete style;
    EXPECT_EQ(light.style(), nullptr);
    target.clear();
    light.draw(target.getCanvas());
    EXPECT_EQ(target.pixelAt(0, 0), Color(0, 0, 0, 0));
}

} // namespace
} // namespace gui
