#include "gui/UserInterface.h"

#include "gui/Control.h"
#include "gui/InterfaceTimer.h"
#include "gui/RootLockScope.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace gui {
namespace {

// Deletes a control of its own at the start of its destruction and keeps
// what the component list held afterwards.
class DyingInterface : public test::TestInterface {
public:
    explicit DyingInterface(std::vector<Component*>& after) : after_(after) {}
    ~DyingInterface() override {
        beginDestruction();
        delete loose;
        after_ = components();
    }
    Control* loose = nullptr;

private:
    std::vector<Component*>& after_;
};

TEST(UserInterface, ComponentsRegisterForTheirLife) {
    test::TestInterface ui;
    Control* a = new Control(ui);
    Control* b = new Control(ui);
    EXPECT_NE(std::find(ui.components().begin(), ui.components().end(), a), ui.components().end());
    delete a;
    EXPECT_EQ(std::find(ui.components().begin(), ui.components().end(), a), ui.components().end());
    const std::size_t count = ui.components().size();
    delete b;
    EXPECT_EQ(ui.components().size(), count - 1);
}

TEST(UserInterface, DuringDestructionEntriesAreOnlyNulled) {
    std::vector<Component*> after;
    std::size_t before = 0;
    {
        DyingInterface ui(after);
        ui.loose = new Control(ui);
        ui.loose->parent.setValue(&ui.root());
        before = ui.components().size();
    }
    ASSERT_EQ(after.size(), before);
    EXPECT_EQ(std::count(after.begin(), after.end(), nullptr), 1);
}

using headless::HeadlessInterface;

class HintLog : public MessageChannel::Listener {
public:
    void helpHint(const std::string& text) override { hints.push_back(text); }
    std::vector<std::string> hints;
};

TEST(UserInterface, HelpHintsWaitThenFollowAtOnceAndHide) {
    HeadlessInterface ui;
    HintLog log;
    ui.messageChannel().addListener(&log);
    ui.setHelpHint("");
    EXPECT_TRUE(log.hints.empty()); // nothing was showing
    ui.setHelpHint("Feedback");
    ui.advance(1490);
    EXPECT_TRUE(log.hints.empty());
    ui.advance(10);
    EXPECT_EQ(log.hints, (std::vector<std::string>{"Feedback"}));
    ui.setHelpHint("Feedback"); // the same text while it shows: at once
    ui.setHelpHint("Time");
    EXPECT_EQ(log.hints, (std::vector<std::string>{"Feedback", "Feedback", "Time"}));
    ui.setHelpHint("");
    ui.setHelpHint("");
    EXPECT_EQ(log.hints.back(), "");
    EXPECT_EQ(log.hints.size(), 4u);
    // Hidden: a new text waits again; withdrawn before then, it never shows
    // (the listeners only hear the hiding).
    ui.setHelpHint("Mix");
    ui.advance(1000);
    ui.setHelpHint("");
    ui.advance(2000);
    EXPECT_EQ(log.hints, (std::vector<std::string>{"Feedback", "Feedback", "Time", "", ""}));
    ui.setHelpHintsEnabled(false);
    ui.setHelpHint("Pan");
    ui.advance(2000);
    EXPECT_EQ(log.hints.size(), 5u);
}

class DoubleClickProbe : public Control {
public:
    using Control::Control;
    void mouseDoubleClick(const Point& point) override { clicks.push_back(point); }
    std::vector<Point> clicks;
};

TEST(UserInterface, TouchHeldForItsIntervalDoubleClicksTheEventTarget) {
    HeadlessInterface ui;
    auto* probe = new DoubleClickProbe(ui);
    probe->setBoundsXYWH(10, 10, 50, 50);
    probe->parent.setValue(&ui.root());
    ui.mouseDown(0, Point(20, 30)); // the probe takes the capture and its press point
    ui.setTouchHoldTimer(true);
    ui.advance(799);
    EXPECT_TRUE(probe->clicks.empty());
    ui.advance(1);
    ASSERT_EQ(probe->clicks.size(), 1u);
    EXPECT_EQ(probe->clicks[0], probe->pressPoint());
    ui.advance(2000); // once only
    EXPECT_EQ(probe->clicks.size(), 1u);
    ui.setTouchHoldTimer(true);
    ui.advance(400);
    ui.setTouchHoldTimer(false);
    ui.advance(2000);
    EXPECT_EQ(probe->clicks.size(), 1u);
}

TEST(UserInterface, TouchMovedBeyondFourUnitsMakesNoDoubleClick) {
    for (const auto& [distance, clicks] : {std::pair{4.0f, 1u}, std::pair{4.01f, 0u}}) {
        HeadlessInterface ui;
        auto* probe = new DoubleClickProbe(ui);
        probe->setBoundsXYWH(10, 10, 50, 50);
        probe->parent.setValue(&ui.root());
        ui.mouseDown(0, Point(20, 30)); // the probe holds the capture
        TouchRecord touch;
        probe->touchEvent(touch, Point(10, 10));
        touch.phase = TouchRecord::Phase::kMove;
        probe->touchEvent(touch, Point(10 + distance, 10));
        ui.advance(800);
        EXPECT_EQ(probe->clicks.size(), clicks) << distance;
    }
}

TEST(UserInterface, ScaleEventsOnlyForARealChange) {
    HeadlessInterface ui;
    int events = 0;
    ui.scaleChangedEvent.addHandler(NotifyEvent::bind([&] { ++events; }));
    struct Case {
        float scale;
        int events;
    };
    // The backing snaps the system scale to its table; within 1.1920929e-7 is no change.
    for (const Case& c : {Case{1.0f, 0}, Case{1.0000001f, 0}, Case{2.0f, 1}, Case{2.0f, 1}, Case{1.0f, 2}}) {
        ui.setMonitorScale(c.scale);
        EXPECT_EQ(events, c.events) << c.scale;
    }
    EXPECT_FLOAT_EQ(ui.appliedScale(), 1.0f);
}

TEST(UserInterface, ModifierNamesOnlyForSingleBits) {
    HeadlessInterface ui;
    const std::pair<int, const char*> cases[] = {{4, "Ctrl"}, {1, "Shift"}, {2, "Alt"},
                                                 {3, ""},     {0, ""},      {8, ""}};
    for (const auto& [mask, name] : cases)
        EXPECT_EQ(ui.modifierName(mask), name) << mask;
}

TEST(UserInterface, TimersTickInTimeOrderAndStopWhenDeleted) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    std::unique_ptr<Timer> fast(ui.createTimer()), slow(ui.createTimer());
    auto* fastTimer = static_cast<InterfaceTimer*>(fast.get());
    auto* slowTimer = static_cast<InterfaceTimer*>(slow.get());
    EXPECT_EQ(fastTimer->id(), UserInterface::kFirstTimerId);
    EXPECT_EQ(slowTimer->id(), UserInterface::kFirstTimerId + 1);
    fast->tickEvent.setHandler(
        NotifyEvent::bind([&] { log.push_back("fast " + std::to_string(ui.time())); }));
    slow->tickEvent.setHandler(
        NotifyEvent::bind([&] { log.push_back("slow " + std::to_string(ui.time())); }));
    fast->interval.setValue(30);
    slow->interval.setValue(50);
    fast->enabled.setValue(true);
    slow->enabled.setValue(true);
    ui.advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"fast 30", "slow 50", "fast 60", "fast 90", "slow 100"}));
    // A timer that deletes the other one: the deleted one never fires again.
    log.clear();
    fast->tickEvent.addHandler(NotifyEvent::bind([&] { slow.reset(); }));
    ui.advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"fast 120", "fast 150", "fast 180"}));
    const int id = fastTimer->id();
    fast.reset();
    EXPECT_FALSE(ui.root().isTimerRunning(id));
    ui.fireTimer(id); // an unknown id is ignored
    ui.fireTimer(12345);
}

