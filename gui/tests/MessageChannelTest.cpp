#include "gui/MessageChannel.h"

#include "foundation/Lock.h"
#include "foundation/tests/AllocationCounter.h"
#include "gui/Component.h"
#include "gui/RootControl.h"
#include "gui/headless/HeadlessInterface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gui {
namespace {

using headless::HeadlessInterface;

// A component that logs its messages and may run an action on one of them.
class Receiver : public Control {
public:
    Receiver(UserInterface& ui, std::vector<std::string>& log, std::string name)
        : Control(ui), log_(log), name_(std::move(name)) {}
    void handleMessage(int code) override {
        log_.push_back(name_ + std::to_string(code));
        // A copy: the action may destroy this receiver.
        if (auto action = onMessage) action(code);
    }
    std::function<void(int)> onMessage;

private:
    std::vector<std::string>& log_;
    std::string name_;
};

class LoggingListener : public MessageChannel::Listener {
public:
    LoggingListener(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void notification(std::uint32_t code, std::uint32_t argument) override {
        log_.push_back(name_ + ":" + std::to_string(code) + "," + std::to_string(argument));
        if (onNotification) onNotification();
    }
    void helpHint(const std::string& text) override { log_.push_back(name_ + " hint " + text); }
    void filesDropped(float x, float y, const std::string& path) override {
        log_.push_back(name_ + " drop " + std::to_string(int(x)) + "," + std::to_string(int(y)) + " " + path);
    }
    std::function<void()> onNotification;

private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(MessageChannel, PostsArriveInOrderWithinOneDrainAndRepostsJoinIt) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    Receiver a(ui, log, "a"), b(ui, log, "b");
    int reposts = 0;
    a.onMessage = [&](int code) {
        if (code == 1 && reposts++ == 0) ui.postMessage(&b, 9, gui::kFrameList); // handled in this same drain
    };
    ui.postMessage(&a, 1, gui::kFrameList);
    ui.postMessage(&b, 2, gui::kFrameList);
    ui.postMessage(&a, 3, gui::kGuiList);
    EXPECT_EQ(ui.messageChannel().postedCount(gui::kFrameList), 2u);
    ui.drainList(gui::kFrameList);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b2", "b9"}));
    ui.drainList(gui::kGuiList);
    EXPECT_EQ(log.back(), "a3");
    ui.drainList(gui::kFrameList); // the repost's marker finds the list empty
    EXPECT_EQ(log.size(), 4u);
}

TEST(MessageChannel, NotificationsReachListenersLastAddedFirst) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    LoggingListener first(log, "first"), second(log, "second");
    MessageChannel& channel = ui.messageChannel();
    channel.addListener(&first);
    channel.addListener(&second);
    // The kind word keeps a notification that looks like the marker a notification.
    EXPECT_TRUE(channel.push(gui::kGuiList, 0xFFFF0000u, 0));
    ui.drainList(gui::kGuiList);
    EXPECT_EQ(log, (std::vector<std::string>{"second:4294901760,0", "first:4294901760,0"}));
    log.clear();
    ui.filesDropped(3, 4, "a.ztp");
    EXPECT_EQ(log, (std::vector<std::string>{"second drop 3,4 a.ztp", "first drop 3,4 a.ztp"}));
}

TEST(MessageChannel, ListenerRemovedWhileNotifyingIsNotCalled) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    LoggingListener first(log, "first"), second(log, "second");
    auto third = std::make_unique<LoggingListener>(log, "third");
    MessageChannel& channel = ui.messageChannel();
    channel.addListener(&first);
    channel.addListener(&second);
    channel.addListener(third.get());
    third->onNotification = [&] { channel.removeListener(&second); };
    channel.push(gui::kFrameList, 1, 2);
    ui.drainList(gui::kFrameList);
    EXPECT_EQ(log, (std::vector<std::string>{"third:1,2", "first:1,2"}));
}

