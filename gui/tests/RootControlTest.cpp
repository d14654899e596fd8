#include "gui/RootControl.h"

#include "gui/RootLockScope.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace gui {
namespace {

class CaptureProbe : public Control {
public:
    CaptureProbe(UserInterface& ui, std::vector<std::string>& log, std::string name)
        : Control(ui), log_(log), name_(std::move(name)) {}
    void captureLost() override {
        log_.push_back(name_ + " lost");
        Control::captureLost();
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(RootControl, CaptureChangesTellTheOldHolderThenListeners) {
    test::TestInterface ui;
    RootControl& root = ui.root();
    std::vector<std::string> log;
    root.captureChangedEvent.setHandler(NotifyEvent::bind([&] { log.push_back("changed"); }));
    CaptureProbe a(ui, log, "a"), b(ui, log, "b");
    EXPECT_EQ(root.getEventTarget(), &root);
    root.setMouseCapture(&a);
    root.setMouseCapture(&a); // the same holder: nothing
    EXPECT_EQ(log, (std::vector<std::string>{"changed"}));
    EXPECT_EQ(root.getEventTarget(), &a);
    root.setMouseCapture(&b);
    EXPECT_EQ(log, (std::vector<std::string>{"changed", "a lost", "changed"}));
    EXPECT_EQ(ui.root().log, (std::vector<std::string>{"end gesture"}));
    root.setMouseCapture(nullptr);
    EXPECT_EQ(root.getEventTarget(), &root);
    EXPECT_EQ(log.back(), "changed");
}

TEST(RootControl, CollectsTheWindowsDirtyArea) {
    test::TestInterface ui;
    RootControl& root = ui.root();
    root.setBounds({0, 0, 300, 200});
    root.clearDirtyRect();
    root.addDirtyRect({10, 10, 20, 20});
    root.addDirtyRect({});
    root.addDirtyRect({50, 5, 60, 15});
    EXPECT_EQ(root.getDirtyRect(), Rect(10, 5, 60, 20));
    root.clearDirtyRect();
    EXPECT_TRUE(root.getDirtyRect().isEmpty());
}

TEST(RootControl, PendingClickStartsAndStopsTheTimer) {
    test::TestInterface ui;
    Control a(ui);
    ui.root().setPendingClick(&a);
    EXPECT_EQ(ui.root().getPendingClick(), &a);
    ui.root().clearPendingClick();
    EXPECT_EQ(ui.root().getPendingClick(), nullptr);
    EXPECT_EQ(ui.root().log, (std::vector<std::string>{"click timer on", "click timer off"}));
}

using headless::HeadlessInterface;

std::string format(const Point& p) {
    std::ostringstream out;
    out << p.x << "," << p.y;
    return out.str();
}

// Logs what reaches it: presses, releases, gesture phases and scroll offers.
class InputProbe : public Control {
public:
    InputProbe(UserInterface& ui, std::vector<std::string>& log) : Control(ui), log_(log) {
        setBoundsXYWH(100, 50, 200, 100);
        parent.setValue(ui.rootControl());
    }
    void mouseDown(int button, const Point& point, int modifiers) override {
        log_.push_back("down " + std::to_string(button) + " " + format(point) + " " +
                       std::to_string(modifiers));
        Control::mouseDown(button, point, modifiers);
    }
    void mouseUp(int button, const Point& point, int modifiers) override {
        log_.push_back("up " + std::to_string(button) + " " + std::to_string(modifiers));
        Control::mouseUp(button, point, modifiers);
    }
    bool gesture(int kind, int phase, const Point& point, int modifiers, const Point& first,
                 const Point& second, float factor) override {
        const auto* pui = static_cast<HeadlessInterface*>(&userInterface());
        log_.push_back("gesture " + std::to_string(phase) + " at " + format(point) + " t" +
                       std::to_string(pui->time()));
        if (phase == 1 && declineChanges > 0) {
            --declineChanges;
            return false;
        }
        if (phase == 1) return Control::gesture(kind, phase, point, modifiers, first, second, factor);
        return true;
    }
    bool scroll(const Point&, int, float delta, int axis) override {
        log_.push_back("scroll " + std::to_string(axis) + " " + format(Point(delta, 0)));
        return true;
    }
    bool scrollSecondary(const Point&, int, float delta, int axis) override {
        log_.push_back("secondary " + std::to_string(axis) + " " + format(Point(delta, 0)));
        return false;
    }
    int declineChanges = 0;

private:
    std::vector<std::string>& log_;
};

TEST(RootControl, LeftPressWithExactlyBit128IsARightPress) {
    struct Case {
        int modifiers;
        int button; // as the controls see it
        int seenModifiers;
    };
    for (const Case& c : {Case{128, 1, 0}, Case{128 | 8, 1, 8}, Case{128 | 4, 0, 132}, Case{128 | 1, 0, 129},
                          Case{0, 0, 0}}) {
        HeadlessInterface ui;
        std::vector<std::string> log;
        new InputProbe(ui, log);
        ui.mouseDown(0, Point(110, 60), c.modifiers);
        ui.mouseUp(0, Point(110, 60), c.modifiers);
        ASSERT_EQ(log.size(), 2u) << c.modifiers;
        EXPECT_EQ(log[0], "down " + std::to_string(c.button) + " 10,10 " + std::to_string(c.seenModifiers));
        EXPECT_EQ(log[1], "up " + std::to_string(c.button) + " " + std::to_string(c.seenModifiers));
        EXPECT_FALSE(ui.root().isLeftButtonHeld());
    }
}

TEST(RootControl, WheelOffersClampedSpeedAndRawDistance) {
    struct Case {
        Point speed;
        Point distance;
        bool handled;
        std::vector<std::string> offers;
    };
    const Case cases[] = {
        {{0, 3.5f}, {0, 0}, false, {}}, // no distance: nothing, whatever the speed
        {{0, 3.5f}, {0, 30}, true, {"scroll 1 1,0"}},
        {{0, -0.2f}, {0, -12}, true, {"scroll 1 -0.2,0"}},
        {{0, 0}, {0, 250}, false, {"secondary 1 250,0"}},
    };
    for (const Case& c : cases) {
        HeadlessInterface ui;
        std::vector<std::string> log;
        new InputProbe(ui, log);
        EXPECT_EQ(ui.mouseWheel(Point(150, 80), 0, c.speed, c.distance, 1.0f), c.handled);
        std::vector<std::string> offers;
        for (const std::string& line : log)
            if (line.rfind("gesture", 0) != 0) offers.push_back(line);
        EXPECT_EQ(offers, c.offers) << format(c.distance);
    }
}

TEST(RootControl, WheelMessagesFormGesturesThatEndAfter500Milliseconds) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    new InputProbe(ui, log);
    const Point speed(0, 0.1f), distance(0, 10);
    EXPECT_TRUE(ui.mouseWheel(Point(150, 80), 0, speed, distance, 1.0f));
    ui.advance(300);
    // The gesture stays where it began, wherever the pointer is now.
    EXPECT_TRUE(ui.mouseWheel(Point(160, 90), 0, speed, distance, 1.0f));
    ui.advance(600);
    EXPECT_TRUE(ui.mouseWheel(Point(150, 80), 0, speed, distance, 1.0f));
    std::vector<std::string> phases;
    for (const std::string& line : log)
        if (line.rfind("gesture", 0) == 0) phases.push_back(line);
    EXPECT_EQ(phases, (std::vector<std::string>{"gesture 0 at 50,30 t0", "gesture 1 at 50,30 t0",
                                                "gesture 1 at 50,30 t300", "gesture 2 at 0,0 t800",
                                                "gesture 0 at 50,30 t900", "gesture 1 at 50,30 t900"}));
}

TEST(RootControl, DeclinedChangeInARunningGestureStillEndsIt) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    auto* probe = new InputProbe(ui, log);
    const Point speed(0, 0.1f), distance(0, 10);
    EXPECT_TRUE(ui.mouseWheel(Point(150, 80), 0, speed, distance, 1.0f));
    ui.advance(100);
    probe->declineChanges = 1;
    EXPECT_FALSE(ui.mouseWheel(Point(150, 80), 0, speed, distance, 1.0f));
    ui.advance(499);
    EXPECT_NE(log.back().rfind("gesture 2", 0), 0u);
    ui.advance(1);
    EXPECT_EQ(log.back(), "gesture 2 at 0,0 t600");
}

TEST(RootControl, ReleaseEndsTheGestureAtOnce) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    new InputProbe(ui, log);
    ui.mouseWheel(Point(150, 80), 0, Point(0, 0.1f), Point(0, 10), 1.0f);
    ui.advance(50);
    ui.mouseUp(0, Point(150, 80));
    EXPECT_NE(std::find(log.begin(), log.end(), "gesture 2 at 0,0 t50"), log.end());
    const std::size_t count = log.size();
    ui.advance(1000);
    EXPECT_EQ(log.size(), count);
}

