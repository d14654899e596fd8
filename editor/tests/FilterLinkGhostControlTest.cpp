#include "editor/FilterLinkGhostControl.h"

#include "gui/RootControl.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

namespace {

TEST(FilterLinkGhostControl, CentredOnItsAnchorAndTheVerticalHandleFiveBelow) {
    gui::headless::HeadlessInterface ui(400.0f, 300.0f, 1000);
    auto* display = new gui::Control(ui);
    display->setBoundsXYWH(50, 40, 200, 100);
    display->parent.setValue(&ui.root());
    gui::Point anchor(20, 30);
    FilterLinkGhostControl x(*display, gui::Orientation::kHorizontal, 3, [&] { return anchor; });
    FilterLinkGhostControl y(*display, gui::Orientation::kVertical, 4, [&] { return anchor; });
    x.bitmap().setSize(10, 8);
    y.bitmap().setSize(12, 8);
    const struct {
        gui::Point anchor;
        gui::Rect x;
        gui::Rect y;
    } cases[] = {
        {{20, 30}, gui::Rect::fromXYWH(65, 70, 10, 8), gui::Rect::fromXYWH(64, 75, 12, 8)},
        {{0, 0}, gui::Rect::fromXYWH(45, 40, 10, 8), gui::Rect::fromXYWH(44, 45, 12, 8)},
        {{200, 100}, gui::Rect::fromXYWH(245, 140, 10, 8), gui::Rect::fromXYWH(244, 145, 12, 8)},
    };
    for (const auto& c : cases) {
        anchor = c.anchor;
        EXPECT_EQ(x.getRect(), c.x);
        EXPECT_EQ(y.getRect(), c.y);
    }
    EXPECT_TRUE(x.isActive(0));
    delete display;
    EXPECT_FALSE(x.isActive(0));
    EXPECT_EQ(y.getRect(), gui::Rect());
}

} // namespace
