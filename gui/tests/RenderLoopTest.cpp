#include "gui/RenderLoop.h"

#include "gui/Canvas.h"
#include "gui/Control.h"
#include "gui/RootLockScope.h"
#include "gui/Timer.h"
#include "gui/headless/HeadlessInterface.h"
#include "gui/tests/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The render loop on real threads, with a clock and a compositor the test
// drives; its events and thread are the platform's own. Waits of the loop
// move the clock on at once (and block for a moment of real time); nothing
// asserts real time: a watchdog ends a test that hangs.

namespace gui {
namespace {

using headless::HeadlessInterface;
using StopRequest = RenderLoop::StopRequest;

enum class Kind { kCurrent, kNotCurrent, kTick, kDraw, kSleep, kWait, kSwap, kEnd, kLost };

struct Entry {
    Kind kind;
    double value;
};

// The render thread's log, and the test's waits for it.
class Log {
public:
    void add(Kind kind, double value = 0.0) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back({kind, value});
        changed_.notify_all();
    }
    std::vector<Entry> entries() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }
    // Waits (the watchdog limits it) until the condition holds for the log.
    void waitUntil(const std::function<bool(const std::vector<Entry>&)>& condition) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return condition(entries_); });
    }
    void waitForCount(Kind kind, int count) {
        waitUntil([&](const std::vector<Entry>& entries) { return countOf(entries, kind) >= count; });
    }
    static int countOf(const std::vector<Entry>& entries, Kind kind) {
        int n = 0;
        for (const Entry& entry : entries)
            n += entry.kind == kind ? 1 : 0;
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
};

class FakePlatform : public RenderPlatform {
public:
    explicit FakePlatform(Log& log) : log_(log) {}

    // The platform's own event, whose timed waits log themselves and move
    // the clock on.
    class FakeEvent : public Event {
    public:
        FakeEvent(FakePlatform& platform, std::unique_ptr<Event> native)
            : platform_(platform), native_(std::move(native)) {}
        void set() override { native_->set(); }
        void reset() override { native_->reset(); }
        bool wait(int milliseconds) override {
            if (milliseconds < 0) return native_->wait(kForever);
            platform_.log_.add(Kind::kWait, milliseconds);
            if (native_->wait(0)) return true;
            platform_.advance(milliseconds);
            return native_->wait(kMomentMs);
        }

    private:
        static constexpr int kMomentMs = 1; // the real time a timed wait blocks at most
        FakePlatform& platform_;
        std::unique_ptr<Event> native_;
    };

    std::unique_ptr<Event> createEvent() override {
        std::unique_ptr<Event> event = native_->createEvent();
        return event != nullptr ? std::make_unique<FakeEvent>(*this, std::move(event)) : nullptr;
    }
    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        return native_->startThread(std::move(body));
    }
    bool compositorTiming(CompositorTiming& timing) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!compositor_) return false;
        timing.rateNumerator = numerator_;
        timing.rateDenominator = denominator_;
        // A display that keeps its rate: blanks at whole periods of the clock.
        const double period = numerator_ != 0 ? 1000.0 * denominator_ / numerator_ : 0.0;
        timing.refreshPeriod = period;
        timing.vblankTime = period > 0.0 ? std::floor(time_ / period) * period : 0.0;
        return true;
    }
    double now() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return time_;
    }
    void sleep(int milliseconds) override {
        log_.add(Kind::kSleep, milliseconds);
        advance(milliseconds);
        std::this_thread::yield();
    }

    void advance(double milliseconds) {
        std::lock_guard<std::mutex> lock(mutex_);
        time_ += milliseconds;
    }
    void setCompositor(std::uint32_t numerator, std::uint32_t denominator) {
        std::lock_guard<std::mutex> lock(mutex_);
        compositor_ = true;
        numerator_ = numerator;
        denominator_ = denominator;
    }

private:
    const std::unique_ptr<RenderPlatform> native_ = RenderPlatform::create();
    Log& log_;
    std::mutex mutex_;
    double time_ = 1000.0;
    bool compositor_ = false;
    std::uint32_t numerator_ = 0;
    std::uint32_t denominator_ = 0;
};

// The accelerated root's side: draws the tree into the headless back buffer.
class FakeClient : public RenderLoop::Client {
public:
    static constexpr double kDrawCost = 3.0; // ms of the fake clock per frame

    FakeClient(HeadlessInterface& ui, FakePlatform& platform, Log& log)
        : ui_(ui), platform_(platform), log_(log) {}

