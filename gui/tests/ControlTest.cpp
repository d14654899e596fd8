#include "gui/Control.h"

#include "gui/Canvas.h"
#include "gui/Modifiers.h"
#include "gui/tests/RecordingCanvas.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace gui {
namespace {

using test::Op;
using test::RecordingCanvas;
using test::TestInterface;

// A control that logs what reaches it.
class Probe : public Control {
public:
    Probe(TestInterface& ui, std::vector<std::string>& log, std::string name,
          Control* parentControl = nullptr, Rect rect = {})
        : Control(ui), log_(log), name_(std::move(name)) {
        setBounds(rect);
        if (parentControl != nullptr) parent.setValue(parentControl);
        clickEvent.setHandler(NotifyEvent::bind([this] { record("click"); }));
        doubleClickEvent.setHandler(NotifyEvent::bind([this] { record("double"); }));
        secondaryClickEvent.setHandler(NotifyEvent::bind([this] { record("secondary"); }));
        pressEvent.setHandler(NotifyEvent::bind([this] { record("press"); }));
        releaseEvent.setHandler(NotifyEvent::bind([this] { record("release"); }));
        enterEvent.setHandler(NotifyEvent::bind([this] { record("enter"); }));
        leaveEvent.setHandler(NotifyEvent::bind([this] { record("leave"); }));
        boundsEvent.setHandler(NotifyEvent::bind([this] { record("bounds"); }));
        delayedClickEvent.setHandler(NotifyEvent::bind([this] { record("delayed"); }));
    }
    ~Probe() override { log_.push_back("~" + name_); }

    void record(const std::string& what) { log_.push_back(name_ + " " + what); }

    void draw(Canvas& canvas) override {
        record("draw");
        Control::draw(canvas);
    }
    bool keyPressed(int key, int, int) override {
        record("key " + std::to_string(key));
        return key == handledKey;
    }
    bool scroll(const Point&, int, float delta, int axis) override {
        record("scroll " + std::to_string(axis) + " " + std::to_string(delta).substr(0, 4));
        return scrollAnswer;
    }
    bool scrollSecondary(const Point&, int, float delta, int axis) override {
        record("secondary scroll " + std::to_string(axis) + " " + std::to_string(delta).substr(0, 4));
        return secondaryAnswer;
    }
    bool magnify(int phase, const Point&, int, float) override {
        record("magnify " + std::to_string(phase));
        return magnifyAnswer;
    }
    void scaleChanged() override {
        record("scale");
        Control::scaleChanged();
    }
    void touchEvent(const TouchRecord& r, const Point& p) override {
        record("touch " + std::to_string(static_cast<int>(r.phase)));
        Control::touchEvent(r, p);
    }
    void mouseDown(int button, const Point& p, int modifiers) override {
        lastDown = p;
        downModifiers = modifiers;
        Control::mouseDown(button, p, modifiers);
    }

    int handledKey = -1;
    bool scrollAnswer = false;
    bool secondaryAnswer = false;
    bool magnifyAnswer = false;
    Point lastDown;
    int downModifiers = 0;

private:
    std::vector<std::string>& log_;
    std::string name_;
};

struct Tree : ::testing::Test {
    TestInterface ui;
    std::vector<std::string> log;
    RootControl& root = ui.root();

    void SetUp() override { root.setBounds({0, 0, 200, 100}); }

