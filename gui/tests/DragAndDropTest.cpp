#include "gui/DragAndDrop.h"

#include "gui/Modifiers.h"
#include "gui/Timer.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace gui {
namespace {

// A drop target that records what it hears; resting on it clicks it.
class Target : public Control {
public:
    Target(UserInterface& ui, Rect rect, std::string& log, char name) : Control(ui), log_(&log), name_(name) {
        setBounds(rect);
        parent.setValue(ui.rootControl());
    }
    void fireEvent6(int phase) override {
        *log_ += std::string(1, name_) + std::to_string(phase) + " ";
        if (phase == 2) ++clicks;
    }
    void mouseDown(int button, const Point& point, int modifiers) override {
        ++presses;
        Control::mouseDown(button, point, modifiers);
    }
    int clicks = 0;
    int presses = 0;

private:
    std::string* log_;
    char name_;
};

// Records drops; takes them when accepting.
class Stage : public DragStage {
public:
    Stage(UserInterface& ui, std::string& log, bool accept) : DragStage(ui), log_(&log), accept_(accept) {}
    bool dragEvent(int phase, const Point& point, int modifiers) override {
        DragStage::dragEvent(phase, point, modifiers);
        if (phase == 3) *log_ += "drop ";
        return phase == 3 && accept_;
    }

private:
    std::string* log_;
    bool accept_;
};

// Starts a drag after a move of more than 4.0 units from its press.
class Source : public Control {
public:
    Source(UserInterface& ui, DragObject& object, std::string& log, bool accept)
        : Control(ui), object_(&object), log_(&log), accept_(accept) {
        setBoundsXYWH(0, 0, 50, 50);
        parent.setValue(ui.rootControl());
    }
    void mouseDown(int button, const Point& point, int modifiers) override {
        press_ = point;
        Control::mouseDown(button, point, modifiers);
    }
    void mouseMove(const Point& point, int modifiers) override {
        Control::mouseMove(point, modifiers);
        if (stage != nullptr || captureState() == CaptureState::kNone) return;
        if (std::fabs(point.x - press_.x) <= kDragThreshold &&
            std::fabs(point.y - press_.y) <= kDragThreshold)
            return;
        stage = new Stage(userInterface(), *log_, accept_);
        std::string* log = log_; // the source may die before the drag ends
        stage->finishedEvent.addHandler(NotifyEvent::bind([log] { *log += "finished "; }));
        stage->startDrag(this, object_);
    }
    Stage* stage = nullptr;

private:
    DragObject* object_;
    std::string* log_;
    bool accept_;
    Point press_;
};

struct Rig {
    explicit Rig(bool accept = true) : source(new Source(ui, object, log, accept)) {
        ui.root().setBoundsXYWH(0, 0, 400, 100);
        a = new Target(ui, Rect::fromXYWH(100, 0, 50, 50), log, 'a');
        b = new Target(ui, Rect::fromXYWH(200, 0, 50, 50), log, 'b');
        object.addDropTarget(a);
        object.addDropTarget(b);
    }
    void press(Point at) { ui.root().handleMouseDown(0, at, kLeftButton); }
    void move(Point at) { ui.root().handleMouseMove(at, kLeftButton); }
    void release(Point at) { ui.root().handleMouseUp(0, at, 0); }
    void hover() { hoverOn(source->stage); }
    static void hoverOn(DragStage* stage) {
        Timer* t = stage->hoverTimer();
        if (t != nullptr && t->enabled.getValue()) t->tick();
    }
    // Starts a drag and rests over target a.
    void dragOntoA() {
        press({10, 10});
        move({20, 10});
        move({120, 10});
        log.clear();
    }