class ClickCounter {
public:
    explicit ClickCounter(Control& control) {
        control.delayedClick.setValue(true);
        control.delayedClickEvent.addHandler(NotifyEvent::bind([this] { ++delayed; }));
        control.doubleClickEnabled.setValue(true);
    }
    int delayed = 0;
};

TEST(RootControl, PendingClickFiresOnTimerMoveOrPressAndADoubleClickDropsIt) {
    enum class Then { kWait, kMoveFar, kMoveNear, kPress, kDoubleClick };
    struct Case {
        Then then;
        int delayedClicks;
    };
    for (const Case& c : {Case{Then::kWait, 1}, Case{Then::kMoveFar, 1}, Case{Then::kMoveNear, 0},
                          Case{Then::kPress, 1}, Case{Then::kDoubleClick, 0}}) {
        HeadlessInterface ui;
        std::vector<std::string> log;
        auto* probe = new InputProbe(ui, log);
        ClickCounter counter(*probe);
        ui.mouseDown(0, Point(110, 60));
        ui.mouseUp(0, Point(110, 60));
        ASSERT_EQ(ui.root().getPendingClick(), probe);
        switch (c.then) {
        case Then::kWait:
            ui.advance(499);
            EXPECT_EQ(counter.delayed, 0);
            ui.advance(1);
            break;
        case Then::kMoveFar:
            ui.mouseMove(Point(114.5f, 60));
            break;
        case Then::kMoveNear:
            ui.mouseMove(Point(114, 64)); // the threshold itself is not beyond it
            break;
        case Then::kPress:
            ui.mouseDown(0, Point(110, 60));
            break;
        case Then::kDoubleClick:
            ui.mouseDown(0, Point(110, 60), RootControl::kDoubleClickBit);
            EXPECT_EQ(ui.root().getPendingClick(), nullptr);
            break;
        }
        EXPECT_EQ(counter.delayed, c.delayedClicks) << int(c.then);
    }
}