    Probe* make(const std::string& name, Control* parentControl, Rect rect) {
        return new Probe(ui, log, name, parentControl, rect);
    }
    void press(const Point& p, int button = 0, int modifiers = 0) {
        root.getEventTarget()->dispatchMouseDown(button, root.getEventTarget()->fromRoot(p), modifiers);
    }
    void move(const Point& p, int modifiers = 0) {
        root.getEventTarget()->dispatchMouseMove(root.getEventTarget()->fromRoot(p), modifiers);
    }
    void release(const Point& p, int button = 0, int modifiers = 0) {
        root.getEventTarget()->dispatchMouseUp(button, root.getEventTarget()->fromRoot(p), modifiers);
    }
    std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
};

using Log = std::vector<std::string>;

TEST_F(Tree, DefaultsAndDerivedGeometry) {
    Control c(ui);
    EXPECT_EQ(c.anchors.getValue(), 3);
    EXPECT_FALSE(c.movable.getValue());
    EXPECT_EQ(c.backgroundColor.getValue(), Color(0, 0, 0, 0));
    EXPECT_EQ(c.bounds.getValue(), Rect());
    EXPECT_TRUE(c.enabled.getValue());
    EXPECT_TRUE(c.doubleClickEnabled.getValue());
    EXPECT_FALSE(c.delayedClick.getValue());
    EXPECT_EQ(c.helpText.getValue(), "");
    EXPECT_FALSE(c.opaque.getValue());
    EXPECT_EQ(c.opacity.getValue(), 255);
    EXPECT_EQ(c.hitThreshold.getValue(), 240);
    EXPECT_EQ(c.getParent(), nullptr);
    EXPECT_EQ(c.touchFlags.getValue(), 0);
    EXPECT_TRUE(c.visible.getValue());

    c.setBoundsXYWH(10, 20, 30, 40);
    EXPECT_EQ(c.center.getValue(), Point(25, 40));
    EXPECT_EQ(c.size.getValue(), Point(30, 40));
    c.x.setValue(50);
    EXPECT_EQ(c.bounds.getValue(), Rect(50, 20, 80, 60));
    c.height.setValue(10);
    EXPECT_EQ(c.bounds.getValue(), Rect(50, 20, 80, 30));
    c.center.setValue({0, 0});
    EXPECT_EQ(c.bounds.getValue(), Rect(-15, -5, 15, 5));
    c.setX(-15.0005f); // within 0.001: nothing moves
    EXPECT_EQ(c.bounds.getValue(), Rect(-15, -5, 15, 5));
    c.setY(-4.998f);
    EXPECT_EQ(c.bounds.getValue(), Rect(-15, -4.998f, 15, 5.002f));
    EXPECT_EQ(c.localRect(), Rect(0, 0, 30, 10));
}

TEST_F(Tree, AnchorsFollowAParentResize) {
    struct Case {
        int anchors;
        Rect after;
    };
    // The parent grows by 20 in width and 10 in height.
    const Case cases[] = {
        {0, {20, 15, 40, 25}}, {3, {10, 10, 30, 20}}, {4, {30, 15, 50, 25}},  {5, {10, 15, 50, 25}},
        {7, {10, 10, 50, 20}}, {8, {20, 20, 40, 30}}, {12, {30, 20, 50, 30}}, {15, {10, 10, 50, 30}},
    };
    for (const Case& c : cases) {
        Probe* panel = make("panel", &root, {0, 0, 100, 50});
        Probe* child = make("child", panel, {10, 10, 30, 20});
        child->anchors.setValue(c.anchors);
        panel->setSize(120, 60);
        EXPECT_EQ(child->bounds.getValue(), c.after) << c.anchors;
        delete child;
        delete panel;
    }
}

TEST_F(Tree, SmallSizeChangesStoreWithoutRelayout) {
    Probe* panel = make("panel", &root, {0, 0, 100, 50});
    Probe* child = make("child", panel, {10, 10, 30, 20});
    child->anchors.setValue(5);
    take();
    panel->width.setValue(100.005f); // stored, but neither laid out nor announced
    EXPECT_FLOAT_EQ(panel->width.getValue(), 100.005f);
    EXPECT_EQ(child->bounds.getValue(), Rect(10, 10, 30, 20));
    EXPECT_EQ(take(), Log());
    panel->width.setValue(100.0095f); // 0.0045 more: still the same integer part
    EXPECT_EQ(take(), Log());
    panel->width.setValue(101.0f); // crosses an integer
    EXPECT_EQ(take(), Log({"child bounds", "panel bounds"}));
    // Children follow the change from the size last laid out.
    EXPECT_NEAR(child->bounds.getValue().right, 30.9905f, 1e-4);
    delete panel;
    delete child;
}

TEST_F(Tree, DirtyRectsReachTheRootOffsetAndClipped) {
    Probe* panel = make("panel", &root, {50, 20, 150, 80});
    Probe* child = make("child", panel, {10, 10, 30, 30});
    root.clearDirtyRect();
    child->invalidateRect({-5, 5, 100, 10});
    EXPECT_EQ(root.getDirtyRect(), Rect(60, 35, 80, 40));

    // A hold on the child coalesces; one rect reaches the parent when it ends.
    root.clearDirtyRect();
    {
        UpdatedObject::Hold hold(*child);
        child->invalidateRect({0, 0, 1, 1});
        child->invalidateRect({5, 5, 6, 6});
        EXPECT_TRUE(root.getDirtyRect().isEmpty());
    }
    EXPECT_EQ(root.getDirtyRect(), Rect(60, 30, 66, 36));

    // A hidden or transparent control invalidates nothing.
    root.clearDirtyRect();
    child->opacity.setValue(0);
    root.clearDirtyRect();
    child->invalidateRect({0, 0, 10, 10});
    EXPECT_TRUE(root.getDirtyRect().isEmpty());
    delete child;
    delete panel;
}

TEST_F(Tree, MovingHidingAndFadingDirtyTheRightAreas) {
    Probe* a = make("a", &root, {10, 10, 20, 20});
    // A move dirties both the old and the new area.
    root.clearDirtyRect();
    a->setX(100);
    EXPECT_EQ(root.getDirtyRect(), Rect(10, 10, 110, 20));
    // ... also when the move happens under a hold of the control.
    root.clearDirtyRect();
    {
        UpdatedObject::Hold hold(*a);
        a->setY(50);
    }
    EXPECT_EQ(root.getDirtyRect(), Rect(100, 10, 110, 60));
    root.clearDirtyRect();
    a->visible.setValue(false);
    EXPECT_EQ(root.getDirtyRect(), Rect(100, 50, 110, 60));
    root.clearDirtyRect();
    a->visible.setValue(true);
    EXPECT_EQ(root.getDirtyRect(), Rect(100, 50, 110, 60));
    root.clearDirtyRect();
    a->opacity.setValue(0);
    EXPECT_EQ(root.getDirtyRect(), Rect(100, 50, 110, 60));
    root.clearDirtyRect();
    a->backgroundColor.setValue(Color(1, 2, 3));
    EXPECT_TRUE(root.getDirtyRect().isEmpty()); // faded out: nothing to show
    delete a;
}

TEST_F(Tree, OpaqueChildrenMergeIntoTheCoveredRect) {
    struct Case {
        std::vector<Rect> children;
        Rect covered;
    };
    const Case cases[] = {
        {{{0, 0, 50, 100}, {50, 0, 200, 100}}, {0, 0, 200, 100}},
        // horizontal merge 0..100 x 10..40 (3000) loses to vertical 20..50 x 0..100 (3000): tie, first wins
        {{{0, 0, 50, 40}, {20, 10, 100, 100}}, {0, 10, 100, 40}},
        // the taller merge is larger
        {{{0, 0, 60, 50}, {10, 40, 50, 100}}, {10, 0, 50, 100}},
        // a rect that does not touch empties it; the next one starts again
        {{{0, 0, 10, 10}, {50, 50, 60, 60}}, {}},
        // (sorted by top, then left: the third rect comes second)
        {{{0, 0, 10, 10}, {50, 50, 60, 60}, {55, 0, 70, 5}}, {50, 50, 60, 60}},
        // clipped to the local rect
        {{{-10, -10, 300, 50}}, {0, 0, 200, 50}},
    };
    for (const Case& c : cases) {
        std::vector<Probe*> made;
        for (const Rect& r : c.children) {
            made.push_back(make("c", &root, r));
            made.back()->opaque.setValue(true);
        }
        EXPECT_EQ(root.coveredRect(), c.covered);
        for (Probe* p : made)
            delete p;
        EXPECT_EQ(root.coveredRect(), Rect());
    }
}

TEST_F(Tree, RenderingMultipliesOpacitiesAndSnapsChildOrigins) {
    RecordingCanvas target(1.5f);
    Canvas canvas(&target);
    root.backgroundColor.setValue(Color(9, 9, 9));
    Probe* a = make("a", &root, {10.25f, 0, 60, 100});
    Probe* b = make("b", &root, {100, 10.25f, 150, 50});
    Probe* hidden = make("hidden", &root, {0, 0, 10, 10});
    Probe* clear = make("clear", &root, {0, 0, 10, 10});
    a->backgroundColor.setValue(Color(1, 1, 1));
    b->backgroundColor.setValue(Color(2, 2, 2));
    hidden->visible.setValue(false);
    clear->opacity.setValue(0);
    b->opacity.setValue(128);
    root.opacity.setValue(254);
    canvas.clip.setValue(root.localRect());
    take();
    root.render(canvas);
    EXPECT_EQ(take(), Log({"a draw", "b draw"}));
    ASSERT_EQ(target.calls.size(), 3u);
    EXPECT_EQ(target.calls[0].rect, Rect(0, 0, 200, 100));
    EXPECT_EQ(target.calls[0].color.a, 254);
    // 255 x 254 / 255 = 254; 128 x 254 / 255 = 127.5, floored to 127.
    EXPECT_EQ(target.calls[1].color.a, 254);
    EXPECT_EQ(target.calls[2].color.a, 127);
    EXPECT_FLOAT_EQ(target.calls[1].rect.left, 32.0f / 3.0f);
    EXPECT_FLOAT_EQ(target.calls[2].rect.top, 32.0f / 3.0f);
    // The canvas comes back as it was given.
    EXPECT_EQ(canvas.origin.getValue(), Point());
    EXPECT_EQ(canvas.clip.getValue(), root.localRect());
    EXPECT_EQ(canvas.opacity.getValue(), 254);
    delete a;
    delete b;
    delete hidden;
    delete clear;
}

TEST_F(Tree, CoveredStripsShrinkTheDrawClip) {
    struct Case {
        Rect cover;
        Rect drawn; // the root's own fill
    };
    const Case cases[] = {
        {{0, 0, 60, 100}, {60, 0, 200, 100}},   // left strip, full height
        {{150, 0, 200, 100}, {0, 0, 150, 100}}, // right strip
        {{0, 70, 200, 100}, {0, 0, 200, 70}},   // bottom strip
        {{0, 0, 200, 30}, {0, 30, 200, 100}},   // top strip
        {{50, 20, 100, 60}, {0, 0, 200, 100}},  // an island changes nothing
        {{-5, -5, 205, 105}, {}},               // fully covered: no draw at all
    };
    root.backgroundColor.setValue(Color(9, 9, 9));
    for (const Case& c : cases) {
        RecordingCanvas target;
        Canvas canvas(&target);
        canvas.clip.setValue(root.localRect());
        Probe* cover = make("cover", &root, c.cover);
        cover->opaque.setValue(true);
        root.render(canvas);
        if (c.drawn.isEmpty()) {
            EXPECT_EQ(target.calls.size(), 0u);
        } else {
            ASSERT_GE(target.calls.size(), 1u);
            EXPECT_EQ(target.calls[0].rect, c.drawn);
        }
        delete cover;
    }
    take();
}

TEST_F(Tree, HitTesting) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    Probe* b = make("b", &root, {30, 30, 70, 70});
    struct Case {
        Point at;
        Control* hit;
    };
    const Case cases[] = {{{10, 10}, a},       {{49.9f, 20}, a},    {{50, 20}, nullptr},   {{40, 40}, b},
                          {{69.9f, 69.9f}, b}, {{70, 40}, nullptr}, {{9.99f, 20}, nullptr}};
    for (const Case& c : cases)
        EXPECT_EQ(root.findChildAt(c.at), c.hit) << c.at.x << "," << c.at.y;
    // 240 x 255 is not greater than 240 x 255.
    b->opacity.setValue(240);
    EXPECT_EQ(root.findChildAt({40, 40}), a);
    b->opacity.setValue(241);
    EXPECT_EQ(root.findChildAt({40, 40}), b);
    b->enabled.setValue(false);
    EXPECT_EQ(root.findChildAt({40, 40}), a);
    a->visible.setValue(false);
    EXPECT_EQ(root.findChildAt({40, 40}), nullptr);
    Probe* empty = make("empty", &root, {0, 0, 0, 100});
    EXPECT_EQ(root.findChildAt({0, 40}), nullptr);
    delete empty;
    delete a;
    delete b;
}