    // The drag object and the log outlive the user interface and its controls.
    DragObject object;
    std::string log;
    test::TestInterface ui;
    Source* source;
    Target* a;
    Target* b;
};

TEST(DragStage, StartsOnlyAfterMoreThanTheThreshold) {
    Rig rig;
    rig.press({10, 10});
    rig.move({14, 10});
    EXPECT_EQ(rig.source->stage, nullptr);
    rig.move({14.01f, 10});
    ASSERT_NE(rig.source->stage, nullptr);
    EXPECT_EQ(rig.log, "a3 b3 ");
    EXPECT_TRUE(rig.object.dragging);
    EXPECT_EQ(rig.ui.root().getCaptureHolder(), rig.source->stage);
    EXPECT_EQ(rig.ui.root().getFocusedChild(), rig.source->stage);
}

TEST(DragStage, TargetsHearEnterLeaveAndRestOnce) {
    Rig rig;
    rig.dragOntoA();
    EXPECT_EQ(rig.log, "");
    rig.move({120, 12});
    rig.hover();
    rig.hover();
    EXPECT_EQ(rig.a->clicks, 1);
    rig.move({220, 10});
    EXPECT_EQ(rig.log, "a2 a1 b0 ");
    rig.move({120, 10});
    rig.hover();
    EXPECT_EQ(rig.a->clicks, 2) << "the timer rearms after a leave";
}

TEST(DragStage, DropEndsEveryTargetOnceAndDeletesAtTheDrain) {
    for (bool accept : {true, false}) {
        Rig rig(accept);
        rig.press({10, 10});
        rig.move({20, 10});
        Stage* stage = rig.source->stage;
        ASSERT_NE(stage, nullptr);
        if (accept) rig.move({120, 10});
        rig.log.clear();
        rig.release(accept ? Point(120, 10) : Point(300, 80));
        EXPECT_EQ(rig.log, "drop a4 b4 finished ");
        EXPECT_EQ(stage->finished(),
                  accept ? DragStage::Finished::kAccepted : DragStage::Finished::kDeclined);
        EXPECT_FALSE(rig.object.dragging);
        Control::AliveGuard alive(stage);
        rig.ui.root().handleMouseUp(0, {120, 10}, 0); // a later release does nothing
        EXPECT_EQ(rig.log, "drop a4 b4 finished ");
        EXPECT_TRUE(alive.alive());
        rig.ui.drainList(gui::kGuiList);
        EXPECT_FALSE(alive.alive());
        rig.press({120, 10});
        EXPECT_EQ(rig.a->presses, 1);
    }
}

TEST(DragStage, EveryCancelEndsTheDragOnce) {
    const char* rows[] = {"capture taken", "escape", "root resized", "destroyed"};
    for (const std::string row : rows) {
        SCOPED_TRACE(row);
        Rig rig;
        rig.dragOntoA();
        Stage* stage = rig.source->stage;
        Control other(rig.ui);
        Control::AliveGuard alive(stage);
        if (row == "capture taken")
            rig.ui.root().setMouseCapture(&other);
        else if (row == "escape")
            rig.ui.root().dispatchKey(kKeyEscape, 0);
        else if (row == "root resized")
            rig.ui.root().setBoundsXYWH(0, 0, 500, 120);
        else
            delete stage;
        EXPECT_EQ(rig.log, "a1 a4 b4 finished ");
        EXPECT_FALSE(rig.object.dragging);
        if (alive.alive()) {
            EXPECT_EQ(stage->finished(), DragStage::Finished::kDeclined);
            rig.release({120, 10});
            EXPECT_EQ(rig.log, "a1 a4 b4 finished ") << "a later release takes no drop";
            rig.ui.drainList(gui::kGuiList);
            EXPECT_FALSE(alive.alive());
        }
        rig.ui.root().setMouseCapture(nullptr);
        rig.press({120, 10});
        EXPECT_EQ(rig.a->presses, 1) << "the next press reaches the control beneath";
    }
}

TEST(DragStage, SourceOrTargetDeathMidDragEndsCleanly) {
    Rig rig;
    rig.dragOntoA();
    Stage* stage = rig.source->stage;
    delete rig.source;
    EXPECT_EQ(stage->source(), nullptr);
    delete rig.a; // the current target
    EXPECT_EQ(stage->currentTarget(), DragStage::kNoTarget);
    EXPECT_EQ(rig.object.dropTargets.size(), 1u);
    Rig::hoverOn(stage);
    rig.move({220, 10});
    rig.release({220, 10});
    EXPECT_EQ(rig.log, "b0 drop b4 finished ");
    rig.ui.drainList(gui::kGuiList);
}

struct Manager : DragManager::Listener {
    DragStage* createDragStage(std::uint32_t) override { return nullptr; }
};

TEST(DragManager, GroupZeroEntriesComeBeforeGroupOne) {
    test::TestInterface ui;
    Manager listener;
    DragManager manager(ui, &listener);
    EXPECT_FALSE(manager.flag);
    auto* a = new Control(ui);
    Control b(ui), c(ui), d(ui);
    manager.add(a, 0, 0);
    manager.add(&b, 1, 1);
    manager.add(&c, 0, 0);
    manager.add(&d, 1, 0);
    manager.add(&c, 0, 0); // once
    auto order = [&] {
        std::vector<Control*> out;
        for (const auto& e : manager.entries())
            out.push_back(e.control);
        return out;
    };
    EXPECT_EQ(order(), (std::vector<Control*>{a, &c, &d, &b}));
    manager.remove(&c);
    delete a;
    EXPECT_EQ(order(), (std::vector<Control*>{&d, &b}));
    EXPECT_EQ(manager.entries()[0].hoverOnly, 1u);
}

} // namespace
} // namespace gui
