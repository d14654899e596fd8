#pragma once

// A user interface for tests: a root control that records its timer hooks,
// and hooks that record help hints and the touch-hold timer.

#include "gui/RootControl.h"
#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <memory>

#include <string>
#include <utility>
#include <vector>

namespace test {

class TestRoot : public gui::RootControl {
public:
    using gui::RootControl::RootControl;
    void startSingleClickTimer() override { log.push_back("click timer on"); }
    void stopSingleClickTimer() override { log.push_back("click timer off"); }
    void endGesture() override { log.push_back("end gesture"); }
    std::vector<std::string> log;
};

class TestInterface : public gui::UserInterface {
public:
    // An empty clock means the platform's millisecond clock.
    explicit TestInterface(IntervalTimer::Clock clock = {})
        : gui::UserInterface(std::move(clock)), root_(new TestRoot(*this)) {}
    ~TestInterface() override {
        beginDestruction();
        for (TestTimer* timer : std::vector<TestTimer*>(timers)) {
            timer->owner_ = nullptr;
            delete timer;
        }
        root_->deleteChildren();
        delete root_;
    }

    gui::RootControl* rootControl() override { return root_; }
    void* nativeWindow() override { return nullptr; }
    bool isActive() override { return true; }

    // Timers that tests fire by hand (gui::Timer::tick); those still alive go with the interface.
    class TestTimer : public gui::Timer {
    public:
        explicit TestTimer(TestInterface& owner) : owner_(&owner) { owner.timers.push_back(this); }
        ~TestTimer() override {
            if (owner_ != nullptr)
                owner_->timers.erase(std::find(owner_->timers.begin(), owner_->timers.end(), this));
        }
        TestInterface* owner_;
    };
    gui::Timer* createTimer() override { return new TestTimer(*this); }
    std::vector<TestTimer*> timers;
    TestRoot& root() { return *root_; }

    void setHelpHint(const std::string& text) override { hints.push_back(text); }
    void setTouchHoldTimer(bool running) override { touchTimer.push_back(running); }
    void removePostedMessages(gui::MessageTarget* target) override {
        droppedMessages.push_back(target);
        gui::UserInterface::removePostedMessages(target);
    }

    std::vector<std::string> hints;
    std::vector<bool> touchTimer;
    std::vector<gui::MessageTarget*> droppedMessages;

private:
    TestRoot* root_;
};

} // namespace test