TEST_F(Tree, ClickOnReleaseInside) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    press({20, 20});
    EXPECT_EQ(root.getCaptureHolder(), a);
    EXPECT_EQ(a->captureState(), Control::CaptureState::kPress);
    release({30, 30});
    EXPECT_EQ(take(), Log({"a press", "a release", "a click"}));
    EXPECT_EQ(root.getCaptureHolder(), nullptr);
    // Released outside: no click. The capture keeps the release on a.
    press({20, 20});
    move({100, 90});
    release({100, 90});
    EXPECT_EQ(take(), Log({"a press", "a enter", "a release"}));
    // A right press and release: the secondary click.
    press({20, 20}, 1);
    release({20, 20}, 1);
    EXPECT_EQ(take(), Log({"a press", "a release", "a secondary"}));
    // A press carrying the double-click bit: a double click, and no click.
    press({20, 20}, 0, kDoubleClick);
    release({20, 20});
    EXPECT_EQ(take(), Log({"a double", "a press", "a release"}));
    a->doubleClickEnabled.setValue(false);
    press({20, 20}, 0, kDoubleClick);
    release({20, 20});
    EXPECT_EQ(take(), Log({"a press", "a release", "a click"}));
    delete a;
}

TEST_F(Tree, DragStartsBeyondFourUnitsAndStaysInTheParent) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    a->movable.setValue(true);
    press({20, 20});
    move({24, 24}); // exactly 4.0: still a click
    release({24, 24});
    EXPECT_EQ(take(), Log({"a press", "a enter", "a release", "a click"}));
    EXPECT_EQ(a->bounds.getValue(), Rect(10, 10, 50, 50));

    press({20, 20});
    move({24.01f, 20});
    release({24.01f, 20});
    EXPECT_EQ(take(), Log({"a press", "a release"}));
    EXPECT_NEAR(a->bounds.getValue().left, 14.01f, 1e-4);

    // The grabbed point stays inside the parent (200 x 100).
    a->setBounds({10, 10, 50, 50});
    press({20, 20});
    move({500, -300});
    EXPECT_EQ(a->bounds.getValue(), Rect(190, -10, 230, 30));
    release({500, -300});
    delete a;
}