TEST(RootControl, PaintsOnlyTheDirtyAreaAndNothingWhenItIsEmpty) {
    HeadlessInterface ui(40, 30);
    ui.paint();
    EXPECT_EQ(ui.backBuffer().pixelAt(5, 5), Color(192, 192, 192, 255));
    EXPECT_TRUE(ui.root().getDirtyRect().isEmpty());
    ui.backBuffer().fillRect(Rect(0, 0, 40, 30), Color(0, 0, 255, 255));
    ui.paint(); // nothing dirty: nothing painted
    EXPECT_EQ(ui.backBuffer().pixelAt(5, 5), Color(0, 0, 255, 255));
    ui.root().invalidateRect(Rect(0, 0, 10, 10));
    ui.paint();
    EXPECT_EQ(ui.backBuffer().pixelAt(5, 5), Color(192, 192, 192, 255));
    EXPECT_EQ(ui.backBuffer().pixelAt(20, 20), Color(0, 0, 255, 255));
}

bool lockableFromAnotherThread(RootControl& root) {
    std::atomic<bool> locked{false};
    std::thread([&] {
        ScopedLock lock(root);
        locked = true;
    }).join();
    return locked;
}

// Another thread's tryEnter, which gives the lock back at once.
bool lockableWithoutBlocking(RootControl& root) {
    bool locked = false;
    std::thread([&] {
        locked = root.tryEnter();
        if (locked) root.unlock();
    }).join();
    return locked;
}