    bool makeCurrent() override {
        if (failCurrent) {
            log_.add(Kind::kNotCurrent);
            return false;
        }
        log_.add(Kind::kCurrent);
        return true;
    }
    void releaseCurrent() override {}
    bool swapBuffers() override {
        log_.add(Kind::kSwap);
        return !failSwap;
    }
    bool isVisible() override { return visible; }
    void drawFrame() override {
        platform_.advance(kDrawCost);
        ui_.root().paint(ui_.backBuffer());
        log_.add(Kind::kDraw, ui_.root().bounds.getValue().width());
    }
    void renderThreadEnding(StopRequest request) override {
        if (request == StopRequest::kDelete) texturesDeleted = true;
        log_.add(Kind::kEnd, double(int(request)));
    }
    void contextLost() override {
        lostSignal = true;
        log_.add(Kind::kLost);
    }

    std::atomic<bool> failCurrent{false};
    std::atomic<bool> failSwap{false};
    std::atomic<bool> visible{true};
    std::atomic<bool> texturesDeleted{false};
    std::atomic<bool> lostSignal{false};

private:
    HeadlessInterface& ui_;
    FakePlatform& platform_;
    Log& log_;
};

// A control that fills itself, so that frames read the tree.
class Block : public Control {
public:
    explicit Block(UserInterface& ui, float x) : Control(ui) {
        setBoundsXYWH(x, 10, 40, 30);
        parent.setValue(ui.rootControl());
    }
    void draw(Canvas& canvas) override { canvas.fillRect(localRect(), Color(200, 40, 40, 255)); }
};

// One loop pass of the log: from one attempt at the context to the next.
struct Pass {
    bool current = false;
    bool drawingPass = false; // the frame timers ticked
    int draws = 0;
    int swaps = 0;
    std::vector<double> waits;
};

std::vector<Pass> passesOf(const std::vector<Entry>& entries) {
    std::vector<Pass> passes;
    for (const Entry& entry : entries) {
        if (entry.kind == Kind::kCurrent || entry.kind == Kind::kNotCurrent) {
            passes.emplace_back();
            passes.back().current = entry.kind == Kind::kCurrent;
            continue;
        }
        if (passes.empty()) continue;
        Pass& pass = passes.back();
        if (entry.kind == Kind::kTick) pass.drawingPass = true;
        if (entry.kind == Kind::kDraw) ++pass.draws;
        if (entry.kind == Kind::kSwap) ++pass.swaps;
        if (entry.kind == Kind::kWait) pass.waits.push_back(entry.value);
    }
    return passes;
}

class RenderLoopTest : public ::testing::Test {
protected:
    RenderLoopTest() : platform(log), client(ui, platform, log) {
        frameTimer.tickEvent.addHandler(NotifyEvent::bind([this] {
            log.add(Kind::kTick);
            ui.root().invalidateRect(ui.root().localRect()); // every drawing pass has work
        }));
        ui.addFrameTimer(&frameTimer);
    }
    ~RenderLoopTest() override { ui.removeFrameTimer(&frameTimer); }

    test::Watchdog watchdog{std::chrono::seconds(60)};
    Log log;
    HeadlessInterface ui{200.0f, 100.0f};
    FakePlatform platform;
    FakeClient client;
    Timer frameTimer;
};

struct PacingCase {
    std::uint32_t mode;
    bool compositor;
    std::uint32_t numerator, denominator;
    int skip;
    int shortestWait;
    int ownTimerWait; // without a compositor: the wait after a drawing pass
};

TEST_F(RenderLoopTest, DrawsOnEveryPassThePacingAllowsAndWaitsWithinBounds) {
    const PacingCase cases[] = {
        {1, true, 60, 1, 0, 5, 0},
        {2, true, 60, 1, 1, 5, 0},
        {3, true, 60, 1, 2, 5, 0},
        {1, true, 144, 1, 1, 1, 0},
        {2, true, 144, 1, 4, 1, 0},
        // No compositor, or one whose rate is not sane: the loop's own timer.
        {1, false, 0, 0, 0, 5, 13},
        {2, true, 0, 1, 0, 5, 30},
        {1, true, 60, 0, 0, 5, 13},
        {1, true, 1000, 1, 0, 5, 13},
        {3, true, 1, 1, 0, 5, 47},
    };
    for (const PacingCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "mode " << c.mode << " rate " << c.numerator << "/" << c.denominator);
        if (c.compositor) platform.setCompositor(c.numerator, c.denominator);
        const bool aligned = c.ownTimerWait == 0;
        std::vector<Entry> before = log.entries();
        {
            RenderLoop loop(ui.root(), platform, client, c.mode);
            ASSERT_TRUE(loop.isUsable());
            ASSERT_TRUE(loop.start());
            const int drawsBefore = Log::countOf(before, Kind::kDraw);
            log.waitForCount(Kind::kDraw, drawsBefore + 4);
            loop.stop(StopRequest::kKeep);
        }
        std::vector<Entry> all = log.entries();
        const std::vector<Entry> mine(all.begin() + std::ptrdiff_t(before.size()), all.end());
        std::vector<Pass> passes = passesOf(mine);
        passes.pop_back(); // the pass the stop cut short
        ASSERT_GE(passes.size(), std::size_t(3 * (c.skip + 1)));
        for (std::size_t i = 0; i < passes.size(); ++i) {
            const Pass& pass = passes[i];
            const bool drawing = int(i) % (c.skip + 1) == c.skip;
            EXPECT_EQ(pass.drawingPass, drawing) << "pass " << i;
            EXPECT_EQ(pass.draws, drawing ? 1 : 0) << "pass " << i;
            EXPECT_EQ(pass.swaps, drawing ? 1 : 0) << "pass " << i;
            ASSERT_FALSE(pass.waits.empty()) << "pass " << i;
            const double frameWait = pass.waits.back();
            EXPECT_GE(frameWait, c.shortestWait) << "pass " << i;
            EXPECT_LE(frameWait, RenderPacing::kLongestWait) << "pass " << i;
            for (std::size_t w = 0; w + 1 < pass.waits.size(); ++w)
                EXPECT_EQ(pass.waits[w], 1.0) << "vblank waits are 1 ms, pass " << i;
            if (!aligned) {
                EXPECT_EQ(pass.waits.size(), 1u) << "no vblank alignment, pass " << i;
                if (drawing) {
                    EXPECT_EQ(frameWait, c.ownTimerWait) << "pass " << i;
                }
            }
        }
        platform.setCompositor(0, 0); // no sane rate for the next case unless it sets one
    }
}