TEST_F(Tree, DelayedClickBecomesThePendingClick) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    a->delayedClick.setValue(true);
    press({20, 20});
    release({20, 20});
    EXPECT_EQ(take(), Log({"a press", "a release", "a click"}));
    EXPECT_EQ(root.getPendingClick(), a);
    EXPECT_EQ(ui.root().log.back(), "click timer on");
    delete a; // a pending control clears the entry itself
    EXPECT_EQ(root.getPendingClick(), nullptr);
}

TEST_F(Tree, GestureCaptureEndsAfterMovingAway) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    a->scrollAnswer = true;
    EXPECT_TRUE(root.dispatchGesture(kWheelGesture, kGestureChange, {20, 20}, 0, {0, 0.5f}, {0, 3}, 0));
    EXPECT_EQ(root.getCaptureHolder(), a);
    EXPECT_EQ(a->captureState(), Control::CaptureState::kScrollGesture);
    move({24, 24}); // 4.0: the gesture keeps its control
    EXPECT_EQ(root.getCaptureHolder(), a);
    move({24.5f, 20});
    EXPECT_EQ(root.getCaptureHolder(), nullptr);
    EXPECT_EQ(a->captureState(), Control::CaptureState::kNone);

    // Another kind of gesture: state 3; the end phase takes no capture.
    a->magnifyAnswer = true;
    EXPECT_TRUE(root.dispatchGesture(kMagnifyGesture, kGestureChange, {20, 20}, 0, {}, {}, 1.5f));
    EXPECT_EQ(a->captureState(), Control::CaptureState::kOtherGesture);
    // A press releases a gesture capture first.
    press({20, 20});
    EXPECT_EQ(a->captureState(), Control::CaptureState::kPress);
    release({20, 20});
    root.setMouseCapture(nullptr);
    EXPECT_TRUE(root.dispatchGesture(kMagnifyGesture, kGestureEnd, {20, 20}, 0, {}, {}, 1.5f));
    EXPECT_EQ(root.getCaptureHolder(), nullptr);
    delete a;
}

