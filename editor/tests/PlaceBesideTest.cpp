#include "editor/PlaceBeside.h"

#include "gui/Control.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

namespace {

// A label whose painted part lies inside its bounds by an inset.
class InsetLabel : public gui::Control {
public:
    InsetLabel(gui::UserInterface& ui, float inset) : gui::Control(ui), inset_(inset) {}
    void getPaintBounds(gui::Rect& rect) override {
        const gui::Rect local = localRect();
        rect =
            gui::Rect(local.left + inset_, local.top + inset_, local.right - inset_, local.bottom - inset_);
    }

private:
    float inset_;
};

TEST(PlaceBeside, BelowAboveAndClampedIntoTheRoot) {
    const struct {
        const char* name;
        gui::Rect target;
        PlacementSide side;
        float width, height;
        float left, top; // expected, in the root
    } cases[] = {
        {"below, centred", {150, 100, 250, 120}, PlacementSide::kBelow, 100, 40, 150, 124},
        {"no room below: above", {150, 250, 250, 270}, PlacementSide::kBelow, 100, 40, 150, 206},
        {"no room either way: above, then clamped",
         {150, 120, 250, 140},
         PlacementSide::kBelow,
         100,
         200,
         150,
         0},
        {"near the left edge: shifted right", {0, 100, 40, 120}, PlacementSide::kBelow, 100, 40, 0, 124},
        {"near the right edge: shifted left", {370, 100, 400, 120}, PlacementSide::kBelow, 100, 40, 300, 124},
        {"right of the target", {100, 100, 150, 120}, PlacementSide::kRight, 100, 40, 154, 90},
        {"no room on the right: left", {320, 100, 390, 120}, PlacementSide::kRight, 100, 40, 216, 90},
        {"above when there is room", {150, 100, 250, 120}, PlacementSide::kAbove, 100, 40, 150, 56},
        {"larger than the root: the upper bound wins",
         {0, 0, 10, 10},
         PlacementSide::kBelow,
         500,
         40,
         -100,
         14},
    };
    for (const auto& c : cases) {
        gui::headless::HeadlessInterface ui(400.0f, 300.0f);
        auto* holder = new gui::Control(ui);
        holder->setBoundsXYWH(30, 30, 100, 100);
        holder->parent.setValue(&ui.root());
        auto* label = new gui::Control(ui);
        label->setSize(c.width, c.height);
        label->parent.setValue(holder);
        placeBeside(*label, c.target, c.side, 4, gui::Rect(0, 0, 1000, 1000));
        EXPECT_EQ(label->getParent(), &ui.root()) << c.name;
        EXPECT_FLOAT_EQ(label->bounds.getValue().left, c.left) << c.name;
        EXPECT_FLOAT_EQ(label->bounds.getValue().top, c.top) << c.name;
        EXPECT_FLOAT_EQ(label->width.getValue(), c.width) << c.name;
    }
}

TEST(PlaceBeside, ThePaintedPartIsPlacedAndTheLimitsNarrowTheRoot) {
    gui::headless::HeadlessInterface ui(400.0f, 300.0f);
    auto* label = new InsetLabel(ui, 5.0f);
    label->setSize(110, 50); // paints 100 x 40
    label->parent.setValue(&ui.root());
    placeBeside(*label, gui::Rect(150, 100, 250, 120), PlacementSide::kBelow, 4, gui::Rect(0, 0, 400, 300));
    EXPECT_EQ(label->bounds.getValue(), gui::Rect(145, 119, 255, 169));

    // Limits inside the root: no room below them, so above.
    placeBeside(*label, gui::Rect(150, 100, 250, 120), PlacementSide::kBelow, 4, gui::Rect(0, 0, 400, 150));
    EXPECT_EQ(label->bounds.getValue(), gui::Rect(145, 51, 255, 101));
}

} // namespace