TEST_F(RenderLoopTest, PassWithNothingToDrawStillDrainsTicksAndSignals) {
    struct Target : MessageTarget {
        void handleMessage(int code) override {
            codes.push_back(code);
            thread = std::this_thread::get_id();
        }
        std::vector<int> codes;
        std::thread::id thread;
    } target;
    client.visible = false;
    {
        RenderLoop loop(ui.root(), platform, client, 1);
        ui.postMessage(&target, 7, gui::kFrameList);
        ASSERT_TRUE(loop.start());
        log.waitForCount(Kind::kTick, 3);
        loop.stop(StopRequest::kKeep);
    }
    const std::vector<Entry> entries = log.entries();
    EXPECT_EQ(Log::countOf(entries, Kind::kDraw), 0);
    EXPECT_EQ(Log::countOf(entries, Kind::kSwap), 0);
    EXPECT_EQ(target.codes, std::vector<int>{7});
    EXPECT_NE(target.thread, std::this_thread::get_id()) << "list 0 runs on the render thread";
    EXPECT_FALSE(ui.root().getDirtyRect().isEmpty()) << "an undrawn frame stays dirty";
}

// The GUI thread changes the tree under the lock (as window messages do) and
// posts to list 0 while the loop draws; the thread sanitizer watches.
TEST_F(RenderLoopTest, TreeEditsUnderTheLockInterleaveWithFrames) {
    struct Counter : MessageTarget {
        void handleMessage(int) override { handled.fetch_add(1); }
        std::atomic<int> handled{0};
    } counter;
    constexpr int kRounds = 200;
    RenderLoop loop(ui.root(), platform, client, 1);
    ASSERT_TRUE(loop.start());
    std::vector<Block*> blocks;
    for (int round = 0; round < kRounds; ++round) {
        ui.postMessage(&counter, round, gui::kFrameList);
        RootLockScope scope(ui.root());
        if (round % 3 == 2 && !blocks.empty()) {
            delete blocks.back();
            blocks.pop_back();
        } else {
            blocks.push_back(new Block(ui, float(round % 150)));
        }
        ui.root().invalidateRect(Rect(0, 0, 50, 50));
        if (round % 20 == 0) {
            // Let the render thread in for a frame now and then.
            const int depth = ui.root().releaseLock();
            const int draws = Log::countOf(log.entries(), Kind::kDraw);
            log.waitForCount(Kind::kDraw, draws + 1);
            ui.root().reacquireLock(depth);
        }
    }
    log.waitUntil([&](const std::vector<Entry>&) { return counter.handled.load() == kRounds; });
    loop.stop(StopRequest::kDelete);
    EXPECT_EQ(counter.handled.load(), kRounds);
    RootLockScope scope(ui.root());
    for (Block* block : blocks)
        delete block;
}