TEST_F(Tree, WheelOffersComponentsInOrder) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    struct Case {
        Point first, second;
        int modifiers;
        bool scrollTakes, secondaryTakes, magnifyTakes;
        Log expected;
        bool handled;
    };
    const Case cases[] = {
        {{0.5f, -0.2f},
         {7, 8},
         0,
         false,
         false,
         false,
         {"a scroll 0 0.50", "a scroll 1 -0.2", "a secondary scroll 0 7.00", "a secondary scroll 1 8.00"},
         false},
        {{0.5f, -0.2f}, {7, 8}, 0, true, false, false, {"a scroll 0 0.50"}, true},
        {{0, 1e-8f}, {0, 8}, 0, false, true, false, {"a secondary scroll 1 8.00"}, true},
        {{0, 0}, {0, 0}, kCtrl, false, false, true, {"a magnify 1"}, true},
        {{0, 0}, {0, 0}, kCtrl | kShift, false, false, true, {}, false},
        {{0, 0}, {0, 0}, kCtrl | kLeftButton, false, false, true, {"a magnify 1"}, true},
    };
    for (const Case& c : cases) {
        a->scrollAnswer = c.scrollTakes;
        a->secondaryAnswer = c.secondaryTakes;
        a->magnifyAnswer = c.magnifyTakes;
        EXPECT_EQ(root.dispatchGesture(kWheelGesture, kGestureChange, {20, 20}, c.modifiers, c.first,
                                       c.second, 2.0f),
                  c.handled);
        EXPECT_EQ(take(), c.expected);
        root.setMouseCapture(nullptr);
    }
    // Only the change phase scrolls.
    EXPECT_FALSE(root.dispatchGesture(kWheelGesture, kGestureBegin, {20, 20}, 0, {1, 1}, {1, 1}, 0));
    EXPECT_EQ(take(), Log());
    delete a;
}

TEST_F(Tree, CancelMouseEndsAPressWithoutAClick) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    a->movable.setValue(true);
    press({20, 20});
    a->cancelMouse();
    EXPECT_EQ(root.getCaptureHolder(), nullptr);
    EXPECT_EQ(a->dragState(), Control::DragState::kIdle);
    release({20, 20});
    EXPECT_EQ(take(), Log({"a press", "a release", "a release"}));
    delete a;
}

TEST_F(Tree, TransferMouseCaptureMovesThePress) {
    Probe* panel = make("panel", &root, {0, 0, 200, 100});
    Probe* a = make("a", &root, {10, 10, 50, 50});
    Probe* b = make("b", panel, {20, 30, 60, 70});
    press({20, 20});
    take();
    a->transferMouseCapture(b, {25, 35}, 8);
    EXPECT_EQ(take(), Log({"a release", "a click", "b press", "panel enter"}));
    EXPECT_EQ(root.getCaptureHolder(), b);
    EXPECT_EQ(b->captureState(), Control::CaptureState::kPress);
    // (35, 45) in the root is (15, 15) in b.
    EXPECT_EQ(b->lastDown, Point(15, 15));
    EXPECT_EQ(panel->getHoverChild(), b);
    EXPECT_EQ(root.getHoverChild(), panel);
    delete b;
    delete a;
    delete panel;
}