TEST(UserInterface, TimerChangedOnAnotherThreadStartsOnTheGuiThread) {
    HeadlessInterface ui;
    std::unique_ptr<Timer> timer(ui.createTimer());
    auto* interfaceTimer = static_cast<InterfaceTimer*>(timer.get());
    int ticks = 0;
    timer->tickEvent.setHandler(NotifyEvent::bind([&] { ++ticks; }));
    timer->interval.setValue(20);
    std::thread([&] { timer->enabled.setValue(true); }).join();
    EXPECT_FALSE(ui.root().isTimerRunning(interfaceTimer->id()));
    ui.advance(10); // the tick drains list 1: the timer starts now
    EXPECT_TRUE(ui.root().isTimerRunning(interfaceTimer->id()));
    ui.advance(20);
    EXPECT_EQ(ticks, 1);
}

TEST(UserInterface, FrameTimersFireBoundHandlerThenListenersAndSkipRemovedOnes) {
    HeadlessInterface ui;
    ui.accelerated.setValue(true);
    std::vector<std::string> log;
    std::unique_ptr<Timer> a(ui.createTimer()), b(ui.createTimer());
    a->frameDriven.setValue(true);
    b->frameDriven.setValue(true);
    a->interval.setValue(16);
    b->interval.setValue(16);
    a->tickEvent.setHandler(NotifyEvent::bind([&] {
        log.push_back("a bound");
        ui.removeFrameTimer(b.get());
    }));
    a->tickEvent.addHandler(NotifyEvent::bind([&] { log.push_back("a first"); }));
    a->tickEvent.addHandler(NotifyEvent::bind([&] { log.push_back("a second"); }));
    b->tickEvent.setHandler(NotifyEvent::bind([&] { log.push_back("b"); }));
    a->enabled.setValue(true);
    b->enabled.setValue(true);
    EXPECT_TRUE(ui.hasFrameTimer(a.get()));
    // Frame timers do not run on the window's timers.
    EXPECT_FALSE(ui.root().isTimerRunning(static_cast<InterfaceTimer*>(a.get())->id()));
    ui.fireFrameTimers();
    EXPECT_EQ(log, (std::vector<std::string>{"a bound", "a second", "a first"}));
    a.reset();
    EXPECT_FALSE(ui.hasFrameTimer(a.get()));
    log.clear();
    ui.fireFrameTimers();
    EXPECT_TRUE(log.empty());
}

