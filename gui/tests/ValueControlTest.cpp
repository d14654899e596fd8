#include "gui/ValueControl.h"

#include "gui/Animator.h"
#include "gui/Bitmap.h"
#include "gui/DragAndDrop.h"
#include "gui/Modifiers.h"
#include "gui/PixelArithmetic.h"
#include "gui/Timer.h"
#include "gui/ValueMouseTracker.h"
#include "gui/tests/GestureRecorder.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::GestureRecorder;
using test::joined;

// A knob-like control: a press begins (Ctrl resets), vertical moves step
// through the tracker, the release ends.
class TestKnob : public RolloverValueControl {
public:
    TestKnob(UserInterface& ui, IntervalTimer::Clock clock)
        : RolloverValueControl(ui), tracker(std::move(clock)) {}
    ValueMouseTracker tracker;
    Point last;

    void mouseDown(int button, const Point& point, int modifiers) override {
        tracker.setClickPoint(point);
        last = point;
        updateLinkFromModifiers(modifiers);
        AliveGuard alive(this);
        RolloverValueControl::mouseDown(button, point, modifiers);
        if (alive.alive() && button == 0 && inGesture() && (modifierMode(modifiers) & kModeReset))
            resetToDefault();
    }
    void mouseMove(const Point& point, int modifiers) override {
        RolloverValueControl::mouseMove(point, modifiers);
        if (!inGesture() || (modifiers & kPressMove)) return;
        updateLinkFromModifiers(modifiers);
        const int steps = tracker.dragMove(*this, point, last.y - point.y, modifiers);
        last = point;
        performGesture(kGestureChange, steps);
    }
    void mouseEnter() override { setPointerInside(true); }
    void mouseLeave() override { setPointerInside(false); }
    void reset() { resetToDefault(); }
};

struct Rig {
    std::uint32_t now = 1000;
    test::TestInterface ui;
    // Every listener call with the control's id.
    GestureRecorder listener{GestureRecorder::Words::kControls};
    RootControl& root = ui.root();

    Rig() { root.setBoundsXYWH(0, 0, 400, 100); }

    TestKnob* knob(int id, float x) {
        auto* k = new TestKnob(ui, [this] { return now; });
        k->controlId.setValue(id);
        k->maximum.setValue(100);
        k->setListener(&listener);
        k->setBoundsXYWH(x, 0, 50, 50);
        k->parent.setValue(&root);
        return k;
    }
    // Each control's calls, in order.
    std::map<std::string, std::vector<char>> phases() const {
        std::map<std::string, std::vector<char>> out;
        for (const std::string& e : listener.log) {
            if (e == "{" || e == "}" || e[0] == 'x') continue;
            std::string id = e.substr(1, e.find(':') - 1);
            out[id].push_back(e[0]);
        }
        return out;
    }
};