TEST_F(Tree, HoverFollowsThePointerAndShowsHints) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    Probe* inner = make("inner", a, {0, 0, 10, 10});
    Probe* b = make("b", &root, {100, 10, 150, 50});
    a->helpText.setValue("Delay time");
    move({30, 30});
    move({12, 12});
    EXPECT_EQ(take(), Log({"a enter", "inner enter"}));
    EXPECT_EQ(ui.hints, std::vector<std::string>({"Delay time"}));
    move({120, 20});
    EXPECT_EQ(take(), Log({"inner leave", "a leave", "b enter"}));
    EXPECT_EQ(ui.hints, std::vector<std::string>({"Delay time", ""}));
    delete inner;
    delete a;
    delete b;
}

TEST_F(Tree, KeysReachTheFocusChainFirst) {
    Probe* panel = make("panel", &root, {0, 0, 100, 100});
    Probe* field = make("field", panel, {10, 10, 50, 50});
    press({20, 20}); // a left press focuses the control under it
    release({20, 20});
    EXPECT_EQ(root.getFocusedChild(), panel);
    EXPECT_EQ(panel->getFocusedChild(), field);
    take();
    EXPECT_FALSE(root.dispatchKey(65, 'a'));
    EXPECT_EQ(take(), Log({"field key 65", "panel key 65"}));
    panel->handledKey = 66;
    EXPECT_TRUE(root.dispatchKey(66, 'b'));
    EXPECT_EQ(take(), Log({"field key 66", "panel key 66"}));
    field->handledKey = 67;
    EXPECT_TRUE(root.dispatchKey(67, 'c'));
    EXPECT_EQ(take(), Log({"field key 67"}));
    delete field; // the focus path forgets it
    EXPECT_EQ(panel->getFocusedChild(), nullptr);
    delete panel;
}

TEST_F(Tree, TouchPicksTheNearestTarget) {
    Probe* near = make("near", &root, {10, 10, 20, 20});
    Probe* nearer = make("nearer", &root, {30, 10, 40, 20});
    Probe* plain = make("plain", &root, {60, 0, 100, 40});
    Probe* big = make("big", &root, {0, 50, 200, 100});
    Probe* small = make("small", &root, {20, 60, 30, 70});
    near->touchFlags.setValue(Control::kNearestTouch);
    nearer->touchFlags.setValue(Control::kNearestTouch);
    small->touchFlags.setValue(Control::kNearestTouch);
    struct Case {
        Point at;
        const char* target; // null: no child takes it
    };
    const Case cases[] = {
        {{15, 15}, "near"},   // inside
        {{25, 15}, "nearer"}, // 5 from both: the later one wins the tie
        {{23, 15}, "near"},   // 3 against 7
        {{70, 10}, "plain"},  // only plain contains the point
        {{45, 30}, "nearer"}, // 10 from nearer, 25 from near
        {{25, 65}, "small"},  // inside small beats big's 16
        {{150, 45}, nullptr}, // nothing near enough
    };
    TouchRecord down;
    down.mode = 1;
    for (const Case& c : cases) {
        take();
        root.dispatchTouch(down, c.at);
        const Log got = take();
        const std::string expected = c.target == nullptr ? "" : std::string(c.target) + " touch 0";
        if (c.target == nullptr)
            EXPECT_TRUE(got.empty() || got[0].find("touch") == std::string::npos) << c.at.x << "," << c.at.y;
        else
            EXPECT_FALSE(got.empty() || got.end() == std::find(got.begin(), got.end(), expected))
                << c.at.x << "," << c.at.y;
        root.setMouseCapture(nullptr);
        for (Control* p : root.children())
            p->setCaptureState(Control::CaptureState::kNone);
    }
    // A later child without the flag that contains the best one takes over.
    Probe* cover = make("cover", &root, {0, 0, 50, 50});
    take();
    root.dispatchTouch(down, {15, 15});
    const Log got = take();
    EXPECT_NE(std::find(got.begin(), got.end(), "cover touch 0"), got.end());
    delete cover;
    delete near;
    delete nearer;
    delete plain;
    delete big;
    delete small;
}