TEST(UserInterface, RecreatedWindowRestartsRunningTimers) {
    HeadlessInterface ui;
    std::unique_ptr<Timer> timer(ui.createTimer());
    const int id = static_cast<InterfaceTimer*>(timer.get())->id();
    timer->interval.setValue(40);
    timer->enabled.setValue(true);
    ui.root().stopTimer(id); // the old window's timers went with it
    ui.restartTimers();
    EXPECT_TRUE(ui.root().isTimerRunning(id));
}

TEST(UserInterface, BackgroundIsRedrawnAtTheRootsSize) {
    HeadlessInterface ui(120, 80);
    ui.loadBackgroundBitmap("ModelPlain");
    EXPECT_EQ(ui.backgroundBitmap().getRect(), Rect(0, 0, 120, 80));
    ui.paint(); // the root draws it over its whole area
    EXPECT_EQ(ui.backBuffer().pixelAt(60, 40), ui.backgroundBitmap().pixelAt(60, 40));
}

TEST(UserInterface, TickFiresAfterBothListsAndNotAfterDestruction) {
    auto ui = std::make_unique<HeadlessInterface>();
    std::vector<std::string> log;
    class Poster : public Control {
    public:
        Poster(UserInterface& ui, std::vector<std::string>& log) : Control(ui), log_(log) {}
        void handleMessage(int code) override {
            log_.push_back("message " + std::to_string(code));
            if (auto action = onMessage) action();
        }
        std::function<void()> onMessage;

    private:
        std::vector<std::string>& log_;
    };
    auto* poster = new Poster(*ui, log);
    poster->parent.setValue(&ui->root());
    ui->tickEvent.setHandler(NotifyEvent::bind([&] { log.push_back("tick"); }));
    ui->postMessage(poster, 1, gui::kGuiList);
    ui->postMessage(poster, 0, gui::kFrameList);
    ui->advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"message 0", "message 1", "tick"}));
    // A message of list 0 that closes the editor: list 1 and the tick event are skipped.
    log.clear();
    poster->onMessage = [&] { ui.reset(); };
    ui->postMessage(poster, 2, gui::kFrameList);
    ui->postMessage(poster, 3, gui::kGuiList);
    EXPECT_FALSE(ui->advance(10));
    EXPECT_EQ(log, (std::vector<std::string>{"message 2"}));
}

} // namespace
} // namespace gui