TEST(RootControl, ReleasedLockLetsOthersInAndComesBackAtItsDepth) {
    HeadlessInterface ui;
    RootControl& root = ui.root();
    std::vector<std::string> log;
    auto* probe = new InputProbe(ui, log);
    int depthInside = -1, nestedDepth = -1, depthAfter = -1;
    bool othersGotIn = false;
    probe->pressEvent.addHandler(NotifyEvent::bind([&] {
        depthInside = root.lockDepth();
        const int saved = root.releaseLock(); // a modal call begins
        othersGotIn = lockableFromAnotherThread(root);
        ui.mouseMove(Point(120, 70)); // a message the modal loop dispatches
        nestedDepth = root.lockDepth();
        root.reacquireLock(saved);
        depthAfter = root.lockDepth();
    }));
    ui.mouseDown(0, Point(110, 60));
    EXPECT_EQ(depthInside, 1);
    EXPECT_TRUE(othersGotIn);
    EXPECT_EQ(nestedDepth, 0);
    EXPECT_EQ(depthAfter, 1);
    EXPECT_EQ(root.lockDepth(), 0);
    EXPECT_TRUE(lockableFromAnotherThread(root));
    EXPECT_EQ(root.releaseLock(), 0); // nothing held: nothing freed
    root.reacquireLock(0);
    EXPECT_EQ(root.lockDepth(), 0);
}

// The lock knows its holder: a caller that took it outside any scope still
// holds it after releaseLock (which frees nothing at depth 0), and a scope
// inside such a hold leaves it held once releaseLock has run.
TEST(RootControl, LockRecordsItsHolderAndCount) {
    test::TestInterface ui;
    RootControl& root = ui.root();
    auto heldElsewhere = [&] {
        bool held = true;
        std::thread([&] { held = root.heldByCurrentThread(); }).join();
        return held;
    };
    EXPECT_FALSE(root.heldByCurrentThread());
    root.lock(); // outside any scope: depth 0
    EXPECT_EQ(root.holdCount(), 1);
    EXPECT_FALSE(heldElsewhere());
    EXPECT_EQ(root.releaseLock(), 0);
    EXPECT_TRUE(root.heldByCurrentThread());
    {
        RootLockScope scope(root);
        EXPECT_EQ(root.holdCount(), 2);
        const int saved = root.releaseLock();
        EXPECT_EQ(saved, 1);
        EXPECT_EQ(root.holdCount(), 1) << "the outer hold stays";
        EXPECT_FALSE(lockableWithoutBlocking(root));
        root.reacquireLock(saved);
    }
    root.unlock();
    EXPECT_FALSE(root.heldByCurrentThread());
    EXPECT_EQ(root.holdCount(), 0);
    EXPECT_TRUE(lockableWithoutBlocking(root));

    ASSERT_TRUE(root.tryEnter());
    EXPECT_EQ(root.holdCount(), 1);
    root.unlock();
    EXPECT_EQ(root.holdCount(), 0);
}

TEST(RootControl, ScopeLeavesADeadRootAlone) {
    auto ui = std::make_unique<HeadlessInterface>();
    std::vector<std::string> log;
    auto* probe = new InputProbe(*ui, log);
    RootControl::LivenessToken token = ui->root().liveness();
    probe->pressEvent.addHandler(NotifyEvent::bind([&] { ui.reset(); }));
    HeadlessInterface* raw = ui.get();
    raw->mouseDown(0, Point(110, 60)); // the host closes the editor inside the message
    EXPECT_FALSE(token->alive);
}

class FullScreenRoot : public headless::HeadlessRootControl {
public:
    FullScreenRoot(UserInterface& ui, std::vector<std::string>& log) : HeadlessRootControl(ui), log_(log) {}
    void enterFullScreen() override { record("enter"); }
    void leaveFullScreen() override { record("leave"); }

private:
    void record(const std::string& what) {
        log_.push_back(what + (isPaused() ? " paused" : "") +
                       (userInterface().deviceBacking().useSecondTable.getValue() ? " second" : ""));
    }
    std::vector<std::string>& log_;
};

TEST(RootControl, FullScreenSwitchPausesAndUsesTheSecondScaleTable) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    FullScreenRoot root(ui, log);
    root.fullScreenSwitchedEvent.addHandler(NotifyEvent::bind([&] { log.push_back("switched"); }));
    root.fullScreen.setValue(true);
    EXPECT_FALSE(root.isPaused());
    root.fullScreen.setValue(false);
    EXPECT_EQ(log, (std::vector<std::string>{"switched", "enter paused second", "switched", "leave paused"}));
}

} // namespace
} // namespace gui