TEST_F(Tree, TouchModifiersAndHandOver) {
    Probe* list = make("list", &root, {0, 0, 100, 100});
    Probe* row = make("row", list, {0, 10, 100, 30});
    row->touchFlags.setValue(Control::kHandTouchToAncestor);
    struct Case {
        int count, mode, modifiers;
    };
    for (const Case& c : {Case{1, 0, kLeftButton}, Case{2, 0, kLeftButton | kCtrl},
                          Case{1, 2, kLeftButton | kShift}, Case{1, 3, kLeftButton | kCtrl}}) {
        TouchRecord down;
        down.contactCount = c.count;
        down.mode = c.mode;
        root.dispatchTouch(down, {50, 20});
        EXPECT_EQ(row->downModifiers, c.modifiers) << c.count << " " << c.mode;
        TouchRecord up = down;
        up.phase = TouchRecord::Phase::kUp;
        root.getEventTarget()->dispatchTouch(up, {50, 20});
    }
    ui.touchTimer.clear();
    take();

    TouchRecord down;
    down.mode = 1;
    root.dispatchTouch(down, {50, 20});
    EXPECT_EQ(root.getCaptureHolder(), row);
    TouchRecord moveRecord = down;
    moveRecord.phase = TouchRecord::Phase::kMove;
    row->dispatchTouch(moveRecord, {50, -5}); // 15 units up
    EXPECT_EQ(root.getCaptureHolder(), list);
    EXPECT_EQ(list->lastDown, Point(50, 20)); // the press point, in the list
    EXPECT_EQ(take(), Log({"row touch 0", "row press", "row touch 1", "row release", "list enter",
                           "list touch 0", "list press", "list touch 1"}));
    EXPECT_EQ(ui.touchTimer, std::vector<bool>({true, false, true, false}));
    TouchRecord ignored = moveRecord;
    ignored.ignore = true;
    list->dispatchTouch(ignored, {0, 0});
    EXPECT_EQ(take(), Log());
    delete row;
    delete list;
}

TEST_F(Tree, ScaleChangeReachesEveryControl) {
    Probe* a = make("a", &root, {0, 0, 10, 10});
    Probe* b = make("b", a, {0, 0, 10, 10});
    Probe* c = make("c", &root, {0, 0, 10, 10});
    take();
    root.scaleChanged();
    EXPECT_EQ(take(), Log({"a scale", "b scale", "c scale"}));
    delete b;
    delete a;
    delete c;
}

TEST_F(Tree, ChildIndicesAreClamped) {
    Probe* a = make("a", &root, {});
    Probe* b = make("b", &root, {});
    root.setChildInsertionIndex(0);
    Probe* first = make("first", &root, {});
    root.setChildInsertionIndex(99);
    Probe* last = make("last", &root, {});
    EXPECT_EQ(root.children(), (std::vector<Control*>{first, a, b, last}));
    root.setChildIndex(first, 42);
    root.setChildIndex(last, -3);
    EXPECT_EQ(root.children(), (std::vector<Control*>{last, a, b, first}));
    root.setChildInsertionIndex(-1);
    delete a;
    delete b;
    delete first;
    delete last;
}

TEST_F(Tree, ParentingAndCycles) {
    Probe* a = make("a", &root, {});
    Probe* b = make("b", a, {});
    Probe* c = make("c", b, {});
    a->parent.setValue(c); // would make a cycle: refused
    EXPECT_EQ(a->getParent(), &root);
    a->parent.setValue(a);
    EXPECT_EQ(a->getParent(), &root);
    c->parent.setValue(nullptr); // detached, not deleted
    EXPECT_TRUE(b->children().empty());
    c->parent.setValue(a);
    EXPECT_EQ(a->children(), (std::vector<Control*>{b, c}));
    delete a; // detaches b and c
    EXPECT_EQ(b->getParent(), nullptr);
    EXPECT_EQ(c->getParent(), nullptr);
    EXPECT_EQ(take(), Log({"~a"}));
    delete b;
    delete c;
}

TEST_F(Tree, DeleteChildrenDepthFirstLastFirst) {
    Probe* a = make("a", &root, {});
    make("a1", a, {});
    make("a2", a, {});
    Probe* b = make("b", &root, {});
    make("b1", b, {});
    take();
    root.deleteChildren();
    EXPECT_EQ(take(), Log({"~b1", "~b", "~a2", "~a1", "~a"}));
    EXPECT_TRUE(root.children().empty());
}

TEST_F(Tree, DeletingControlsInUseLeavesNothingDangling) {
    for (int which = 0; which < 4; ++which) {
        Probe* panel = make("panel", &root, {0, 0, 100, 100});
        Probe* a = make("a", panel, {10, 10, 50, 50});
        a->delayedClick.setValue(true);
        move({20, 20});  // hovered
        press({20, 20}); // focused and captured
        if (which == 0) {
            delete a; // hovered, focused and captured
        } else if (which == 1) {
            release({20, 20}); // now pending
            delete a;
        } else if (which == 2) {
            delete panel; // the parent of all of them goes first
            panel = nullptr;
            release({20, 20});
            delete a;
        } else {
            // A click handler deletes its own control.
            a->clickEvent.setHandler(NotifyEvent::bind([&a] {
                delete a;
                a = nullptr;
            }));
            release({20, 20});
            EXPECT_EQ(a, nullptr);
        }
        EXPECT_EQ(root.getCaptureHolder(), nullptr);
        EXPECT_EQ(root.getPendingClick(), nullptr);
        move({30, 30});
        press({30, 30});
        release({30, 30});
        root.dispatchKey(kKeyCharacter, 1);
        delete panel;
    }
    take();
}

