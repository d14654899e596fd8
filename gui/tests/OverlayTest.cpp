#include "gui/Overlay.h"

#include "gui/Animator.h"
#include "gui/Canvas.h"
#include "gui/Timer.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

std::vector<std::string> painted;

class Target : public Control {
public:
    Target(UserInterface& ui, Control* parentControl, Rect rect, std::string name, int alpha = 255)
        : Control(ui), name_(std::move(name)), alpha_(alpha) {
        setBounds(rect);
        parent.setValue(parentControl);
    }
    int hitAlpha(const Point&) override { return alpha_; }
    void paintContents(Canvas&) override { painted.push_back(name_); }

private:
    std::string name_;
    int alpha_;
};

class Ghost : public Overlay::VirtualGhostControl {
public:
    Ghost(Rect rect, bool active, std::string name) : rect_(rect), active_(active), name_(std::move(name)) {}
    Rect getRect() override { return rect_; }
    bool isActive(int) override { return active_; }
    void draw(Canvas&) override { painted.push_back(name_); }

private:
    Rect rect_;
    bool active_;
    std::string name_;
};

struct Rig {
    test::TestInterface ui;
    Overlay* overlay = new Overlay(ui);
    Rig() {
        ui.root().setBoundsXYWH(0, 0, 400, 100);
        painted.clear();
    }
};

