#include "gui/RootControl.h"

#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

#include <string>
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

} // namespace
} // namespace gui