TEST(MessageChannel, RemovedRecordsAreNotDelivered) {
    HeadlessInterface ui;
    std::vector<std::string> log;
    Receiver a(ui, log, "a");
    auto b = std::make_unique<Receiver>(ui, log, "b");
    a.onMessage = [&](int) { b.reset(); }; // its destructor drops its records
    ui.postMessage(&a, 1, gui::kFrameList);
    ui.postMessage(b.get(), 2, gui::kFrameList);
    ui.postMessage(&a, 3, gui::kFrameList);
    ui.drainList(gui::kFrameList);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a3"}));
}

TEST(MessageChannel, HandlerThatDestroysTheUserInterfaceEndsTheDrain) {
    auto ui = std::make_unique<HeadlessInterface>();
    std::vector<std::string> log;
    // Controls of the tree: they go with the user interface.
    auto* a = new Receiver(*ui, log, "a");
    a->parent.setValue(&ui->root());
    a->onMessage = [&](int) { ui.reset(); };
    std::shared_ptr<MessageChannel> channel = ui->channelReference();
    ui->postMessage(a, 1, gui::kGuiList);
    ui->postMessage(a, 2, gui::kGuiList);
    channel->push(gui::kGuiList, 5, 6);
    channel->drain(gui::kGuiList);
    EXPECT_EQ(log, (std::vector<std::string>{"a1"}));
    EXPECT_FALSE(channel->isAlive());
    // Later posts and pushes find the user interface gone.
    EXPECT_FALSE(channel->postMessage(nullptr, 1, gui::kFrameList));
    channel->drain(gui::kGuiList);
}

TEST(MessageChannel, ListenerThatDestroysTheUserInterfaceStopsTheLoop) {
    auto ui = std::make_unique<HeadlessInterface>();
    std::vector<std::string> log;
    auto first = std::make_unique<LoggingListener>(log, "first");
    auto second = std::make_unique<LoggingListener>(log, "second");
    ui->messageChannel().addListener(first.get());
    ui->messageChannel().addListener(second.get());
    second->onNotification = [&] {
        ui.reset();
        first.reset(); // an owner going with its editor
    };
    std::shared_ptr<MessageChannel> channel = ui->channelReference();
    channel->push(gui::kFrameList, 1, 1);
    channel->push(gui::kFrameList, 2, 2);
    channel->drain(gui::kFrameList);
    EXPECT_EQ(log, (std::vector<std::string>{"second:1,1"}));
}

TEST(MessageChannel, PushesAllocateNothingEvenWhenFull) {
    HeadlessInterface ui;
    MessageChannel& channel = ui.messageChannel();
    ::test::AllocationCounter counter;
    for (std::uint32_t i = 0; i < MessageChannel::kQueueNodes + 10; ++i)
        channel.push(gui::kGuiList, i, i);
    EXPECT_EQ(counter.allocations(), 0u);
}

TEST(MessageChannel, FullQueueDropsAndCounts) {
    HeadlessInterface ui;
    MessageChannel& channel = ui.messageChannel();
    std::uint32_t accepted = 0;
    while (channel.push(gui::kFrameList, accepted, 0))
        ++accepted;
    // Every node of the pool but the reserved and the placeholder one.
    EXPECT_EQ(accepted, MessageChannel::kQueueNodes - 2);
    EXPECT_FALSE(channel.push(gui::kFrameList, 1, 1));
    EXPECT_FALSE(channel.push(static_cast<gui::MessageList>(7), 1, 1)); // no such list
    EXPECT_EQ(channel.takeDroppedCount(), 3u);
    EXPECT_EQ(channel.takeDroppedCount(), 0u);
    ui.drainList(gui::kFrameList);
    EXPECT_TRUE(channel.push(gui::kFrameList, 1, 1));
}