TEST(ValueControl, ModifierMaskMapsToModes) {
    const struct {
        int modifiers;
        int mode;
    } cases[] = {{kCtrl, kModeReset},
                 {kShift, kModeFine},
                 {kAlt, kModeLink},
                 {kShift | kAlt, kModeFine | kModeLink},
                 {kAlt | kCtrl, kModeReset | kModeLink},
                 {kCtrl | kShift, 0},
                 {kShift | 0x80, 0},
                 {kShift | kLeftButton, kModeFine},
                 {kCtrl | kDoubleClick, kModeReset},
                 {kAlt | kPressMove, kModeLink},
                 {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(modifierMode(c.modifiers), c.mode) << c.modifiers;
}

TEST(ValueControl, BoundsAndDefaults) {
    test::TestInterface ui;
    ValueControl c(ui);
    EXPECT_EQ(c.minimum.getValue(), 0);
    EXPECT_EQ(c.maximum.getValue(), 4096);
    EXPECT_EQ(c.value.getValue(), 0);
    EXPECT_EQ(c.controlId.getValue(), -1);
    c.value.setValue(5000);
    EXPECT_EQ(c.value.getValue(), 4096);
    c.minimum.setValue(10);
    c.maximum.setValue(10); // pushes the minimum down
    EXPECT_EQ(c.minimum.getValue(), 9);
    EXPECT_EQ(c.value.getValue(), 10);
    c.minimum.setValue(20); // pushes the maximum up
    EXPECT_EQ(c.maximum.getValue(), 21);
    EXPECT_EQ(c.value.getValue(), 20);
    EXPECT_EQ(c.gesturePosition(), 20);
}

TEST(ValueControl, PressMovesAndReleaseGiveBeginChangesEnd) {
    Rig rig;
    TestKnob* k = rig.knob(1, 0);
    rig.root.handleMouseDown(0, {10, 40}, kLeftButton);
    rig.now += 1000;
    rig.root.handleMouseMove({10, 30}, kLeftButton | kShift); // 10 px fine on 100 steps
    rig.now += 1000;
    rig.root.handleMouseMove({10, 20}, kLeftButton | kShift);
    rig.root.handleMouseUp(0, {10, 20}, 0);
    EXPECT_EQ(joined(rig.listener.log), "b1 c1:20 c1:20 e1");
    EXPECT_EQ(k->value.getValue(), 40);
    EXPECT_FALSE(k->inGesture());
}

TEST(ValueControl, BoundOvershootHoldsOnlyForStepGesture) {
    Rig rig;
    TestKnob* k = rig.knob(1, 0);
    k->value.setValue(95);
    k->performGesture(kGestureBegin, 0);
    k->performGesture(kGestureChange, 10);
    EXPECT_EQ(k->value.getValue(), 100);
    k->performGesture(kGestureChange, -3);
    EXPECT_EQ(k->value.getValue(), 97);
    k->performGesture(kGestureEnd, 0);

    k->value.setValue(95);
    k->stepGesture(0, 0, 0, 0);
    k->stepGesture(1, 0, 10, 0);
    EXPECT_EQ(k->gesturePosition(), 105);
    k->stepGesture(1, 0, -3, 0);
    EXPECT_EQ(k->value.getValue(), 100);
    k->stepGesture(1, 0, -3, 0);
    EXPECT_EQ(k->value.getValue(), 99);
    k->stepGesture(2, 0, 0, 0);
}

TEST(ValueControl, OutsideAssignmentIsRevertedMidGesture) {
    Rig rig;
    TestKnob* k = rig.knob(1, 0);
    k->value.setValue(40);
    k->performGesture(kGestureBegin, 0);
    k->performGesture(kGestureChange, 2);
    k->value.setValue(7);
    EXPECT_EQ(k->value.getValue(), 42);
    k->performGesture(kGestureEnd, 0);
    k->value.setValue(7);
    EXPECT_EQ(k->value.getValue(), 7);
}

TEST(ValueControl, ResetNotifiesAnEqualDefaultOnlyWhenIndeterminate) {
    Rig rig;
    TestKnob* k = rig.knob(1, 0);
    k->defaultValue.setValue(30);
    k->value.setValue(60);
    rig.root.handleMouseDown(0, {10, 10}, kLeftButton | kCtrl);
    rig.root.handleMouseUp(0, {10, 10}, 0);
    EXPECT_EQ(k->value.getValue(), 30);
    EXPECT_EQ(joined(rig.listener.log), "b1 c1:0 e1");
    rig.listener.log.clear();
    k->reset();
    EXPECT_TRUE(rig.listener.log.empty());
    k->indeterminate.setValue(true);
    k->reset();
    EXPECT_EQ(joined(rig.listener.log), "c1:0");
}

TEST(ValueControl, QueryFlagChangesNothingAndTheListenerWidensSteps) {
    Rig rig;
    TestKnob* k = rig.knob(1, 0);
    int events = 0;
    k->valueChangedEvent.addHandler(NotifyEvent::bind([&] { ++events; }));
    k->value.setValue(50);
    EXPECT_EQ(k->stepGesture(1, 0, 7, ValueControl::kQueryOnly), 7);
    EXPECT_EQ(k->value.getValue(), 50);
    EXPECT_EQ(k->gesturePosition(), 50);
    EXPECT_TRUE(rig.listener.log.empty());
    EXPECT_EQ(events, 0);
    rig.listener.query = 9;
    EXPECT_EQ(k->stepGesture(1, 0, 7, 0), 9);
    EXPECT_EQ(events, 1);
}

TEST(ValueControl, BoundsPushEachOtherAndClampTheValue) {
    // Applied in order to one control that starts at 5 on 0..10.
    const struct {
        bool setMinimum;
        int to, minimum, maximum, value;
    } steps[] = {{false, 10, 0, 10, 5},      {true, 20, 20, 21, 20},  {false, -5, -6, -5, -5},
                 {true, -100, -100, -5, -5}, {false, 0, -100, 0, -5}, {true, -3, -3, 0, -3}};
    test::TestInterface ui;
    ValueControl v(ui);
    v.value.setValue(5);
    for (const auto& s : steps) {
        (s.setMinimum ? v.minimum : v.maximum).setValue(s.to);
        EXPECT_EQ(v.minimum.getValue(), s.minimum) << s.to;
        EXPECT_EQ(v.maximum.getValue(), s.maximum) << s.to;
        EXPECT_EQ(v.value.getValue(), s.value) << s.to;
        EXPECT_EQ(v.gesturePosition(), s.value) << s.to;
    }
}

TEST(ValueControl, NormalizedPositionsRoundTrip) {
    test::TestInterface ui;
    ValueControl c(ui);
    for (int range : {36000, 4096}) {
        c.maximum.setValue(range);
        for (int k = 0; k <= range; ++k) {
            c.setNormalizedValue(float(k) / float(range));
            ASSERT_EQ(c.value.getValue(), k) << range;
        }
    }
    c.setNormalizedValue(0.5f);
    EXPECT_EQ(c.value.getValue(), 2048);
    c.setNormalizedValue(2.0f);
    EXPECT_EQ(c.value.getValue(), 4096);
    c.setNormalizedValue(-1.0f);
    EXPECT_EQ(c.value.getValue(), 0);
    c.value.setValue(100);
    c.setNormalizedValue(std::nanf(""));
    EXPECT_EQ(c.value.getValue(), 0);
}

// Every way out of a linked drag gives one end per begin for the driver and
// both followers, and nothing after the end or the destruction.
TEST(ValueControl, EveryGestureEndsOnceForDriverAndFollowers) {
    const char* rows[] = {"destroyed", "capture taken", "root resized", "cancel mode",  "drag started",
                          "hidden",    "disabled",      "detached",     "second press", "wheel begin"};
    for (const std::string row : rows) {
        SCOPED_TRACE(row);
        Rig rig;
        TestKnob* a = rig.knob(1, 0);
        TestKnob* b = rig.knob(2, 100);
        TestKnob* c = rig.knob(3, 200);
        Control other(rig.ui);
        DragObject dragObject; // outlives the stage, which the drain deletes
        a->linkWith(b);
        a->linkWith(c);
        rig.root.handleMouseDown(0, {10, 40}, kLeftButton | kAlt);
        rig.now += 100;
        rig.root.handleMouseMove({10, 20}, kLeftButton | kAlt);
        ASSERT_TRUE(b->inGesture());
        ASSERT_TRUE(c->inGesture());
        if (row == "destroyed") {
            delete a;
            a = nullptr;
            rig.listener.log.push_back("x");
        } else if (row == "capture taken") {
            rig.root.setMouseCapture(&other);
        } else if (row == "root resized") {
            rig.root.setBoundsXYWH(0, 0, 500, 120);
        } else if (row == "cancel mode") {
            a->cancelMouse();
        } else if (row == "drag started") {
            (new DragStage(rig.ui))->startDrag(a, &dragObject);
        } else if (row == "hidden") {
            a->visible.setValue(false);
        } else if (row == "disabled") {
            a->enabled.setValue(false);
        } else if (row == "detached") {
            a->parent.setValue(nullptr);
        } else if (row == "second press") {
            rig.root.handleMouseDown(0, {10, 20}, kLeftButton);
        } else if (row == "wheel begin") {
            a->performGesture(kGestureBegin, 0);
            a->performGesture(kGestureChange, 1);
        }
        rig.now += 100;
        rig.root.handleMouseMove({10, 10}, kLeftButton | kAlt);
        rig.root.handleMouseUp(0, {10, 10}, 0);
        rig.ui.drainList(gui::kGuiList);
        const auto seen = rig.phases();
        for (const auto& [id, list] : seen) {
            SCOPED_TRACE("control " + id);
            bool open = false;
            for (char p : list) {
                if (p == 'b') {
                    EXPECT_FALSE(open) << "begin inside a gesture";
                    open = true;
                } else {
                    EXPECT_TRUE(open) << "call outside a gesture";
                    if (p == 'e') open = false;
                }
            }
            EXPECT_FALSE(open) << "gesture left open";
        }
        EXPECT_EQ(seen.size(), 3u);
        if (row == "destroyed") {
            auto mark = std::find(rig.listener.log.begin(), rig.listener.log.end(), "x");
            for (auto it = mark; it != rig.listener.log.end(); ++it)
                EXPECT_EQ(it->find('1'), std::string::npos);
        }
        if (a != nullptr && a->getParent() == nullptr) delete a;
    }
}

TEST(ValueControl, LinkedControlsMoveTogether) {
    for (auto mode : {ValueLinkGroup::Mode::kSame, ValueLinkGroup::Mode::kMirrored}) {
        Rig rig;
        TestKnob* a = rig.knob(1, 0);
        TestKnob* b = rig.knob(2, 100);
        a->value.setValue(50);
        b->value.setValue(50);
        a->linkWith(b);
        ASSERT_EQ(a->linkGroup(), b->linkGroup());
        a->linkGroup()->mode = mode;
        a->updateLinkFromModifiers(kAlt);
        a->performGesture(kGestureBegin, 0);
        a->performGesture(kGestureChange, 5);
        EXPECT_EQ(b->value.getValue(), mode == ValueLinkGroup::Mode::kSame ? 55 : 45);
        a->performGesture(kGestureEnd, 0);
        // Two members: no group calls.
        EXPECT_EQ(joined(rig.listener.log),
                  mode == ValueLinkGroup::Mode::kSame ? "b1 b2 c1:5 c2:5 e2 e1" : "b1 b2 c1:5 c2:-5 e2 e1");
        // Unlinking one of two dissolves the group.
        b->unlink();
        EXPECT_EQ(a->linkGroup(), nullptr);
        EXPECT_EQ(b->linkGroup(), nullptr);
    }
}

TEST(ValueControl, GroupCallsOnlyWithThreeMembersAndAltReleaseEndsFollowers) {
    Rig rig;
    TestKnob* a = rig.knob(1, 0);
    TestKnob* b = rig.knob(2, 100);
    TestKnob* c = rig.knob(3, 200);
    a->linkWith(b);
    c->linkWith(a);
    ASSERT_EQ(a->linkGroup()->members.size(), 3u);
    rig.root.handleMouseDown(0, {10, 40}, kLeftButton | kAlt);
    rig.now += 1000;
    rig.root.handleMouseMove({10, 30}, kLeftButton | kAlt | kShift);
    EXPECT_EQ(joined(rig.listener.log), "b1 b2 b3 { c1:20 c2:20 c3:20 }");
    rig.listener.log.clear();
    rig.now += 1000;
    rig.root.handleMouseMove({10, 30}, kLeftButton); // Alt released, no movement
    EXPECT_EQ(joined(rig.listener.log), "e2 e3");
    rig.listener.log.clear();
    rig.now += 1000;
    rig.root.handleMouseMove({10, 20}, kLeftButton | kShift);
    rig.root.handleMouseUp(0, {10, 20}, 0);
    EXPECT_EQ(joined(rig.listener.log), "c1:20 e1");
    EXPECT_EQ(b->value.getValue(), 20);
}

TEST(ValueControl, DriverResetMovesMembersToItsNormalisedPosition) {
    Rig rig;
    TestKnob* a = rig.knob(1, 0);
    TestKnob* b = rig.knob(2, 100);
    b->maximum.setValue(1000);
    a->defaultValue.setValue(25);
    a->value.setValue(80);
    b->value.setValue(900);
    a->linkWith(b);
    a->updateLinkFromModifiers(kAlt | kCtrl);
    a->performGesture(kGestureBegin, 0);
    a->reset();
    a->performGesture(kGestureEnd, 0);
    EXPECT_EQ(a->value.getValue(), 25);
    EXPECT_EQ(b->value.getValue(), 250);
}

TEST(ValueControl, UnlinkMidGestureEndsTheFollowers) {
    Rig rig;
    TestKnob* a = rig.knob(1, 0);
    TestKnob* b = rig.knob(2, 100);
    TestKnob* c = rig.knob(3, 200);
    a->linkWith(b);
    a->linkWith(c);
    a->updateLinkFromModifiers(kAlt);
    a->performGesture(kGestureBegin, 0);
    a->performGesture(kGestureChange, 1);
    c->unlink(); // a follower ends its own gesture
    EXPECT_FALSE(c->inGesture());
    a->unlink(); // the driver ends the others; b is left alone, which dissolves the group
    EXPECT_FALSE(b->inGesture());
    EXPECT_EQ(b->linkGroup(), nullptr);
    EXPECT_TRUE(a->inGesture());
    a->performGesture(kGestureEnd, 0);
    const auto seen = rig.phases();
    for (const auto& [id, list] : seen)
        EXPECT_EQ(std::count(list.begin(), list.end(), 'e'), 1) << id;
}

TEST(ValueControl, DestroyedControlTellsTheListenerButFiresNoEvents) {
    Rig rig;
    TestKnob* a = rig.knob(1, 0);
    int ends = 0;
    a->gestureEndEvent.addHandler(NotifyEvent::bind([&] { ++ends; }));
    a->performGesture(kGestureBegin, 0);
    delete a;
    EXPECT_EQ(joined(rig.listener.log), "b1 e1");
    EXPECT_EQ(ends, 0);
}

// A switch-like control whose release selects a position inside the gesture.
class ClickSwitch : public ValueControl {
public:
    using ValueControl::ValueControl;
    void mouseUp(int button, const Point& point, int modifiers) override {
        if (inGesture()) performGesture(kGestureChange, 1);
        ValueControl::mouseUp(button, point, modifiers);
    }
};

TEST(ValueControl, ReleaseStepComesBeforeTheEnd) {
    Rig rig;
    auto* s = new ClickSwitch(rig.ui);
    s->controlId.setValue(7);
    s->maximum.setValue(3);
    s->setListener(&rig.listener);
    s->setBoundsXYWH(0, 0, 20, 20);
    s->parent.setValue(&rig.root);
    rig.root.handleMouseDown(0, {5, 5}, kLeftButton);
    rig.root.handleMouseUp(0, {5, 5}, 0);
    EXPECT_EQ(joined(rig.listener.log), "b7 c7:1 e7");
}

// ---- rollover -----------------------------------------------------------------

struct RolloverRig : Rig {
    std::unique_ptr<Animator> animator = std::make_unique<Animator>(ui, [this] { return now; });
    RolloverRig() { tickAt(1000); }
    void tickAt(std::uint32_t time) {
        now = time;
        animator->timer()->tick();
    }
};

TEST(ValueControl, RolloverLevelFadesAtItsDurations) {
    RolloverRig rig;
    TestKnob* k = rig.knob(1, 0);
    RolloverManager& m = k->rolloverManager();
    rig.root.handleMouseMove({10, 10}, 0); // enter
    rig.tickAt(1050);
    EXPECT_EQ(m.level(), 127);
    rig.tickAt(1100);
    EXPECT_EQ(m.level(), 255);
    rig.root.handleMouseMove({390, 90}, 0); // leave: 300 ms out
    rig.tickAt(1250);
    EXPECT_EQ(m.level(), 127);
    rig.root.handleMouseMove({10, 10}, 0); // reversal from the current level
    rig.tickAt(1300);
    EXPECT_EQ(m.level(), 191);
    k->highlighted.setValue(true); // the lock keeps it on
    rig.root.handleMouseMove({390, 90}, 0);
    rig.tickAt(1500);
    EXPECT_EQ(m.level(), 255);
    k->highlighted.setValue(false);
    rig.tickAt(1800);
    EXPECT_EQ(m.level(), 0);
}

TEST(ValueControl, RolloverBlendCrossFadesWithinTheHighlight) {
    RolloverRig rig;
    TestKnob* k = rig.knob(1, 0);
    k->normalOpacity.setValue(128);
    Bitmap normal(rig.ui.deviceBacking()), highlight(rig.ui.deviceBacking()), small(rig.ui.deviceBacking());
    normal.setSize(4, 4);
    highlight.setSize(4, 4);
    small.setSize(2, 2);
    normal.fillRect({0, 0, 4, 4}, Color(0, 0, 255, 255));
    highlight.fillRect({0, 0, 4, 4}, Color(255, 0, 0, 200));
    small.fillRect({0, 0, 2, 2}, Color(255, 0, 0, 200));
    RolloverManager& m = k->rolloverManager();
    int opacity = 0;
    EXPECT_EQ(m.blend(normal, highlight, opacity, nullptr), &normal);
    EXPECT_EQ(opacity, 128);
    k->highlighted.setValue(true);
    rig.tickAt(1100);
    EXPECT_EQ(m.blend(normal, highlight, opacity, nullptr), &highlight);
    EXPECT_EQ(opacity, 255);
    k->highlighted.setValue(false); // fades out over 300 ms from 1100
    rig.tickAt(1249);
    ASSERT_EQ(m.level(), 128);
    m.blend(normal, highlight, opacity, nullptr);
    EXPECT_EQ(opacity, 191);
    rig.tickAt(1282);
    ASSERT_EQ(m.level(), 100);
    Rect rect;
    const Bitmap* out = m.blend(normal, highlight, opacity, &rect);
    ASSERT_NE(out, &normal);
    ASSERT_NE(out, &highlight);
    EXPECT_EQ(rect, Rect(0, 0, 4, 4));
    const std::uint32_t fade = pixel::crossFade(normal.getPixels()[0], highlight.getPixels()[0], 100);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out->getPixels()[i], fade) << i;
    // A smaller highlight: nothing is read outside it, and the uncovered part
    // fades towards transparent; an empty highlight is transparent everywhere.
    const std::uint32_t alone = pixel::crossFade(normal.getPixels()[0], pixel::kTransparent, 100);
    out = m.blend(normal, small, opacity, &rect);
    EXPECT_EQ(out->getPixels()[0], fade);
    EXPECT_EQ(out->getPixels()[3], alone);
    EXPECT_EQ(out->getPixels()[15], alone);
    Bitmap empty(rig.ui.deviceBacking());
    out = m.blend(normal, empty, opacity, &rect);
    EXPECT_EQ(out->getPixels()[0], alone);
}

} // namespace
} // namespace gui