TEST(Overlay, FindsTheTopmostTargetByMode) {
    Rig rig;
    Control& root = rig.ui.root();
    auto* own = new Target(rig.ui, &root, Rect::fromXYWH(10, 10, 40, 40), "own");
    auto* clear = new Target(rig.ui, &root, Rect::fromXYWH(60, 10, 40, 40), "clear", 0);
    auto* below = new Target(rig.ui, &root, Rect::fromXYWH(110, 10, 40, 40), "below");
    auto* blocker = new Target(rig.ui, &root, Rect::fromXYWH(110, 10, 40, 40), "blocker");
    auto* dying = new Target(rig.ui, &root, Rect::fromXYWH(160, 10, 40, 40), "dying");
    auto* hidden = new Target(rig.ui, &root, Rect::fromXYWH(210, 10, 40, 40), "hidden");
    hidden->visible.setValue(false);
    Overlay& o = *rig.overlay;
    o.addGhostControl(new Ghost(Rect::fromXYWH(300, 10, 40, 40), true, "ghost"));
    o.addGhostControl(new Ghost(Rect::fromXYWH(300, 60, 40, 30), false, "inactive"));
    o.addTarget(own, Overlay::kOwnHitTest, 0);
    o.addTarget(clear, Overlay::kPaintBounds, 0);
    o.addTarget(below, Overlay::kOwnHitTest, 0);
    o.addTarget(blocker, Overlay::kBlocking, 0); // above the one below, under the ghosts
    o.addTarget(dying, Overlay::kOwnHitTest, 0);
    o.addTarget(hidden, Overlay::kOwnHitTest, 0);
    o.show();
    delete dying;
    const struct {
        Point at;
        int target;
    } cases[] = {{{20, 20}, 0},   {{49.9f, 49.9f}, 0}, {{50, 20}, -1}, {{70, 20}, 1},  {{120, 20}, -1},
                 {{170, 20}, -1}, {{220, 20}, -1},     {{310, 20}, 6}, {{310, 70}, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(o.findTargetAt(c.at), c.target) << c.at.x << "," << c.at.y;
    // Without the blocker the control below is found; in mode 0 a clear control is not.
    Overlay* plain = new Overlay(rig.ui);
    plain->addTarget(below, Overlay::kOwnHitTest, 0);
    plain->addTarget(clear, Overlay::kOwnHitTest, 0);
    EXPECT_EQ(plain->findTargetAt({120, 20}), 0);
    EXPECT_EQ(plain->findTargetAt({70, 20}), -1);
    delete plain;
}

// Where registered targets overlap, the target is the one a press at the
// point reaches (the topmost in drawing order that takes it, or the target
// holding it), whatever order they were registered in; elsewhere the
// registration order still decides.
TEST(Overlay, OverlappingTargetsGiveWhatAPressReaches) {
    Rig rig;
    Control& root = rig.ui.root();
    auto* panel = new Target(rig.ui, &root, Rect::fromXYWH(0, 0, 200, 60), "panel");
    auto* early = new Target(rig.ui, panel, Rect::fromXYWH(10, 10, 60, 40), "early");
    auto* late = new Target(rig.ui, panel, Rect::fromXYWH(40, 10, 60, 40), "late"); // drawn over early
    auto* holder = new Target(rig.ui, panel, Rect::fromXYWH(120, 10, 60, 40), "holder");
    new Target(rig.ui, holder, Rect::fromXYWH(0, 0, 20, 20), "part");
    auto* loose = new Target(rig.ui, panel, Rect::fromXYWH(150, 10, 40, 40), "loose", 0);
    Overlay& o = *rig.overlay;
    o.addTarget(late, Overlay::kOwnHitTest, 0);
    o.addTarget(early, Overlay::kOwnHitTest, 0);
    o.addTarget(holder, Overlay::kOwnHitTest, 0);
    o.addTarget(loose, Overlay::kPaintBounds, 0);
    o.show();
    const struct {
        Point at;
        int target;
    } cases[] = {{{20, 20}, 1},  // early alone
                 {{50, 20}, 0},  // both: a press reaches late, drawn over early
                 {{90, 20}, 0},  // late alone
                 {{125, 15}, 2}, // the holder's part: the holder
                 {{160, 40}, 2}, // a press reaches the holder, not the clear one above it
                 {{185, 20}, 3}, // no press reaches a target: the clear one by its paint bounds
                 {{195, 20}, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(o.findTargetAt(c.at), c.target) << c.at.x << "," << c.at.y;
}

TEST(Overlay, AnchorsIncludeTheControlsOwnPosition) {
    Rig rig;
    auto* panel = new Target(rig.ui, &rig.ui.root(), Rect::fromXYWH(100, 0, 200, 100), "panel");
    auto* knob = new Target(rig.ui, panel, Rect::fromXYWH(30, 40, 20, 20), "knob");
    auto* inner = new Target(rig.ui, panel, Rect::fromXYWH(35, 45, 10, 10), "inner");
    auto* apart = new Target(rig.ui, panel, Rect::fromXYWH(80, 40, 20, 20), "apart");
    Overlay& o = *rig.overlay;
    o.addTarget(knob, 0, 1);
    o.addTarget(inner, 0, 1);
    o.addTarget(apart, 0, 1);
    o.addGhostControl(new Ghost(Rect::fromXYWH(0, 0, 10, 20), true, "ghost"));
    o.show();
    // The knob's centre (140, 50) moves down so that it does not meet the inner one's.
    EXPECT_EQ(o.getTargetAnchor(0), Point(140, 50 + (20 + 10) * 0.25f - 1.0f));
    EXPECT_EQ(o.getTargetAnchor(1), Point(140, 50));
    EXPECT_EQ(o.getTargetAnchor(2), Point(190, 50));
    EXPECT_EQ(o.getTargetAnchor(3), Point(5, 10));
    delete inner; // a dead entry does not move the anchor
    EXPECT_EQ(o.getTargetAnchor(0), Point(140, 50));
}

TEST(Overlay, DrawsTargetsInOrderOverTheDimming) {
    Rig rig;
    Control& root = rig.ui.root();
    auto* a = new Target(rig.ui, &root, Rect::fromXYWH(0, 0, 10, 10), "a");
    auto* b = new Target(rig.ui, &root, Rect::fromXYWH(20, 0, 10, 10), "b");
    auto* c = new Target(rig.ui, &root, Rect::fromXYWH(40, 0, 10, 10), "c");
    Overlay& o = *rig.overlay;
    o.addTarget(a, 0, 1);
    o.addGhostControl(new Ghost(Rect::fromXYWH(0, 0, 5, 5), true, "g1"));
    o.addGhostControl(new Ghost(Rect::fromXYWH(0, 0, 5, 5), false, "g2"));
    o.addTarget(b, 0, 0); // before the ghosts
    o.addTarget(c, 0, 1);
    delete c;
    o.show(); // a child of the root from now on, which deletes it
    Canvas canvas;
    o.draw(canvas);
    EXPECT_EQ(painted, (std::vector<std::string>{"a", "b", "g1"}));
}

TEST(Overlay, FadesInAndIsDeletedOnlyAtTheNextDrain) {
    std::uint32_t now = 1000;
    Rig rig;
    Animator animator(rig.ui, [&] { return now; });
    animator.timer()->tick();
    Overlay* o = rig.overlay;
    o->show();
    EXPECT_EQ(o->getParent(), &rig.ui.root());
    EXPECT_EQ(o->bounds.getValue(), Rect(0, 0, 400, 100));
    EXPECT_EQ(o->opacity.getValue(), 1);
    now = 1075;
    animator.timer()->tick();
    EXPECT_EQ(o->opacity.getValue(), 128);
    now = 1150;
    animator.timer()->tick();
    EXPECT_EQ(o->opacity.getValue(), 255);
    int hidden = 0;
    o->hiddenEvent.addHandler(NotifyEvent::bind([&] { ++hidden; }));
    o->hide();
    o->hide(); // while hiding: nothing
    now = 1300;
    animator.timer()->tick();
    EXPECT_EQ(hidden, 1);
    o->show(); // no revival
    EXPECT_EQ(o->opacity.getValue(), 0);
    Control::AliveGuard alive(o);
    EXPECT_TRUE(alive.alive());
    rig.ui.drainList(gui::kGuiList);
    EXPECT_FALSE(alive.alive());
}

TEST(Overlay, HidingWithoutAnAnimatorWaitsForTheDrain) {
    Rig rig;
    Overlay* o = rig.overlay;
    o->show();
    EXPECT_EQ(o->opacity.getValue(), 255);
    o->hide();
    EXPECT_EQ(o->opacity.getValue(), 0);
    Control::AliveGuard alive(o);
    EXPECT_TRUE(alive.alive());
    rig.ui.drainList(gui::kGuiList);
    EXPECT_FALSE(alive.alive());
}

} // namespace
} // namespace gui