TEST_F(Tree, OldParentForgetsItsHoverAndFocus) {
    Probe* panel = make("panel", &root, {0, 0, 100, 100});
    Probe* a = make("a", panel, {10, 10, 50, 50});
    move({20, 20});
    press({20, 20});
    release({20, 20});
    EXPECT_EQ(panel->getHoverChild(), a);
    a->parent.setValue(&root);
    EXPECT_EQ(panel->getHoverChild(), panel);
    EXPECT_EQ(panel->getFocusedChild(), nullptr);
    delete a;
    delete panel;
}

TEST_F(Tree, ComponentsRegisterAndUnlink) {
    const std::size_t before = ui.components().size();
    Control* watcher = new Control(ui);
    Probe* a = make("a", &root, {0, 0, 10, 10});
    struct Watcher : Control {
        using Control::Control;
        void childChanged(Control* child, ChildChange code) override {
            seen.push_back(static_cast<int>(code));
            Control::childChanged(child, code);
        }
        std::vector<int> seen;
    };
    Watcher* w = new Watcher(ui);
    a->addWatcher(w);
    a->setX(5);
    a->opaque.setValue(true);
    EXPECT_EQ(w->seen, (std::vector<int>{4, 6}));
    EXPECT_EQ(ui.components().size(), before + 3);
    delete w; // unlinks itself from a's watchers
    a->setX(6);
    delete watcher;
    delete a;
    EXPECT_EQ(ui.components().size(), before);
    EXPECT_EQ(ui.droppedMessages.size(), 3u);
}

TEST_F(Tree, HeldTouchActsAsADoubleClick) {
    Probe* a = make("a", &root, {10, 10, 50, 50});
    a->mouseDoubleClick({5, 5});
    EXPECT_EQ(take(), Log({"a release", "a double", "a press"}));
    EXPECT_EQ(a->downModifiers, kLeftButton | kDoubleClick);
    // With bit 8: the secondary click, and no press.
    a->touchFlags.setValue(Control::kTouchDoubleClickIsSecondary);
    a->mouseDoubleClick({5, 5});
    EXPECT_EQ(take(), Log({"a secondary"}));
    delete a;
}

TEST_F(Tree, MovingAHiddenControlDirtiesNothing) {
    Probe* a = make("a", &root, {10, 10, 20, 20});
    a->visible.setValue(false);
    root.clearDirtyRect();
    a->setX(100);
    EXPECT_TRUE(root.getDirtyRect().isEmpty());
    delete a;
}

TEST_F(Tree, MovingAnOpaqueChildUpdatesTheCoveredArea) {
    Probe* a = make("a", &root, {0, 0, 50, 100});
    a->opaque.setValue(true);
    EXPECT_EQ(root.coveredRect(), Rect(0, 0, 50, 100));
    a->setX(20);
    EXPECT_EQ(root.coveredRect(), Rect(20, 0, 70, 100));
    delete a;
}

TEST_F(Tree, VisibleRectInTheTree) {
    Probe* panel = make("panel", &root, {150, 50, 300, 150});
    Probe* a = make("a", panel, {10, 10, 60, 60});
    Rect r;
    EXPECT_TRUE(a->getVisibleRectInTree(r));
    EXPECT_EQ(r, Rect(160, 60, 200, 100)); // clipped by the panel and the root
    a->setX(60);
    EXPECT_FALSE(a->isVisibleInTree()); // beyond the root's right edge
    a->setX(10);
    panel->opacity.setValue(0);
    EXPECT_FALSE(a->isVisibleInTree());
    panel->opacity.setValue(1);
    panel->visible.setValue(false);
    EXPECT_FALSE(a->getVisibleRectInTree(r));
    EXPECT_TRUE(r.isEmpty());
    delete a;
    delete panel;
}

TEST_F(Tree, DropTargetActivatesOnlyWhenResting) {
    Probe* a = make("a", &root, {0, 0, 10, 10});
    int activations = 0;
    a->activateEvent.setHandler(NotifyEvent::bind([&] { ++activations; }));
    for (int phase : {3, 0, 1, 4})
        a->fireEvent6(phase);
    EXPECT_EQ(activations, 0);
    a->fireEvent6(kTargetRested);
    EXPECT_EQ(activations, 1);
    delete a;
}

} // namespace
} // namespace gui