// Producers push and post while the GUI thread ticks and a second thread
// drains list 0 under the root's lock, as the render thread does.
TEST(MessageChannel, ProducersGuiThreadAndRenderThreadTogether) {
    constexpr int kProducers = 4;
    constexpr int kPushes = 3000;
    constexpr int kPosts = 500;
    HeadlessInterface ui;
    RootControl& root = ui.root();

    struct Seen {
        std::vector<std::uint32_t> last = std::vector<std::uint32_t>(kProducers, 0);
        std::uint32_t notifications = 0;
        bool ordered = true;
    } seen; // touched by the drainers only, both under the root's lock
    std::atomic<int> drainsInside{0};
    std::atomic<bool> overlapped{false};

    class Counter : public MessageChannel::Listener {
    public:
        Counter(Seen& seen, std::atomic<int>& inside, std::atomic<bool>& overlapped)
            : seen_(seen), inside_(inside), overlapped_(overlapped) {}
        void notification(std::uint32_t code, std::uint32_t argument) override {
            if (inside_.fetch_add(1) != 0) overlapped_ = true;
            if (argument <= seen_.last[code]) seen_.ordered = false;
            seen_.last[code] = argument;
            ++seen_.notifications;
            inside_.fetch_sub(1);
        }

    private:
        Seen& seen_;
        std::atomic<int>& inside_;
        std::atomic<bool>& overlapped_;
    } counter(seen, drainsInside, overlapped);
    ui.messageChannel().addListener(&counter);

    class PostCounter : public Component {
    public:
        using Component::Component;
        void handleMessage(int code) override { last.push_back(code); }
        std::vector<int> last;
    };
    // Per producer one receiver posted to list 1 (the GUI thread's) and one
    // to list 0 (drained by both threads, under the root's lock).
    std::vector<std::unique_ptr<PostCounter>> receivers, sharedReceivers;
    for (int p = 0; p < kProducers; ++p) {
        receivers.push_back(std::make_unique<PostCounter>(ui));
        sharedReceivers.push_back(std::make_unique<PostCounter>(ui));
    }

    std::mutex gateMutex;
    std::condition_variable gate;
    bool open = false;
    std::atomic<int> producersDone{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p) {
        threads.emplace_back([&, p] {
            {
                std::unique_lock<std::mutex> lock(gateMutex);
                gate.wait(lock, [&] { return open; });
            }
            for (int i = 1; i <= kPushes; ++i) {
                while (!ui.pushNotification(gui::kFrameList, std::uint32_t(p), std::uint32_t(i)))
                    std::this_thread::yield();
                if (i % (kPushes / kPosts) == 0) {
                    ui.postMessage(receivers[std::size_t(p)].get(), i, gui::kGuiList);
                    ui.postMessage(sharedReceivers[std::size_t(p)].get(), i, gui::kFrameList);
                }
            }
            producersDone.fetch_add(1);
        });
    }
    std::atomic<bool> stopRender{false};
    std::thread render([&] {
        {
            std::unique_lock<std::mutex> lock(gateMutex);
            gate.wait(lock, [&] { return open; });
        }
        while (!stopRender) {
            ScopedLock lock(root);
            ui.drainList(gui::kFrameList);
        }
    });
    {
        std::lock_guard<std::mutex> lock(gateMutex);
        open = true;
    }
    gate.notify_all();
    while (producersDone.load() < kProducers)
        ui.advance(10);
    for (std::thread& t : threads)
        t.join();
    stopRender = true;
    render.join();
    ui.advance(10);

    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(seen.ordered);
    EXPECT_EQ(seen.notifications, std::uint32_t(kProducers * kPushes));
    EXPECT_EQ(ui.messageChannel().takeDroppedCount(), 0u);
    for (const auto* group : {&receivers, &sharedReceivers})
        for (const auto& receiver : *group) {
            ASSERT_EQ(receiver->last.size(), std::size_t(kPosts));
            for (std::size_t i = 1; i < receiver->last.size(); ++i)
                EXPECT_LT(receiver->last[i - 1], receiver->last[i]);
        }
}

} // namespace
} // namespace gui