TEST_F(RenderLoopTest, ResizeReturnsOnceAFrameOfTheNewSizeIsDone) {
    RenderLoop loop(ui.root(), platform, client, 1);
    ASSERT_TRUE(loop.start());
    log.waitForCount(Kind::kDraw, 2);
    {
        // A window message: the lock at depth 1.
        RootLockScope scope(ui.root());
        loop.beginResize();
        ui.root().setSize(300.0f, 150.0f);
        loop.endResize();
        const std::vector<Entry> entries = log.entries();
        bool drawnAtNewSize = false;
        for (const Entry& entry : entries)
            drawnAtNewSize |= entry.kind == Kind::kDraw && entry.value == 300.0;
        EXPECT_TRUE(drawnAtNewSize) << "returned before a frame of the new size";
        EXPECT_EQ(ui.root().lockDepth(), 1);
        EXPECT_TRUE(ui.root().heldByCurrentThread());
    }
    {
        // The host's size call under the lock outside any message: depth 0.
        ScopedLock hold(ui.root());
        loop.beginResize();
        ui.root().setSize(320.0f, 160.0f);
        loop.endResize(); // must not wait for a pass that cannot take the lock
        EXPECT_EQ(ui.root().lockDepth(), 0);
        EXPECT_TRUE(ui.root().heldByCurrentThread());
    }
    log.waitUntil([](const std::vector<Entry>& entries) {
        for (const Entry& entry : entries)
            if (entry.kind == Kind::kDraw && entry.value == 320.0) return true;
        return false;
    });
    loop.stop(StopRequest::kKeep);
}

TEST_F(RenderLoopTest, StopReturnsWhileTheGuiThreadHoldsTheLock) {
    for (const StopRequest request : {StopRequest::kKeep, StopRequest::kDelete}) {
        for (const int depth : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "request " << int(request) << " depth " << depth);
            client.texturesDeleted = false;
            RenderLoop loop(ui.root(), platform, client, 1);
            ASSERT_TRUE(loop.start());
            log.waitForCount(Kind::kDraw, Log::countOf(log.entries(), Kind::kDraw) + 1);
            std::unique_ptr<RootLockScope> scope;
            if (depth == 1)
                scope = std::make_unique<RootLockScope>(ui.root());
            else
                ui.root().lock();
            // The render thread tries the lock every millisecond: wait for a try.
            log.waitForCount(Kind::kSleep, Log::countOf(log.entries(), Kind::kSleep) + 1);
            const int ends = Log::countOf(log.entries(), Kind::kEnd);
            loop.stop(request);
            EXPECT_FALSE(loop.isRunning());
            EXPECT_TRUE(ui.root().heldByCurrentThread());
            EXPECT_EQ(ui.root().lockDepth(), depth);
            const std::vector<Entry> entries = log.entries();
            ASSERT_EQ(Log::countOf(entries, Kind::kEnd), ends + 1);
            EXPECT_EQ(entries.back().kind, Kind::kEnd);
            EXPECT_EQ(entries.back().value, double(int(request)));
            EXPECT_EQ(client.texturesDeleted.load(), request == StopRequest::kDelete);
            if (depth == 0) ui.root().unlock();
        }
    }
}

TEST_F(RenderLoopTest, LostContextEndsTheThreadWithTheFallbackSignal) {
    // A context that cannot be made current: three passes, and a resize
    // meanwhile still returns.
    {
        client.failCurrent = true;
        RenderLoop loop(ui.root(), platform, client, 1);
        ASSERT_TRUE(loop.start());
        {
            RootLockScope scope(ui.root());
            loop.beginResize();
            ui.root().setSize(250.0f, 120.0f);
            loop.endResize();
        }
        log.waitForCount(Kind::kLost, 1);
        EXPECT_TRUE(loop.isRunning()) << "ended by itself: the GUI thread joins it";
        loop.stop(StopRequest::kKeep);
        EXPECT_TRUE(loop.contextWasLost());
        const std::vector<Pass> passes = passesOf(log.entries());
        ASSERT_EQ(passes.size(), std::size_t(RenderLoop::kLostContextPasses));
        for (const Pass& pass : passes)
            EXPECT_FALSE(pass.current);
        EXPECT_EQ(Log::countOf(log.entries(), Kind::kDraw), 0);
    }
    // A failed swap.
    {
        client.failCurrent = false;
        client.failSwap = true;
        client.lostSignal = false;
        RenderLoop loop(ui.root(), platform, client, 1);
        ASSERT_TRUE(loop.start());
        log.waitForCount(Kind::kLost, 2);
        loop.stop(StopRequest::kKeep);
        EXPECT_TRUE(client.lostSignal.load());
        EXPECT_TRUE(loop.contextWasLost());
        EXPECT_EQ(Log::countOf(log.entries(), Kind::kSwap), 1);
    }
    // A healthy thread afterwards is not lost.
    {
        client.failSwap = false;
        RenderLoop loop(ui.root(), platform, client, 1);
        ASSERT_TRUE(loop.start());
        log.waitForCount(Kind::kSwap, 3);
        loop.stop(StopRequest::kDelete);
        EXPECT_FALSE(loop.contextWasLost());
    }
}

} // namespace
} // namespace gui
